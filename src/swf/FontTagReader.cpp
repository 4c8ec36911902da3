#include "swf/Fields.h"
#include "swf/ShapeReader.h"
#include "swf/TagCode.h"
#include "swf/TagParse.h"

namespace quorvane::swf {

namespace {

// A font of any size is at most 65535 glyphs; reading stops at the first
// glyph that runs past the tag.
std::vector<Shape> readGlyphs(std::span<const std::uint8_t> table,
                              const std::vector<std::uint32_t>& offsets, std::size_t shapesEnd,
                              std::size_t& shapeRecordsLeft, std::string& problem)
{
    std::vector<Shape> glyphs;
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        const std::size_t begin = offsets[i];
        const std::size_t end = i + 1 < offsets.size() ? offsets[i + 1] : shapesEnd;
        if (begin > end || end > table.size()) {
            problem = "glyph offsets out of order";
            return glyphs;
        }
        BitReader glyphReader(table.subspan(begin, end - begin));
        ShapeReader shapes(glyphReader, 1, shapeRecordsLeft);
        Shape& glyph = glyphs.emplace_back();
        shapes.readShape(glyph);
        if (!shapes.failure().empty()) {
            problem = shapes.failure();
            return glyphs;
        }
    }
    return glyphs;
}

TagParse parseDefineFont1(BitReader& reader, std::size_t& shapeRecordsLeft)
{
    DefineFont tag;
    tag.version = 1;
    tag.id = reader.readU16();
    const std::span<const std::uint8_t> table = reader.readRest();
    BitReader offsetsReader(table);
    const std::uint16_t first = offsetsReader.readU16();
    std::vector<std::uint32_t> offsets;
    if (!offsetsReader.overflowed()) {
        offsets.push_back(first);
        for (std::size_t i = 1; i < first / 2u; ++i) {
            offsets.push_back(offsetsReader.readU16());
        }
    }
    if (offsetsReader.overflowed() || reader.overflowed()) {
        return {std::nullopt, "glyph offsets cut short"};
    }
    std::string problem;
    tag.glyphs = readGlyphs(table, offsets, table.size(), shapeRecordsLeft, problem);
    return {std::move(tag), problem};
}

TagParse parseDefineFont23(BitReader& reader, int version, std::size_t& shapeRecordsLeft)
{
    DefineFont tag;
    tag.version = static_cast<std::uint8_t>(version);
    tag.id = reader.readU16();
    const std::uint8_t flags = reader.readU8();
    const bool hasLayout = flags & 0x80;
    tag.shiftJis = flags & 0x40;
    tag.smallText = flags & 0x20;
    tag.ansi = flags & 0x10;
    const bool wideOffsets = flags & 0x08;
    tag.wideCodes = flags & 0x04;
    tag.italic = flags & 0x02;
    tag.bold = flags & 0x01;
    tag.language = reader.readU8();
    const std::uint8_t nameLength = reader.readU8();
    const std::span<const std::uint8_t> name = reader.readBytes(nameLength);
    tag.name.assign(name.begin(), name.end());
    const std::uint16_t glyphCount = reader.readU16();
    if (reader.overflowed()) {
        return {std::nullopt, "font header cut short"};
    }
    // Offsets count from the start of the offset table.
    const std::span<const std::uint8_t> table = reader.readRest();
    BitReader body(table);
    const auto readOffset = [&] { return wideOffsets ? body.readU32() : body.readU16(); };
    std::vector<std::uint32_t> offsets;
    for (int i = 0; i < glyphCount && !body.overflowed(); ++i) {
        offsets.push_back(readOffset());
    }
    const std::uint32_t codeTableOffset = glyphCount > 0 || hasLayout ? readOffset() : 0;
    if (body.overflowed()) {
        return {std::nullopt, "glyph offsets cut short"};
    }
    std::string problem;
    tag.glyphs = readGlyphs(table, offsets, std::min<std::size_t>(codeTableOffset, table.size()),
                            shapeRecordsLeft, problem);
    if (!problem.empty()) {
        return {std::move(tag), problem};
    }
    if (glyphCount == 0 && !hasLayout) {
        return {std::move(tag), {}};
    }
    BitReader rest(table.subspan(std::min<std::size_t>(codeTableOffset, table.size())));
    for (int i = 0; i < glyphCount; ++i) {
        tag.codes.push_back(tag.wideCodes ? rest.readU16() : rest.readU8());
    }
    if (hasLayout) {
        FontLayout layout;
        layout.ascent = rest.readS16();
        layout.descent = rest.readS16();
        layout.leading = rest.readS16();
        for (int i = 0; i < glyphCount && !rest.overflowed(); ++i) {
            layout.advances.push_back(rest.readS16());
        }
        for (int i = 0; i < glyphCount && !rest.overflowed(); ++i) {
            layout.bounds.push_back(readRect(rest));
        }
        const std::uint16_t kerningCount = rest.readU16();
        for (int i = 0; i < kerningCount && !rest.overflowed(); ++i) {
            KerningRecord record;
            record.left = tag.wideCodes ? rest.readU16() : rest.readU8();
            record.right = tag.wideCodes ? rest.readU16() : rest.readU8();
            record.adjustment = rest.readS16();
            layout.kerning.push_back(record);
        }
        if (rest.overflowed()) {
            // Old authoring tools left out the kerning count; the glyphs and
            // metrics before it are sound.
            if (layout.bounds.size() == glyphCount && layout.kerning.empty()) {
                tag.layout = std::move(layout);
                return {std::move(tag), {}};
            }
            return {std::move(tag), "font layout cut short"};
        }
        tag.layout = std::move(layout);
    } else if (rest.overflowed()) {
        return {std::move(tag), "code table cut short"};
    }
    return {std::move(tag), {}};
}

TagParse parseFontInfo(BitReader& reader, int version)
{
    DefineFontInfo tag;
    tag.version = static_cast<std::uint8_t>(version);
    tag.fontId = reader.readU16();
    const std::uint8_t nameLength = reader.readU8();
    const std::span<const std::uint8_t> name = reader.readBytes(nameLength);
    tag.name.assign(name.begin(), name.end());
    const std::uint8_t flags = reader.readU8();
    tag.smallText = flags & 0x20;
    tag.shiftJis = flags & 0x10;
    tag.ansi = flags & 0x08;
    tag.italic = flags & 0x04;
    tag.bold = flags & 0x02;
    tag.wideCodes = flags & 0x01;
    if (version >= 2) {
        tag.language = reader.readU8();
    }
    if (reader.overflowed()) {
        return {std::nullopt, "font information cut short"};
    }
    while (!reader.atEnd()) {
        tag.codes.push_back(tag.wideCodes ? reader.readU16() : reader.readU8());
    }
    if (reader.overflowed()) {
        tag.codes.pop_back();
        return {std::move(tag), "half a character code at the end"};
    }
    return {std::move(tag), {}};
}

} // namespace

TagParse parseFontTag(std::uint16_t code, BitReader& reader, std::size_t& shapeRecordsLeft)
{
    switch (static_cast<TagCode>(code)) {
    case TagCode::DefineFont:
        return parseDefineFont1(reader, shapeRecordsLeft);
    case TagCode::DefineFont2:
        return parseDefineFont23(reader, 2, shapeRecordsLeft);
    case TagCode::DefineFont3:
        return parseDefineFont23(reader, 3, shapeRecordsLeft);
    case TagCode::DefineFontInfo:
        return parseFontInfo(reader, 1);
    case TagCode::DefineFontInfo2:
        return parseFontInfo(reader, 2);
    case TagCode::DefineFontName: {
        DefineFontName tag;
        tag.fontId = reader.readU16();
        tag.name = reader.readString();
        tag.copyright = reader.readString();
        if (reader.overflowed()) {
            return {std::nullopt, "font name not terminated"};
        }
        return {std::move(tag), {}};
    }
    default:
        return {std::nullopt, {}};
    }
}

} // namespace quorvane::swf
