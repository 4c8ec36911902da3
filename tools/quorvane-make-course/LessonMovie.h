#pragma once

#include "LessonSource.h"
#include "Narrator.h"
#include "swf/Movie.h"

namespace quorvane::course {

constexpr int kStageWidth = 569;
constexpr int kStageHeight = 430;
constexpr int kFrameRate = 15;
constexpr int kSamplesPerFrame = kNarrationRate / kFrameRate;

// A lesson's movie, scene after scene under the title band: the title, the
// rule, the examples one by one with their meanings, the typical mistake
// struck through and then corrected, the changes of form step by step, the
// quiz items (choices as buttons: a click tells right from wrong and shows
// why; without one the answer comes after a pause), and the summary, where
// the movie stops with a replay button. Every line is also spoken, as the
// timeline's stream sound, and each scene lasts as long as its narration.
// Text is drawn as shapes from the fonts' outlines, each line measured and
// wrapped or shrunk to stay on the stage. Needs a QGuiApplication for the
// fonts.
struct LessonMovie {
    swf::Movie movie;
    double narrationSeconds = 0; // the time the voice speaks, pauses left out
};
LessonMovie lessonMovie(const Lesson& lesson, Narrator& narrator);

} // namespace quorvane::course
