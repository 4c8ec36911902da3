#include "player/text/TextLayout.h"

#include "player/text/HtmlText.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTextBoundaryFinder>
#include <cmath>

namespace quorvane::player {

namespace {

// Flash keeps text two pixels inside an edit text's bounds.
constexpr double kGutter = 2.0 * swf::kTwipsPerPixel;

ShapeGeometry boxGeometry(const swf::Rect& bounds, const EditTextFrame& frame)
{
    swf::DefineShape shape;
    shape.version = 4;
    shape.bounds = bounds;
    swf::StyleChangeRecord start;
    start.moveTo = swf::Point{bounds.xMin, bounds.yMin};
    if (frame.background) {
        shape.shape.styles.fillStyles.push_back(
            swf::FillStyle{swf::FillStyle::Type::Solid, frame.backgroundColor, {}, 0, {}});
        start.fillStyle1 = 1;
    }
    if (frame.border) {
        // Flash draws the border as crisp one-pixel lines on the bounds.
        swf::LineStyle line;
        line.color = frame.borderColor;
        line.pixelHinting = true;
        line.join = swf::JoinStyle::Miter;
        line.miterLimitFactor = 3 << 8;
        shape.shape.styles.lineStyles.push_back(line);
        start.lineStyle = 1;
    }
    const swf::Rect& r = bounds;
    shape.shape.records = {start, swf::StraightEdgeRecord{r.xMax - r.xMin, 0},
                           swf::StraightEdgeRecord{0, r.yMax - r.yMin},
                           swf::StraightEdgeRecord{r.xMin - r.xMax, 0},
                           swf::StraightEdgeRecord{0, r.yMin - r.yMax}};
    return ShapeGeometry::build(shape);
}

// System fonts come through the GUI application; a headless caller
// without one gets embedded text only.
bool systemFontsAvailable()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

// How one format draws: with the embedded font when it covers the text,
// else with a system font measured at the em in twips.
class FormatMetrics {
public:
    FormatMetrics(const TextFormat& format, const Font* embedded)
        : m_format(format), m_embedded(embedded)
    {
        if (systemFontsAvailable()) {
            m_font = deviceFont(format.face, format.bold, format.italic, format.size);
            m_metrics.emplace(*m_font);
        }
    }

    bool usesEmbedded() const { return m_embedded != nullptr; }
    double scale() const { return m_format.size / (m_embedded ? m_embedded->emSquare : 1.0); }
    double ascent() const
    {
        if (m_embedded && m_embedded->layout) {
            return m_embedded->layout->ascent * scale();
        }
        return m_metrics ? m_metrics->ascent() : m_format.size * 0.9;
    }
    double descent() const
    {
        if (m_embedded && m_embedded->layout) {
            return m_embedded->layout->descent * scale();
        }
        return m_metrics ? m_metrics->descent() : m_format.size * 0.2;
    }
    double width(const QString& text) const
    {
        if (!m_embedded) {
            return m_metrics ? m_metrics->horizontalAdvance(text)
                             : m_format.size * 0.5 * text.size();
        }
        double width = 0;
        for (const QChar c : text) {
            width += advance(c.unicode());
        }
        return width;
    }
    double advance(char16_t code) const
    {
        const auto glyph = m_embedded->glyphFor(code);
        if (!glyph || !m_embedded->layout || *glyph >= m_embedded->layout->advances.size()) {
            return m_format.size / 2.0;
        }
        return m_embedded->layout->advances[*glyph] * scale();
    }
    // Set when system fonts are available.
    const std::optional<QFont>& font() const { return m_font; }
    const Font* embedded() const { return m_embedded; }
    const TextFormat& format() const { return m_format; }

private:
    TextFormat m_format;
    const Font* m_embedded;
    std::optional<QFont> m_font;
    std::optional<QFontMetricsF> m_metrics;
};

struct Piece {
    std::size_t format = 0;
    QString text;
    double x = 0;
    double width = 0;
};

struct Line {
    std::vector<Piece> pieces;
    double width = 0;
    double ascent = 0;
    double descent = 0;
};

class EditTextLayouter {
public:
    EditTextLayouter(const swf::DefineEditText& text, const Font* font, TextFormat base)
        : m_base(std::move(base)), m_text(text), m_font(font)
    {
    }

