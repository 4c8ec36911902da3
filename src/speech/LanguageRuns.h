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

// The most characters the voice is handed at a time.
inline constexpr qsizetype kLongestSpeechPiece = 200;

// The language runs cut into the pieces the voice synthesises one at a
// time: each ends at a line end or, in a long line, after the last comma or
// blank within kLongestSpeechPiece characters (where no such pause is, at
// that length). A change of rate restarts the piece being heard, so short
// pieces keep that restart cheap.
std::vector<LanguageRun> splitSpeechPieces(const QString& speechInput);

} // namespace quorvane
