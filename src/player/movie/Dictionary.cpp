#include "player/movie/Dictionary.h"

namespace quorvane::player {

namespace {

template <typename T, typename Value>
void addOnce(std::unordered_map<std::uint16_t, std::unique_ptr<T>>& map, std::uint16_t id,
             Value&& value, bool defined)
{
    if (!defined) {
        map.emplace(id, std::make_unique<T>(std::forward<Value>(value)));
    }
}

template <typename T>
T* find(const std::unordered_map<std::uint16_t, std::unique_ptr<T>>& map, std::uint16_t id)
{
    const auto found = map.find(id);
    return found == map.end() ? nullptr : found->second.get();
}

} // namespace

void Dictionary::addShape(std::uint16_t id, ShapeGeometry shape)
{
    addOnce(m_shapes, id, std::move(shape), isDefined(id));
}

void Dictionary::addSprite(std::uint16_t id, Timeline timeline)
{
    addOnce(m_sprites, id, std::move(timeline), isDefined(id));
}

void Dictionary::addBitmap(std::uint16_t id, QImage image)
{
    addOnce(m_bitmaps, id, std::move(image), isDefined(id));
}

void Dictionary::addMorph(std::uint16_t id, MorphShape morph)
{
    addOnce(m_morphs, id, std::move(morph), isDefined(id));
}

void Dictionary::addFont(std::uint16_t id, Font font)
{
    // Fonts have ids of their own: a font and a shape may share a number.
    addOnce(m_fonts, id, std::move(font), m_fonts.contains(id));
}

void Dictionary::addText(std::uint16_t id, TextBlock text)
{
    addOnce(m_texts, id, std::move(text), isDefined(id));
}

const ShapeGeometry* Dictionary::shape(std::uint16_t id) const
{
    return find(m_shapes, id);
}

const Timeline* Dictionary::sprite(std::uint16_t id) const
{
    return find(m_sprites, id);
}

const QImage* Dictionary::bitmap(std::uint16_t id) const
{
    const QImage* image = find(m_bitmaps, id);
    return image && !image->isNull() ? image : nullptr;
}

const MorphShape* Dictionary::morph(std::uint16_t id) const
{
    return find(m_morphs, id);
}

const Font* Dictionary::font(std::uint16_t id) const
{
    return find(m_fonts, id);
}

Font* Dictionary::font(std::uint16_t id)
{
    return find(m_fonts, id);
}

const TextBlock* Dictionary::text(std::uint16_t id) const
{
    return find(m_texts, id);
}

bool Dictionary::canReplace(std::uint16_t current, std::uint16_t replacement) const
{
    const auto sameKind = [&](const auto& characters) {
        return characters.contains(current) && characters.contains(replacement);
    };
    return sameKind(m_shapes) || sameKind(m_morphs) || sameKind(m_texts) || sameKind(m_bitmaps);
}

bool Dictionary::isDefined(std::uint16_t id) const
{
    return m_shapes.contains(id) || m_sprites.contains(id) || m_bitmaps.contains(id) ||
           m_morphs.contains(id) || m_texts.contains(id);
}

} // namespace quorvane::player
