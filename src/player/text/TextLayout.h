#pragma once

#include "player/graphics/ShapeGeometry.h"
#include "player/text/Fonts.h"
#include "swf/TextTags.h"

#include <QFont>
#include <QPointF>
#include <QString>
#include <QTransform>
#include <functional>
#include <optional>
#include <vector>

namespace quorvane::player {

// One embedded glyph: its outline, where it goes in the text's twips and
// its colour.
struct GlyphDraw {
    const ShapeGeometry* glyph = nullptr;
    QTransform transform;
    swf::Rgba color;
};

// A run of text in a system font, its baseline starting at origin; the
// font's pixel size is the em in twips.
struct DeviceTextRun {
    QFont font;
    QString text;
    QPointF origin;
    swf::Rgba color;
    bool underline = false;
};

// A text character laid out once, ready to draw in its own twips.
struct TextBlock {
    // Border and background of an edit text.
    std::optional<ShapeGeometry> box;
    std::vector<GlyphDraw> glyphs;
    std::vector<DeviceTextRun> runs;
    // Twips: the widest line and the lines' height, as textWidth and
    // textHeight report them.
    double textWidth = 0;
    double textHeight = 0;
};

using FontLookup = std::function<const Font*(std::uint16_t id)>;

// What Flash draws behind and around an edit text. The tag's border flag
// stands for both, a white background inside a black border; scripts turn
// each on alone and choose their colours.
struct EditTextFrame {
    bool background = false;
    bool border = false;
    swf::Rgba backgroundColor{255, 255, 255, 255};
    swf::Rgba borderColor{0, 0, 0, 255};

    static EditTextFrame of(const swf::DefineEditText& text);
    bool operator==(const EditTextFrame&) const = default;
};

// DefineText and DefineText2: glyphs of embedded fonts placed by the records.
TextBlock layoutStaticText(const swf::DefineText& text, const FontLookup& fonts);

// DefineEditText's initial text, plain or HTML, in its embedded font where
// it has one with outlines for every character and in system fonts
// otherwise; word wrap, alignment, margins, indent and leading as Flash
// lays them out.
TextBlock layoutEditText(const swf::DefineEditText& text, const FontLookup& fonts, int swfVersion,
                         const EditTextFrame& frame);

} // namespace quorvane::player
