#include "swf/Fields.h"
#include "swf/TagCode.h"
#include "swf/TagParse.h"

namespace quorvane::swf {

namespace {

TagParse parseDefineText(BitReader& reader, int version)
{
    DefineText tag;
    tag.version = static_cast<std::uint8_t>(version);
    tag.id = reader.readU16();
    tag.bounds = readRect(reader);
    tag.matrix = readMatrix(reader);
    const int glyphBits = reader.readU8();
    const int advanceBits = reader.readU8();
    if (reader.overflowed()) {
        return {std::nullopt, "text header cut short"};
    }
    while (true) {
        const std::uint8_t flags = reader.readU8();
        if (flags == 0 || reader.overflowed()) {
            break;
        }
        TextRecord record;
        if (flags & 0x08) {
            record.fontId = reader.readU16();
        }
        if (flags & 0x04) {
            record.color = version >= 2 ? readRgba(reader) : readRgb(reader);
        }
        if (flags & 0x01) {
            record.xOffset = reader.readS16();
        }
        if (flags & 0x02) {
            record.yOffset = reader.readS16();
        }
        if (flags & 0x08) {
            record.height = reader.readU16();
        }
        const std::uint8_t count = reader.readU8();
        for (int i = 0; i < count; ++i) {
            GlyphEntry glyph;
            glyph.index = reader.readBits(glyphBits);
            glyph.advance = reader.readSignedBits(advanceBits);
            record.glyphs.push_back(glyph);
        }
        reader.align();
        if (reader.overflowed()) {
            return {std::move(tag), "text record cut short"};
        }
        tag.records.push_back(std::move(record));
    }
    if (reader.overflowed()) {
        return {std::move(tag), "text records end without an end record"};
    }
    return {std::move(tag), {}};
}

TagParse parseDefineEditText(BitReader& reader)
{
    DefineEditText tag;
    tag.id = reader.readU16();
    tag.bounds = readRect(reader);
    const std::uint8_t flags = reader.readU8();
    const std::uint8_t flags2 = reader.readU8();
    const bool hasText = flags & 0x80;
    tag.wordWrap = flags & 0x40;
    tag.multiline = flags & 0x20;
    tag.password = flags & 0x10;
    tag.readOnly = flags & 0x08;
    const bool hasTextColor = flags & 0x04;
    const bool hasMaxLength = flags & 0x02;
    const bool hasFont = flags & 0x01;
    const bool hasFontClass = flags2 & 0x80;
    tag.autoSize = flags2 & 0x40;
    const bool hasLayout = flags2 & 0x20;
    tag.noSelect = flags2 & 0x10;
    tag.border = flags2 & 0x08;
    tag.wasStatic = flags2 & 0x04;
    tag.html = flags2 & 0x02;
    tag.useOutlines = flags2 & 0x01;
    if (hasFont) {
        tag.fontId = reader.readU16();
    }
    if (hasFontClass) {
        tag.fontClass = reader.readString();
    }
    if (hasFont || hasFontClass) {
        tag.fontHeight = reader.readU16();
    }
    if (hasTextColor) {
        tag.textColor = readRgba(reader);
    }
    if (hasMaxLength) {
        tag.maxLength = reader.readU16();
    }
    if (hasLayout) {
        EditTextLayout layout;
        layout.align = static_cast<TextAlign>(reader.readU8());
        layout.leftMargin = reader.readU16();
        layout.rightMargin = reader.readU16();
        layout.indent = reader.readS16();
        layout.leading = reader.readS16();
        tag.layout = layout;
    }
    tag.variableName = reader.readString();
    if (reader.overflowed()) {
        return {std::nullopt, "edit text fields cut short"};
    }
    if (hasText) {
        tag.initialText = reader.readString();
        if (reader.overflowed()) {
            return {std::move(tag), "initial text not terminated"};
        }
    }
    return {std::move(tag), {}};
}

} // namespace

TagParse parseTextTag(std::uint16_t code, BitReader& reader)
{
    switch (static_cast<TagCode>(code)) {
    case TagCode::DefineText:
        return parseDefineText(reader, 1);
    case TagCode::DefineText2:
        return parseDefineText(reader, 2);
    case TagCode::DefineEditText:
        return parseDefineEditText(reader);
    default:
        return {std::nullopt, {}};
    }
}

} // namespace quorvane::swf
