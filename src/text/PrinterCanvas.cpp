#include "PrinterCanvas.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPrinter>

namespace quorvane {

PrinterCanvas::PrinterCanvas(QPainter& painter, QPrinter& printer)
    : m_painter(painter), m_printer(printer), m_metrics(painter.fontMetrics())
{
    const QRect printable = printer.pageLayout().paintRectPixels(printer.resolution());
    m_pageWidth = printable.width();
    m_pageHeight = printable.height();
}

int PrinterCanvas::textWidth(QStringView text) const
{
    return m_metrics.horizontalAdvance(text.toString());
}

int PrinterCanvas::textHeight(QStringView text) const
{
    return text.isEmpty() ? 0 : fontHeight();
}

void PrinterCanvas::drawText(int x, int y, QStringView text)
{
    m_painter.drawText(QPoint(x, y + m_metrics.ascent()), text.toString());
}

void PrinterCanvas::newPage()
{
    if (!m_printer.newPage())
        throw PrintJobError();
    // The windows keep repainting while a long job is produced; input waits,
    // so no command can start inside this one.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace quorvane
