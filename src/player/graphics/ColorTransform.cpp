#include "player/graphics/ColorTransform.h"

#include <algorithm>
#include <cmath>

namespace quorvane::player {

ColorTransform ColorTransform::fromSwf(const swf::ColorTransform& transform)
{
    ColorTransform result;
    result.multiply = {transform.redMultiply / 256.0f, transform.greenMultiply / 256.0f,
                       transform.blueMultiply / 256.0f, transform.alphaMultiply / 256.0f};
    result.add = {float(transform.redAdd), float(transform.greenAdd), float(transform.blueAdd),
                  float(transform.alphaAdd)};
    return result;
}

ColorTransform ColorTransform::then(const ColorTransform& outer) const
{
    ColorTransform result;
    for (std::size_t i = 0; i < 4; ++i) {
        result.multiply[i] = multiply[i] * outer.multiply[i];
        result.add[i] = add[i] * outer.multiply[i] + outer.add[i];
    }
    return result;
}

swf::Rgba ColorTransform::apply(swf::Rgba color) const
{
    const auto channel = [&](std::uint8_t value, std::size_t i) {
        // Flash drops the fraction of the product before adding.
        const float scaled = std::trunc(value * multiply[i]) + add[i];
        return static_cast<std::uint8_t>(std::clamp(scaled, 0.0f, 255.0f));
    };
    return swf::Rgba{channel(color.r, 0), channel(color.g, 1), channel(color.b, 2),
                     channel(color.a, 3)};
}

} // namespace quorvane::player
