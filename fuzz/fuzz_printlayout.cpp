// libFuzzer entry: the first bytes choose a page and a font (page size,
// average width, height and a width for each of sixteen kinds of character),
// the rest are GBK lines laid out on a canvas that records what is drawn.
// Nothing may crash or hang, every shown character is drawn exactly once,
// in order, nothing is drawn left of or above the printable area, and the
// pages stay within what the text can fill.

#include "text/PrintLayout.h"
#include "text/ShownCharacters.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

using namespace quorvane;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

class RecordingCanvas : public PrintCanvas {
public:
    // Takes the metrics from the front of the input and consumes them.
    explicit RecordingCanvas(std::span<const std::uint8_t>& input)
    {
        auto next = [&input] {
            if (input.empty())
                return 1;
            const int value = input.front();
            input = input.subspan(1);
            return value;
        };
        m_pageWidth = 1 + next() * 64 + next();
        m_pageHeight = 1 + next() * 64 + next();
        m_averageCharWidth = next();
        m_fontHeight = next();
        for (int& width : m_widths)
            width = next();
    }

    int pageWidth() const override { return m_pageWidth; }
    int pageHeight() const override { return m_pageHeight; }
    int averageCharWidth() const override { return m_averageCharWidth; }
    int fontHeight() const override { return m_fontHeight; }
    int textWidth(QStringView text) const override
    {
        int width = 0;
        for (QChar c : text)
            width += m_widths[c.unicode() % m_widths.size()];
        return width;
    }
    int textHeight(QStringView text) const override { return text.isEmpty() ? 0 : m_fontHeight; }
    void drawText(int x, int y, QStringView text) override
    {
        check(x >= 0 && y >= 0 && !text.isEmpty());
        m_drawn += text;
    }
    void newPage() override { ++m_pages; }

    const QString& drawn() const { return m_drawn; }
    int pages() const { return m_pages; }

private:
    int m_pageWidth = 0;
    int m_pageHeight = 0;
    int m_averageCharWidth = 0;
    int m_fontHeight = 0;
    std::array<int, 16> m_widths{};
    QString m_drawn;
    int m_pages = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::span<const std::uint8_t> input(data, size);
    RecordingCanvas canvas(input);
    const QList<QByteArray> lines =
        QByteArray(reinterpret_cast<const char*>(input.data()), qsizetype(input.size()))
            .split('\n');
    layOutLines(lines, canvas);

    QString expected;
    qsizetype shown = 0;
    for (const QByteArray& line : lines) {
        for (QChar c : shownCharacters(line)) {
            ++shown;
            if (c != u'\t' && c != u'\f' && c != u'\r')
                expected += c;
        }
    }
    check(canvas.drawn() == expected);
    // A page ends at a form feed or at a line break, and a line breaks at
    // most twice per character (once before it, once after a tab) and at
    // the end of each line.
    check(canvas.pages() <= 2 * shown + lines.size());
    return 0;
}
