#include "swf/TagCode.h"
#include "swf/TagParse.h"

namespace quorvane::swf {

namespace {

std::vector<std::uint8_t> bytesOf(std::span<const std::uint8_t> span)
{
    return {span.begin(), span.end()};
}

TagParse parseJpeg(BitReader& reader, std::uint8_t version)
{
    DefineBitsJpeg tag;
    tag.version = version;
    tag.id = reader.readU16();
    std::size_t imageSize = reader.bytesLeft();
    if (version >= 3) {
        imageSize = reader.readU32();
        if (version == 4) {
            tag.deblocking = reader.readU16();
        }
    }
    if (reader.overflowed()) {
        return {std::nullopt, "bitmap header cut short"};
    }
    tag.imageData = bytesOf(reader.readBytes(imageSize));
    if (reader.overflowed()) {
        return {std::move(tag), "image data cut short"};
    }
    if (version >= 3) {
        tag.alphaData = bytesOf(reader.readRest());
    }
    return {std::move(tag), {}};
}

TagParse parseLossless(BitReader& reader, std::uint8_t version)
{
    DefineBitsLossless tag;
    tag.version = version;
    tag.id = reader.readU16();
    tag.format = static_cast<LosslessFormat>(reader.readU8());
    tag.width = reader.readU16();
    tag.height = reader.readU16();
    if (tag.format == LosslessFormat::ColorMapped8) {
        tag.colorTableSize = reader.readU8();
    }
    if (reader.overflowed()) {
        return {std::nullopt, "bitmap header cut short"};
    }
    tag.zlibData = bytesOf(reader.readRest());
    return {std::move(tag), {}};
}

} // namespace

TagParse parseBitmapTag(std::uint16_t code, BitReader& reader)
{
    switch (static_cast<TagCode>(code)) {
    case TagCode::JpegTables:
        return {JpegTables{bytesOf(reader.readRest())}, {}};
    case TagCode::DefineBits:
        return parseJpeg(reader, 1);
    case TagCode::DefineBitsJpeg2:
        return parseJpeg(reader, 2);
    case TagCode::DefineBitsJpeg3:
        return parseJpeg(reader, 3);
    case TagCode::DefineBitsJpeg4:
        return parseJpeg(reader, 4);
    case TagCode::DefineBitsLossless:
        return parseLossless(reader, 1);
    case TagCode::DefineBitsLossless2:
        return parseLossless(reader, 2);
    default:
        return {std::nullopt, {}};
    }
}

} // namespace quorvane::swf
