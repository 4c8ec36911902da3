#include "ShownCharacters.h"

#include "platform/Gbk.h"

#include <QStringDecoder>

namespace quorvane {

QString shownCharacters(QByteArrayView bytes, std::vector<qsizetype>* offsets)
{
    // Decoded one character at a time: a decoder given the whole text would
    // let one invalid byte swallow or shift its neighbours.
    QStringDecoder decoder("GBK", QStringDecoder::Flag::Stateless);
    QString shown;
    shown.reserve(bytes.size());
    qsizetype i = 0;
    while (i < bytes.size()) {
        if (offsets)
            offsets->push_back(i);
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            shown += QLatin1Char('\n');
            i += 2;
        } else if (byte < 0x80) {
            shown += QLatin1Char(static_cast<char>(byte));
            ++i;
        } else {
            const qsizetype length = gbk::characterLength(bytes, i);
            const QString character = decoder.decode(bytes.sliced(i, length));
            shown += character.size() == 1 ? character.front() : QChar(QChar::ReplacementCharacter);
            i += length;
        }
    }
    return shown;
}

} // namespace quorvane
