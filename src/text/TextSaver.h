#pragma once

#include <QByteArray>
#include <QString>

class QSaveFile;

namespace quorvane {

// The main menu's rule: ".txt" is appended to whatever name was chosen.
QString withTxtAppended(const QString& name);
// The save-name rule of the pop-up menus: ".txt" is appended unless the
// last four characters already are ".txt", letter case ignored.
QString withTxtExtension(const QString& name);

// Writes the text's bytes to the file exactly, nothing added. The file is
// replaced only once the whole text is written, so a failure leaves the old
// file as it was and no partial file behind; it throws Error with the
// reason.
void saveTextFile(const QString& path, const QByteArray& text);
// The same into a file that names its destination but is not yet open.
void saveTextFile(QSaveFile& file, const QByteArray& text);

} // namespace quorvane
