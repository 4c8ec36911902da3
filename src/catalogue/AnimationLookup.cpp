#include "AnimationLookup.h"

#include "LessonFile.h"
#include "LessonList.h"
#include "LessonTree.h"
#include "platform/Gbk.h"

#include <QFileInfo>

namespace quorvane {

void runAnimationLookup(const LessonTree& tree, const LessonList& list, const QString& animationDir,
                        int selected, AnimationLessonHost& host)
{
    if (!tree.hasChildren(selected)) {
        const QByteArray& caption = tree.caption(selected);
        for (const QByteArray& line : list.lines()) {
            if (LessonEntry::titleOf(line) != caption)
                continue;
            const LessonEntry entry(line);
            const QByteArray status = tree.caption(tree.parent(selected)) + "->" + caption;
            for (int node = 0; node < tree.count(); ++node) {
                if (tree.caption(node) != caption)
                    continue;
                host.setLessonStatus(status);
                // A chapter sharing the caption is passed over, so the
                // index ends on the last lesson that carries it.
                if (!tree.hasChildren(node))
                    host.setCurrentLessonIndex(node);
            }
            // An empty file name leaves the folder itself, which is no movie.
            const QString path = findLessonFile(animationDir, gbk::toUnicode(entry.movieFile()));
            if (!QFileInfo(path).isFile()) {
                host.reportMissingLesson();
                return;
            }
            host.playMovie(path);
        }
    }
    host.showAnimationMode();
}

} // namespace quorvane
