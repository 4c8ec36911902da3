#pragma once

#include "swf/BitmapTags.h"
#include "swf/FontTags.h"
#include "swf/MorphTags.h"
#include "swf/Shape.h"
#include "swf/SoundTags.h"
#include "swf/TextTags.h"
#include "swf/Types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace quorvane::swf {

struct End {
    bool operator==(const End&) const = default;
};

struct ShowFrame {
    bool operator==(const ShowFrame&) const = default;
};

struct SetBackgroundColor {
    Rgba color;

    bool operator==(const SetBackgroundColor&) const = default;
};

// DefineShape, DefineShape2, DefineShape3 and DefineShape4 by version 1 to 4.
struct DefineShape {
    std::uint8_t version = 1;
    std::uint16_t id = 0;
    Rect bounds;
    // DefineShape4 only.
    Rect edgeBounds;
    bool usesFillWindingRule = false;
    bool usesNonScalingStrokes = false;
    bool usesScalingStrokes = false;
    Shape shape;

    bool operator==(const DefineShape&) const = default;
};

// One record of a PlaceObject2/3's clip actions; the actions stay bytes
// until the script engine reads them.
struct ClipActionRecord {
    std::uint32_t events = 0;
    std::optional<std::uint8_t> keyCode;
    std::vector<std::uint8_t> actions;

    bool operator==(const ClipActionRecord&) const = default;
};

struct ClipActions {
    std::uint32_t allEvents = 0;
    std::vector<ClipActionRecord> records;

    bool operator==(const ClipActions&) const = default;
};

// A surface filter of PlaceObject3, kept as its id and its bytes.
struct Filter {
    std::uint8_t id = 0;
    std::vector<std::uint8_t> data;

    bool operator==(const Filter&) const = default;
};

// PlaceObject, PlaceObject2 and PlaceObject3 by version 1 to 3. PlaceObject
// always has a character and a matrix; the others carry what their flags say.
struct PlaceObject {
    std::uint8_t version = 2;
    std::uint16_t depth = 0;
    bool move = false;
    std::optional<std::uint16_t> characterId;
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> colorTransform;
    std::optional<std::uint16_t> ratio;
    std::optional<std::string> name;
    std::optional<std::uint16_t> clipDepth;
    std::optional<ClipActions> clipActions;
    // PlaceObject3 only.
    bool hasImage = false;
    std::optional<std::string> className;
    std::optional<std::vector<Filter>> filters;
    std::optional<std::uint8_t> blendMode;
    std::optional<std::uint8_t> bitmapCache;
    std::optional<std::uint8_t> visible;
    std::optional<Rgba> backgroundColor;

    bool operator==(const PlaceObject&) const = default;
};

// RemoveObject (version 1, names the character) and RemoveObject2.
struct RemoveObject {
    std::uint8_t version = 2;
    std::optional<std::uint16_t> characterId;
    std::uint16_t depth = 0;

    bool operator==(const RemoveObject&) const = default;
};

struct FrameLabel {
    std::string name;
    bool namedAnchor = false;

    bool operator==(const FrameLabel&) const = default;
};

// Any tag this library does not read into its own type, with its bytes.
struct Unknown {
    std::uint16_t code = 0;
    std::vector<std::uint8_t> data;

    bool operator==(const Unknown&) const = default;
};

struct DefineSprite;

using TagValue =
    std::variant<End, ShowFrame, SetBackgroundColor, DefineShape, PlaceObject, RemoveObject,
                 FrameLabel, DefineSprite, Unknown, DefineBitsJpeg, JpegTables, DefineBitsLossless,
                 DefineMorphShape, DefineFont, DefineFontInfo, DefineFontName, DefineText,
                 DefineEditText, DefineSound, StartSound, StartSound2, SoundStreamHead,
                 SoundStreamBlock, DefineButtonSound>;

struct Tag;

struct DefineSprite {
    std::uint16_t id = 0;
    std::uint16_t frameCount = 0;
    std::vector<Tag> tags;

    bool operator==(const DefineSprite&) const;
};

struct Tag {
    TagValue value;

    bool operator==(const Tag&) const = default;
};

// The code a tag is written with.
std::uint16_t tagCode(const Tag& tag);

} // namespace quorvane::swf
