#pragma once

#include "player/graphics/ShapeGeometry.h"
#include "swf/FontTags.h"

#include <QFont>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace quorvane::player {

// An embedded font: its glyph outlines ready to draw (filled black, to be
// coloured by a colour transform) and what text layout needs to know.
struct Font {
    QString name;
    bool bold = false;
    bool italic = false;
    // The glyph units in an em: DefineFont3 draws twenty times finer.
    double emSquare = 1024;
    std::vector<ShapeGeometry> glyphs;
    std::vector<std::uint16_t> codes;
    std::optional<swf::FontLayout> layout;

    // The glyph that draws a character, if the font has one.
    std::optional<std::size_t> glyphFor(char16_t code) const;

    static Font build(const swf::DefineFont& font, int swfVersion);
    // DefineFontInfo names a version 1 font and gives its glyphs' characters.
    void apply(const swf::DefineFontInfo& info, int swfVersion);
};

// Strings of movies before SWF 6 are in the author's code page, for our
// learners GBK; from SWF 6 on they are UTF-8.
QString decodeMovieString(const std::string& bytes, int swfVersion);

// A system font for text the movie did not embed. Flash's generic names
// and the Chinese Windows fonts map to the nearest installed family, and a
// CJK face always follows as fallback so that Chinese never shows as boxes.
// The size is the em in the unit the caller draws in.
QFont deviceFont(const QString& name, bool bold, bool italic, int pixelSize);

// The families deviceFont asks for, first choice first.
QStringList deviceFontFamilies(const QString& name);

} // namespace quorvane::player
