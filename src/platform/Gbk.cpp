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
