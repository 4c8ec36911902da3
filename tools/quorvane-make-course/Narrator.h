#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace quorvane::course {

// The lesson movies' sound: 22,050 samples a second, one channel.
inline constexpr int kNarrationRate = 22050;

// Speaks a line of a lesson: Chinese with English runs in it, as the
// reading-aloud feature hears its texts.
class Narrator {
public:
    virtual ~Narrator() = default;
    virtual std::vector<std::int16_t> speak(const QString& line) = 0;
};

// The narrator the course is built with: espeak-ng's Mandarin voice for the
// Chinese, its English voice for the English runs, at a learner's pace.
// espeak-ng carries a little state from one line to the next, so the same
// lines in the same order, in a fresh process, give the same samples.
// Throws std::runtime_error when espeak-ng or its Mandarin voice is missing.
class EspeakNarrator : public Narrator {
public:
    EspeakNarrator();
    std::vector<std::int16_t> speak(const QString& line) override;
};

} // namespace quorvane::course
