#pragma once

#include <QIcon>

namespace quorvane {

// ImageList2: 0 a closed blue book for a chapter, 1 a page of text for a lesson.
QIcon chapterIcon();
QIcon lessonIcon();

} // namespace quorvane
