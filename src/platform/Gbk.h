#pragma once

#include <QByteArray>
#include <QString>

namespace quorvane::gbk {

// The system's text is GBK bytes (code page 936). These two conversions are
// for display and for speech only: invalid bytes decode to replacement
// characters rather than failing, so the bytes themselves stay the truth.
QString toUnicode(const QByteArray& bytes);

// Characters outside GBK become '?'.
QByteArray fromUnicode(const QString& text);

// True when the text survives GBK exactly (every character exists in GBK).
bool canEncode(const QString& text);

} // namespace quorvane::gbk
