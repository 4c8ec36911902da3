#include "swf/Filters.h"

#include "swf/BitReader.h"
#include "swf/Fields.h"

#include <bit>

namespace quorvane::swf {

namespace {

double readFixed16(BitReader& reader)
{
    return static_cast<std::int32_t>(reader.readU32()) / 65536.0;
}

double readFixed8(BitReader& reader)
{
    return reader.readS16() / 256.0;
}

float readFloat(BitReader& reader)
{
    return std::bit_cast<float>(reader.readU32());
}

// Blur, angle, distance and strength, then the flag byte, as the shadow
// kinds store them; onTop and a four-bit pass count only for bevels and
// gradient filters.
FilterShadowParameters readShadow(BitReader& reader, bool withAngle, bool withOnTop)
{
    FilterShadowParameters shadow;
    shadow.blurX = readFixed16(reader);
    shadow.blurY = readFixed16(reader);
    if (withAngle) {
        shadow.angle = readFixed16(reader);
        shadow.distance = readFixed16(reader);
    }
    shadow.strength = readFixed8(reader);
    shadow.inner = reader.readFlag();
    shadow.knockout = reader.readFlag();
    shadow.compositeSource = reader.readFlag();
    if (withOnTop) {
        shadow.onTop = reader.readFlag();
        shadow.passes = static_cast<int>(reader.readBits(4));
    } else {
        shadow.passes = static_cast<int>(reader.readBits(5));
    }
    return shadow;
}

} // namespace

std::optional<FilterValue> decodeFilter(const Filter& filter)
{
    BitReader reader(filter.data);
    std::optional<FilterValue> value;
    switch (filter.id) {
    case 0: {
        DropShadowFilter drop;
        drop.color = readRgba(reader);
        drop.shadow = readShadow(reader, true, false);
        value = drop;
        break;
    }
    case 1: {
        BlurFilter blur;
        blur.blurX = readFixed16(reader);
        blur.blurY = readFixed16(reader);
        blur.passes = static_cast<int>(reader.readBits(5));
        value = blur;
        break;
    }
    case 2: {
        GlowFilter glow;
        glow.color = readRgba(reader);
        glow.shadow = readShadow(reader, false, false);
        value = glow;
        break;
    }
    case 3: {
        BevelFilter bevel;
        bevel.shadowColor = readRgba(reader);
        bevel.highlightColor = readRgba(reader);
        bevel.shadow = readShadow(reader, true, true);
        value = bevel;
        break;
    }
    case 4:
    case 7: {
        GradientFilter gradient;
        gradient.bevel = filter.id == 7;
        const int count = reader.readU8();
        gradient.gradient.resize(static_cast<std::size_t>(count));
        for (GradientRecord& record : gradient.gradient) {
            record.color = readRgba(reader);
        }
        for (GradientRecord& record : gradient.gradient) {
            record.ratio = reader.readU8();
        }
        gradient.shadow = readShadow(reader, true, true);
        value = gradient;
        break;
    }
    case 5: {
        ConvolutionFilter convolution;
        convolution.columns = reader.readU8();
        convolution.rows = reader.readU8();
        convolution.divisor = readFloat(reader);
        convolution.bias = readFloat(reader);
        convolution.matrix.resize(static_cast<std::size_t>(convolution.columns) *
                                  static_cast<std::size_t>(convolution.rows));
        for (float& weight : convolution.matrix) {
            weight = readFloat(reader);
        }
        convolution.defaultColor = readRgba(reader);
        reader.readBits(6);
        convolution.clamp = reader.readFlag();
        convolution.preserveAlpha = reader.readFlag();
        value = convolution;
        break;
    }
    case 6: {
        ColorMatrixFilter matrix;
        for (float& term : matrix.matrix) {
            term = readFloat(reader);
        }
        value = matrix;
        break;
    }
    default:
        break;
    }
    if (reader.overflowed()) {
        return std::nullopt;
    }
    return value;
}

} // namespace quorvane::swf
