#include "SpeechText.h"

#include "platform/Gbk.h"

#include <array>

namespace quorvane {

namespace {

// In the order the replacement passes run.
constexpr std::array<const char*, 25> kSpeechSymbols{
    "!",        "_",        " ",        "\xA3\xAC", ".",        "?",        "\xA3\xBF",
    "\xA3\xA8", "\xA3\xA9", "(",        ")",        "{",        "}",        "[",
    "]",        "\xA1\xA3", "\xA3\xA1", "\xA3\xBA", ":",        "\xA1\xB0", "\xA1\xB1",
    "\"",       "/",        "\xA1\xAD", "-"};

QByteArray replaceAtCharacterStarts(const QByteArray& text, QByteArrayView symbol)
{
    QByteArray result;
    result.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        if (QByteArrayView(text).sliced(i).startsWith(symbol)) {
            result += ',';
            i += symbol.size();
            continue;
        }
        const qsizetype length = gbk::characterLength(text, i);
        result += QByteArrayView(text).sliced(i, length);
        i += length;
    }
    return result;
}

} // namespace

QByteArray ReplaceSpeechSymbols(const QByteArray& gbkText)
{
    QByteArray text = gbkText;
    for (const char* symbol : kSpeechSymbols)
        text = replaceAtCharacterStarts(text, QByteArrayView(symbol));
    return text;
}

QString PrepareSpeechText(const QByteArray& gbkText, bool readSymbols)
{
    const QByteArray body = readSymbols ? gbkText : ReplaceSpeechSymbols(gbkText);
    return gbk::toUnicode(QByteArray(kChineseLanguageTag) + body);
}

} // namespace quorvane
