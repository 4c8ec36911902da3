#include "TextLessonLoader.h"

#include "LessonMemo.h"
#include "catalogue/MissingLessonBox.h"
#include "catalogue/TextLookup.h"
#include "platform/Error.h"

#include <QFile>
#include <QFileInfo>

namespace quorvane {

void loadTextLesson(const TextLesson& lesson, LessonMemo& memo, Platform& platform, QWidget* owner)
{
    if (!QFileInfo(lesson.path).isFile()) {
        askForMissingLesson(platform, owner);
        return;
    }
    QFile file(lesson.path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("无法打开文件 \"%1\"：%2").arg(lesson.path, file.errorString()));
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("无法读取文件 \"%1\"：%2").arg(lesson.path, file.errorString()));
    memo.setText(content);
}

} // namespace quorvane
