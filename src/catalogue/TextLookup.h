#pragma once

#include <QByteArray>
#include <QString>

namespace quorvane {

class LessonTree;

struct TextLesson {
    int flatIndex;
    // "chapter->lesson", or the chapter's caption alone for a chapter.
    QByteArray statusText;
    // textDir + (flatIndex + 1) + ".txt"; chapters have files too. A file
    // copied from Windows as "7.TXT" stands for 7.txt.
    QString path;
};

TextLesson findTextLesson(const LessonTree& tree, const QString& textDir, int selected);

} // namespace quorvane
