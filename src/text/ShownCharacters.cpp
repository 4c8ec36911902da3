#include "ShownCharacters.h"

#include <QStringDecoder>

namespace quorvane {

namespace {

bool isLeadByte(unsigned char byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

} // namespace

QString shownCharacters(QByteArrayView gbk, std::vector<qsizetype>* offsets)
{
    // Decoded one character at a time: a decoder given the whole text would
    // let one invalid byte swallow or shift its neighbours.
    QStringDecoder decoder("GBK", QStringDecoder::Flag::Stateless);
    QString shown;
    shown.reserve(gbk.size());
    qsizetype i = 0;
    while (i < gbk.size()) {
        if (offsets)
            offsets->push_back(i);
        const auto byte = static_cast<unsigned char>(gbk[i]);
        if (byte == '\r' && i + 1 < gbk.size() && gbk[i + 1] == '\n') {
            shown += QLatin1Char('\n');
            i += 2;
        } else if (byte < 0x80) {
            shown += QLatin1Char(static_cast<char>(byte));
            ++i;
        } else {
            const qsizetype length = isLeadByte(byte) && i + 1 < gbk.size() ? 2 : 1;
            const QString character = decoder.decode(gbk.sliced(i, length));
            shown += character.size() == 1 ? character.front() : QChar(QChar::ReplacementCharacter);
            i += length;
        }
    }
    return shown;
}

} // namespace quorvane
