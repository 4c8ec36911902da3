#pragma once

#include "swf/Tags.h"
#include "swf/Types.h"

#include <array>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace quorvane::swf {

// What drop shadows, glows and bevels share. Blur sizes and distances are
// pixels, the angle radians; strength multiplies the effect's alpha.
struct FilterShadowParameters {
    double blurX = 0;
    double blurY = 0;
    double angle = 0;
    double distance = 0;
    double strength = 1;
    bool inner = false;
    bool knockout = false;
    bool compositeSource = true;
    bool onTop = false;
    int passes = 1;
};

struct DropShadowFilter {
    Rgba color;
    FilterShadowParameters shadow;
};

struct BlurFilter {
    double blurX = 0;
    double blurY = 0;
    int passes = 1;
};

struct GlowFilter {
    Rgba color;
    FilterShadowParameters shadow;
};

struct BevelFilter {
    Rgba shadowColor;
    Rgba highlightColor;
    FilterShadowParameters shadow;
};

// GradientGlow and GradientBevel: the effect's strength picks its colour
// from the gradient instead of using one colour.
struct GradientFilter {
    bool bevel = false;
    std::vector<GradientRecord> gradient;
    FilterShadowParameters shadow;
};

struct ConvolutionFilter {
    int columns = 0;
    int rows = 0;
    float divisor = 1;
    float bias = 0;
    std::vector<float> matrix;
    Rgba defaultColor;
    bool clamp = true;
    bool preserveAlpha = false;
};

// Four rows of five: each output channel from R, G, B, A and an offset in 0..255.
struct ColorMatrixFilter {
    std::array<float, 20> matrix{};
};

using FilterValue = std::variant<DropShadowFilter, BlurFilter, GlowFilter, BevelFilter,
                                 GradientFilter, ConvolutionFilter, ColorMatrixFilter>;

// The filter's parameters, or nothing when its bytes are too few for its kind.
std::optional<FilterValue> decodeFilter(const Filter& filter);

} // namespace quorvane::swf
