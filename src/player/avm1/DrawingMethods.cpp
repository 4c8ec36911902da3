// MovieClip's drawing methods: their arguments read as Flash reads them,
// then handed to the clip's Drawing. Colours are cut to 24 bits, alphas
// clamped to 0..100, lengths taken in pixels and kept in twips.

#include "player/avm1/Builtins.h"
#include "player/avm1/Clip.h"
#include "player/avm1/Machine.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quorvane::player::avm1 {

namespace {

// SWF 8's gradients hold at most this many colours; Flash drops the rest.
constexpr std::size_t kMaxGradientColors = 15;
// The gradient square is 32768 twips wide; a box of w pixels scales it by
// w * 20 / 32768.
constexpr double kGradientSquarePixels = 1638.4;

Drawing* drawingOf(const Value& self)
{
    auto* clip = dynamic_cast<Clip*>(self.asObject());
    if (!clip || clip->removed) {
        return nullptr;
    }
    if (!clip->drawing) {
        clip->drawing = std::make_unique<Drawing>();
    }
    return clip->drawing.get();
}

swf::Twips pixelsToTwips(double pixels)
{
    if (std::isnan(pixels)) {
        return 0;
    }
    constexpr double limit = double(std::numeric_limits<swf::Twips>::max() / 2);
    return swf::Twips(std::lround(std::clamp(pixels * swf::kTwipsPerPixel, -limit, limit)));
}

swf::Point pointArgument(Machine& machine, const Arguments& arguments, std::size_t first)
{
    return swf::Point{pixelsToTwips(machine.toNumber(argument(arguments, first))),
                      pixelsToTwips(machine.toNumber(argument(arguments, first + 1)))};
}

// Alpha in percent as scripts give it, to the format's 0..255; an argument
// left out is opaque, one given but not a number transparent.
std::uint8_t alphaArgument(Machine& machine, const Arguments& arguments, std::size_t index)
{
    if (index >= arguments.size()) {
        return 255;
    }
    const double percent = machine.toNumber(arguments[index]);
    if (std::isnan(percent)) {
        return 0;
    }
    return std::uint8_t(std::lround(std::clamp(percent, 0.0, 100.0) * 255 / 100));
}

swf::Rgba colorOf(Machine& machine, const Value& rgb, std::uint8_t alpha)
{
    const auto bits = std::uint32_t(machine.toInt32(rgb));
    return swf::Rgba{std::uint8_t(bits >> 16), std::uint8_t(bits >> 8), std::uint8_t(bits), alpha};
}

swf::Fixed16 toFixed16(double value)
{
    if (!std::isfinite(value)) {
        return 0;
    }
    return swf::Fixed16(std::lround(std::clamp(value, -32767.0, 32767.0) * swf::kFixed16One));
}

double numberProperty(Machine& machine, Object& object, const char* name)
{
    return machine.toNumber(object.get(machine, name));
}

// The three shapes of matrix Flash takes for a gradient: a box with a
// rotation, flash.geom.Matrix's a b c d tx ty, and Flash MX's 3 x 3 a..i,
// whose a b d e scale and g h place a square one pixel wide.
swf::Matrix gradientMatrix(Machine& machine, Object& matrix)
{
    double a = 0;
    double b = 0;
    double c = 0;
    double d = 0;
    double tx = 0;
    double ty = 0;
    if (machine.toString(matrix.get(machine, "matrixType")) == "box") {
        const double width = numberProperty(machine, matrix, "w");
        const double height = numberProperty(machine, matrix, "h");
        const double angle = numberProperty(machine, matrix, "r");
        a = width / kGradientSquarePixels * std::cos(angle);
        b = width / kGradientSquarePixels * std::sin(angle);
        c = -height / kGradientSquarePixels * std::sin(angle);
        d = height / kGradientSquarePixels * std::cos(angle);
        tx = numberProperty(machine, matrix, "x") + width / 2;
        ty = numberProperty(machine, matrix, "y") + height / 2;
    } else if (!matrix.get(machine, "tx").isUndefined()) {
        a = numberProperty(machine, matrix, "a");
        b = numberProperty(machine, matrix, "b");
        c = numberProperty(machine, matrix, "c");
        d = numberProperty(machine, matrix, "d");
        tx = numberProperty(machine, matrix, "tx");
        ty = numberProperty(machine, matrix, "ty");
    } else {
        a = numberProperty(machine, matrix, "a") / kGradientSquarePixels;
        b = numberProperty(machine, matrix, "b") / kGradientSquarePixels;
        c = numberProperty(machine, matrix, "d") / kGradientSquarePixels;
        d = numberProperty(machine, matrix, "e") / kGradientSquarePixels;
        tx = numberProperty(machine, matrix, "g");
        ty = numberProperty(machine, matrix, "h");
    }
    return swf::Matrix{toFixed16(a), toFixed16(d),      toFixed16(b),
                       toFixed16(c), pixelsToTwips(tx), pixelsToTwips(ty)};
}

std::size_t lengthOf(Machine& machine, Object& array)
{
    const double length = machine.toNumber(array.get(machine, "length"));
    return std::isnan(length) ? 0 : std::size_t(std::clamp(length, 0.0, 1e6));
}

Value element(Machine& machine, Object& array, std::size_t index)
{
    return array.get(machine, std::to_string(index));
}

// A gradient fill, or none when the arguments make no gradient: an unknown
// type, or colour, alpha and ratio lists that are missing or empty.
std::optional<swf::FillStyle> gradientFill(Machine& machine, const Arguments& arguments)
{
    const std::string type = machine.toString(argument(arguments, 0));
    Object* colors = argument(arguments, 1).asObject();
    Object* alphas = argument(arguments, 2).asObject();
    Object* ratios = argument(arguments, 3).asObject();
    Object* matrix = argument(arguments, 4).asObject();
    if ((type != "linear" && type != "radial") || !colors || !alphas || !ratios || !matrix) {
        return std::nullopt;
    }
    const std::size_t count = std::min({lengthOf(machine, *colors), lengthOf(machine, *alphas),
                                        lengthOf(machine, *ratios), kMaxGradientColors});
    if (count == 0) {
        return std::nullopt;
    }
    swf::FillStyle style;
    style.type = type == "linear" ? swf::FillStyle::Type::LinearGradient
                                  : swf::FillStyle::Type::RadialGradient;
    swf::Gradient& gradient = style.gradient;
    gradient.matrix = gradientMatrix(machine, *matrix);
    for (std::size_t i = 0; i < count; ++i) {
        const double percent = machine.toNumber(element(machine, *alphas, i));
        const double ratio = machine.toNumber(element(machine, *ratios, i));
        const auto alpha = std::uint8_t(
            std::isnan(percent) ? 0 : std::lround(std::clamp(percent, 0.0, 100.0) * 255 / 100));
        gradient.records.push_back(
            swf::GradientRecord{std::uint8_t(std::isnan(ratio) ? 0 : std::clamp(ratio, 0.0, 255.0)),
                                colorOf(machine, element(machine, *colors, i), alpha)});
    }
    const std::string spread = machine.toString(argument(arguments, 5));
    gradient.spread = spread == "reflect"  ? swf::SpreadMode::Reflect
                      : spread == "repeat" ? swf::SpreadMode::Repeat
                                           : swf::SpreadMode::Pad;
    if (machine.toString(argument(arguments, 6)) == "linearRGB") {
        gradient.interpolation = swf::InterpolationMode::LinearRgb;
    }
    const double focus = machine.toNumber(argument(arguments, 7));
    if (style.type == swf::FillStyle::Type::RadialGradient && !std::isnan(focus) && focus != 0) {
        style.type = swf::FillStyle::Type::FocalRadialGradient;
        gradient.focalPoint = swf::Fixed8(std::lround(std::clamp(focus, -1.0, 1.0) * 256));
    }
    return style;
}

// beginFill(rgb, alpha); an undefined colour fills nothing.
std::optional<swf::FillStyle> solidFill(Machine& machine, const Arguments& arguments)
{
    const Value rgb = argument(arguments, 0);
    if (rgb.isUndefined()) {
        return std::nullopt;
    }
    swf::FillStyle style;
    style.color = colorOf(machine, rgb, alphaArgument(machine, arguments, 1));
    return style;
}

// lineStyle(thickness, rgb, alpha, pixelHinting, noScale, capsStyle,
// jointStyle, miterLimit); no thickness turns lines off.
std::optional<swf::LineStyle> lineStyleOf(Machine& machine, const Arguments& arguments)
{
    const Value thickness = argument(arguments, 0);
    if (thickness.isUndefined()) {
        return std::nullopt;
    }
    const double pixels = machine.toNumber(thickness);
    swf::LineStyle style;
    style.width =
        std::uint16_t(std::isnan(pixels) ? 0 : std::lround(std::clamp(pixels, 0.0, 255.0) * 20));
    style.color = colorOf(machine, argument(arguments, 1), alphaArgument(machine, arguments, 2));
    style.pixelHinting = machine.toBoolean(argument(arguments, 3));
    const std::string noScale = machine.toString(argument(arguments, 4));
    style.noHScale = noScale == "none" || noScale == "horizontal";
    style.noVScale = noScale == "none" || noScale == "vertical";
    const std::string caps = machine.toString(argument(arguments, 5));
    const swf::CapStyle cap = caps == "none"     ? swf::CapStyle::None
                              : caps == "square" ? swf::CapStyle::Square
                                                 : swf::CapStyle::Round;
    style.startCap = style.endCap = cap;
    const std::string joint = machine.toString(argument(arguments, 6));
    style.join = joint == "miter"   ? swf::JoinStyle::Miter
                 : joint == "bevel" ? swf::JoinStyle::Bevel
                                    : swf::JoinStyle::Round;
    const double miter = arguments.size() > 7 ? machine.toNumber(arguments[7]) : 3.0;
    style.miterLimitFactor =
        swf::Fixed8(std::lround((std::isnan(miter) ? 1.0 : std::clamp(miter, 1.0, 255.0)) * 256));
    return style;
}

// The drawing methods came with Flash 6: older movies do not see them.
void swf6Method(Machine& m, Object* prototype, std::string_view name, NativeFunction::Body body)
{
    prototype->define(m, name, Value(m.newFunction(std::move(body))), kDontEnum | kFromSwf6);
}

} // namespace

