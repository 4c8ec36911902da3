#include "MissingLessonBox.h"

#include "platform/Platform.h"
#include "platform/WindowsDirectory.h"

#include <QUrl>

namespace quorvane {

void askForMissingLesson(Platform& platform, QWidget* owner)
{
    const bool showHelp =
        platform.question(owner,
                          QStringLiteral("这一课的课件没有安装在您的电脑上。\n"
                                         "是否打开帮助页面，查看如何安装完整的课件？"),
                          QStringLiteral("找不到课件"));
    if (showHelp)
        platform.openAddress(QUrl::fromLocalFile(helpPage()).toString());
}

} // namespace quorvane
