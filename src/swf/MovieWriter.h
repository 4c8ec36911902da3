#pragma once

#include "swf/BitWriter.h"
#include "swf/Movie.h"
#include "swf/SoundTagCoding.h"

#include <algorithm>
#include <initializer_list>
#include <string>

// The writer's inner workings, shared by the files that write each tag family.
namespace quorvane::swf::writing {

inline constexpr std::uint32_t kClipEventKeyPress = 1u << 17;
inline constexpr int kMaxFieldBits = 31;
inline constexpr int kMaxEdgeBits = 17;

inline int signedBitsFor(std::initializer_list<std::int32_t> values)
{
    int bits = 0;
    for (const std::int32_t value : values) {
        bits = std::max(bits, BitWriter::signedBitsFor(value));
    }
    return bits;
}

class MovieWriter {
public:
    explicit MovieWriter(std::uint8_t swfVersion) : m_swfVersion(swfVersion) {}

    void writeHeaderFields(BitWriter& out, const Header& header);
    void writeTag(BitWriter& out, const Tag& tag, bool insideSprite);
    const std::string& failure() const { return m_failure; }

private:
    void fail(const std::string& problem);
    void writeRect(BitWriter& out, const Rect& rect);
    void writeMatrix(BitWriter& out, const Matrix& matrix);
    void writeColorTransform(BitWriter& out, const ColorTransform& transform, bool withAlpha);
    void writeColor(BitWriter& out, const Rgba& color, bool withAlpha);

    void writeBody(BitWriter& out, const End&) { (void)out; }
    void writeBody(BitWriter& out, const ShowFrame&) { (void)out; }
    void writeBody(BitWriter& out, const SetBackgroundColor& tag);
    void writeBody(BitWriter& out, const DefineShape& tag);
    void writeBody(BitWriter& out, const PlaceObject& tag);
    void writeBody(BitWriter& out, const RemoveObject& tag);
    void writeBody(BitWriter& out, const FrameLabel& tag);
    void writeBody(BitWriter& out, const DefineSprite& tag);
    void writeBody(BitWriter& out, const Unknown& tag);
    void writeBody(BitWriter& out, const DefineBitsJpeg& tag);
    void writeBody(BitWriter& out, const JpegTables& tag);
    void writeBody(BitWriter& out, const DefineBitsLossless& tag);
    void writeBody(BitWriter& out, const DefineMorphShape& tag);
    void writeBody(BitWriter& out, const DefineFont& tag);
    void writeBody(BitWriter& out, const DefineFontInfo& tag);
    void writeBody(BitWriter& out, const DefineFontName& tag);
    void writeBody(BitWriter& out, const DefineText& tag);
    void writeBody(BitWriter& out, const DefineEditText& tag);
    void writeBody(BitWriter& out, const DefineSound& tag)
    {
        fitOrFail(writeDefineSound(out, tag));
    }
    void writeBody(BitWriter& out, const StartSound& tag) { fitOrFail(writeStartSound(out, tag)); }
    void writeBody(BitWriter& out, const StartSound2& tag)
    {
        if (tag.className.find('\0') != std::string::npos) {
            fail("NUL inside a string");
        }
        fitOrFail(writeStartSound2(out, tag));
    }
    void writeBody(BitWriter& out, const SoundStreamHead& tag)
    {
        fitOrFail(writeSoundStreamHead(out, tag));
    }
    void writeBody(BitWriter& out, const SoundStreamBlock& tag)
    {
        fitOrFail(writeSoundStreamBlock(out, tag));
    }
    void writeBody(BitWriter& out, const DefineButtonSound& tag)
    {
        fitOrFail(writeDefineButtonSound(out, tag));
    }
    void fitOrFail(bool fits)
    {
        if (!fits) {
            fail("a sound envelope of more than 255 points");
        }
    }

    void writeStyles(BitWriter& out, const ShapeStyles& styles, int version);
    void writeFillStyle(BitWriter& out, const FillStyle& style, int version);
    void writeLineStyle(BitWriter& out, const LineStyle& style, int version);
    // LINESTYLE2's caps, join, flags and miter limit, shared with morph lines.
    void writeLineStyle2Flags(BitWriter& out, const LineStyle& style);
    void writeRecords(BitWriter& out, const Shape& shape, int version);
    void writeMorphFillStyle(BitWriter& out, const MorphFillStyle& style);
    void writeMorphLineStyle(BitWriter& out, const MorphLineStyle& style, int version);
    void writeEdges(BitWriter& out, const std::vector<ShapeRecord>& records);
    void writeDefineFont1(BitWriter& out, const DefineFont& tag);
    void writeClipActions(BitWriter& out, const ClipActions& actions);
    void writeString(BitWriter& out, const std::string& text);

    std::uint8_t m_swfVersion;
    std::string m_failure;
    std::string m_currentTag;
};

} // namespace quorvane::swf::writing