void installDrawingMethods(Machine& m, Object* prototype)
{
    swf6Method(m, prototype, "beginFill",
               [](Machine& machine, const Value& self, Arguments& arguments) {
                   if (Drawing* drawing = drawingOf(self)) {
                       drawing->beginFill(solidFill(machine, arguments));
                   }
                   return Value();
               });
    swf6Method(m, prototype, "beginGradientFill",
               [](Machine& machine, const Value& self, Arguments& arguments) {
                   if (Drawing* drawing = drawingOf(self)) {
                       drawing->beginFill(gradientFill(machine, arguments));
                   }
                   return Value();
               });
    swf6Method(m, prototype, "endFill", [](Machine&, const Value& self, Arguments&) {
        if (Drawing* drawing = drawingOf(self)) {
            drawing->endFill();
        }
        return Value();
    });
    swf6Method(m, prototype, "lineStyle",
               [](Machine& machine, const Value& self, Arguments& arguments) {
                   if (Drawing* drawing = drawingOf(self)) {
                       drawing->lineStyle(lineStyleOf(machine, arguments));
                   }
                   return Value();
               });
    swf6Method(m, prototype, "moveTo",
               [](Machine& machine, const Value& self, Arguments& arguments) {
                   if (Drawing* drawing = drawingOf(self); drawing && arguments.size() >= 2) {
                       drawing->moveTo(pointArgument(machine, arguments, 0));
                   }
                   return Value();
               });
    swf6Method(m, prototype, "lineTo",
               [](Machine& machine, const Value& self, Arguments& arguments) {
                   if (Drawing* drawing = drawingOf(self); drawing && arguments.size() >= 2) {
                       drawing->lineTo(pointArgument(machine, arguments, 0));
                   }
                   return Value();
               });
    swf6Method(m, prototype, "curveTo",
               [](Machine& machine, const Value& self, Arguments& arguments) {
                   if (Drawing* drawing = drawingOf(self); drawing && arguments.size() >= 4) {
                       drawing->curveTo(pointArgument(machine, arguments, 0),
                                        pointArgument(machine, arguments, 2));
                   }
                   return Value();
               });
    swf6Method(m, prototype, "clear", [](Machine&, const Value& self, Arguments&) {
        if (Drawing* drawing = drawingOf(self)) {
            drawing->clear();
        }
        return Value();
    });
}

} // namespace quorvane::player::avm1
