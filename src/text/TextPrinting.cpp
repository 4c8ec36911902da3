#include "TextPrinting.h"

#include "LessonMemo.h"
#include "PrintDialog.h"
#include "PrinterCanvas.h"
#include "platform/Platform.h"

#include <QPainter>
#include <QPrinter>

namespace quorvane {

QFont pointSizedFont(const QFont& font, int screenDpi)
{
    QFont sized(font);
    if (font.pointSizeF() <= 0)
        sized.setPointSizeF(font.pixelSize() * 72.0 / screenDpi);
    return sized;
}

bool printLines(QPrinter& printer, const QList<QByteArray>& lines, const QFont& font,
                const QColor& colour)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    // The painter resolves a point size at the printer's resolution.
    painter.setFont(font);
    painter.setPen(colour);
    PrinterCanvas canvas(painter, printer);
    // Printers that cannot make copies themselves (PDF files among them)
    // are given each copy in turn, each from a new page.
    const int copies = printer.supportsMultipleCopies() ? 1 : printer.copyCount();
    try {
        for (int copy = 0; copy < copies; ++copy) {
            if (copy > 0)
                canvas.newPage();
            layOutLines(lines, canvas);
        }
    } catch (const PrintJobError&) {
        printer.abort();
        painter.end();
        return false;
    }
    return painter.end() && printer.printerState() != QPrinter::Error;
}

void printPaneText(const LessonMemo& pane, PrintDialog& dialog, Platform& platform, QWidget* owner,
                   const PrintFailureMessage& failure)
{
    if (!dialog.execute(platform, owner))
        return;
    const FontChoice choice = pane.fontChoice();
    const QFont font = pointSizedFont(choice.font, pane.logicalDpiY());
    if (!printLines(dialog.printer(), pane.lines(), font, choice.colour))
        platform.notice(owner, failure.text, failure.caption);
}

} // namespace quorvane
