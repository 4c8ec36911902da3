#pragma once

class QWidget;

namespace quorvane {

class Platform;

// Offers the course download page when a lesson's movie or text file is not
// installed; on Yes the page is opened.
void askForMissingLesson(Platform& platform, QWidget* owner);

extern const char* const kCoursePageAddress;

} // namespace quorvane
