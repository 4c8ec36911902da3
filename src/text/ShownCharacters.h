#pragma once

#include <QByteArrayView>
#include <QString>
#include <vector>

namespace quorvane {

// The characters a text pane shows for GBK bytes, one shown character per
// GBK character, so that cutting the shown text anywhere never splits a
// double-byte character. A lead byte always takes the byte after it, and
// whatever does not decode to a single character shows as U+FFFD; CR LF
// shows as one line end. When offsets is given, it receives the byte offset
// of every shown character.
QString shownCharacters(QByteArrayView gbk, std::vector<qsizetype>* offsets = nullptr);

} // namespace quorvane
