#include "player/text/HtmlText.h"

#include <QRegularExpression>

namespace quorvane::player {

namespace {

QString decodeEntities(const QString& text)
{
    if (!text.contains(u'&')) {
        return text;
    }
    static const QRegularExpression entity(QStringLiteral("&(#x[0-9a-fA-F]+|#[0-9]+|[a-zA-Z]+);"));
    QString result;
    qsizetype last = 0;
    auto matches = entity.globalMatch(text);
    while (matches.hasNext()) {
        const auto match = matches.next();
        result += text.mid(last, match.capturedStart() - last);
        const QString name = match.captured(1);
        if (name.startsWith(u"#x")) {
            result +=
                QString::fromUcs4(std::array{char32_t(name.mid(2).toUInt(nullptr, 16))}.data(), 1);
        } else if (name.startsWith(u'#')) {
            result += QString::fromUcs4(std::array{char32_t(name.mid(1).toUInt())}.data(), 1);
        } else if (name == u"lt") {
            result += u'<';
        } else if (name == u"gt") {
            result += u'>';
        } else if (name == u"amp") {
            result += u'&';
        } else if (name == u"quot") {
            result += u'"';
        } else if (name == u"apos") {
            result += u'\'';
        } else if (name == u"nbsp") {
            result += QChar(0xA0);
        } else {
            result += match.captured(0);
        }
        last = match.capturedEnd();
    }
    result += text.mid(last);
    return result;
}

QString attribute(const QString& tag, const QString& name)
{
    const QRegularExpression pattern(
        QStringLiteral(R"re(\b%1\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>]+)))re").arg(name),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = pattern.match(tag);
    if (!match.hasMatch()) {
        return {};
    }
    return decodeEntities(match.captured(1) + match.captured(2) + match.captured(3));
}

// "#" and hex digits, white space allowed between; digits run until the
// first other character, and only the last six count. Anything else
// leaves the colour as it was.
swf::Rgba parseColor(const QString& value, swf::Rgba fallback)
{
    if (!value.startsWith(u'#')) {
        return fallback;
    }
    qsizetype i = 1;
    while (i < value.size() && value[i].isSpace()) {
        ++i;
    }
    uint rgb = 0;
    bool any = false;
    for (; i < value.size(); ++i) {
        bool hex = false;
        const uint digit = QString(value[i]).toUInt(&hex, 16);
        if (!hex) {
            break;
        }
        rgb = ((rgb << 4) | digit) & 0xFFFFFFu;
        any = true;
    }
    if (!any) {
        return fallback;
    }
    return swf::Rgba{std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb), 255};
}

swf::TextAlign parseAlign(const QString& value, swf::TextAlign fallback)
{
    const QString align = value.toLower();
    if (align == u"left") {
        return swf::TextAlign::Left;
    }
    if (align == u"right") {
        return swf::TextAlign::Right;
    }
    if (align == u"center") {
        return swf::TextAlign::Center;
    }
    if (align == u"justify") {
        return swf::TextAlign::Justify;
    }
    return fallback;
}

class HtmlBuilder {
public:
    HtmlBuilder(const TextFormat& format, swf::TextAlign align)
    {
        m_formats.push_back(format);
        m_paragraphs.push_back(TextParagraph{align, false, 0, 0, {}});
        m_align = align;
    }

    void text(const QString& raw)
    {
        const QString decoded = decodeEntities(raw);
        if (decoded.isEmpty()) {
            return;
        }
        TextParagraph& paragraph = m_paragraphs.back();
        if (!paragraph.spans.empty() && paragraph.spans.back().format == m_formats.back()) {
            paragraph.spans.back().text += decoded;
        } else {
            paragraph.spans.push_back(TextSpan{decoded, m_formats.back()});
        }
    }

    void newParagraph()
    {
        const TextParagraph& last = m_paragraphs.back();
        m_paragraphs.push_back(TextParagraph{m_align, false, last.leftMargin, last.indent, {}});
    }

