#pragma once

#include "ShownOffsets.h"

#include <QByteArrayView>
#include <QString>

namespace quorvane {

// The characters a text pane shows for GBK bytes, one shown character per
// GBK character, so that cutting the shown text anywhere never splits a
// double-byte character. A lead byte always takes the byte after it, and
// whatever does not decode to a single character shows as U+FFFD; CR LF
// shows as one line end. When offsets is given, it receives where every shown
// character begins.
QString shownCharacters(QByteArrayView gbk, ShownOffsets* offsets = nullptr);

} // namespace quorvane
