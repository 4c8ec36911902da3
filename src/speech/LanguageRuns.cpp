#include "LanguageRuns.h"

#include "SpeechText.h"

#include <algorithm>

namespace quorvane {

namespace {

bool isLatin(QChar c)
{
    return c.unicode() < 0x80 && c != u'\r' && c != u'\n';
}

bool hasLetter(const QString& text)
{
    for (QChar c : text) {
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))
            return true;
    }
    return false;
}

// Where the piece that starts at `start` ends (exclusive).
qsizetype pieceEnd(const QString& text, qsizetype start)
{
    const qsizetype limit = std::min(text.size(), start + kLongestSpeechPiece);
    for (qsizetype i = start; i < limit; ++i) {
        if (text[i] == u'\n')
            return i + 1;
    }
    if (limit == text.size())
        return limit;
    for (qsizetype i = limit; i > start + 1; --i) {
        if (text[i - 1] == u',' || text[i - 1].isSpace())
            return i;
    }
    // Never between the halves of a surrogate pair.
    return text[limit].isLowSurrogate() ? limit - 1 : limit;
}

} // namespace

std::vector<LanguageRun> splitLanguageRuns(const QString& speechInput)
{
    const QString tag = QString::fromLatin1(kChineseLanguageTag);
    if (!speechInput.startsWith(tag))
        return {{kEnglishVoice, speechInput}};

    std::vector<LanguageRun> runs;
    const QString text = speechInput.mid(tag.size());
    qsizetype start = 0;
    while (start < text.size()) {
        const bool latin = isLatin(text[start]);
        qsizetype end = start + 1;
        while (end < text.size() && isLatin(text[end]) == latin)
            ++end;
        const QString piece = text.mid(start, end - start);
        const char* voice = latin && hasLetter(piece) ? kEnglishVoice : kMandarinVoice;
        if (!runs.empty() && runs.back().voice == voice)
            runs.back().text += piece;
        else
            runs.push_back({voice, piece});
        start = end;
    }
    return runs;
}

std::vector<LanguageRun> splitSpeechPieces(const QString& speechInput)
{
    std::vector<LanguageRun> pieces;
    for (const LanguageRun& run : splitLanguageRuns(speechInput)) {
        for (qsizetype start = 0; start < run.text.size();) {
            const qsizetype end = pieceEnd(run.text, start);
            pieces.push_back({run.voice, run.text.mid(start, end - start)});
            start = end;
        }
    }
    return pieces;
}

} // namespace quorvane
