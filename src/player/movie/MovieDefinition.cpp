#include "player/movie/MovieDefinition.h"

#include "player/movie/Bitmaps.h"
#include "player/text/MovieStrings.h"

namespace quorvane::player {

namespace {

// Adds the character one definition tag makes, in the movie's order, so
// that texts find the fonts and bitmaps the JPEG tables defined before them.
class CharacterBuilder {
public:
    CharacterBuilder(Dictionary& dictionary, int swfVersion, MemoryBudget& budget,
                     std::vector<MemoryBudget::Claim>& claims)
        : m_dictionary(dictionary), m_swfVersion(swfVersion), m_budget(budget), m_claims(claims)
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
        // A JPEG tells its size only as it decodes.
        QImage image = decodeBitmap(bits, m_jpegTables);
        auto claim = m_budget.claim(std::size_t(image.sizeInBytes()), bitmapName(bits.id));
        addBitmap(bits.id, std::move(image), std::move(claim));
    }
    void define(const swf::DefineBitsLossless& bits)
    {
        // The header tells the decoded size: a bitmap that cannot fit is not decoded.
        auto claim = m_budget.claim(std::size_t(bits.width) * bits.height * 4, bitmapName(bits.id));
        addBitmap(bits.id, claim ? decodeBitmap(bits) : QImage(), std::move(claim));
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

    static std::string bitmapName(std::uint16_t id) { return "bitmap " + std::to_string(id); }

    void addBitmap(std::uint16_t id, QImage image, std::optional<MemoryBudget::Claim> claim)
    {
        if (!claim) {
            image = QImage();
        } else if (!image.isNull()) {
            m_claims.push_back(std::move(*claim));
        }
        m_dictionary.addBitmap(id, std::move(image));
    }

    FontLookup fonts() const
    {
        return [this](std::uint16_t id) { return std::as_const(m_dictionary).font(id); };
    }

    Dictionary& m_dictionary;
    int m_swfVersion;
    MemoryBudget& m_budget;
    std::vector<MemoryBudget::Claim>& m_claims;
    std::vector<std::uint8_t> m_jpegTables;
};

} // namespace

std::shared_ptr<const MovieDefinition> MovieDefinition::create(swf::ReadMovie read,
                                                               MemoryBudget& budget)
{
    std::shared_ptr<MovieDefinition> definition(new MovieDefinition);
    definition->m_movie = std::move(read.movie);
    definition->m_warnings = std::move(read.warnings);
    definition->m_declaredLength = read.declaredLength;
    decodeTagNames(definition->m_movie.tags, definition->m_movie.header.version);
    CharacterBuilder characters(definition->m_dictionary, definition->m_movie.header.version,
                                budget, definition->m_claims);
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
