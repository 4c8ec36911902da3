#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QColor;
class QFont;
class QPrinter;
class QWidget;

namespace quorvane {

class LessonMemo;
class Platform;
class PrintDialog;

// The message box a window shows when its text cannot be printed.
struct PrintFailureMessage {
    QString text;
    QString caption;
};

// The text printing procedure: the window's print dialog, then a job of the
// pane's lines as it shows them, in the pane's font. Cancelling ends it
// quietly; any failure of the printer shows the window's message.
void printPaneText(const LessonMemo& pane, PrintDialog& dialog, Platform& platform, QWidget* owner,
                   const PrintFailureMessage& failure);

// One job on the printer: the GBK lines laid out in the font (its point size
// kept, at the printer's resolution) and colour, as many copies as the
// printer was set to. False when the printer
// failed; the job is then abandoned, and the printer can take the next one.
bool printLines(QPrinter& printer, const QList<QByteArray>& lines, const QFont& font,
                const QColor& colour);

// The font at the point size it has on a screen of the given resolution, so
// that a font sized in pixels keeps its size on paper.
QFont pointSizedFont(const QFont& font, int screenDpi);

} // namespace quorvane
