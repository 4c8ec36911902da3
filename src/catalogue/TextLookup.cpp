#include "TextLookup.h"

#include "LessonFile.h"
#include "LessonTree.h"

namespace quorvane {

TextLesson findTextLesson(const LessonTree& tree, const QString& textDir, int selected)
{
    const QByteArray& caption = tree.caption(selected);
    int found = selected;
    for (int node = 0; node < tree.count(); ++node) {
        if (tree.caption(node) == caption) {
            found = node;
            break;
        }
    }
    const int parent = tree.parent(selected);
    const QByteArray status = parent < 0 ? caption : tree.caption(parent) + "->" + caption;
    return {found, status,
            findLessonFile(textDir, QString::number(found + 1) + QStringLiteral(".txt"))};
}

} // namespace quorvane
