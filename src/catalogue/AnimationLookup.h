#pragma once

#include <QByteArray>
#include <QString>

namespace quorvane {

class LessonList;
class LessonTree;

// What the animation lookup does to the window and the player, one step at a
// time and in the order the scan reaches them.
class AnimationLessonHost {
public:
    virtual ~AnimationLessonHost() = default;

    // Status panel 1 and the remembered animation status text.
    virtual void setLessonStatus(const QByteArray& text) = 0;
    virtual void setCurrentLessonIndex(int flatIndex) = 0;
    // The movie of the selected lesson is not installed; the handling ends.
    virtual void reportMissingLesson() = 0;
    virtual void playMovie(const QString& path) = 0;
    // Status panel 0 names animation mode; the last step of a complete scan.
    virtual void showAnimationMode() = 0;
};

// Selecting a node of the animation tree. The whole list is scanned, and
// every line whose title equals the node's caption is acted on in list
// order, so of two lines with one title the later movie ends up playing.
// A chapter loads nothing. A malformed line throws an index error once the
// lines before it have been acted on.
void runAnimationLookup(const LessonTree& tree, const LessonList& list,
                        const QString& animationDir, int selected, AnimationLessonHost& host);

} // namespace quorvane
