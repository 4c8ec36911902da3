#pragma once

#include "LessonSource.h"
#include "swf/Movie.h"

namespace quorvane::course {

constexpr int kStageWidth = 569;
constexpr int kStageHeight = 430;
constexpr double kFrameRate = 12.0;

// A lesson's movie: a calm background with slowly drifting circles, the
// title band, and the examples sliding and fading in one after another,
// each with its Chinese meaning; about fifteen seconds, then it starts over.
// Text is drawn as shapes from the fonts' outlines. Needs a QGuiApplication
// for the fonts.
swf::Movie lessonMovie(const Lesson& lesson);

} // namespace quorvane::course
