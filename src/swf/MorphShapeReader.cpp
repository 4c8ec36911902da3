#include "swf/Fields.h"
#include "swf/ShapeReader.h"
#include "swf/TagParse.h"

namespace quorvane::swf {

namespace {

class MorphStyleReader {
public:
    explicit MorphStyleReader(BitReader& reader) : m_reader(reader) {}

    MorphFillStyle readFillStyle()
    {
        MorphFillStyle style;
        const auto type = static_cast<FillStyle::Type>(m_reader.readU8());
        style.start.type = type;
        style.end.type = type;
        if (type == FillStyle::Type::Solid) {
            style.start.color = readRgba(m_reader);
            style.end.color = readRgba(m_reader);
        } else if (style.start.isGradient()) {
            readGradients(style);
        } else if (style.start.isBitmap() && static_cast<std::uint8_t>(type) <= 0x43) {
            style.start.bitmapId = m_reader.readU16();
            style.end.bitmapId = style.start.bitmapId;
            style.start.bitmapMatrix = readMatrix(m_reader);
            style.end.bitmapMatrix = readMatrix(m_reader);
        } else {
            m_unknownType = true;
        }
        return style;
    }

    MorphLineStyle readLineStyle(int version)
    {
        MorphLineStyle style;
        style.start.width = m_reader.readU16();
        style.end.width = m_reader.readU16();
        if (version < 2) {
            style.start.color = readRgba(m_reader);
            style.end.color = readRgba(m_reader);
            return style;
        }
        LineStyle& start = style.start;
        start.startCap = static_cast<CapStyle>(m_reader.readBits(2));
        start.join = static_cast<JoinStyle>(m_reader.readBits(2));
        const bool hasFill = m_reader.readFlag();
        start.noHScale = m_reader.readFlag();
        start.noVScale = m_reader.readFlag();
        start.pixelHinting = m_reader.readFlag();
        m_reader.readBits(5);
        start.noClose = m_reader.readFlag();
        start.endCap = static_cast<CapStyle>(m_reader.readBits(2));
        if (start.join == JoinStyle::Miter) {
            start.miterLimitFactor = m_reader.readS16();
        }
        const std::uint16_t endWidth = style.end.width;
        style.end = start;
        style.end.width = endWidth;
        if (hasFill) {
            const MorphFillStyle fill = readFillStyle();
            style.start.fill = fill.start;
            style.end.fill = fill.end;
        } else {
            style.start.color = readRgba(m_reader);
            style.end.color = readRgba(m_reader);
        }
        return style;
    }

    bool sawUnknownType() const { return m_unknownType; }

private:
    void readGradients(MorphFillStyle& style)
    {
        style.start.gradient.matrix = readMatrix(m_reader);
        style.end.gradient.matrix = readMatrix(m_reader);
        const std::uint8_t head = m_reader.readU8();
        for (Gradient* gradient : {&style.start.gradient, &style.end.gradient}) {
            gradient->spread = static_cast<SpreadMode>(head >> 6);
            gradient->interpolation = static_cast<InterpolationMode>((head >> 4) & 0x03);
        }
        for (int i = 0; i < (head & 0x0F); ++i) {
            GradientRecord start;
            start.ratio = m_reader.readU8();
            start.color = readRgba(m_reader);
            GradientRecord end;
            end.ratio = m_reader.readU8();
            end.color = readRgba(m_reader);
            style.start.gradient.records.push_back(start);
            style.end.gradient.records.push_back(end);
        }
        if (style.start.type == FillStyle::Type::FocalRadialGradient) {
            style.start.gradient.focalPoint = m_reader.readS16();
            style.end.gradient.focalPoint = m_reader.readS16();
        }
    }

    BitReader& m_reader;
    bool m_unknownType = false;
};

std::uint32_t readStyleCount(BitReader& reader)
{
    std::uint32_t count = reader.readU8();
    return count == 0xFF ? reader.readU16() : count;
}

} // namespace

TagParse parseMorphShape(BitReader& reader, int version, std::size_t& shapeRecordsLeft)
{
    DefineMorphShape tag;
    tag.version = static_cast<std::uint8_t>(version);
    tag.id = reader.readU16();
    tag.startBounds = readRect(reader);
    tag.endBounds = readRect(reader);
    if (version >= 2) {
        tag.startEdgeBounds = readRect(reader);
        tag.endEdgeBounds = readRect(reader);
        const std::uint8_t flags = reader.readU8();
        tag.usesNonScalingStrokes = flags & 0x02;
        tag.usesScalingStrokes = flags & 0x01;
    }
    const std::uint32_t endEdgesOffset = reader.readU32();
    const std::size_t offsetBase = reader.bytePosition();
    MorphStyleReader styles(reader);
    const std::uint32_t fillCount = readStyleCount(reader);
    for (std::uint32_t i = 0; i < fillCount && !reader.overflowed(); ++i) {
        tag.fillStyles.push_back(styles.readFillStyle());
        if (styles.sawUnknownType()) {
            return {std::nullopt, "unknown morph fill style type"};
        }
    }
    const std::uint32_t lineCount = readStyleCount(reader);
    for (std::uint32_t i = 0; i < lineCount && !reader.overflowed(); ++i) {
        tag.lineStyles.push_back(styles.readLineStyle(version));
        if (styles.sawUnknownType()) {
            return {std::nullopt, "unknown morph fill style type"};
        }
    }
    if (reader.overflowed()) {
        return {std::nullopt, "morph styles cut short"};
    }
    Shape start;
    ShapeReader startReader(reader, 1, shapeRecordsLeft);
    startReader.readShape(start);
    tag.startEdges = std::move(start.records);
    if (!startReader.failure().empty()) {
        return {std::move(tag), startReader.failure()};
    }
    // The end edges begin where the offset says, whatever padding the
    // start edges left.
    reader.align();
    const std::size_t endStart = offsetBase + endEdgesOffset;
    if (endStart >= reader.bytePosition()) {
        reader.readBytes(endStart - reader.bytePosition());
    }
    Shape end;
    ShapeReader endReader(reader, 1, shapeRecordsLeft);
    endReader.readShape(end);
    tag.endEdges = std::move(end.records);
    return {std::move(tag), endReader.failure()};
}

} // namespace quorvane::swf
