#pragma once

class QWidget;

namespace quorvane {

class LessonMemo;
class Platform;
struct TextLesson;

// Puts the lesson's file into the pane. A missing file offers the download
// page and leaves the pane as it was; a file that cannot be read throws.
void loadTextLesson(const TextLesson& lesson, LessonMemo& memo, Platform& platform,
                    QWidget* owner);

} // namespace quorvane
