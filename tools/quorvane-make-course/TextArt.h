#pragma once

#include "swf/Tags.h"

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QStringList>
#include <cstdint>

namespace quorvane::course {

QFont englishFont(double pixels);
QFont chineseFont(double pixels);

// A text broken into lines that fit a width, in the font that draws it.
// Lines keep the asterisks of their highlighted words, balanced per line.
struct TextLines {
    QStringList lines;
    QFont font;
    double lineSpacing = 0;
    double widest = 0;

    double height() const { return lineSpacing * double(lines.size()); }
};

// Breaks where the Unicode line-breaking rules allow (between words, and
// between Chinese characters except before closing punctuation). Where a
// piece is wider than `width` on its own, or more than `maxLines` lines are
// needed, the font shrinks step by step, to no less than 60% of its size.
TextLines fitText(const QString& marked, const QFont& font, double width, int maxLines);

// The outlines of the lines, the first baseline at `origin`'s height;
// left-aligned from its x, or centred on it.
struct TextPaths {
    QPainterPath plain;
    QPainterPath highlighted;
};
TextPaths textPaths(const TextLines& text, QPointF origin = {}, bool centred = false);

// The lines as a shape, laid out as textPaths does, highlighted words in
// `highlight`.
swf::DefineShape textShape(std::uint16_t id, const TextLines& text, QColor color, QColor highlight,
                           bool centred = false, QPointF origin = {});

// A bar through the middle of each line's letters, as strike-through.
QPainterPath strikePath(const TextLines& text);

} // namespace quorvane::course
