#pragma once

#include "swf/Tags.h"

#include <QColor>
#include <QPainterPath>
#include <QRectF>
#include <cstdint>

namespace quorvane::course {

// Builds a DefineShape4 from painter paths in pixels: each path filled with
// its own style, curves turned into the quadratic edges SWF holds. The
// shape uses the non-zero winding rule, as font outlines need: glyphs of
// CJK fonts overlap their own strokes.
class ShapeBuilder {
public:
    explicit ShapeBuilder(std::uint16_t id);

    // Adds a path filled with a style; returns the style's index.
    std::uint32_t addFill(const QPainterPath& path, const swf::FillStyle& style);

    swf::DefineShape shape() const { return m_shape; }

    static swf::FillStyle solid(QColor color);
    // A linear gradient from `from` to `to` across `area` (pixels), top to
    // bottom when vertical, else left to right.
    static swf::FillStyle linearGradient(const QRectF& area, QColor from, QColor to, bool vertical);

private:
    void addEdges(const QPainterPath& path, std::uint32_t fill);
    void lineTo(swf::Point to);
    void quadTo(swf::Point control, swf::Point to);
    void cubicTo(QPointF start, QPointF control1, QPointF control2, QPointF end, int depth);
    void growBounds(swf::Point point);

    swf::DefineShape m_shape;
    swf::Point m_position;
    bool m_empty = true;
};

swf::Rgba toRgba(QColor color);

} // namespace quorvane::course