    void tag(const QString& tag)
    {
        const bool closing = tag.startsWith(u'/');
        const QString name = tag.mid(closing ? 1 : 0).section(u' ', 0, 0).toLower().remove(u'/');
        if (name == u"br") {
            newParagraph();
            return;
        }
        if (name == u"p" || name == u"li") {
            if (closing) {
                newParagraph();
                m_align = m_outerAlign;
                m_paragraphs.back().align = m_align;
                return;
            }
            if (!m_paragraphs.back().spans.empty()) {
                newParagraph();
            }
            if (name == u"p") {
                m_outerAlign = m_align;
                m_align = parseAlign(attribute(tag, QStringLiteral("align")), m_align);
                m_paragraphs.back().align = m_align;
            } else {
                m_paragraphs.back().bullet = true;
            }
            return;
        }
        if (name == u"textformat") {
            if (!closing) {
                TextParagraph& paragraph = m_paragraphs.back();
                const QString left = attribute(tag, QStringLiteral("leftmargin"));
                const QString indent = attribute(tag, QStringLiteral("indent"));
                if (!left.isEmpty()) {
                    paragraph.leftMargin = left.toInt() * 20;
                }
                if (!indent.isEmpty()) {
                    paragraph.indent = indent.toInt() * 20;
                }
            }
            return;
        }
        if (name != u"font" && name != u"b" && name != u"i" && name != u"u" && name != u"a") {
            return;
        }
        if (closing) {
            if (m_formats.size() > 1) {
                m_formats.pop_back();
            }
            return;
        }
        TextFormat format = m_formats.back();
        if (name == u"b") {
            format.bold = true;
        } else if (name == u"i") {
            format.italic = true;
        } else if (name == u"u") {
            format.underline = true;
        } else if (name == u"a") {
            format.url = attribute(tag, QStringLiteral("href"));
        } else {
            const QString face = attribute(tag, QStringLiteral("face"));
            if (!face.isEmpty()) {
                format.face = face;
            }
            const QString size = attribute(tag, QStringLiteral("size"));
            if (!size.isEmpty()) {
                // "+2" and "-2" change the size by pixels.
                const int pixels = size.toInt();
                format.size = size.startsWith(u'+') || size.startsWith(u'-')
                                  ? format.size + pixels * 20
                                  : pixels * 20;
                format.size = std::clamp(format.size, 20, 127 * 20 * 10);
            }
            const QString color = attribute(tag, QStringLiteral("color"));
            if (!color.isEmpty()) {
                format.color = parseColor(color, format.color);
            }
            const QString kerning = attribute(tag, QStringLiteral("kerning"));
            if (!kerning.isEmpty()) {
                format.kerning = kerning.toInt() != 0;
            }
        }
        m_formats.push_back(format);
    }

    std::vector<TextParagraph> take()
    {
        if (m_paragraphs.size() > 1 && m_paragraphs.back().spans.empty()) {
            m_paragraphs.pop_back();
        }
        return std::move(m_paragraphs);
    }

private:
    std::vector<TextFormat> m_formats;
    std::vector<TextParagraph> m_paragraphs;
    swf::TextAlign m_align;
    swf::TextAlign m_outerAlign = swf::TextAlign::Left;
};

} // namespace

std::vector<TextParagraph> plainParagraphs(const QString& text, const TextFormat& format,
                                           swf::TextAlign align)
{
    std::vector<TextParagraph> paragraphs;
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    for (const QString& line : normalized.split(u'\n')) {
        TextParagraph paragraph;
        paragraph.align = align;
        if (!line.isEmpty()) {
            paragraph.spans.push_back(TextSpan{line, format});
        }
        paragraphs.push_back(std::move(paragraph));
    }
    return paragraphs;
}

std::vector<TextParagraph> htmlParagraphs(const QString& html, const TextFormat& format,
                                          swf::TextAlign align)
{
    HtmlBuilder builder(format, align);
    qsizetype position = 0;
    while (position < html.size()) {
        const qsizetype open = html.indexOf(u'<', position);
        if (open < 0) {
            builder.text(html.mid(position));
            break;
        }
        builder.text(html.mid(position, open - position));
        const qsizetype close = html.indexOf(u'>', open);
        if (close < 0) {
            break;
        }
        builder.tag(html.mid(open + 1, close - open - 1).trimmed());
        position = close + 1;
    }
    return builder.take();
}

} // namespace quorvane::player
