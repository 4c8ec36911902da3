#include "HelpText.h"

#include "platform/WindowsDirectory.h"

#include <QUrl>

namespace quorvane::help {

QStringList aboutLines()
{
    return {
        QStringLiteral("Quorvane 2009.0106"),
        QString(),
        QStringLiteral("版权所有 (C) 2009-2026 Quorvane 开发组"),
        QString(),
        QStringLiteral("作者信箱：暂无"),
        QStringLiteral("软件主页：") + homePage(),
        QStringLiteral("联系电话：暂无"),
        QStringLiteral("联系ＱＱ：暂无"),
        QStringLiteral("联系 MSN：暂无"),
        QString(),
    };
}

QString mailAddress()
{
    // The project has no mail box of its own yet: the learner's mail program
    // opens a letter with the subject and no one to send it to rather than
    // to a made-up address.
    return QStringLiteral("mailto:?subject=Quorvane");
}

QString homePage()
{
    return QUrl::fromLocalFile(helpPage()).toString();
}

QString forumPage()
{
    return homePage();
}

QString pellandraPage()
{
    return QStringLiteral("https://www.example.com/soft/soft_view.php?id=10109");
}

QString ostrevinPage()
{
    return QStringLiteral("https://download.example.com/soft/soft_view.php?id=12774");
}

} // namespace quorvane::help
