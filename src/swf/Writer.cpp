#include "swf/Writer.h"

#include "swf/MovieWriter.h"
#include "swf/TagCode.h"

#include <algorithm>
#include <initializer_list>
#include <lzma.h>
#include <tuple>
#include <zlib.h>

namespace quorvane::swf::writing {

void MovieWriter::fail(const std::string& problem)
{
    if (m_failure.empty()) {
        m_failure = "Cannot write " + m_currentTag + ": " + problem;
    }
}

void MovieWriter::writeHeaderFields(BitWriter& out, const Header& header)
{
    m_currentTag = "the header";
    writeRect(out, header.stage);
    out.writeU16(header.frameRate);
    out.writeU16(header.frameCount);
}

void MovieWriter::writeRect(BitWriter& out, const Rect& rect)
{
    const int bits = signedBitsFor({rect.xMin, rect.xMax, rect.yMin, rect.yMax});
    if (bits > kMaxFieldBits) {
        fail("rectangle coordinate out of range");
    }
    out.align();
    out.writeBits(static_cast<std::uint32_t>(bits), 5);
    for (const std::int32_t value : {rect.xMin, rect.xMax, rect.yMin, rect.yMax}) {
        out.writeSignedBits(value, bits);
    }
}

void MovieWriter::writeMatrix(BitWriter& out, const Matrix& matrix)
{
    out.align();
    const bool hasScale = matrix.scaleX != kFixed16One || matrix.scaleY != kFixed16One;
    out.writeFlag(hasScale);
    if (hasScale) {
        const int bits = signedBitsFor({matrix.scaleX, matrix.scaleY});
        if (bits > kMaxFieldBits) {
            fail("matrix scale out of range");
        }
        out.writeBits(static_cast<std::uint32_t>(bits), 5);
        out.writeSignedBits(matrix.scaleX, bits);
        out.writeSignedBits(matrix.scaleY, bits);
    }
    const bool hasRotate = matrix.rotateSkew0 != 0 || matrix.rotateSkew1 != 0;
    out.writeFlag(hasRotate);
    if (hasRotate) {
        const int bits = signedBitsFor({matrix.rotateSkew0, matrix.rotateSkew1});
        if (bits > kMaxFieldBits) {
            fail("matrix skew out of range");
        }
        out.writeBits(static_cast<std::uint32_t>(bits), 5);
        out.writeSignedBits(matrix.rotateSkew0, bits);
        out.writeSignedBits(matrix.rotateSkew1, bits);
    }
    const int bits = signedBitsFor({matrix.translateX, matrix.translateY});
    if (bits > kMaxFieldBits) {
        fail("matrix translation out of range");
    }
    out.writeBits(static_cast<std::uint32_t>(bits), 5);
    out.writeSignedBits(matrix.translateX, bits);
    out.writeSignedBits(matrix.translateY, bits);
}

void MovieWriter::writeColorTransform(BitWriter& out, const ColorTransform& transform,
                                      bool withAlpha)
{
    if (!withAlpha && (transform.alphaMultiply != 256 || transform.alphaAdd != 0)) {
        fail("alpha terms in a colour transform without alpha");
    }
    const bool hasMultiply = transform.redMultiply != 256 || transform.greenMultiply != 256 ||
                             transform.blueMultiply != 256 ||
                             (withAlpha && transform.alphaMultiply != 256);
    const bool hasAdd = transform.redAdd != 0 || transform.greenAdd != 0 ||
                        transform.blueAdd != 0 || (withAlpha && transform.alphaAdd != 0);
    int bits = 0;
    if (hasMultiply) {
        bits = std::max(
            bits, signedBitsFor({transform.redMultiply, transform.greenMultiply,
                                 transform.blueMultiply, withAlpha ? transform.alphaMultiply : 0}));
    }
    if (hasAdd) {
        bits =
            std::max(bits, signedBitsFor({transform.redAdd, transform.greenAdd, transform.blueAdd,
                                          withAlpha ? transform.alphaAdd : 0}));
    }
    if (bits > 15) {
        fail("colour transform term out of range");
    }
    out.align();
    out.writeFlag(hasAdd);
    out.writeFlag(hasMultiply);
    out.writeBits(static_cast<std::uint32_t>(bits), 4);
    const auto terms = [&](std::int16_t red, std::int16_t green, std::int16_t blue,
                           std::int16_t alpha) {
        out.writeSignedBits(red, bits);
        out.writeSignedBits(green, bits);
        out.writeSignedBits(blue, bits);
        if (withAlpha) {
            out.writeSignedBits(alpha, bits);
        }
    };
    if (hasMultiply) {
        terms(transform.redMultiply, transform.greenMultiply, transform.blueMultiply,
              transform.alphaMultiply);
    }
    if (hasAdd) {
        terms(transform.redAdd, transform.greenAdd, transform.blueAdd, transform.alphaAdd);
    }
}

void MovieWriter::writeColor(BitWriter& out, const Rgba& color, bool withAlpha)
{
    if (!withAlpha && color.a != 255) {
        fail("translucent colour where the format has no alpha");
    }
    out.writeU8(color.r);
    out.writeU8(color.g);
    out.writeU8(color.b);
    if (withAlpha) {
        out.writeU8(color.a);
    }
}

void MovieWriter::writeString(BitWriter& out, const std::string& text)
{
    if (text.find('\0') != std::string::npos) {
        fail("NUL inside a string");
    }
    out.writeString(text);
}

void MovieWriter::writeTag(BitWriter& out, const Tag& tag, bool insideSprite)
{
    const std::uint16_t code = tagCode(tag);
    m_currentTag = tagName(code);
    if (insideSprite && std::holds_alternative<DefineSprite>(tag.value)) {
        fail("a DefineSprite inside a DefineSprite");
    }
    BitWriter body;
    std::visit([&](const auto& value) { writeBody(body, value); }, tag.value);
    const std::vector<std::uint8_t> bytes = body.take();
    if (bytes.size() > 0xFFFFFFFFu) {
        fail("tag body over 4 GiB");
    }
    if (bytes.size() < 0x3F) {
        out.writeU16(static_cast<std::uint16_t>(code << 6 | bytes.size()));
    } else {
        out.writeU16(static_cast<std::uint16_t>(code << 6 | 0x3F));
        out.writeU32(static_cast<std::uint32_t>(bytes.size()));
    }
    out.writeBytes(bytes);
}

void MovieWriter::writeBody(BitWriter& out, const SetBackgroundColor& tag)
{
    writeColor(out, tag.color, false);
}

void MovieWriter::writeBody(BitWriter& out, const DefineShape& tag)
{
    if (tag.version < 1 || tag.version > 4) {
        fail("shape version " + std::to_string(tag.version));
    }
    out.writeU16(tag.id);
    writeRect(out, tag.bounds);
    if (tag.version >= 4) {
        writeRect(out, tag.edgeBounds);
        out.writeU8(static_cast<std::uint8_t>((tag.usesFillWindingRule ? 0x04 : 0) |
                                              (tag.usesNonScalingStrokes ? 0x02 : 0) |
                                              (tag.usesScalingStrokes ? 0x01 : 0)));
    }
    writeStyles(out, tag.shape.styles, tag.version);
    writeRecords(out, tag.shape, tag.version);
}

void MovieWriter::writeStyles(BitWriter& out, const ShapeStyles& styles, int version)
{
    const std::size_t fills = styles.fillStyles.size();
    if (fills < 0xFF) {
        out.writeU8(static_cast<std::uint8_t>(fills));
    } else if (version >= 2 && fills <= 0xFFFF) {
        out.writeU8(0xFF);
        out.writeU16(static_cast<std::uint16_t>(fills));
    } else {
        fail("too many fill styles");
    }
    for (const FillStyle& style : styles.fillStyles) {
        writeFillStyle(out, style, version);
    }
    const std::size_t lines = styles.lineStyles.size();
    if (lines < 0xFF) {
        out.writeU8(static_cast<std::uint8_t>(lines));
    } else if (lines <= 0xFFFF) {
        out.writeU8(0xFF);
        out.writeU16(static_cast<std::uint16_t>(lines));
    } else {
        fail("too many line styles");
    }
    for (const LineStyle& style : styles.lineStyles) {
        writeLineStyle(out, style, version);
    }
}

void MovieWriter::writeFillStyle(BitWriter& out, const FillStyle& style, int version)
{
    out.writeU8(static_cast<std::uint8_t>(style.type));
    if (style.type == FillStyle::Type::Solid) {
        writeColor(out, style.color, version >= 3);
    } else if (style.isGradient()) {
        const Gradient& gradient = style.gradient;
        if (gradient.records.size() > 15) {
            fail("more than 15 gradient records");
        }
        writeMatrix(out, gradient.matrix);
        out.writeU8(static_cast<std::uint8_t>(static_cast<int>(gradient.spread) << 6 |
                                              static_cast<int>(gradient.interpolation) << 4 |
                                              (gradient.records.size() & 0x0F)));
        for (const GradientRecord& record : gradient.records) {
            out.writeU8(record.ratio);
            writeColor(out, record.color, version >= 3);
        }
        if (style.type == FillStyle::Type::FocalRadialGradient) {
            out.writeU16(static_cast<std::uint16_t>(gradient.focalPoint));
        }
    } else if (style.isBitmap() && static_cast<std::uint8_t>(style.type) <= 0x43) {
        out.writeU16(style.bitmapId);
        writeMatrix(out, style.bitmapMatrix);
    } else {
        fail("unknown fill style type");
    }
}

void MovieWriter::writeLineStyle2Flags(BitWriter& out, const LineStyle& style)
{
    out.writeBits(static_cast<std::uint32_t>(style.startCap), 2);
    out.writeBits(static_cast<std::uint32_t>(style.join), 2);
    out.writeFlag(style.fill.has_value());
    out.writeFlag(style.noHScale);
    out.writeFlag(style.noVScale);
    out.writeFlag(style.pixelHinting);
    out.writeBits(0, 5);
    out.writeFlag(style.noClose);
    out.writeBits(static_cast<std::uint32_t>(style.endCap), 2);
    if (style.join == JoinStyle::Miter) {
        out.writeU16(static_cast<std::uint16_t>(style.miterLimitFactor));
    }
}

void MovieWriter::writeLineStyle(BitWriter& out, const LineStyle& style, int version)
{
    out.writeU16(style.width);
    if (version < 4) {
        writeColor(out, style.color, version >= 3);
        return;
    }
    writeLineStyle2Flags(out, style);
    if (style.fill) {
        writeFillStyle(out, *style.fill, version);
    } else {
        writeColor(out, style.color, true);
    }
}

void MovieWriter::writeRecords(BitWriter& out, const Shape& shape, int version)
{
    // Index widths hold both the style counts in force and every index
    // written with them, so that damaged indices read from a file survive the
    // round trip. A record that brings new styles still writes its own
    // indices with the widths in force before it.
    const auto indexBits = [&](std::size_t first, const ShapeStyles& styles) {
        std::uint32_t maxFill = static_cast<std::uint32_t>(styles.fillStyles.size());
        std::uint32_t maxLine = static_cast<std::uint32_t>(styles.lineStyles.size());
        for (std::size_t i = first; i < shape.records.size(); ++i) {
            const auto* change = std::get_if<StyleChangeRecord>(&shape.records[i]);
            if (!change) {
                continue;
            }
            maxFill =
                std::max({maxFill, change->fillStyle0.value_or(0), change->fillStyle1.value_or(0)});
            maxLine = std::max(maxLine, change->lineStyle.value_or(0));
            if (change->newStyles) {
                break;
            }
        }
        const int fillBits = BitWriter::unsignedBitsFor(maxFill);
        const int lineBits = BitWriter::unsignedBitsFor(maxLine);
        if (fillBits > 15 || lineBits > 15) {
            fail("style index out of range");
        }
        return std::pair{fillBits, lineBits};
    };

    int fillBits = 0;
    int lineBits = 0;
    std::tie(fillBits, lineBits) = indexBits(0, shape.styles);
    out.writeU8(static_cast<std::uint8_t>(fillBits << 4 | lineBits));

    for (std::size_t i = 0; i < shape.records.size(); ++i) {
        const ShapeRecord& record = shape.records[i];
        if (const auto* change = std::get_if<StyleChangeRecord>(&record)) {
            if (change->newStyles && version < 2) {
                fail("new styles in a DefineShape");
            }
            const int flags = (change->newStyles ? 0x10 : 0) | (change->lineStyle ? 0x08 : 0) |
                              (change->fillStyle1 ? 0x04 : 0) | (change->fillStyle0 ? 0x02 : 0) |
                              (change->moveTo ? 0x01 : 0);
            if (flags == 0) {
                fail("an empty style change record, which would end the shape");
            }
            out.writeBits(0, 1);
            out.writeBits(static_cast<std::uint32_t>(flags), 5);
            if (change->moveTo) {
                const int bits = signedBitsFor({change->moveTo->x, change->moveTo->y});
                if (bits > kMaxFieldBits) {
                    fail("move out of range");
                }
                out.writeBits(static_cast<std::uint32_t>(bits), 5);
                out.writeSignedBits(change->moveTo->x, bits);
                out.writeSignedBits(change->moveTo->y, bits);
            }
            if (change->fillStyle0) {
                out.writeBits(*change->fillStyle0, fillBits);
            }
            if (change->fillStyle1) {
                out.writeBits(*change->fillStyle1, fillBits);
            }
            if (change->lineStyle) {
                out.writeBits(*change->lineStyle, lineBits);
            }
            if (change->newStyles) {
                writeStyles(out, *change->newStyles, version);
                std::tie(fillBits, lineBits) = indexBits(i + 1, *change->newStyles);
                out.writeU8(static_cast<std::uint8_t>(fillBits << 4 | lineBits));
            }
        } else if (const auto* line = std::get_if<StraightEdgeRecord>(&record)) {
            const bool general = line->deltaX != 0 && line->deltaY != 0;
            const bool vertical = !general && line->deltaX == 0;
            const int bits = std::max(2, signedBitsFor({line->deltaX, line->deltaY}));
            if (bits > kMaxEdgeBits) {
                fail("straight edge too long for one record");
            }
            out.writeBits(1, 1);
            out.writeBits(1, 1);
            out.writeBits(static_cast<std::uint32_t>(bits - 2), 4);
            out.writeFlag(general);
            if (general) {
                out.writeSignedBits(line->deltaX, bits);
                out.writeSignedBits(line->deltaY, bits);
            } else {
                out.writeFlag(vertical);
                out.writeSignedBits(vertical ? line->deltaY : line->deltaX, bits);
            }
        } else {
            const auto& curve = std::get<CurvedEdgeRecord>(record);
            const int bits = std::max(2, signedBitsFor({curve.controlDeltaX, curve.controlDeltaY,
                                                        curve.anchorDeltaX, curve.anchorDeltaY}));
            if (bits > kMaxEdgeBits) {
                fail("curved edge too long for one record");
            }
            out.writeBits(1, 1);
            out.writeBits(0, 1);
            out.writeBits(static_cast<std::uint32_t>(bits - 2), 4);
            out.writeSignedBits(curve.controlDeltaX, bits);
            out.writeSignedBits(curve.controlDeltaY, bits);
            out.writeSignedBits(curve.anchorDeltaX, bits);
            out.writeSignedBits(curve.anchorDeltaY, bits);
        }
    }
    out.writeBits(0, 6);
    out.align();
}

void MovieWriter::writeBody(BitWriter& out, const PlaceObject& tag)
{
    if (tag.version == 1) {
        if (!tag.characterId || !tag.matrix || tag.move || tag.ratio || tag.name || tag.clipDepth ||
            tag.clipActions) {
            fail("PlaceObject takes a character, a matrix and a colour transform only");
        }
        out.writeU16(tag.characterId.value_or(0));
        out.writeU16(tag.depth);
        writeMatrix(out, tag.matrix.value_or(Matrix{}));
        if (tag.colorTransform) {
            writeColorTransform(out, *tag.colorTransform, false);
        }
        return;
    }
    const bool hasVersion3Fields = tag.hasImage || tag.className || tag.filters || tag.blendMode ||
                                   tag.bitmapCache || tag.visible || tag.backgroundColor;
    if (tag.version == 2 && hasVersion3Fields) {
        fail("PlaceObject3 fields in a PlaceObject2");
    }
    if (tag.hasImage && tag.characterId && !tag.className) {
        fail("an image placement without a class name");
    }
    out.writeU8(static_cast<std::uint8_t>(
        (tag.clipActions ? 0x80 : 0) | (tag.clipDepth ? 0x40 : 0) | (tag.name ? 0x20 : 0) |
        (tag.ratio ? 0x10 : 0) | (tag.colorTransform ? 0x08 : 0) | (tag.matrix ? 0x04 : 0) |
        (tag.characterId ? 0x02 : 0) | (tag.move ? 0x01 : 0)));
    if (tag.version >= 3) {
        out.writeU8(static_cast<std::uint8_t>(
            (tag.backgroundColor ? 0x40 : 0) | (tag.visible ? 0x20 : 0) |
            (tag.hasImage ? 0x10 : 0) | (tag.className ? 0x08 : 0) | (tag.bitmapCache ? 0x04 : 0) |
            (tag.blendMode ? 0x02 : 0) | (tag.filters ? 0x01 : 0)));
    }
    out.writeU16(tag.depth);
    if (tag.className) {
        writeString(out, *tag.className);
    }
    if (tag.characterId) {
        out.writeU16(*tag.characterId);
    }
    if (tag.matrix) {
        writeMatrix(out, *tag.matrix);
    }
    if (tag.colorTransform) {
        writeColorTransform(out, *tag.colorTransform, true);
    }
    if (tag.ratio) {
        out.writeU16(*tag.ratio);
    }
    if (tag.name) {
        writeString(out, *tag.name);
    }
    if (tag.clipDepth) {
        out.writeU16(*tag.clipDepth);
    }
    if (tag.filters) {
        if (tag.filters->size() > 0xFF) {
            fail("more than 255 filters");
        }
        out.writeU8(static_cast<std::uint8_t>(tag.filters->size()));
        for (const Filter& filter : *tag.filters) {
            out.writeU8(filter.id);
            out.writeBytes(filter.data);
        }
    }
    if (tag.blendMode) {
        out.writeU8(*tag.blendMode);
    }
    if (tag.bitmapCache) {
        out.writeU8(*tag.bitmapCache);
    }
    if (tag.visible) {
        out.writeU8(*tag.visible);
    }
    if (tag.backgroundColor) {
        writeColor(out, *tag.backgroundColor, true);
    }
    if (tag.clipActions) {
        writeClipActions(out, *tag.clipActions);
    }
}

void MovieWriter::writeClipActions(BitWriter& out, const ClipActions& actions)
{
    const bool wideFlags = m_swfVersion >= 6;
    const auto writeEvents = [&](std::uint32_t events) {
        if (wideFlags) {
            out.writeU32(events);
        } else {
            if (events > 0xFFFF) {
                fail("clip events beyond the 16 flags of SWF 5");
            }
            out.writeU16(static_cast<std::uint16_t>(events));
        }
    };
    out.writeU16(0);
    writeEvents(actions.allEvents);
    for (const ClipActionRecord& record : actions.records) {
        if (record.events == 0) {
            fail("a clip action record without events");
        }
        const bool takesKeyCode = wideFlags && (record.events & kClipEventKeyPress);
        if (takesKeyCode != record.keyCode.has_value()) {
            fail("a key code that does not match the key press event");
        }
        writeEvents(record.events);
        out.writeU32(static_cast<std::uint32_t>(record.actions.size() + (record.keyCode ? 1 : 0)));
        if (record.keyCode) {
            out.writeU8(*record.keyCode);
        }
        out.writeBytes(record.actions);
    }
    writeEvents(0);
}

void MovieWriter::writeBody(BitWriter& out, const RemoveObject& tag)
{
    if (tag.version == 1) {
        if (!tag.characterId) {
            fail("RemoveObject without a character");
        }
        out.writeU16(tag.characterId.value_or(0));
    } else if (tag.characterId) {
        fail("RemoveObject2 with a character");
    }
    out.writeU16(tag.depth);
}

void MovieWriter::writeBody(BitWriter& out, const FrameLabel& tag)
{
    writeString(out, tag.name);
    if (tag.namedAnchor) {
        out.writeU8(1);
    }
}

void MovieWriter::writeBody(BitWriter& out, const DefineSprite& tag)
{
    out.writeU16(tag.id);
    out.writeU16(tag.frameCount);
    const std::string spriteTag = m_currentTag;
    for (const Tag& inner : tag.tags) {
        writeTag(out, inner, true);
    }
    m_currentTag = spriteTag;
}

void MovieWriter::writeBody(BitWriter& out, const Unknown& tag)
{
    out.writeBytes(tag.data);
}

} // namespace quorvane::swf::writing

