#include "player/avm1/TextField.h"

#include "player/movie/MovieDefinition.h"

#include <QStringList>

namespace quorvane::player::avm1 {

namespace {

// Fields are written back in UTF-8 whatever the movie's version: scripts
// hand over text already decoded.
constexpr int kScriptTextVersion = 6;

QString escaped(const QString& text)
{
    QString result;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            result += QStringLiteral("&amp;");
            break;
        case '<':
            result += QStringLiteral("&lt;");
            break;
        case '>':
            result += QStringLiteral("&gt;");
            break;
        case '"':
            result += QStringLiteral("&quot;");
            break;
        default:
            result += c;
        }
    }
    return result;
}

const char* alignName(swf::TextAlign align)
{
    switch (align) {
    case swf::TextAlign::Right:
        return "RIGHT";
    case swf::TextAlign::Center:
        return "CENTER";
    case swf::TextAlign::Justify:
        return "JUSTIFY";
    case swf::TextAlign::Left:
        break;
    }
    return "LEFT";
}

} // namespace

TextField::TextField(const swf::DefineEditText& definition, const MovieDefinition& movie,
                     bool madeByScript)
    : m_definition(definition), m_frame(EditTextFrame::of(definition)), m_changed(madeByScript),
      m_movie(movie)
{
    if (m_definition.initialText) {
        // From here on the text is held in UTF-8.
        m_definition.initialText =
            decodeMovieString(*m_definition.initialText, movie.header().version).toStdString();
    }
    if (m_definition.fontClass) {
        m_definition.fontClass =
            decodeMovieString(*m_definition.fontClass, movie.header().version).toStdString();
    }
    variable = decodeMovieString(m_definition.variableName, movie.header().version).toStdString();
    m_initialText = m_definition.initialText;
    // An HTML field's paragraphs say their own alignment; the layout's
    // margins, indent and leading still hold.
    if (m_definition.html && m_definition.layout) {
        m_definition.layout->align = swf::TextAlign::Left;
    }
}

void TextField::setVariableValue(const std::string& value)
{
    m_changed = true;
    m_definition.initialText = value;
}

void TextField::restoreInitialText()
{
    m_changed = true;
    m_definition.initialText = m_initialText;
}

std::vector<TextParagraph> TextField::paragraphs() const
{
    const QString content = QString::fromStdString(m_definition.initialText.value_or(""));
    const swf::TextAlign align =
        m_definition.layout ? m_definition.layout->align : swf::TextAlign::Left;
    return m_definition.html ? htmlParagraphs(content, format(), align)
                             : plainParagraphs(content, format(), align);
}

std::string TextField::text() const
{
    QStringList lines;
    for (const TextParagraph& paragraph : paragraphs()) {
        QString line;
        for (const TextSpan& span : paragraph.spans) {
            line += span.text;
        }
        lines.push_back(line);
    }
    return lines.join(u'\r').toStdString();
}

void TextField::setText(const std::string& text)
{
    m_changed = true;
    m_definition.html = false;
    m_definition.initialText = text;
}

std::string TextField::htmlText() const
{
    const TextFormat base = format();
    QString html;
    for (const TextParagraph& paragraph : paragraphs()) {
        html += QStringLiteral("<P ALIGN=\"%1\">").arg(QLatin1String(alignName(paragraph.align)));
        std::vector<TextSpan> spans = paragraph.spans;
        if (spans.empty()) {
            spans.push_back(TextSpan{QString(), base});
        }
        for (const TextSpan& span : spans) {
            const swf::Rgba c = span.format.color;
            const QString color = QStringLiteral("%1")
                                      .arg((c.r << 16) | (c.g << 8) | c.b, 6, 16, QChar(u'0'))
                                      .toUpper();
            html += QStringLiteral("<FONT FACE=\"%1\" SIZE=\"%2\" COLOR=\"#%3\" "
                                   "LETTERSPACING=\"0\" KERNING=\"0\">")
                        .arg(escaped(span.format.face))
                        .arg(span.format.size / swf::kTwipsPerPixel)
                        .arg(color);
            QString inner = escaped(span.text);
            if (span.format.underline) {
                inner = QStringLiteral("<U>") + inner + QStringLiteral("</U>");
            }
            if (span.format.italic) {
                inner = QStringLiteral("<I>") + inner + QStringLiteral("</I>");
            }
            if (span.format.bold) {
                inner = QStringLiteral("<B>") + inner + QStringLiteral("</B>");
            }
            html += inner + QStringLiteral("</FONT>");
        }
        html += QStringLiteral("</P>");
    }
    return html.toStdString();
}

