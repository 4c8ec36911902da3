#pragma once

#include "player/text/HtmlText.h"
#include "player/text/TextLayout.h"
#include "swf/TextTags.h"

#include <QString>
#include <optional>
#include <string>

namespace quorvane::player {
class MovieDefinition;
}

namespace quorvane::player::avm1 {

// An edit text as scripts change it. Its settings stay in the shape of the
// DefineEditText it came from (a field made by createTextField starts from
// an empty one), so that it lays out exactly as a placed one does. One
// format applies to the whole field.
class TextField {
public:
    TextField(const swf::DefineEditText& definition, const MovieDefinition& movie,
              bool madeByScript = false);

    const swf::DefineEditText& definition() const { return m_definition; }
    swf::DefineEditText& definition()
    {
        m_changed = true;
        return m_definition;
    }
    // Made or changed by scripts: drawn from here, not from its character.
    bool changed() const { return m_changed; }

    // The text without markup; paragraphs end with a carriage return.
    std::string text() const;
    void setText(const std::string& text);
    // Flash's own markup for the field: a P and a FONT per paragraph.
    std::string htmlText() const;
    void setHtmlText(const std::string& html);
    // Turned on, paragraphs are left aligned unless their markup says otherwise.
    void setHtml(bool html);
    // Text that came through a variable: markup in an HTML field.
    void setVariableValue(const std::string& value);
    // Back to the text the field was defined with, as when it is bound anew.
    void restoreInitialText();

    const EditTextFrame& frame() const { return m_frame; }
    EditTextFrame& frame()
    {
        m_changed = true;
        return m_frame;
    }

    // The variable the field shows (see TextFieldVariable.h); empty for none.
    std::string variable;

    // The format new text takes, the field's settings in TextFormat's terms.
    TextFormat format() const;
    // An embedded font by its name, or the name kept for a system font.
    void setFontName(const std::string& name);
    std::string fontName() const;

    TextBlock layout() const;

    // The formats of the characters from begin up to end, a paragraph's end
    // counting as one character of its last span, with the alignment of the
    // paragraph each lies in; consecutive repeats are left out.
    struct CharacterFormat {
        TextFormat format;
        swf::TextAlign align = swf::TextAlign::Left;

        bool operator==(const CharacterFormat&) const = default;
    };
    std::vector<CharacterFormat> formatsBetween(qsizetype begin, qsizetype end) const;
    // The format new text takes, with the field's alignment.
    CharacterFormat newTextFormat() const;
    qsizetype length() const;

private:
    std::vector<TextParagraph> paragraphs() const;

    swf::DefineEditText m_definition;
    EditTextFrame m_frame;
    std::optional<std::string> m_initialText;
    bool m_changed = false;
    const MovieDefinition& m_movie;
};

// The DefineEditText of a character, if the movie defines one by that id.
const swf::DefineEditText* editTextDefinition(const MovieDefinition& movie, std::uint16_t id);

} // namespace quorvane::player::avm1
