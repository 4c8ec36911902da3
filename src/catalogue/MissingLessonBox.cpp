#include "MissingLessonBox.h"

#include "platform/Platform.h"

namespace quorvane {

const char* const kCoursePageAddress = "https://quorvane.example.org/course/";

void askForMissingLesson(Platform& platform, QWidget* owner)
{
    const bool download =
        platform.question(owner,
                          QStringLiteral("这一课的课件没有安装在您的电脑上。\n"
                                         "是否打开 Quorvane 网站，下载完整的课件？"),
                          QStringLiteral("找不到课件"));
    if (download)
        platform.openAddress(QString::fromLatin1(kCoursePageAddress));
}

} // namespace quorvane
