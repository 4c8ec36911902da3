#pragma once

#include "swf/Types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvane::swf {

struct GlyphEntry {
    std::uint32_t index = 0;
    std::int32_t advance = 0;

    bool operator==(const GlyphEntry&) const = default;
};

// A run of glyphs; what it does not set carries over from the run before.
struct TextRecord {
    std::optional<std::uint16_t> fontId;
    std::optional<Rgba> color;
    std::optional<std::int16_t> xOffset;
    std::optional<std::int16_t> yOffset;
    // Set with fontId, in twips.
    std::uint16_t height = 0;
    std::vector<GlyphEntry> glyphs;

    bool operator==(const TextRecord&) const = default;
};

// DefineText (version 1, RGB colours) and DefineText2 (version 2, RGBA).
struct DefineText {
    std::uint8_t version = 1;
    std::uint16_t id = 0;
    Rect bounds;
    Matrix matrix;
    std::vector<TextRecord> records;

    bool operator==(const DefineText&) const = default;
};

enum class TextAlign : std::uint8_t { Left = 0, Right = 1, Center = 2, Justify = 3 };

struct EditTextLayout {
    TextAlign align = TextAlign::Left;
    std::uint16_t leftMargin = 0;
    std::uint16_t rightMargin = 0;
    std::int16_t indent = 0;
    std::int16_t leading = 0;

    bool operator==(const EditTextLayout&) const = default;
};

struct DefineEditText {
    std::uint16_t id = 0;
    Rect bounds;
    bool wordWrap = false;
    bool multiline = false;
    bool password = false;
    bool readOnly = false;
    bool autoSize = false;
    bool noSelect = false;
    bool border = false;
    bool wasStatic = false;
    bool html = false;
    bool useOutlines = false;
    std::optional<std::uint16_t> fontId;
    std::optional<std::string> fontClass;
    // Twips; present with a font or a font class.
    std::optional<std::uint16_t> fontHeight;
    std::optional<Rgba> textColor;
    std::optional<std::uint16_t> maxLength;
    std::optional<EditTextLayout> layout;
    std::string variableName;
    // Raw bytes: UTF-8 from SWF 6, the author's code page before.
    std::optional<std::string> initialText;

    bool operator==(const DefineEditText&) const = default;
};

} // namespace quorvane::swf
