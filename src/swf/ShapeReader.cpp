#include "swf/ShapeReader.h"

#include "swf/Fields.h"

#include <cstdio>

namespace quorvane::swf {

bool ShapeReader::readShapeWithStyle(Shape& shape)
{
    if (!readStyles(shape.styles)) {
        return false;
    }
    const std::uint8_t bits = m_reader.readU8();
    if (m_reader.overflowed()) {
        fail("shape styles run past the end of the tag");
        return false;
    }
    readRecords(shape, bits >> 4, bits & 0x0F);
    return true;
}

void ShapeReader::readShape(Shape& shape)
{
    const std::uint8_t bits = m_reader.readU8();
    if (m_reader.overflowed()) {
        fail("shape cut short");
        return;
    }
    readRecords(shape, bits >> 4, bits & 0x0F);
}

bool ShapeReader::readStyles(ShapeStyles& styles)
{
    std::uint32_t fillCount = m_reader.readU8();
    if (fillCount == 0xFF && m_version >= 2) {
        fillCount = m_reader.readU16();
    }
    for (std::uint32_t i = 0; i < fillCount && m_failure.empty(); ++i) {
        styles.fillStyles.push_back(readFillStyle());
        if (m_reader.overflowed()) {
            fail("fill styles run past the end of the tag");
        }
    }
    std::uint32_t lineCount = m_reader.readU8();
    if (lineCount == 0xFF) {
        lineCount = m_reader.readU16();
    }
    for (std::uint32_t i = 0; i < lineCount && m_failure.empty(); ++i) {
        styles.lineStyles.push_back(readLineStyle());
        if (m_reader.overflowed()) {
            fail("line styles run past the end of the tag");
        }
    }
    if (m_reader.overflowed()) {
        fail("shape styles run past the end of the tag");
    }
    return m_failure.empty();
}

Rgba ShapeReader::readColor()
{
    return m_version >= 3 ? readRgba(m_reader) : readRgb(m_reader);
}

FillStyle ShapeReader::readFillStyle()
{
    FillStyle style;
    const std::uint8_t type = m_reader.readU8();
    style.type = static_cast<FillStyle::Type>(type);
    switch (style.type) {
    case FillStyle::Type::Solid:
        style.color = readColor();
        break;
    case FillStyle::Type::LinearGradient:
    case FillStyle::Type::RadialGradient:
    case FillStyle::Type::FocalRadialGradient:
        style.gradient = readGradient(style.type == FillStyle::Type::FocalRadialGradient);
        break;
    case FillStyle::Type::RepeatingBitmap:
    case FillStyle::Type::ClippedBitmap:
    case FillStyle::Type::NonSmoothedRepeatingBitmap:
    case FillStyle::Type::NonSmoothedClippedBitmap:
        style.bitmapId = m_reader.readU16();
        style.bitmapMatrix = readMatrix(m_reader);
        break;
    default: {
        char text[64];
        std::snprintf(text, sizeof text, "unknown fill style type 0x%02X", type);
        fail(text);
        break;
    }
    }
    return style;
}

Gradient ShapeReader::readGradient(bool focal)
{
    Gradient gradient;
    gradient.matrix = readMatrix(m_reader);
    const std::uint8_t head = m_reader.readU8();
    gradient.spread = static_cast<SpreadMode>(head >> 6);
    gradient.interpolation = static_cast<InterpolationMode>((head >> 4) & 0x03);
    const int count = head & 0x0F;
    for (int i = 0; i < count; ++i) {
        GradientRecord record;
        record.ratio = m_reader.readU8();
        record.color = readColor();
        gradient.records.push_back(record);
    }
    if (focal) {
        gradient.focalPoint = m_reader.readS16();
    }
    return gradient;
}

LineStyle ShapeReader::readLineStyle()
{
    LineStyle style;
    style.width = m_reader.readU16();
    if (m_version < 4) {
        style.color = readColor();
        return style;
    }
    style.startCap = static_cast<CapStyle>(m_reader.readBits(2));
    style.join = static_cast<JoinStyle>(m_reader.readBits(2));
    const bool hasFill = m_reader.readFlag();
    style.noHScale = m_reader.readFlag();
    style.noVScale = m_reader.readFlag();
    style.pixelHinting = m_reader.readFlag();
    m_reader.readBits(5);
    style.noClose = m_reader.readFlag();
    style.endCap = static_cast<CapStyle>(m_reader.readBits(2));
    if (style.join == JoinStyle::Miter) {
        style.miterLimitFactor = m_reader.readS16();
    }
    if (hasFill) {
        style.fill = readFillStyle();
    } else {
        style.color = readRgba(m_reader);
    }
    return style;
}

void ShapeReader::readRecords(Shape& shape, int fillBits, int lineBits)
{
    while (true) {
        ShapeRecord record;
        bool end = false;
        if (!m_reader.readFlag()) {
            const std::uint32_t flags = m_reader.readBits(5);
            if (flags == 0) {
                end = true;
            } else {
                StyleChangeRecord change;
                if (flags & 0x01) {
                    const int bits = static_cast<int>(m_reader.readBits(5));
                    Point point;
                    point.x = m_reader.readSignedBits(bits);
                    point.y = m_reader.readSignedBits(bits);
                    change.moveTo = point;
                }
                if (flags & 0x02) {
                    change.fillStyle0 = m_reader.readBits(fillBits);
                }
                if (flags & 0x04) {
                    change.fillStyle1 = m_reader.readBits(fillBits);
                }
                if (flags & 0x08) {
                    change.lineStyle = m_reader.readBits(lineBits);
                }
                // DefineShape has no new styles; the bit is reserved there.
                if ((flags & 0x10) && m_version >= 2) {
                    ShapeStyles styles;
                    if (!readStyles(styles)) {
                        return;
                    }
                    const std::uint8_t bits = m_reader.readU8();
                    fillBits = bits >> 4;
                    lineBits = bits & 0x0F;
                    change.newStyles = std::move(styles);
                }
                record = std::move(change);
            }
        } else if (m_reader.readFlag()) {
            const int bits = static_cast<int>(m_reader.readBits(4)) + 2;
            StraightEdgeRecord edge;
            if (m_reader.readFlag()) {
                edge.deltaX = m_reader.readSignedBits(bits);
                edge.deltaY = m_reader.readSignedBits(bits);
            } else if (m_reader.readFlag()) {
                edge.deltaY = m_reader.readSignedBits(bits);
            } else {
                edge.deltaX = m_reader.readSignedBits(bits);
            }
            record = edge;
        } else {
            const int bits = static_cast<int>(m_reader.readBits(4)) + 2;
            CurvedEdgeRecord edge;
            edge.controlDeltaX = m_reader.readSignedBits(bits);
            edge.controlDeltaY = m_reader.readSignedBits(bits);
            edge.anchorDeltaX = m_reader.readSignedBits(bits);
            edge.anchorDeltaY = m_reader.readSignedBits(bits);
            record = edge;
        }
        if (end) {
            // Data that stops right where the end record belongs reads as
            // that end record; nothing is lost.
            return;
        }
        if (m_reader.overflowed()) {
            fail("shape record runs past the end of the tag");
            return;
        }
        if (m_recordsLeft == 0) {
            fail("more shape records in the movie than the limit");
            return;
        }
        --m_recordsLeft;
        shape.records.push_back(std::move(record));
    }
}

void ShapeReader::fail(std::string problem)
{
    if (m_failure.empty()) {
        m_failure = std::move(problem);
    }
}

} // namespace quorvane::swf