    TextBlock run(const std::vector<TextParagraph>& paragraphs, const EditTextFrame& frame)
    {
        TextBlock block;
        if (frame.background || frame.border) {
            block.box = boxGeometry(m_text.bounds, frame);
        }
        const swf::EditTextLayout layout = m_text.layout.value_or(swf::EditTextLayout{});
        const double left = m_text.bounds.xMin + kGutter + layout.leftMargin;
        const double right = m_text.bounds.xMax - kGutter - layout.rightMargin;
        double top = m_text.bounds.yMin + kGutter;
        int lineCount = 0;
        for (const TextParagraph& paragraph : paragraphs) {
            const double start = left + paragraph.leftMargin;
            const double firstIndent = layout.indent + paragraph.indent;
            std::vector<Line> lines = breakLines(paragraph, right - start, firstIndent);
            for (std::size_t i = 0; i < lines.size(); ++i) {
                Line& line = lines[i];
                const double indent = i == 0 ? firstIndent : 0;
                const double spare = right - start - indent - line.width;
                double shift = 0;
                if (paragraph.align == swf::TextAlign::Right) {
                    shift = spare;
                } else if (paragraph.align == swf::TextAlign::Center) {
                    shift = spare / 2;
                }
                const double baseline = top + line.ascent;
                for (const Piece& piece : line.pieces) {
                    placePiece(block, piece, start + indent + shift + piece.x, baseline);
                }
                top = baseline + line.descent + layout.leading;
                block.textWidth = std::max(block.textWidth, indent + line.width);
                block.textHeight += line.ascent + line.descent + layout.leading;
                ++lineCount;
            }
        }
        // The last line's leading counts only when it is the only line.
        if (lineCount > 1) {
            block.textHeight -= layout.leading;
        }
        return block;
    }

private:
    std::size_t metricsFor(const TextFormat& format)
    {
        for (std::size_t i = 0; i < m_metrics.size(); ++i) {
            if (m_metrics[i].format() == format) {
                return i;
            }
        }
        m_metrics.emplace_back(format, m_font);
        return m_metrics.size() - 1;
    }

    std::vector<Line> breakLines(const TextParagraph& paragraph, double width, double indent)
    {
        std::vector<Line> lines(1);
        double x = 0;
        const auto open = [&](const FormatMetrics& metrics) {
            lines.back().ascent = std::max(lines.back().ascent, metrics.ascent());
            lines.back().descent = std::max(lines.back().descent, metrics.descent());
        };
        {
            const TextFormat base = paragraph.spans.empty() ? m_base : paragraph.spans[0].format;
            open(m_metrics[metricsFor(base)]);
        }
        for (const TextSpan& span : paragraph.spans) {
            const std::size_t format = metricsFor(span.format);
            const FormatMetrics& metrics = m_metrics[format];
            QString text = span.text;
            if (paragraph.bullet && &span == &paragraph.spans.front()) {
                text.prepend(QStringLiteral("\u2022 "));
            }
            QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
            qsizetype from = 0;
            while (from < text.size()) {
                qsizetype to = breaks.toNextBoundary();
                if (to < 0 || to <= from) {
                    to = text.size();
                }
                const QString word = text.mid(from, to - from);
                const double wordWidth = metrics.width(word);
                const double trimmedWidth = metrics.width(word.trimmed());
                const double available = width - (lines.size() == 1 ? indent : 0);
                if (m_text.wordWrap && x > 0 && x + trimmedWidth > available) {
                    lines.back().width = x;
                    lines.emplace_back();
                    x = 0;
                }
                open(metrics);
                Line& line = lines.back();
                if (!line.pieces.empty() && line.pieces.back().format == format &&
                    line.pieces.back().x + line.pieces.back().width == x) {
                    line.pieces.back().text += word;
                    line.pieces.back().width += wordWidth;
                } else {
                    line.pieces.push_back(Piece{format, word, x, wordWidth});
                }
                x += wordWidth;
                from = to;
            }
        }
        lines.back().width = x;
        for (Line& line : lines) {
            // Trailing spaces do not count for alignment.
            if (!line.pieces.empty()) {
                Piece& last = line.pieces.back();
                const QString trimmed = QString(last.text).replace(
                    QRegularExpression(QStringLiteral("\\s+$")), QString());
                line.width = last.x + m_metrics[last.format].width(trimmed);
            }
        }
        return lines;
    }

