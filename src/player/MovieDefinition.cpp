#include "player/MovieDefinition.h"

#include "player/Bitmaps.h"
#include "player/MovieStrings.h"

namespace quorvane::player {

namespace {

// Adds the character one definition tag makes, in the movie's order, so
// that texts find the fonts and bitmaps the JPEG tables defined before them.
class CharacterBuilder {
public:
    CharacterBuilder(Dictionary& dictionary, int swfVersion)
        : m_dictionary(dictionary), m_swfVersion(swfVersion)
    {
    }

    void add(const swf::Tag& tag)
    {
        std::visit([&](const auto& value) { define(value); }, tag.value);
    }

private:
    void define(const swf::DefineShape& shape)
    {
        m_dictionary.addShape(shape.id, ShapeGeometry::build(shape));
    }
    void define(const swf::DefineSprite& sprite)
    {
        m_dictionary.addSprite(sprite.id, Timeline(sprite.tags, sprite.frameCount));
    }
    void define(const swf::JpegTables& tables)
    {
        if (m_jpegTables.empty()) {
            m_jpegTables = tables.data;
        }
    }
    void define(const swf::DefineBitsJpeg& bits)
    {
        m_dictionary.addBitmap(bits.id, decodeBitmap(bits, m_jpegTables));
    }
    void define(const swf::DefineBitsLossless& bits)
    {
        m_dictionary.addBitmap(bits.id, decodeBitmap(bits));
    }
    void define(const swf::DefineMorphShape& morph)
    {
        m_dictionary.addMorph(morph.id, MorphShape(morph));
    }
    void define(const swf::DefineFont& font)
    {
        m_dictionary.addFont(font.id, Font::build(font, m_swfVersion));
    }
    void define(const swf::DefineFontInfo& info)
    {
        if (Font* font = m_dictionary.font(info.fontId)) {
            font->apply(info, m_swfVersion);
        }
    }
    void define(const swf::DefineText& text)
    {
        m_dictionary.addText(text.id, layoutStaticText(text, fonts()));
    }
    void define(const swf::DefineEditText& text)
    {
        m_dictionary.addText(text.id,
                             layoutEditText(text, fonts(), m_swfVersion, EditTextFrame::of(text)));
    }
    template <typename Other> void define(const Other&) {}

    FontLookup fonts() const
    {
        return [this](std::uint16_t id) { return std::as_const(m_dictionary).font(id); };
    }

    Dictionary& m_dictionary;
    int m_swfVersion;
    std::vector<std::uint8_t> m_jpegTables;
};

} // namespace

std::shared_ptr<const MovieDefinition> MovieDefinition::create(swf::ReadMovie read)
{
    std::shared_ptr<MovieDefinition> definition(new MovieDefinition);
    definition->m_movie = std::move(read.movie);
    definition->m_warnings = std::move(read.warnings);
    definition->m_declaredLength = read.declaredLength;
    decodeTagNames(definition->m_movie.tags, definition->m_movie.header.version);
    CharacterBuilder characters(definition->m_dictionary, definition->m_movie.header.version);
    bool haveBackground = false;
    for (const swf::Tag& tag : definition->m_movie.tags) {
        characters.add(tag);
        if (const auto* background = std::get_if<swf::SetBackgroundColor>(&tag.value)) {
            if (!haveBackground) {
                definition->m_background = background->color;
                definition->m_background.a = 255;
                haveBackground = true;
            }
        }
    }
    definition->m_root = Timeline(definition->m_movie.tags, definition->m_movie.header.frameCount);
    definition->m_soundtrack = Soundtrack(definition->m_movie.tags);
    return definition;
}

} // namespace quorvane::player
