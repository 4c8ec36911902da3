#pragma once

#include <QString>

#include <vector>

namespace quorvane {

struct LanguageRun {
    const char* voice; // an espeak-ng voice name
    QString text;
};

inline constexpr char kMandarinVoice[] = "cmn-latn-pinyin";
inline constexpr char kEnglishVoice[] = "en";

// Splits speech input into the runs each voice should read. Behind the
// Chinese language tag, runs of Latin script that hold a letter go to the
// English voice (the Mandarin voice would read "I" or "she" as pinyin) and
// everything else to the Mandarin voice; without the tag, all is English.
std::vector<LanguageRun> splitLanguageRuns(const QString& speechInput);

} // namespace quorvane
