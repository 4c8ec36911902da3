#include "swf/Fields.h"

namespace quorvane::swf {

Rect readRect(BitReader& reader)
{
    reader.align();
    const int bits = static_cast<int>(reader.readBits(5));
    Rect rect;
    rect.xMin = reader.readSignedBits(bits);
    rect.xMax = reader.readSignedBits(bits);
    rect.yMin = reader.readSignedBits(bits);
    rect.yMax = reader.readSignedBits(bits);
    return rect;
}

Matrix readMatrix(BitReader& reader)
{
    reader.align();
    Matrix matrix;
    if (reader.readFlag()) {
        const int bits = static_cast<int>(reader.readBits(5));
        matrix.scaleX = reader.readSignedBits(bits);
        matrix.scaleY = reader.readSignedBits(bits);
    }
    if (reader.readFlag()) {
        const int bits = static_cast<int>(reader.readBits(5));
        matrix.rotateSkew0 = reader.readSignedBits(bits);
        matrix.rotateSkew1 = reader.readSignedBits(bits);
    }
    const int bits = static_cast<int>(reader.readBits(5));
    matrix.translateX = reader.readSignedBits(bits);
    matrix.translateY = reader.readSignedBits(bits);
    return matrix;
}

ColorTransform readColorTransform(BitReader& reader, bool withAlpha)
{
    reader.align();
    const bool hasAdd = reader.readFlag();
    const bool hasMultiply = reader.readFlag();
    const int bits = static_cast<int>(reader.readBits(4));
    const auto field = [&] { return static_cast<std::int16_t>(reader.readSignedBits(bits)); };
    ColorTransform transform;
    if (hasMultiply) {
        transform.redMultiply = field();
        transform.greenMultiply = field();
        transform.blueMultiply = field();
        if (withAlpha) {
            transform.alphaMultiply = field();
        }
    }
    if (hasAdd) {
        transform.redAdd = field();
        transform.greenAdd = field();
        transform.blueAdd = field();
        if (withAlpha) {
            transform.alphaAdd = field();
        }
    }
    return transform;
}

Rgba readRgb(BitReader& reader)
{
    Rgba color;
    color.r = reader.readU8();
    color.g = reader.readU8();
    color.b = reader.readU8();
    return color;
}

Rgba readRgba(BitReader& reader)
{
    Rgba color = readRgb(reader);
    color.a = reader.readU8();
    return color;
}

} // namespace quorvane::swf
