#include "swf/Reader.h"

#include "swf/BitReader.h"
#include "swf/Decompress.h"
#include "swf/Fields.h"
#include "swf/ShapeReader.h"
#include "swf/SoundTagCoding.h"
#include "swf/TagCode.h"
#include "swf/TagParse.h"

#include <algorithm>
#include <fstream>
#include <optional>

namespace quorvane::swf {

namespace {

constexpr std::size_t kHeaderBytes = 8;
constexpr std::uint32_t kClipEventKeyPress = 1u << 17;

template <typename T> TagParse soundTag(std::optional<T> tag)
{
    if (!tag) {
        return {std::nullopt, "sound fields cut short"};
    }
    return {std::move(*tag), {}};
}

class TagStreamReader {
public:
    TagStreamReader(std::uint8_t swfVersion, const ReadOptions& options,
                    std::vector<Error>& warnings)
        : m_swfVersion(swfVersion), m_tagsLeft(options.maxTags),
          m_shapeRecordsLeft(options.maxShapeRecords), m_warnings(warnings)
    {
    }

    // Reads tags until End or the end of the data. baseOffset is the movie
    // offset of the data's first byte, for the messages.
    std::vector<Tag> readTags(std::span<const std::uint8_t> data, std::size_t baseOffset,
                              bool insideSprite);

private:
    TagParse parseTag(std::uint16_t code, std::span<const std::uint8_t> body,
                      std::size_t bodyOffset, bool insideSprite);
    TagParse parseDefineShape(BitReader& reader, int version);
    TagParse parsePlaceObject(BitReader& reader, int version);
    TagParse parseDefineSprite(BitReader& reader, std::size_t bodyOffset);
    bool readClipActions(BitReader& reader, ClipActions& actions);
    bool readFilters(BitReader& reader, std::vector<Filter>& filters);
    void warn(std::uint16_t code, std::size_t offset, const std::string& problem);

