#pragma once

#include "swf/TextTags.h"
#include "swf/Types.h"

#include <QString>
#include <vector>

namespace quorvane::player {

struct TextFormat {
    QString face;
    // The em in twips.
    int size = 240;
    swf::Rgba color{0, 0, 0, 255};
    bool bold = false;
    bool italic = false;
    bool underline = false;
    // Asked for by the markup; glyph pairs are not moved closer when drawn.
    bool kerning = false;
    QString url;

    bool operator==(const TextFormat&) const = default;
};

struct TextSpan {
    QString text;
    TextFormat format;
};

struct TextParagraph {
    swf::TextAlign align = swf::TextAlign::Left;
    bool bullet = false;
    // Twips; textformat's margins and indent, added to the field's own.
    int leftMargin = 0;
    int indent = 0;
    std::vector<TextSpan> spans;
};

// Paragraphs of plain text: a new one at each CR, LF or CR LF.
std::vector<TextParagraph> plainParagraphs(const QString& text, const TextFormat& format,
                                           swf::TextAlign align);

// Flash's HTML subset: p (align), br, font (face, size in pixels, color),
// b, i, u, a (href), li and textformat (leftmargin, indent). Unknown tags
// are dropped with their text kept; entities &lt; &gt; &amp; &quot; &apos;
// &nbsp; and numeric ones are decoded.
std::vector<TextParagraph> htmlParagraphs(const QString& html, const TextFormat& format,
                                          swf::TextAlign align);

} // namespace quorvane::player
