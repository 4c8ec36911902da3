#pragma once

#include "player/graphics/ShapeGeometry.h"
#include "swf/MorphTags.h"

#include <cstdint>
#include <memory>
#include <unordered_map>

namespace quorvane::player {

// The shape a morph shows at a ratio: 0 is its start, 65535 its end.
swf::DefineShape interpolateMorph(const swf::DefineMorphShape& morph, std::uint16_t ratio);

// A morph character with the shapes already made for the ratios it was
// drawn at. A lesson's tween draws a few dozen ratios; a hostile movie that
// asks for thousands gets them rounded, which keeps the cache bounded.
class MorphShape {
public:
    explicit MorphShape(swf::DefineMorphShape definition) : m_definition(std::move(definition)) {}

    const ShapeGeometry& at(std::uint16_t ratio) const;
    const swf::DefineMorphShape& definition() const { return m_definition; }

private:
    swf::DefineMorphShape m_definition;
    mutable std::unordered_map<std::uint16_t, std::unique_ptr<ShapeGeometry>> m_shapes;
};

} // namespace quorvane::player
