#include "swf/MovieWriter.h"

namespace quorvane::swf::writing {

void MovieWriter::writeBody(BitWriter& out, const DefineBitsJpeg& tag)
{
    if (tag.version < 1 || tag.version > 4) {
        fail("JPEG bitmap version " + std::to_string(tag.version));
    }
    if (tag.version < 3 && !tag.alphaData.empty()) {
        fail("alpha data in a bitmap version without alpha");
    }
    if (tag.version < 4 && tag.deblocking != 0) {
        fail("deblocking in a bitmap version without it");
    }
    out.writeU16(tag.id);
    if (tag.version >= 3) {
        if (tag.imageData.size() > 0xFFFFFFFFu) {
            fail("image data over 4 GiB");
        }
        out.writeU32(static_cast<std::uint32_t>(tag.imageData.size()));
        if (tag.version == 4) {
            out.writeU16(tag.deblocking);
        }
    }
    out.writeBytes(tag.imageData);
    out.writeBytes(tag.alphaData);
}

void MovieWriter::writeBody(BitWriter& out, const JpegTables& tag)
{
    out.writeBytes(tag.data);
}

void MovieWriter::writeBody(BitWriter& out, const DefineBitsLossless& tag)
{
    out.writeU16(tag.id);
    out.writeU8(static_cast<std::uint8_t>(tag.format));
    out.writeU16(tag.width);
    out.writeU16(tag.height);
    if (tag.format == LosslessFormat::ColorMapped8) {
        out.writeU8(tag.colorTableSize);
    } else if (tag.colorTableSize != 0) {
        fail("a colour table size for a bitmap without a colour table");
    }
    out.writeBytes(tag.zlibData);
}

} // namespace quorvane::swf::writing
