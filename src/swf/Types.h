#pragma once

#include <cstdint>

namespace quorvane::swf {

// Lengths in the format are twips, a twentieth of a pixel.
using Twips = std::int32_t;
constexpr int kTwipsPerPixel = 20;

// 8.8 fixed point, as the frame rate, colour multipliers and focal points are stored.
using Fixed8 = std::int16_t;
// 16.16 fixed point, as matrix scale and skew terms are stored.
using Fixed16 = std::int32_t;
constexpr Fixed16 kFixed16One = 1 << 16;

struct Rect {
    Twips xMin = 0;
    Twips xMax = 0;
    Twips yMin = 0;
    Twips yMax = 0;

    bool operator==(const Rect&) const = default;
};

struct Rgba {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;

    bool operator==(const Rgba&) const = default;
};

// x' = x * scaleX + y * rotateSkew1 + translateX
// y' = x * rotateSkew0 + y * scaleY + translateY
struct Matrix {
    Fixed16 scaleX = kFixed16One;
    Fixed16 scaleY = kFixed16One;
    Fixed16 rotateSkew0 = 0;
    Fixed16 rotateSkew1 = 0;
    Twips translateX = 0;
    Twips translateY = 0;

    bool operator==(const Matrix&) const = default;
};

// CXFORM and CXFORMWITHALPHA: channel' = channel * multiply / 256 + add,
// clamped to 0..255. A CXFORM without alpha leaves alpha at identity.
struct ColorTransform {
    std::int16_t redMultiply = 256;
    std::int16_t greenMultiply = 256;
    std::int16_t blueMultiply = 256;
    std::int16_t alphaMultiply = 256;
    std::int16_t redAdd = 0;
    std::int16_t greenAdd = 0;
    std::int16_t blueAdd = 0;
    std::int16_t alphaAdd = 0;

    bool operator==(const ColorTransform&) const = default;
};

} // namespace quorvane::swf
