#pragma once

#include "swf/Types.h"

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace quorvane::swf {

enum class SpreadMode : std::uint8_t { Pad = 0, Reflect = 1, Repeat = 2, Reserved = 3 };
enum class InterpolationMode : std::uint8_t {
    NormalRgb = 0,
    LinearRgb = 1,
    Reserved2 = 2,
    Reserved3 = 3
};

struct GradientRecord {
    std::uint8_t ratio = 0;
    Rgba color;

    bool operator==(const GradientRecord&) const = default;
};

// Gradients are defined on the square from -16384 to 16384 twips on both
// axes; the matrix places that square in the shape.
struct Gradient {
    Matrix matrix;
    SpreadMode spread = SpreadMode::Pad;
    InterpolationMode interpolation = InterpolationMode::NormalRgb;
    std::vector<GradientRecord> records;
    // Only for FocalRadialGradient: where the focus sits on the x axis,
    // -1.0 to 1.0 of the radius.
    Fixed8 focalPoint = 0;

    bool operator==(const Gradient&) const = default;
};

constexpr Twips kGradientSquareHalf = 16384;

struct FillStyle {
    enum class Type : std::uint8_t {
        Solid = 0x00,
        LinearGradient = 0x10,
        RadialGradient = 0x12,
        FocalRadialGradient = 0x13,
        RepeatingBitmap = 0x40,
        ClippedBitmap = 0x41,
        NonSmoothedRepeatingBitmap = 0x42,
        NonSmoothedClippedBitmap = 0x43,
    };

    Type type = Type::Solid;
    Rgba color;
    Gradient gradient;
    std::uint16_t bitmapId = 0;
    Matrix bitmapMatrix;

    bool isGradient() const
    {
        return type == Type::LinearGradient || type == Type::RadialGradient ||
               type == Type::FocalRadialGradient;
    }
    bool isBitmap() const { return static_cast<std::uint8_t>(type) >= 0x40; }

    bool operator==(const FillStyle&) const = default;
};

enum class CapStyle : std::uint8_t { Round = 0, None = 1, Square = 2 };
enum class JoinStyle : std::uint8_t { Round = 0, Bevel = 1, Miter = 2 };

// LINESTYLE, and LINESTYLE2 of DefineShape4; the LINESTYLE2 fields keep
// their defaults in older shapes, which always draw round caps and joins.
struct LineStyle {
    std::uint16_t width = 0;
    Rgba color;
    CapStyle startCap = CapStyle::Round;
    CapStyle endCap = CapStyle::Round;
    JoinStyle join = JoinStyle::Round;
    bool noHScale = false;
    bool noVScale = false;
    bool pixelHinting = false;
    bool noClose = false;
    Fixed8 miterLimitFactor = 0;
    std::optional<FillStyle> fill;

    bool operator==(const LineStyle&) const = default;
};

struct ShapeStyles {
    std::vector<FillStyle> fillStyles;
    std::vector<LineStyle> lineStyles;

    bool operator==(const ShapeStyles&) const = default;
};

struct Point {
    Twips x = 0;
    Twips y = 0;

    bool operator==(const Point&) const = default;
};

// Style indices are 1-based into the styles in force; 0 means none.
struct StyleChangeRecord {
    std::optional<Point> moveTo;
    std::optional<std::uint32_t> fillStyle0;
    std::optional<std::uint32_t> fillStyle1;
    std::optional<std::uint32_t> lineStyle;
    std::optional<ShapeStyles> newStyles;

    bool operator==(const StyleChangeRecord&) const = default;
};

struct StraightEdgeRecord {
    Twips deltaX = 0;
    Twips deltaY = 0;

    bool operator==(const StraightEdgeRecord&) const = default;
};

struct CurvedEdgeRecord {
    Twips controlDeltaX = 0;
    Twips controlDeltaY = 0;
    Twips anchorDeltaX = 0;
    Twips anchorDeltaY = 0;

    bool operator==(const CurvedEdgeRecord&) const = default;
};

using ShapeRecord = std::variant<StyleChangeRecord, StraightEdgeRecord, CurvedEdgeRecord>;

struct Shape {
    ShapeStyles styles;
    std::vector<ShapeRecord> records;

    bool operator==(const Shape&) const = default;
};

} // namespace quorvane::swf
