#include "swf/MovieWriter.h"

namespace quorvane::swf::writing {

void MovieWriter::writeBody(BitWriter& out, const DefineText& tag)
{
    if (tag.version < 1 || tag.version > 2) {
        fail("text version " + std::to_string(tag.version));
    }
    std::uint32_t largestIndex = 0;
    int advanceBits = 0;
    for (const TextRecord& record : tag.records) {
        for (const GlyphEntry& glyph : record.glyphs) {
            largestIndex = std::max(largestIndex, glyph.index);
            advanceBits = std::max(advanceBits, BitWriter::signedBitsFor(glyph.advance));
        }
    }
    const int glyphBits = BitWriter::unsignedBitsFor(largestIndex);
    if (glyphBits > 32 || advanceBits > 32) {
        fail("glyph index or advance out of range");
    }
    out.writeU16(tag.id);
    writeRect(out, tag.bounds);
    writeMatrix(out, tag.matrix);
    out.align();
    out.writeU8(static_cast<std::uint8_t>(glyphBits));
    out.writeU8(static_cast<std::uint8_t>(advanceBits));
    for (const TextRecord& record : tag.records) {
        if (record.glyphs.size() > 0xFF) {
            fail("more than 255 glyphs in one text record");
        }
        if (!record.fontId && record.height != 0) {
            fail("a text height without a font");
        }
        out.writeU8(static_cast<std::uint8_t>(
            0x80 | (record.fontId ? 0x08 : 0) | (record.color ? 0x04 : 0) |
            (record.yOffset ? 0x02 : 0) | (record.xOffset ? 0x01 : 0)));
        if (record.fontId) {
            out.writeU16(*record.fontId);
        }
        if (record.color) {
            writeColor(out, *record.color, tag.version >= 2);
        }
        if (record.xOffset) {
            out.writeU16(static_cast<std::uint16_t>(*record.xOffset));
        }
        if (record.yOffset) {
            out.writeU16(static_cast<std::uint16_t>(*record.yOffset));
        }
        if (record.fontId) {
            out.writeU16(record.height);
        }
        out.writeU8(static_cast<std::uint8_t>(record.glyphs.size()));
        for (const GlyphEntry& glyph : record.glyphs) {
            out.writeBits(glyph.index, glyphBits);
            out.writeSignedBits(glyph.advance, advanceBits);
        }
        out.align();
    }
    out.writeU8(0);
}

void MovieWriter::writeBody(BitWriter& out, const DefineEditText& tag)
{
    if (tag.fontHeight.has_value() != (tag.fontId || tag.fontClass)) {
        fail("a font height goes with a font or a font class, and only then");
    }
    out.writeU16(tag.id);
    writeRect(out, tag.bounds);
    out.writeU8(static_cast<std::uint8_t>((tag.initialText ? 0x80 : 0) | (tag.wordWrap ? 0x40 : 0) |
                                          (tag.multiline ? 0x20 : 0) | (tag.password ? 0x10 : 0) |
                                          (tag.readOnly ? 0x08 : 0) | (tag.textColor ? 0x04 : 0) |
                                          (tag.maxLength ? 0x02 : 0) | (tag.fontId ? 0x01 : 0)));
    out.writeU8(static_cast<std::uint8_t>((tag.fontClass ? 0x80 : 0) | (tag.autoSize ? 0x40 : 0) |
                                          (tag.layout ? 0x20 : 0) | (tag.noSelect ? 0x10 : 0) |
                                          (tag.border ? 0x08 : 0) | (tag.wasStatic ? 0x04 : 0) |
                                          (tag.html ? 0x02 : 0) | (tag.useOutlines ? 0x01 : 0)));
    if (tag.fontId) {
        out.writeU16(*tag.fontId);
    }
    if (tag.fontClass) {
        writeString(out, *tag.fontClass);
    }
    if (tag.fontHeight) {
        out.writeU16(*tag.fontHeight);
    }
    if (tag.textColor) {
        writeColor(out, *tag.textColor, true);
    }
    if (tag.maxLength) {
        out.writeU16(*tag.maxLength);
    }
    if (tag.layout) {
        out.writeU8(static_cast<std::uint8_t>(tag.layout->align));
        out.writeU16(tag.layout->leftMargin);
        out.writeU16(tag.layout->rightMargin);
        out.writeU16(static_cast<std::uint16_t>(tag.layout->indent));
        out.writeU16(static_cast<std::uint16_t>(tag.layout->leading));
    }
    writeString(out, tag.variableName);
    if (tag.initialText) {
        writeString(out, *tag.initialText);
    }
}

} // namespace quorvane::swf::writing
