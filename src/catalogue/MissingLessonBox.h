#pragma once

class QWidget;

namespace quorvane {

class Platform;

// Offers the bundled help page, which tells how to install the full course,
// when a lesson's movie or text file is not installed; on Yes the page is
// opened.
void askForMissingLesson(Platform& platform, QWidget* owner);

} // namespace quorvane
