#include "LanguageRuns.h"

#include "SpeechText.h"

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

} // namespace quorvane
