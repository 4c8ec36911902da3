#include "Gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace quorvane::gbk {

QString toUnicode(const QByteArray& bytes)
{
    // Stateless: a lead byte at the very end must not vanish silently.
    QStringDecoder decoder("GBK", QStringDecoder::Flag::Stateless);
    return decoder.decode(bytes);
}

qsizetype characterLength(QByteArrayView bytes, qsizetype index)
{
    const auto byte = static_cast<unsigned char>(bytes[index]);
    const bool leadByte = byte >= 0x81 && byte <= 0xFE;
    return leadByte && index + 1 < bytes.size() ? 2 : 1;
}

QByteArray fromUnicode(const QString& text)
{
    QStringEncoder encoder("GBK", QStringEncoder::Flag::Stateless);
    return encoder.encode(text);
}

bool canEncode(const QString& text)
{
    QStringEncoder encoder("GBK", QStringEncoder::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    return !encoder.hasError() && toUnicode(bytes) == text;
}

} // namespace quorvane::gbk
