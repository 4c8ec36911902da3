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
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            shownAs(QLatin1Char('\n'), 2);
            i += 2;
        } else if (byte < 0x80) {
            shownAs(QLatin1Char(static_cast<char>(byte)), 1);
            ++i;
        } else if (isWellFormedPair(bytes, i)) {
            // A run of well-formed pairs is decoded at once, which a long
            // Chinese lesson needs to load in reasonable time; it stands
            // only when each pair gave one character.
            qsizetype end = i + 2;
            while (isWellFormedPair(bytes, end))
                end += 2;
            const qsizetype pairs = (end - i) / 2;
            const QString run = decoder.decode(bytes.sliced(i, end - i));
            if (run.size() == pairs) {
                shown += run;
                for (qsizetype pair = 0; offsets && pair < pairs; ++pair)
                    offsets->add(2);
            } else {
                for (qsizetype pair = i; pair < end; pair += 2)
                    decodeOne(pair, 2);
            }
            i = end;
        } else {
            const qsizetype length = gbk::characterLength(bytes, i);
            decodeOne(i, length);
            i += length;
        }
    }
    return shown;
}

} // namespace quorvane
