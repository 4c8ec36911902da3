#include "HelpText.h"

#include "platform/WindowsDirectory.h"

#include <QUrl>

namespace quorvane::help {

namespace {

// The project has no mail box of its own yet; the reserved example domain
// makes that plain instead of sending learners' mail to a stranger.
const QString kMail = QStringLiteral("quorvane@example.org");

} // namespace

QStringList aboutLines()
{
    return {
        QStringLiteral("Quorvane 2009.0106"),
        QString(),
        QStringLiteral("版权所有 (C) 2009-2026 Quorvane 开发组"),
        QString(),
        QStringLiteral("作者信箱：") + kMail,
        QStringLiteral("软件主页：") + homePage(),
        QStringLiteral("联系电话：暂无"),
        QStringLiteral("联系ＱＱ：暂无"),
        QStringLiteral("联系 MSN：暂无"),
        QString(),
    };
}

QString mailAddress()
{
    return QStringLiteral("mailto:") + kMail + QStringLiteral("?subject=Quorvane");
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
