#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace quorvane::gbk {

// The system's text is GBK bytes (code page 936). These two conversions are
// for display and for speech only: invalid bytes decode to replacement
// characters rather than failing, so the bytes themselves stay the truth.
QString toUnicode(const QByteArray& bytes);

// The length in bytes of the character that starts at index: a byte from
// 0x81 to 0xFE begins a double-byte character together with the byte after
// it, whatever that byte is (as Windows code page 936 handles it), so a
// second byte that equals an ASCII symbol is never a character of its own.
qsizetype characterLength(QByteArrayView bytes, qsizetype index);

// Characters outside GBK become '?'.
QByteArray fromUnicode(const QString& text);

// True when the text survives GBK exactly (every character exists in GBK).
bool canEncode(const QString& text);

} // namespace quorvane::gbk