    void placePiece(TextBlock& block, const Piece& piece, double x, double baseline)
    {
        const FormatMetrics& metrics = m_metrics[piece.format];
        const swf::Rgba color = metrics.format().color;
        if (!metrics.usesEmbedded()) {
            if (!metrics.font()) {
                return;
            }
            block.runs.push_back(DeviceTextRun{*metrics.font(), piece.text, QPointF(x, baseline),
                                               color, metrics.format().underline});
            return;
        }
        const Font& font = *metrics.embedded();
        const double scale = metrics.scale();
        for (const QChar c : piece.text) {
            if (const auto glyph = font.glyphFor(c.unicode())) {
                block.glyphs.push_back(GlyphDraw{
                    &font.glyphs[*glyph], QTransform(scale, 0, 0, scale, x, baseline), color});
            }
            x += metrics.advance(c.unicode());
        }
    }

    TextFormat m_base;
    const swf::DefineEditText& m_text;
    const Font* m_font;
    std::vector<FormatMetrics> m_metrics;
};

// An embedded font serves an edit text only when it has outlines and
// metrics for every character of it; otherwise the system draws it.
bool coversText(const Font* font, const std::vector<TextParagraph>& paragraphs)
{
    if (!font || !font->layout || font->glyphs.empty()) {
        return false;
    }
    for (const TextParagraph& paragraph : paragraphs) {
        for (const TextSpan& span : paragraph.spans) {
            for (const QChar c : span.text) {
                if (!c.isSpace() && !font->glyphFor(c.unicode())) {
                    return false;
                }
            }
        }
    }
    return true;
}

} // namespace

TextBlock layoutStaticText(const swf::DefineText& text, const FontLookup& fonts)
{
    TextBlock block;
    const QTransform matrix(text.matrix.scaleX / 65536.0, text.matrix.rotateSkew0 / 65536.0,
                            text.matrix.rotateSkew1 / 65536.0, text.matrix.scaleY / 65536.0,
                            text.matrix.translateX, text.matrix.translateY);
    const Font* font = nullptr;
    swf::Rgba color{0, 0, 0, 255};
    double height = 0;
    double x = 0;
    double y = 0;
    for (const swf::TextRecord& record : text.records) {
        if (record.fontId) {
            font = fonts(*record.fontId);
            height = record.height;
        }
        if (record.color) {
            color = *record.color;
        }
        if (record.xOffset) {
            x = *record.xOffset;
        }
        if (record.yOffset) {
            y = *record.yOffset;
        }
        for (const swf::GlyphEntry& entry : record.glyphs) {
            if (font && entry.index < font->glyphs.size()) {
                const double scale = height / font->emSquare;
                block.glyphs.push_back(GlyphDraw{&font->glyphs[entry.index],
                                                 QTransform(scale, 0, 0, scale, x, y) * matrix,
                                                 color});
            }
            x += entry.advance;
        }
    }
    return block;
}

EditTextFrame EditTextFrame::of(const swf::DefineEditText& text)
{
    EditTextFrame frame;
    frame.background = text.border;
    frame.border = text.border;
    return frame;
}

TextBlock layoutEditText(const swf::DefineEditText& text, const FontLookup& fonts, int swfVersion,
                         const EditTextFrame& frame)
{
    const Font* font = text.fontId ? fonts(*text.fontId) : nullptr;
    TextFormat format;
    format.face = text.fontClass ? decodeMovieString(*text.fontClass, swfVersion)
                                 : (font ? font->name : QString());
    format.size = std::max<int>(1, text.fontHeight.value_or(240));
    format.color = text.textColor.value_or(swf::Rgba{0, 0, 0, 255});
    format.bold = font && font->bold;
    format.italic = font && font->italic;
    const swf::TextAlign align = text.layout ? text.layout->align : swf::TextAlign::Left;
    QString content = decodeMovieString(text.initialText.value_or(std::string()), swfVersion);
    if (text.password) {
        content.fill(u'*');
    }
    const std::vector<TextParagraph> paragraphs = text.html
                                                      ? htmlParagraphs(content, format, align)
                                                      : plainParagraphs(content, format, align);
    const Font* embedded = text.useOutlines && coversText(font, paragraphs) ? font : nullptr;
    return EditTextLayouter(text, embedded, format).run(paragraphs, frame);
}

} // namespace quorvane::player
