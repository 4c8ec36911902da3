#include "PrintLayout.h"

#include "ShownCharacters.h"

#include <algorithm>

namespace quorvane {

namespace {

constexpr QChar kTab = u'\t';
constexpr QChar kFormFeed = u'\f';
constexpr QChar kCarriageReturn = u'\r';

class PrintLayout {
public:
    explicit PrintLayout(PrintCanvas& canvas) : m_canvas(canvas) {}

    void printLine(QStringView line);

private:
    void printRun(QStringView run);
    qsizetype fittingLength(QStringView run) const;
    void tab();
    void lineBreak();
    void pageBreak();

    PrintCanvas& m_canvas;
    int m_x = 0;
    int m_y = 0;
    int m_h = 0;
};

void PrintLayout::printLine(QStringView line)
{
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c != kTab && c != kFormFeed && c != kCarriageReturn)
            continue;
        printRun(line.sliced(runStart, i - runStart));
        runStart = i + 1;
        if (c == kTab)
            tab();
        else if (c == kFormFeed)
            pageBreak();
    }
    printRun(line.sliced(runStart));
    lineBreak();
}

// The number of leading characters whose width, added to x, stays within
// the page. Widths grow with the text, so a binary search finds it.
qsizetype PrintLayout::fittingLength(QStringView run) const
{
    const int room = m_canvas.pageWidth() - m_x;
    if (m_canvas.textWidth(run) <= room)
        return run.size();
    qsizetype fits = 0;
    qsizetype tooWide = run.size();
    while (tooWide - fits > 1) {
        const qsizetype middle = fits + (tooWide - fits) / 2;
        if (m_canvas.textWidth(run.first(middle)) <= room)
            fits = middle;
        else
            tooWide = middle;
    }
    return fits;
}

void PrintLayout::printRun(QStringView run)
{
    while (true) {
        qsizetype length = fittingLength(run);
        // A character wider than the whole page fits nowhere: it is printed
        // alone at the start of a line and cut by the page's edge, so that
        // the rest of the text still comes out.
        if (length == 0 && m_x == 0 && !run.isEmpty())
            length = 1;
        const QStringView part = run.first(length);
        const int height = m_canvas.textHeight(part);
        if (height > m_h)
            m_h = height + 2;
        if (!part.isEmpty())
            m_canvas.drawText(m_x, m_y, part);
        if (length == run.size()) {
            m_x += m_canvas.textWidth(part);
            return;
        }
        lineBreak();
        run = run.sliced(length);
    }
}

void PrintLayout::tab()
{
    const int stop = std::max(1, 8 * m_canvas.averageCharWidth());
    m_x = ((m_x + 1) / stop + 1) * stop;
    if (m_x > m_canvas.pageWidth())
        lineBreak();
}

void PrintLayout::lineBreak()
{
    m_x = 0;
    m_y += m_h != 0 ? m_h : m_canvas.fontHeight();
    if (m_y > m_canvas.pageHeight() - 2 * m_h)
        pageBreak();
    m_h = 0;
}

void PrintLayout::pageBreak()
{
    m_x = 0;
    m_y = 0;
    m_canvas.newPage();
}

} // namespace

void layOutLines(const QList<QByteArray>& lines, PrintCanvas& canvas)
{
    PrintLayout layout(canvas);
    for (const QByteArray& line : lines)
        layout.printLine(shownCharacters(line));
}

} // namespace quorvane
