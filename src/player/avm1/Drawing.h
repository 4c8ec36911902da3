#pragma once

#include "player/graphics/ShapeGeometry.h"
#include "swf/Shape.h"

#include <QRectF>
#include <memory>
#include <optional>
#include <vector>

namespace quorvane::player::avm1 {

// What a clip's drawing methods (beginFill, lineTo and the rest) have drawn
// so far, in the clip's twips. Fills close themselves: an open outline is
// joined back to where it started when its fill ends, and a fill still open
// shows as if it had ended. Lines drawn while a fill is open are painted
// over that fill.
class Drawing {
public:
    // Ends any open fill first; no style (an unusable fill argument) draws
    // outlines without filling them.
    void beginFill(std::optional<swf::FillStyle> style);
    void endFill();
    // No style: the lines that follow are not drawn.
    void lineStyle(std::optional<swf::LineStyle> style);
    void moveTo(swf::Point to);
    void lineTo(swf::Point to);
    void curveTo(swf::Point control, swf::Point to);
    // Everything goes, the line style too; the pen returns to the origin.
    void clear();

    bool isEmpty() const;
    // Rebuilt after each change; shared so that a display list taken
    // earlier keeps what it showed.
    std::shared_ptr<const ShapeGeometry> geometry() const;
    // Twips, strokes with half their width around them; nothing when
    // nothing is drawn.
    std::optional<QRectF> bounds() const;

private:
    void addSegment(const Segment& segment);
    void finishStroke();
    void changed() { m_geometry.reset(); }

    std::vector<DrawItem> m_items;
    std::optional<FillArea> m_fill;
    // Drawn since the fill began, painted after it.
    std::vector<Stroke> m_strokesOverFill;
    std::optional<swf::LineStyle> m_line;
    std::optional<Stroke> m_stroke;
    swf::Point m_pen;
    mutable std::shared_ptr<const ShapeGeometry> m_geometry;
};

} // namespace quorvane::player::avm1