namespace quorvane::swf {

namespace {

std::vector<std::uint8_t> compressZlib(const std::vector<std::uint8_t>& body)
{
    uLongf size = compressBound(static_cast<uLong>(body.size()));
    std::vector<std::uint8_t> compressed(size);
    if (compress2(compressed.data(), &size, body.data(), static_cast<uLong>(body.size()),
                  Z_BEST_COMPRESSION) != Z_OK) {
        return {};
    }
    compressed.resize(size);
    return compressed;
}

// The five LZMA property bytes followed by the raw LZMA data.
std::vector<std::uint8_t> compressLzma(const std::vector<std::uint8_t>& body)
{
    lzma_options_lzma options;
    if (lzma_lzma_preset(&options, 6) != 0) {
        return {};
    }
    lzma_filter filters[2] = {};
    filters[0].id = LZMA_FILTER_LZMA1;
    filters[0].options = &options;
    filters[1].id = LZMA_VLI_UNKNOWN;

    std::vector<std::uint8_t> result(5);
    if (lzma_properties_encode(&filters[0], result.data()) != LZMA_OK) {
        return {};
    }
    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_raw_encoder(&stream, filters) != LZMA_OK) {
        return {};
    }
    stream.next_in = body.data();
    stream.avail_in = body.size();
    std::vector<std::uint8_t> buffer(64 * 1024);
    lzma_ret status = LZMA_OK;
    while (status == LZMA_OK) {
        stream.next_out = buffer.data();
        stream.avail_out = buffer.size();
        status = lzma_code(&stream, LZMA_FINISH);
        result.insert(result.end(), buffer.begin(),
                      buffer.begin() +
                          static_cast<std::ptrdiff_t>(buffer.size() - stream.avail_out));
    }
    lzma_end(&stream);
    if (status != LZMA_STREAM_END) {
        return {};
    }
    return result;
}

} // namespace

