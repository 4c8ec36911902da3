#include "player/Dictionary.h"

namespace quorvane::player {

void Dictionary::addShape(std::uint16_t id, ShapeGeometry shape)
{
    if (!isDefined(id)) {
        m_shapes.emplace(id, std::make_unique<ShapeGeometry>(std::move(shape)));
    }
}

void Dictionary::addSprite(std::uint16_t id, Timeline timeline)
{
    if (!isDefined(id)) {
        m_sprites.emplace(id, std::make_unique<Timeline>(std::move(timeline)));
    }
}

const ShapeGeometry* Dictionary::shape(std::uint16_t id) const
{
    const auto found = m_shapes.find(id);
    return found == m_shapes.end() ? nullptr : found->second.get();
}

const Timeline* Dictionary::sprite(std::uint16_t id) const
{
    const auto found = m_sprites.find(id);
    return found == m_sprites.end() ? nullptr : found->second.get();
}

bool Dictionary::isDefined(std::uint16_t id) const
{
    return m_shapes.count(id) != 0 || m_sprites.count(id) != 0;
}

} // namespace quorvane::player
