#include "swf/Tags.h"

#include "swf/TagCode.h"

#include <algorithm>

namespace quorvane::swf {

namespace {

constexpr std::uint16_t codeOf(TagCode code)
{
    return static_cast<std::uint16_t>(code);
}
std::uint16_t codeOf(const End&)
{
    return codeOf(TagCode::End);
}
std::uint16_t codeOf(const ShowFrame&)
{
    return codeOf(TagCode::ShowFrame);
}
std::uint16_t codeOf(const SetBackgroundColor&)
{
    return codeOf(TagCode::SetBackgroundColor);
}
std::uint16_t codeOf(const DefineShape& shape)
{
    constexpr TagCode codes[] = {TagCode::DefineShape, TagCode::DefineShape2, TagCode::DefineShape3,
                                 TagCode::DefineShape4};
    return codeOf(codes[std::clamp(static_cast<int>(shape.version), 1, 4) - 1]);
}
std::uint16_t codeOf(const PlaceObject& place)
{
    constexpr TagCode codes[] = {TagCode::PlaceObject, TagCode::PlaceObject2,
                                 TagCode::PlaceObject3};
    return codeOf(codes[std::clamp(static_cast<int>(place.version), 1, 3) - 1]);
}
std::uint16_t codeOf(const RemoveObject& remove)
{
    return codeOf(remove.version == 1 ? TagCode::RemoveObject : TagCode::RemoveObject2);
}
std::uint16_t codeOf(const FrameLabel&)
{
    return codeOf(TagCode::FrameLabel);
}
std::uint16_t codeOf(const DefineSprite&)
{
    return codeOf(TagCode::DefineSprite);
}
std::uint16_t codeOf(const DefineSound&)
{
    return codeOf(TagCode::DefineSound);
}
std::uint16_t codeOf(const StartSound&)
{
    return codeOf(TagCode::StartSound);
}
std::uint16_t codeOf(const StartSound2&)
{
    return codeOf(TagCode::StartSound2);
}
std::uint16_t codeOf(const SoundStreamHead& head)
{
    return codeOf(head.version == 1 ? TagCode::SoundStreamHead : TagCode::SoundStreamHead2);
}
std::uint16_t codeOf(const SoundStreamBlock&)
{
    return codeOf(TagCode::SoundStreamBlock);
}
std::uint16_t codeOf(const DefineButtonSound&)
{
    return codeOf(TagCode::DefineButtonSound);
}
std::uint16_t codeOf(const DefineBitsJpeg& bits)
{
    constexpr TagCode codes[] = {TagCode::DefineBits, TagCode::DefineBitsJpeg2,
                                 TagCode::DefineBitsJpeg3, TagCode::DefineBitsJpeg4};
    return codeOf(codes[std::clamp(static_cast<int>(bits.version), 1, 4) - 1]);
}
std::uint16_t codeOf(const JpegTables&)
{
    return codeOf(TagCode::JpegTables);
}
std::uint16_t codeOf(const DefineBitsLossless& bits)
{
    return codeOf(bits.version == 1 ? TagCode::DefineBitsLossless : TagCode::DefineBitsLossless2);
}
std::uint16_t codeOf(const DefineMorphShape& morph)
{
    return codeOf(morph.version == 1 ? TagCode::DefineMorphShape : TagCode::DefineMorphShape2);
}
std::uint16_t codeOf(const DefineFont& font)
{
    constexpr TagCode codes[] = {TagCode::DefineFont, TagCode::DefineFont2, TagCode::DefineFont3};
    return codeOf(codes[std::clamp(static_cast<int>(font.version), 1, 3) - 1]);
}
std::uint16_t codeOf(const DefineFontInfo& info)
{
    return codeOf(info.version == 1 ? TagCode::DefineFontInfo : TagCode::DefineFontInfo2);
}
std::uint16_t codeOf(const DefineFontName&)
{
    return codeOf(TagCode::DefineFontName);
}
std::uint16_t codeOf(const DefineText& text)
{
    return codeOf(text.version == 1 ? TagCode::DefineText : TagCode::DefineText2);
}
std::uint16_t codeOf(const DefineEditText&)
{
    return codeOf(TagCode::DefineEditText);
}
std::uint16_t codeOf(const Unknown& unknown)
{
    return unknown.code;
}

} // namespace

// Out of line: a defaulted comparison of this recursive type sends clang 14
// into endless recursion.
bool DefineSprite::operator==(const DefineSprite& other) const
{
    return id == other.id && frameCount == other.frameCount && tags == other.tags;
}

std::uint16_t tagCode(const Tag& tag)
{
    return std::visit([](const auto& value) { return codeOf(value); }, tag.value);
}

} // namespace quorvane::swf
