#pragma once

#include "player/ShapeGeometry.h"
#include "player/Timeline.h"

#include <cstdint>
#include <memory>
#include <unordered_map>

namespace quorvane::player {

// The characters a movie defines, by id. Only what the engine draws is
// here: an id of anything else (bitmaps, text, buttons for now) places an
// object that shows nothing.
class Dictionary {
public:
    // The first definition of an id stands; later ones are ignored.
    void addShape(std::uint16_t id, ShapeGeometry shape);
    void addSprite(std::uint16_t id, Timeline timeline);

    const ShapeGeometry* shape(std::uint16_t id) const;
    const Timeline* sprite(std::uint16_t id) const;

private:
    bool isDefined(std::uint16_t id) const;

    std::unordered_map<std::uint16_t, std::unique_ptr<ShapeGeometry>> m_shapes;
    std::unordered_map<std::uint16_t, std::unique_ptr<Timeline>> m_sprites;
};

} // namespace quorvane::player
