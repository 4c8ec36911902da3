#pragma once

#include "swf/Shape.h"
#include "swf/Types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvane::swf {

struct KerningRecord {
    std::uint16_t left = 0;
    std::uint16_t right = 0;
    std::int16_t adjustment = 0;

    bool operator==(const KerningRecord&) const = default;
};

// DefineFont2/3's metrics, in the glyphs' own units.
struct FontLayout {
    std::int16_t ascent = 0;
    std::int16_t descent = 0;
    std::int16_t leading = 0;
    std::vector<std::int16_t> advances;
    std::vector<Rect> bounds;
    std::vector<KerningRecord> kerning;

    bool operator==(const FontLayout&) const = default;
};

// DefineFont (version 1: glyph outlines only, names and codes come from a
// DefineFontInfo), DefineFont2 and DefineFont3. Glyphs are drawn on an
// em-square of 1024 units, twenty times finer in DefineFont3.
struct DefineFont {
    std::uint8_t version = 2;
    std::uint16_t id = 0;
    bool shiftJis = false;
    bool smallText = false;
    bool ansi = false;
    bool wideCodes = true;
    bool italic = false;
    bool bold = false;
    std::uint8_t language = 0;
    // Raw bytes: UTF-8 from SWF 6, the author's code page before.
    std::string name;
    std::vector<Shape> glyphs;
    // The character each glyph draws (versions 2 and 3).
    std::vector<std::uint16_t> codes;
    std::optional<FontLayout> layout;

    bool operator==(const DefineFont&) const = default;
};

// DefineFontInfo (version 1) and DefineFontInfo2 (version 2, with a
// language): the name and character codes of a version 1 font.
struct DefineFontInfo {
    std::uint8_t version = 1;
    std::uint16_t fontId = 0;
    std::string name;
    bool smallText = false;
    bool shiftJis = false;
    bool ansi = false;
    bool italic = false;
    bool bold = false;
    bool wideCodes = true;
    std::uint8_t language = 0;
    std::vector<std::uint16_t> codes;

    bool operator==(const DefineFontInfo&) const = default;
};

struct DefineFontName {
    std::uint16_t fontId = 0;
    std::string name;
    std::string copyright;

    bool operator==(const DefineFontName&) const = default;
};

} // namespace quorvane::swf
