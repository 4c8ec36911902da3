#pragma once

#include "PrintLayout.h"

#include <QFontMetrics>
#include <exception>

class QPainter;
class QPrinter;

namespace quorvane {

// The printer refused to begin a page.
class PrintJobError : public std::exception {};

// The canvas of a print job whose painter is active on the printer, with
// the font and pen already chosen. A page the printer cannot begin throws
// PrintJobError.
class PrinterCanvas : public PrintCanvas {
public:
    PrinterCanvas(QPainter& painter, QPrinter& printer);

    int pageWidth() const override { return m_pageWidth; }
    int pageHeight() const override { return m_pageHeight; }
    int averageCharWidth() const override { return m_metrics.averageCharWidth(); }
    int fontHeight() const override { return m_metrics.ascent() + m_metrics.descent(); }
    int textWidth(QStringView text) const override;
    int textHeight(QStringView text) const override;
    void drawText(int x, int y, QStringView text) override;
    void newPage() override;

private:
    QPainter& m_painter;
    QPrinter& m_printer;
    QFontMetrics m_metrics;
    int m_pageWidth;
    int m_pageHeight;
};

} // namespace quorvane
