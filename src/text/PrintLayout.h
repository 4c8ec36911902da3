#pragma once

#include <QByteArray>
#include <QList>
#include <QStringView>

namespace quorvane {

// What the layout needs of a print job, in the printer's device units. The
// text handed over is shown characters (ShownCharacters.h).
class PrintCanvas {
public:
    virtual ~PrintCanvas() = default;

    // The printable area; drawing starts at its top-left corner.
    virtual int pageWidth() const = 0;
    virtual int pageHeight() const = 0;
    virtual int averageCharWidth() const = 0;
    // Ascent plus descent.
    virtual int fontHeight() const = 0;
    virtual int textWidth(QStringView text) const = 0;
    // Zero for empty text.
    virtual int textHeight(QStringView text) const = 0;
    virtual void drawText(int x, int y, QStringView text) = 0;
    // Ends the current page and begins the next.
    virtual void newPage() = 0;
};

// Lays the GBK lines out on a job whose first page has begun: runs end at
// tab, form feed and carriage return, a run too wide for the page goes on
// in the next line, the line pitch is the text height plus 2, tabs stop at
// multiples of eight average character widths, and a page ends when the
// next line would come within two line heights of its bottom.
void layOutLines(const QList<QByteArray>& lines, PrintCanvas& canvas);

} // namespace quorvane
