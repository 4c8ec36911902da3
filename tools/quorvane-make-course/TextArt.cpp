#include "TextArt.h"

#include "LessonSource.h"
#include "ShapeBuilder.h"

#include <QFontMetricsF>
#include <QTextBoundaryFinder>

namespace quorvane::course {

namespace {

constexpr double kSmallestScale = 0.6;
constexpr double kShrinkStep = 0.94;

// Which characters of a marked text are highlighted, by plain index.
std::vector<bool> highlightedCharacters(const QString& marked)
{
    std::vector<bool> marks;
    bool inside = false;
    for (QChar c : marked) {
        if (c == u'*') {
            inside = !inside;
        } else {
            marks.push_back(inside);
        }
    }
    return marks;
}

QString remarked(const QString& plain, const std::vector<bool>& marks, qsizetype from)
{
    QString out;
    bool inside = false;
    for (qsizetype i = 0; i < plain.size(); ++i) {
        const bool mark = marks[std::size_t(from + i)];
        if (mark != inside) {
            out += u'*';
            inside = mark;
        }
        out += plain[i];
    }
    if (inside) {
        out += u'*';
    }
    return out;
}

// Greedy breaking at the allowed places; a piece that does not fit alone
// gets a line of its own.
QStringList breakLines(const QString& marked, const QFontMetricsF& metrics, double width,
                       double& widest)
{
    const QString plain = plainText(marked);
    const std::vector<bool> marks = highlightedCharacters(marked);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, plain);
    QStringList lines;
    widest = 0;
    qsizetype lineStart = 0;
    qsizetype lastFit = -1;
    const auto endLine = [&](qsizetype end) {
        const QString text = plain.mid(lineStart, end - lineStart).trimmed();
        const qsizetype lead = plain.mid(lineStart).indexOf(text);
        widest = std::max(widest, metrics.horizontalAdvance(text));
        lines.append(remarked(text, marks, lineStart + std::max<qsizetype>(lead, 0)));
        lineStart = end;
    };
    for (qsizetype at = finder.toNextBoundary(); at > 0; at = finder.toNextBoundary()) {
        const double lineWidth =
            metrics.horizontalAdvance(plain.mid(lineStart, at - lineStart).trimmed());
        if (lineWidth > width && lastFit > lineStart) {
            endLine(lastFit);
        }
        lastFit = at;
    }
    if (lineStart < plain.size()) {
        endLine(plain.size());
    }
    return lines;
}

} // namespace

QFont englishFont(double pixels)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(int(std::lround(pixels)));
    return font;
}

QFont chineseFont(double pixels)
{
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(int(std::lround(pixels)));
    return font;
}

TextLines fitText(const QString& marked, const QFont& font, double width, int maxLines)
{
    const int basePixels = font.pixelSize();
    TextLines text;
    for (double scale = 1.0;; scale *= kShrinkStep) {
        text.font = font;
        text.font.setPixelSize(std::max(1, int(std::lround(basePixels * scale))));
        const QFontMetricsF metrics(text.font);
        text.lineSpacing = metrics.lineSpacing() * 1.08;
        text.lines = breakLines(marked, metrics, width, text.widest);
        const bool fits = text.widest <= width && text.lines.size() <= maxLines;
        if (fits || scale * kShrinkStep < kSmallestScale) {
            return text;
        }
    }
}

TextPaths textPaths(const TextLines& text, QPointF origin, bool centred)
{
    TextPaths paths;
    const QFontMetricsF metrics(text.font);
    for (qsizetype line = 0; line < text.lines.size(); ++line) {
        const QString& content = text.lines[line];
        const double width = metrics.horizontalAdvance(plainText(content));
        double x = origin.x() - (centred ? width / 2 : 0);
        const double y = origin.y() + text.lineSpacing * double(line);
        const QStringList runs = content.split(u'*');
        for (qsizetype i = 0; i < runs.size(); ++i) {
            QPainterPath& path = i % 2 == 1 ? paths.highlighted : paths.plain;
            path.addText(QPointF(x, y), text.font, runs[i]);
            x += metrics.horizontalAdvance(runs[i]);
        }
    }
    return paths;
}

swf::DefineShape textShape(std::uint16_t id, const TextLines& text, QColor color, QColor highlight,
                           bool centred, QPointF origin)
{
    const TextPaths paths = textPaths(text, origin, centred);
    ShapeBuilder builder(id);
    builder.addFill(paths.plain, ShapeBuilder::solid(color));
    if (!paths.highlighted.isEmpty()) {
        builder.addFill(paths.highlighted, ShapeBuilder::solid(highlight));
    }
    return builder.shape();
}

QPainterPath strikePath(const TextLines& text)
{
    const QFontMetricsF metrics(text.font);
    QPainterPath path;
    for (qsizetype line = 0; line < text.lines.size(); ++line) {
        const double width = metrics.horizontalAdvance(plainText(text.lines[line]));
        const double middle = text.lineSpacing * double(line) - metrics.xHeight() * 0.55;
        path.addRect(QRectF(-3, middle - 1.25, width + 6, 2.5));
    }
    return path;
}

} // namespace quorvane::course