Result<std::vector<std::uint8_t>> writeMovie(const Movie& movie)
{
    writing::MovieWriter writer(movie.header.version);
    BitWriter body;
    writer.writeHeaderFields(body, movie.header);
    for (const Tag& tag : movie.tags) {
        writer.writeTag(body, tag, false);
    }
    if (!writer.failure().empty()) {
        return Error{writer.failure()};
    }
    const std::vector<std::uint8_t> bodyBytes = body.take();
    const std::uint64_t length = bodyBytes.size() + 8;
    if (length > 0xFFFFFFFFu) {
        return Error{"Cannot write a movie over 4 GiB"};
    }

    BitWriter file;
    file.writeU8(static_cast<std::uint8_t>(signatureName(movie.header.compression)[0]));
    file.writeU8('W');
    file.writeU8('S');
    file.writeU8(movie.header.version);
    file.writeU32(static_cast<std::uint32_t>(length));
    switch (movie.header.compression) {
    case Compression::None:
        file.writeBytes(bodyBytes);
        break;
    case Compression::Zlib: {
        const std::vector<std::uint8_t> compressed = compressZlib(bodyBytes);
        if (compressed.empty()) {
            return Error{"Cannot write the movie: zlib failed"};
        }
        file.writeBytes(compressed);
        break;
    }
    case Compression::Lzma: {
        const std::vector<std::uint8_t> compressed = compressLzma(bodyBytes);
        if (compressed.size() < 5) {
            return Error{"Cannot write the movie: LZMA failed"};
        }
        file.writeU32(static_cast<std::uint32_t>(compressed.size() - 5));
        file.writeBytes(compressed);
        break;
    }
    }
    return file.take();
}

} // namespace quorvane::swf
