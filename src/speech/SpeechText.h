#pragma once

#include <QByteArray>
#include <QString>

namespace quorvane {

// The markup that marks speech input as Chinese (PRC).
inline constexpr char kChineseLanguageTag[] = "<lang langid=\"804\">";

// Turns every symbol the voice would otherwise name (punctuation, blanks,
// brackets, quotes, ellipses, dashes) into one ASCII comma, so the voice
// pauses there. Matches only where a character begins: a GBK lead byte
// always takes the byte after it, so a double-byte character whose second
// byte equals an ASCII symbol stays whole.
QByteArray ReplaceSpeechSymbols(const QByteArray& gbkText);

// The speech input: the text (symbols replaced unless they are to be read)
// behind the Chinese language tag, as UTF-16.
QString PrepareSpeechText(const QByteArray& gbkText, bool readSymbols);

} // namespace quorvane