    std::uint8_t m_swfVersion;
    std::size_t m_tagsLeft;
    std::size_t m_shapeRecordsLeft;
    std::vector<Error>& m_warnings;
};

void TagStreamReader::warn(std::uint16_t code, std::size_t offset, const std::string& problem)
{
    m_warnings.push_back(
        Error{tagName(code) + " at offset " + std::to_string(offset) + ": " + problem});
}

std::vector<Tag> TagStreamReader::readTags(std::span<const std::uint8_t> data,
                                           std::size_t baseOffset, bool insideSprite)
{
    std::vector<Tag> tags;
    BitReader reader(data);
    while (true) {
        const std::size_t tagOffset = baseOffset + reader.bytePosition();
        if (reader.atEnd()) {
            // Sprites commonly end with their data; only the movie needs its End.
            if (!insideSprite) {
                m_warnings.push_back(Error{"Tag stream at offset " + std::to_string(tagOffset) +
                                           ": data ends without an End tag"});
            }
            break;
        }
        if (m_tagsLeft == 0) {
            m_warnings.push_back(Error{"Tag stream at offset " + std::to_string(tagOffset) +
                                       ": more tags in the movie than the limit"});
            break;
        }
        --m_tagsLeft;
        if (reader.bytesLeft() < 2) {
            m_warnings.push_back(Error{"Tag header at offset " + std::to_string(tagOffset) +
                                       ": cut short by the end of the data"});
            break;
        }
        const std::uint16_t codeAndLength = reader.readU16();
        const auto code = static_cast<std::uint16_t>(codeAndLength >> 6);
        std::size_t length = codeAndLength & 0x3F;
        if (length == 0x3F) {
            if (reader.bytesLeft() < 4) {
                warn(code, tagOffset, "long tag header cut short by the end of the data");
                break;
            }
            length = reader.readU32();
        }
        const std::size_t bodyOffset = baseOffset + reader.bytePosition();
        const bool cut = length > reader.bytesLeft();
        if (cut) {
            warn(code, tagOffset,
                 "declares " + std::to_string(length) + " bytes but only " +
                     std::to_string(reader.bytesLeft()) + " remain");
        }
        const std::span<const std::uint8_t> body = reader.readBytes(length);
        TagParse parse = parseTag(code, body, bodyOffset, insideSprite);
        if (!parse.problem.empty()) {
            warn(code, tagOffset, parse.problem);
        }
        Tag& tag = tags.emplace_back();
        if (parse.value) {
            tag.value = std::move(*parse.value);
        } else {
            tag.value.emplace<Unknown>(
                Unknown{code, std::vector<std::uint8_t>(body.begin(), body.end())});
        }
        if (cut || code == static_cast<std::uint16_t>(TagCode::End)) {
            break;
        }
    }
    return tags;
}

TagParse TagStreamReader::parseTag(std::uint16_t code, std::span<const std::uint8_t> body,
                                   std::size_t bodyOffset, bool insideSprite)
{
    BitReader reader(body);
    switch (static_cast<TagCode>(code)) {
    case TagCode::End:
        return {End{}, {}};
    case TagCode::ShowFrame:
        return {ShowFrame{}, {}};
    case TagCode::SetBackgroundColor: {
        SetBackgroundColor tag{readRgb(reader)};
        if (reader.overflowed()) {
            return {std::nullopt, "colour cut short"};
        }
        return {tag, {}};
    }
    case TagCode::DefineShape:
        return parseDefineShape(reader, 1);
    case TagCode::DefineShape2:
        return parseDefineShape(reader, 2);
    case TagCode::DefineShape3:
        return parseDefineShape(reader, 3);
    case TagCode::DefineShape4:
        return parseDefineShape(reader, 4);
    case TagCode::PlaceObject:
        return parsePlaceObject(reader, 1);
    case TagCode::PlaceObject2:
        return parsePlaceObject(reader, 2);
    case TagCode::PlaceObject3:
        return parsePlaceObject(reader, 3);
    case TagCode::RemoveObject: {
        RemoveObject tag;
        tag.version = 1;
        tag.characterId = reader.readU16();
        tag.depth = reader.readU16();
        if (reader.overflowed()) {
            return {std::nullopt, "fields cut short"};
        }
        return {tag, {}};
    }
    case TagCode::RemoveObject2: {
        RemoveObject tag;
        tag.version = 2;
        tag.depth = reader.readU16();
        if (reader.overflowed()) {
            return {std::nullopt, "depth cut short"};
        }
        return {tag, {}};
    }
    case TagCode::FrameLabel: {
        FrameLabel tag;
        tag.name = reader.readString();
        if (reader.overflowed()) {
            return {std::nullopt, "label not terminated"};
        }
        if (!reader.atEnd()) {
            tag.namedAnchor = reader.readU8() != 0;
        }
        return {tag, {}};
    }
    case TagCode::DefineSound:
        return soundTag(readDefineSound(reader));
    case TagCode::StartSound:
        return soundTag(readStartSound(reader));
    case TagCode::StartSound2:
        return soundTag(readStartSound2(reader));
    case TagCode::SoundStreamHead:
        return soundTag(readSoundStreamHead(reader, 1));
    case TagCode::SoundStreamHead2:
        return soundTag(readSoundStreamHead(reader, 2));
    case TagCode::SoundStreamBlock:
        return {readSoundStreamBlock(reader), {}};
    case TagCode::DefineButtonSound:
        return soundTag(readDefineButtonSound(reader));
    case TagCode::DefineSprite:
        // Sprites cannot define sprites; reading one inside another as bytes
        // also keeps nesting, and the stack, bounded.
        if (insideSprite) {
            return {std::nullopt, {}};
        }
        return parseDefineSprite(reader, bodyOffset);
    case TagCode::JpegTables:
    case TagCode::DefineBits:
    case TagCode::DefineBitsJpeg2:
    case TagCode::DefineBitsJpeg3:
    case TagCode::DefineBitsJpeg4:
    case TagCode::DefineBitsLossless:
    case TagCode::DefineBitsLossless2:
        return parseBitmapTag(code, reader);
    case TagCode::DefineMorphShape:
        return parseMorphShape(reader, 1, m_shapeRecordsLeft);
    case TagCode::DefineMorphShape2:
        return parseMorphShape(reader, 2, m_shapeRecordsLeft);
    case TagCode::DefineFont:
    case TagCode::DefineFont2:
    case TagCode::DefineFont3:
    case TagCode::DefineFontInfo:
    case TagCode::DefineFontInfo2:
    case TagCode::DefineFontName:
        return parseFontTag(code, reader, m_shapeRecordsLeft);
    case TagCode::DefineText:
    case TagCode::DefineText2:
    case TagCode::DefineEditText:
        return parseTextTag(code, reader);
    default:
        return {std::nullopt, {}};
    }
}

TagParse TagStreamReader::parseDefineShape(BitReader& reader, int version)
{
    DefineShape tag;
    tag.version = static_cast<std::uint8_t>(version);
    tag.id = reader.readU16();
    tag.bounds = readRect(reader);
    if (version >= 4) {
        tag.edgeBounds = readRect(reader);
        const std::uint8_t flags = reader.readU8();
        tag.usesFillWindingRule = flags & 0x04;
        tag.usesNonScalingStrokes = flags & 0x02;
        tag.usesScalingStrokes = flags & 0x01;
    }
    if (reader.overflowed()) {
        return {std::nullopt, "shape header cut short"};
    }
    ShapeReader shapes(reader, version, m_shapeRecordsLeft);
    if (!shapes.readShapeWithStyle(tag.shape)) {
        return {std::nullopt, shapes.failure()};
    }
    return {std::move(tag), shapes.failure()};
}

TagParse TagStreamReader::parsePlaceObject(BitReader& reader, int version)
{
    PlaceObject tag;
    tag.version = static_cast<std::uint8_t>(version);
    if (version == 1) {
        tag.characterId = reader.readU16();
        tag.depth = reader.readU16();
        tag.matrix = readMatrix(reader);
        if (reader.overflowed()) {
            return {std::nullopt, "fields cut short"};
        }
        if (!reader.atEnd()) {
            tag.colorTransform = readColorTransform(reader, false);
            if (reader.overflowed()) {
                tag.colorTransform.reset();
                return {std::move(tag), "colour transform cut short"};
            }
        }
        return {std::move(tag), {}};
    }

    const std::uint8_t flags = reader.readU8();
    const std::uint8_t flags3 = version >= 3 ? reader.readU8() : 0;
    const bool hasClipActions = flags & 0x80;
    const bool hasCharacter = flags & 0x02;
    tag.move = flags & 0x01;
    tag.hasImage = flags3 & 0x10;
    tag.depth = reader.readU16();
    if ((flags3 & 0x08) || (tag.hasImage && hasCharacter)) {
        tag.className = reader.readString();
    }
    if (hasCharacter) {
        tag.characterId = reader.readU16();
    }
    if (flags & 0x04) {
        tag.matrix = readMatrix(reader);
    }
    if (flags & 0x08) {
        tag.colorTransform = readColorTransform(reader, true);
    }
    if (flags & 0x10) {
        tag.ratio = reader.readU16();
    }
    if (flags & 0x20) {
        tag.name = reader.readString();
    }
    if (flags & 0x40) {
        tag.clipDepth = reader.readU16();
    }
    if (flags3 & 0x01) {
        std::vector<Filter> filters;
        if (!readFilters(reader, filters)) {
            return {std::nullopt, "filter list damaged"};
        }
        tag.filters = std::move(filters);
    }
    if (flags3 & 0x02) {
        tag.blendMode = reader.readU8();
    }
    if (flags3 & 0x04) {
        tag.bitmapCache = reader.readU8();
    }
    if (flags3 & 0x20) {
        tag.visible = reader.readU8();
    }
    if (flags3 & 0x40) {
        tag.backgroundColor = readRgba(reader);
    }
    if (reader.overflowed()) {
        return {std::nullopt, "fields cut short"};
    }
    if (hasClipActions) {
        ClipActions actions;
        // Damaged clip actions cost only the actions; the placement stands.
        if (!readClipActions(reader, actions)) {
            return {std::move(tag), "clip actions damaged"};
        }
        tag.clipActions = std::move(actions);
    }
    return {std::move(tag), {}};
}

bool TagStreamReader::readClipActions(BitReader& reader, ClipActions& actions)
{
    const bool wideFlags = m_swfVersion >= 6;
    const auto readEvents = [&] { return wideFlags ? reader.readU32() : reader.readU16(); };
    reader.readU16();
    actions.allEvents = readEvents();
    while (!reader.overflowed()) {
        ClipActionRecord record;
        record.events = readEvents();
        if (record.events == 0) {
            break;
        }
        std::uint32_t size = reader.readU32();
        if (wideFlags && (record.events & kClipEventKeyPress) && size > 0) {
            record.keyCode = reader.readU8();
            --size;
        }
        const std::span<const std::uint8_t> bytes = reader.readBytes(size);
        record.actions.assign(bytes.begin(), bytes.end());
        if (!reader.overflowed()) {
            actions.records.push_back(std::move(record));
        }
    }
    return !reader.overflowed();
}

bool TagStreamReader::readFilters(BitReader& reader, std::vector<Filter>& filters)
{
    const std::uint8_t count = reader.readU8();
    for (int i = 0; i < count && !reader.overflowed(); ++i) {
        Filter filter;
        filter.id = reader.readU8();
        std::size_t size = 0;
        switch (filter.id) {
        case 0: // DropShadow
            size = 23;
            break;
        case 1: // Blur
            size = 9;
            break;
        case 2: // Glow
            size = 15;
            break;
        case 3: // Bevel
            size = 27;
            break;
        case 4:   // GradientGlow
        case 7: { // GradientBevel
            const std::uint8_t colors = reader.readU8();
            filter.data.push_back(colors);
            size = 5 * std::size_t{colors} + 19;
            break;
        }
        case 5: { // Convolution
            const std::uint8_t columns = reader.readU8();
            const std::uint8_t rows = reader.readU8();
            filter.data = {columns, rows};
            size = 4 * std::size_t{columns} * rows + 13;
            break;
        }
        case 6: // ColorMatrix
            size = 80;
            break;
        default:
            return false;
        }
        const std::span<const std::uint8_t> rest = reader.readBytes(size);
        filter.data.insert(filter.data.end(), rest.begin(), rest.end());
        filters.push_back(std::move(filter));
    }
    return !reader.overflowed();
}

TagParse TagStreamReader::parseDefineSprite(BitReader& reader, std::size_t bodyOffset)
{
    DefineSprite tag;
    tag.id = reader.readU16();
    tag.frameCount = reader.readU16();
    if (reader.overflowed()) {
        return {std::nullopt, "sprite header cut short"};
    }
    const std::size_t tagsOffset = bodyOffset + reader.bytePosition();
    tag.tags = readTags(reader.readRest(), tagsOffset, true);
    return {std::move(tag), {}};
}

} // namespace

Result<ReadMovie> readMovie(std::span<const std::uint8_t> file, const ReadOptions& options)
{
    if (file.size() < kHeaderBytes) {
        return Error{"Invalid SWF: " + std::to_string(file.size()) +
                     " bytes, too short for a header"};
    }
    const auto invalidSignature = Error{"Invalid SWF: no FWS, CWS or ZWS signature"};
    if (file[1] != 'W' || file[2] != 'S') {
        return invalidSignature;
    }
    Compression compression;
    switch (file[0]) {
    case 'F':
        compression = Compression::None;
        break;
    case 'C':
        compression = Compression::Zlib;
        break;
    case 'Z':
        compression = Compression::Lzma;
        break;
    default:
        return invalidSignature;
    }

    ReadMovie result;
    result.movie.header.compression = compression;
    result.movie.header.version = file[3];
    result.declaredLength =
        static_cast<std::uint32_t>(file[4]) | static_cast<std::uint32_t>(file[5]) << 8 |
        static_cast<std::uint32_t>(file[6]) << 16 | static_cast<std::uint32_t>(file[7]) << 24;
    const std::size_t limit =
        options.maxMovieBytes > kHeaderBytes ? options.maxMovieBytes - kHeaderBytes : 0;
    const std::size_t declaredBody =
        result.declaredLength > kHeaderBytes ? result.declaredLength - kHeaderBytes : 0;

    Decompressed body;
    std::span<const std::uint8_t> bytes;
    switch (compression) {
    case Compression::None:
        bytes = file.subspan(kHeaderBytes, std::min(file.size() - kHeaderBytes, limit));
        if (bytes.size() < file.size() - kHeaderBytes) {
            body.problem = "movie larger than the limit";
        }
        break;
    case Compression::Zlib:
        body = inflateZlib(file.subspan(kHeaderBytes), limit);
        bytes = body.bytes;
        break;
    case Compression::Lzma:
        // ZWS stores the compressed length and the five LZMA property bytes
        // before the data.
        if (file.size() < kHeaderBytes + 9) {
            return Error{"Invalid SWF: LZMA header cut short"};
        }
        body = decompressLzma(file.subspan(kHeaderBytes + 4, 5), file.subspan(kHeaderBytes + 9),
                              std::min(limit, declaredBody));
        bytes = body.bytes;
        if (body.problem.empty() && bytes.size() < declaredBody) {
            body.problem = "LZMA data cut short";
        }
        break;
    }
    if (!body.problem.empty()) {
        if (bytes.empty()) {
            return Error{"Invalid SWF: " + body.problem};
        }
        result.warnings.push_back(Error{"Movie data: " + body.problem + " after " +
                                        std::to_string(bytes.size()) + " bytes"});
    }

    BitReader reader(bytes);
    Header& header = result.movie.header;
    header.stage = readRect(reader);
    header.frameRate = reader.readU16();
    header.frameCount = reader.readU16();
    if (reader.overflowed()) {
        return Error{"Invalid SWF: header cut short"};
    }
    const std::size_t tagsStart = reader.bytePosition();
    TagStreamReader tags(header.version, options, result.warnings);
    result.movie.tags = tags.readTags(reader.readRest(), kHeaderBytes + tagsStart, false);
    return result;
}

Result<ReadMovie> readMovieFile(const std::string& path, const ReadOptions& options)
{
    std::ifstream stream(path, std::ios::binary | std::ios::ate);
    if (!stream) {
        return Error{"Cannot open " + path};
    }
    const std::streamoff size = stream.tellg();
    if (size < 0) {
        return Error{"Cannot read " + path};
    }
    if (static_cast<std::uint64_t>(size) > options.maxMovieBytes) {
        return Error{"Invalid SWF: " + path + " is larger than " +
                     std::to_string(options.maxMovieBytes) + " bytes"};
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    stream.seekg(0);
    if (!stream.read(reinterpret_cast<char*>(bytes.data()), size)) {
        return Error{"Cannot read " + path};
    }
    return readMovie(bytes, options);
}

std::string signatureName(Compression compression)
{
    switch (compression) {
    case Compression::Zlib:
        return "CWS";
    case Compression::Lzma:
        return "ZWS";
    case Compression::None:
        break;
    }
    return "FWS";
}

} // namespace quorvane::swf