void TextField::setHtmlText(const std::string& html)
{
    m_changed = true;
    m_definition.html = true;
    m_definition.initialText = html;
}

void TextField::setHtml(bool html)
{
    m_changed = true;
    m_definition.html = html;
    if (html && m_definition.layout) {
        m_definition.layout->align = swf::TextAlign::Left;
    }
}

TextFormat TextField::format() const
{
    TextFormat format;
    format.face = QString::fromStdString(fontName());
    format.size = std::max<int>(1, m_definition.fontHeight.value_or(240));
    format.color = m_definition.textColor.value_or(swf::Rgba{0, 0, 0, 255});
    if (m_definition.fontId) {
        if (const Font* font = m_movie.dictionary().font(*m_definition.fontId)) {
            format.bold = font->bold;
            format.italic = font->italic;
        }
    }
    return format;
}

std::string TextField::fontName() const
{
    if (m_definition.fontClass) {
        return *m_definition.fontClass;
    }
    if (m_definition.fontId) {
        if (const Font* font = m_movie.dictionary().font(*m_definition.fontId)) {
            return font->name.toStdString();
        }
    }
    return "Times New Roman";
}

void TextField::setFontName(const std::string& name)
{
    const QString wanted = QString::fromStdString(name);
    for (const swf::Tag& tag : m_movie.tags()) {
        if (const auto* font = std::get_if<swf::DefineFont>(&tag.value)) {
            const Font* built = m_movie.dictionary().font(font->id);
            if (built && built->name == wanted && !built->glyphs.empty()) {
                m_definition.fontId = font->id;
                m_definition.fontClass.reset();
                return;
            }
        }
    }
    m_definition.fontId.reset();
    m_definition.fontClass = name;
}

std::vector<TextField::CharacterFormat> TextField::formatsBetween(qsizetype begin,
                                                                  qsizetype end) const
{
    std::vector<CharacterFormat> formats;
    const auto add = [&](const TextFormat& format, swf::TextAlign align) {
        const CharacterFormat character{format, align};
        if (formats.empty() || !(formats.back() == character)) {
            formats.push_back(character);
        }
    };
    const std::vector<TextParagraph> all = paragraphs();
    qsizetype position = 0;
    for (std::size_t i = 0; i < all.size() && position < end; ++i) {
        const TextParagraph& paragraph = all[i];
        for (const TextSpan& span : paragraph.spans) {
            const qsizetype next = position + span.text.size();
            if (next > begin && position < end) {
                add(span.format, paragraph.align);
            }
            position = next;
        }
        if (i + 1 < all.size()) {
            if (position >= begin && position < end) {
                add(paragraph.spans.empty() ? format() : paragraph.spans.back().format,
                    paragraph.align);
            }
            ++position;
        }
    }
    return formats;
}

TextField::CharacterFormat TextField::newTextFormat() const
{
    return CharacterFormat{format(),
                           m_definition.layout ? m_definition.layout->align : swf::TextAlign::Left};
}

qsizetype TextField::length() const
{
    return QString::fromStdString(text()).size();
}

TextBlock TextField::layout() const
{
    const auto fonts = [this](std::uint16_t id) { return m_movie.dictionary().font(id); };
    return layoutEditText(m_definition, fonts, kScriptTextVersion, m_frame);
}

const swf::DefineEditText* editTextDefinition(const MovieDefinition& movie, std::uint16_t id)
{
    for (const swf::Tag& tag : movie.tags()) {
        if (const auto* text = std::get_if<swf::DefineEditText>(&tag.value);
            text && text->id == id) {
            return text;
        }
    }
    return nullptr;
}

} // namespace quorvane::player::avm1
