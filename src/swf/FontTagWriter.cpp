#include "swf/MovieWriter.h"

namespace quorvane::swf::writing {

namespace {

std::uint8_t fontFlags(const DefineFont& tag, bool wideOffsets)
{
    return static_cast<std::uint8_t>((tag.layout ? 0x80 : 0) | (tag.shiftJis ? 0x40 : 0) |
                                     (tag.smallText ? 0x20 : 0) | (tag.ansi ? 0x10 : 0) |
                                     (wideOffsets ? 0x08 : 0) | (tag.wideCodes ? 0x04 : 0) |
                                     (tag.italic ? 0x02 : 0) | (tag.bold ? 0x01 : 0));
}

} // namespace

void MovieWriter::writeDefineFont1(BitWriter& out, const DefineFont& tag)
{
    if (!tag.codes.empty() || tag.layout || !tag.name.empty()) {
        fail("DefineFont holds glyphs only; names and codes go in DefineFontInfo");
    }
    out.writeU16(tag.id);
    std::vector<std::vector<std::uint8_t>> glyphs;
    for (const Shape& glyph : tag.glyphs) {
        BitWriter shape;
        writeRecords(shape, glyph, 1);
        glyphs.push_back(shape.take());
    }
    std::size_t offset = 2 * glyphs.size();
    for (const std::vector<std::uint8_t>& glyph : glyphs) {
        if (offset > 0xFFFF) {
            fail("glyphs too large for DefineFont's offsets");
        }
        out.writeU16(static_cast<std::uint16_t>(offset));
        offset += glyph.size();
    }
    for (const std::vector<std::uint8_t>& glyph : glyphs) {
        out.writeBytes(glyph);
    }
}

void MovieWriter::writeBody(BitWriter& out, const DefineFont& tag)
{
    if (tag.version == 1) {
        writeDefineFont1(out, tag);
        return;
    }
    if (tag.version > 3) {
        fail("font version " + std::to_string(tag.version));
    }
    const std::size_t count = tag.glyphs.size();
    if (count > 0xFFFF || tag.codes.size() != count || tag.name.size() > 0xFF) {
        fail("glyphs and codes do not pair up, or the name is over 255 bytes");
    }
    if (tag.layout && (tag.layout->advances.size() != count || tag.layout->bounds.size() != count ||
                       tag.layout->kerning.size() > 0xFFFF)) {
        fail("font layout does not match the glyphs");
    }
    std::vector<std::vector<std::uint8_t>> glyphs;
    std::size_t shapesSize = 0;
    for (const Shape& glyph : tag.glyphs) {
        BitWriter shape;
        writeRecords(shape, glyph, 1);
        glyphs.push_back(shape.take());
        shapesSize += glyphs.back().size();
    }
    const bool hasCodeTableOffset = count > 0 || tag.layout;
    const std::size_t tableEntries = count + (hasCodeTableOffset ? 1 : 0);
    const bool wideOffsets = 2 * tableEntries + shapesSize > 0xFFFF;
    const std::size_t offsetSize = wideOffsets ? 4 : 2;

    out.writeU16(tag.id);
    out.writeU8(fontFlags(tag, wideOffsets));
    out.writeU8(tag.language);
    out.writeU8(static_cast<std::uint8_t>(tag.name.size()));
    out.writeBytes(
        std::span(reinterpret_cast<const std::uint8_t*>(tag.name.data()), tag.name.size()));
    out.writeU16(static_cast<std::uint16_t>(count));
    const auto writeOffset = [&](std::size_t offset) {
        if (wideOffsets) {
            out.writeU32(static_cast<std::uint32_t>(offset));
        } else {
            out.writeU16(static_cast<std::uint16_t>(offset));
        }
    };
    std::size_t offset = offsetSize * tableEntries;
    for (const std::vector<std::uint8_t>& glyph : glyphs) {
        writeOffset(offset);
        offset += glyph.size();
    }
    if (hasCodeTableOffset) {
        writeOffset(offset);
    }
    for (const std::vector<std::uint8_t>& glyph : glyphs) {
        out.writeBytes(glyph);
    }
    for (const std::uint16_t code : tag.codes) {
        if (tag.wideCodes) {
            out.writeU16(code);
        } else if (code > 0xFF) {
            fail("a character code over 255 in a font with narrow codes");
        } else {
            out.writeU8(static_cast<std::uint8_t>(code));
        }
    }
    if (!tag.layout) {
        return;
    }
    const FontLayout& layout = *tag.layout;
    out.writeU16(static_cast<std::uint16_t>(layout.ascent));
    out.writeU16(static_cast<std::uint16_t>(layout.descent));
    out.writeU16(static_cast<std::uint16_t>(layout.leading));
    for (const std::int16_t advance : layout.advances) {
        out.writeU16(static_cast<std::uint16_t>(advance));
    }
    for (const Rect& bounds : layout.bounds) {
        writeRect(out, bounds);
    }
    out.align();
    out.writeU16(static_cast<std::uint16_t>(layout.kerning.size()));
    for (const KerningRecord& record : layout.kerning) {
        if (tag.wideCodes) {
            out.writeU16(record.left);
            out.writeU16(record.right);
        } else {
            out.writeU8(static_cast<std::uint8_t>(record.left));
            out.writeU8(static_cast<std::uint8_t>(record.right));
        }
        out.writeU16(static_cast<std::uint16_t>(record.adjustment));
    }
}

void MovieWriter::writeBody(BitWriter& out, const DefineFontInfo& tag)
{
    if (tag.name.size() > 0xFF) {
        fail("font name over 255 bytes");
    }
    if (tag.version >= 2 && !tag.wideCodes) {
        fail("DefineFontInfo2 always has wide codes");
    }
    out.writeU16(tag.fontId);
    out.writeU8(static_cast<std::uint8_t>(tag.name.size()));
    out.writeBytes(
        std::span(reinterpret_cast<const std::uint8_t*>(tag.name.data()), tag.name.size()));
    out.writeU8(static_cast<std::uint8_t>((tag.smallText ? 0x20 : 0) | (tag.shiftJis ? 0x10 : 0) |
                                          (tag.ansi ? 0x08 : 0) | (tag.italic ? 0x04 : 0) |
                                          (tag.bold ? 0x02 : 0) | (tag.wideCodes ? 0x01 : 0)));
    if (tag.version >= 2) {
        out.writeU8(tag.language);
    } else if (tag.language != 0) {
        fail("a language in DefineFontInfo");
    }
    for (const std::uint16_t code : tag.codes) {
        if (tag.wideCodes) {
            out.writeU16(code);
        } else if (code > 0xFF) {
            fail("a character code over 255 with narrow codes");
        } else {
            out.writeU8(static_cast<std::uint8_t>(code));
        }
    }
}

void MovieWriter::writeBody(BitWriter& out, const DefineFontName& tag)
{
    out.writeU16(tag.fontId);
    writeString(out, tag.name);
    writeString(out, tag.copyright);
}

} // namespace quorvane::swf::writing
