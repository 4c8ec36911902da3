#include "ShownCharacters.h"

#include "platform/Gbk.h"

#include <QStringDecoder>

namespace quorvane {

namespace {

// A lead byte with a trail byte that GBK allows after it: every decoder
// takes such a pair as one character and nothing more.
bool isWellFormedPair(QByteArrayView bytes, qsizetype i)
{
    if (i + 1 >= bytes.size())
        return false;
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const auto trail = static_cast<unsigned char>(bytes[i + 1]);
    return lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
}

// The length of the character at i when it is one that no decoder can take
// any other way (an ASCII byte other than CR, or a well-formed pair), else 0.
qsizetype plainLength(QByteArrayView bytes, qsizetype i)
{
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < 0x80)
        return byte == '\r' ? 0 : 1;
    return isWellFormedPair(bytes, i) ? 2 : 0;
}

} // namespace

QString shownCharacters(QByteArrayView bytes, ShownOffsets* offsets)
{
    // Anything doubtful is decoded one character at a time: a decoder given
    // the whole text would let one invalid byte swallow or shift its
    // neighbours.
    QStringDecoder decoder("GBK", QStringDecoder::Flag::Stateless);
    QString shown;
    shown.reserve(bytes.size());
    const auto shownAs = [&](QChar character, qsizetype length) {
        shown += character;
        if (offsets)
            offsets->add(length);
    };
    const auto decodeOne = [&](qsizetype i, qsizetype length) {
        const QString character = decoder.decode(bytes.sliced(i, length));
        shownAs(character.size() == 1 ? character.front() : QChar(QChar::ReplacementCharacter),
                length);
    };
    qsizetype i = 0;
    while (i < bytes.size()) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            shownAs(QLatin1Char('\n'), 2);
            i += 2;
            continue;
        }
        // A run of characters that cannot be read two ways is decoded at
        // once, which a long lesson needs to load in reasonable time; it
        // stands only when it gave one character for each.
        qsizetype end = i;
        qsizetype characters = 0;
        for (qsizetype length = 0; end < bytes.size() && (length = plainLength(bytes, end)) > 0;
             end += length)
            ++characters;
        if (characters > 0) {
            const QString run = decoder.decode(bytes.sliced(i, end - i));
            if (run.size() == characters) {
                shown += run;
                for (qsizetype at = i, length = 0; offsets && at < end; at += length) {
                    length = static_cast<unsigned char>(bytes[at]) < 0x80 ? 1 : 2;
                    offsets->add(length);
                }
            } else {
                for (qsizetype at = i; at < end; at += plainLength(bytes, at))
                    decodeOne(at, plainLength(bytes, at));
            }
            i = end;
            continue;
        }
        // A doubtful character.
        const qsizetype length = gbk::characterLength(bytes, i);
        decodeOne(i, length);
        i += length;
    }
    return shown;
}

} // namespace quorvane
