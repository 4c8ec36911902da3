#include "swf/MovieWriter.h"

namespace quorvane::swf::writing {

namespace {

bool sameLineFlags(const LineStyle& start, const LineStyle& end)
{
    return start.startCap == end.startCap && start.endCap == end.endCap && start.join == end.join &&
           start.noHScale == end.noHScale && start.noVScale == end.noVScale &&
           start.pixelHinting == end.pixelHinting && start.noClose == end.noClose &&
           start.miterLimitFactor == end.miterLimitFactor &&
           start.fill.has_value() == end.fill.has_value();
}

void writeStyleCount(BitWriter& out, std::size_t count)
{
    if (count < 0xFF) {
        out.writeU8(static_cast<std::uint8_t>(count));
    } else {
        out.writeU8(0xFF);
        out.writeU16(static_cast<std::uint16_t>(count));
    }
}

} // namespace

void MovieWriter::writeMorphFillStyle(BitWriter& out, const MorphFillStyle& style)
{
    if (style.start.type != style.end.type) {
        fail("a morph fill whose ends differ in type");
    }
    out.writeU8(static_cast<std::uint8_t>(style.start.type));
    if (style.start.type == FillStyle::Type::Solid) {
        writeColor(out, style.start.color, true);
        writeColor(out, style.end.color, true);
    } else if (style.start.isGradient()) {
        const Gradient& start = style.start.gradient;
        const Gradient& end = style.end.gradient;
        if (start.records.size() != end.records.size() || start.records.size() > 15 ||
            start.spread != end.spread || start.interpolation != end.interpolation) {
            fail("morph gradients that do not pair up");
        }
        writeMatrix(out, start.matrix);
        writeMatrix(out, end.matrix);
        out.writeU8(static_cast<std::uint8_t>(static_cast<int>(start.spread) << 6 |
                                              static_cast<int>(start.interpolation) << 4 |
                                              (start.records.size() & 0x0F)));
        for (std::size_t i = 0; i < start.records.size() && i < end.records.size(); ++i) {
            out.writeU8(start.records[i].ratio);
            writeColor(out, start.records[i].color, true);
            out.writeU8(end.records[i].ratio);
            writeColor(out, end.records[i].color, true);
        }
        if (style.start.type == FillStyle::Type::FocalRadialGradient) {
            out.writeU16(static_cast<std::uint16_t>(start.focalPoint));
            out.writeU16(static_cast<std::uint16_t>(end.focalPoint));
        }
    } else if (style.start.isBitmap() && static_cast<std::uint8_t>(style.start.type) <= 0x43) {
        if (style.start.bitmapId != style.end.bitmapId) {
            fail("a morph bitmap fill with two bitmaps");
        }
        out.writeU16(style.start.bitmapId);
        writeMatrix(out, style.start.bitmapMatrix);
        writeMatrix(out, style.end.bitmapMatrix);
    } else {
        fail("unknown fill style type");
    }
}

void MovieWriter::writeMorphLineStyle(BitWriter& out, const MorphLineStyle& style, int version)
{
    out.writeU16(style.start.width);
    out.writeU16(style.end.width);
    if (version < 2) {
        writeColor(out, style.start.color, true);
        writeColor(out, style.end.color, true);
        return;
    }
    const LineStyle& start = style.start;
    if (!sameLineFlags(start, style.end)) {
        fail("morph line ends with different caps, joins or scaling");
    }
    writeLineStyle2Flags(out, start);
    if (start.fill && style.end.fill) {
        writeMorphFillStyle(out, MorphFillStyle{*start.fill, *style.end.fill});
    } else {
        writeColor(out, start.color, true);
        writeColor(out, style.end.color, true);
    }
}

void MovieWriter::writeEdges(BitWriter& out, const std::vector<ShapeRecord>& records)
{
    for (const ShapeRecord& record : records) {
        const auto* change = std::get_if<StyleChangeRecord>(&record);
        if (change && change->newStyles) {
            fail("new styles in morph edges");
        }
    }
    writeRecords(out, Shape{ShapeStyles{}, records}, 1);
}

void MovieWriter::writeBody(BitWriter& out, const DefineMorphShape& tag)
{
    if (tag.version < 1 || tag.version > 2) {
        fail("morph shape version " + std::to_string(tag.version));
    }
    out.writeU16(tag.id);
    writeRect(out, tag.startBounds);
    writeRect(out, tag.endBounds);
    if (tag.version >= 2) {
        writeRect(out, tag.startEdgeBounds);
        writeRect(out, tag.endEdgeBounds);
        out.writeU8(static_cast<std::uint8_t>((tag.usesNonScalingStrokes ? 0x02 : 0) |
                                              (tag.usesScalingStrokes ? 0x01 : 0)));
    }
    if (tag.fillStyles.size() > 0xFFFF || tag.lineStyles.size() > 0xFFFF) {
        fail("too many morph styles");
    }
    BitWriter rest;
    writeStyleCount(rest, tag.fillStyles.size());
    for (const MorphFillStyle& style : tag.fillStyles) {
        writeMorphFillStyle(rest, style);
    }
    writeStyleCount(rest, tag.lineStyles.size());
    for (const MorphLineStyle& style : tag.lineStyles) {
        writeMorphLineStyle(rest, style, tag.version);
    }
    writeEdges(rest, tag.startEdges);
    std::vector<std::uint8_t> stylesAndStart = rest.take();
    BitWriter end;
    writeEdges(end, tag.endEdges);
    out.writeU32(static_cast<std::uint32_t>(stylesAndStart.size()));
    out.writeBytes(stylesAndStart);
    out.writeBytes(end.take());
}

} // namespace quorvane::swf::writing
