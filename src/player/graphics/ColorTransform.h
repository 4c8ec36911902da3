#pragma once

#include "swf/Types.h"

#include <array>

namespace quorvane::player {

// A colour transform in effect on an object: its own and its parents',
// combined without the intermediate clamping that would make them depend on
// the colour they are applied to.
struct ColorTransform {
    // Red, green, blue, alpha.
    std::array<float, 4> multiply{1.0f, 1.0f, 1.0f, 1.0f};
    std::array<float, 4> add{0.0f, 0.0f, 0.0f, 0.0f};

    static ColorTransform fromSwf(const swf::ColorTransform& transform);
    // This transform first, then outer.
    ColorTransform then(const ColorTransform& outer) const;
    swf::Rgba apply(swf::Rgba color) const;
};

} // namespace quorvane::player
