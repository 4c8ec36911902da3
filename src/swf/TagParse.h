#pragma once

#include "swf/BitReader.h"
#include "swf/Tags.h"

#include <cstddef>
#include <optional>
#include <string>

namespace quorvane::swf {

// What reading one tag body gave: a value, a problem, or both when the
// value is what could be saved of a damaged tag.
struct TagParse {
    std::optional<TagValue> value;
    std::string problem;
};

// Readers of the tag families beyond shapes and the display list. The
// budget of shape records is shared with the movie's shapes.
TagParse parseBitmapTag(std::uint16_t code, BitReader& reader);
TagParse parseMorphShape(BitReader& reader, int version, std::size_t& shapeRecordsLeft);
TagParse parseFontTag(std::uint16_t code, BitReader& reader, std::size_t& shapeRecordsLeft);
TagParse parseTextTag(std::uint16_t code, BitReader& reader);

} // namespace quorvane::swf
