#pragma once

#include "swf/Shape.h"
#include "swf/Tags.h"

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace quorvane::player {

// One piece of an outline, from the previous segment's end (or the
// contour's start) to end; a quadratic curve when it has a control point.
struct Segment {
    swf::Point end;
    std::optional<swf::Point> control;

    bool operator==(const Segment&) const = default;
};

struct Contour {
    swf::Point start;
    std::vector<Segment> segments;

    swf::Point finish() const { return segments.empty() ? start : segments.back().end; }
    bool isClosed() const { return finish() == start; }
    bool operator==(const Contour&) const = default;
};

// The area one fill style covers: contours oriented alike, so that the
// style's inside lies on the same side of every segment.
struct FillArea {
    swf::FillStyle style;
    std::vector<Contour> contours;
};

// The lines drawn with one line style: connected runs of edges.
struct Stroke {
    swf::LineStyle style;
    std::vector<Contour> contours;
};

using DrawItem = std::variant<FillArea, Stroke>;

// A DefineShape resolved for drawing. SWF describes areas by edges that
// name the fill on either side (fill0 and fill1); this turns them into
// closed outlines per style. Items come in painting
// order: per style group, the fills by style index, then the lines.
struct ShapeGeometry {
    swf::Rect bounds;
    bool windingFill = false;
    // Nonzero when a clip's drawing methods made it: a number no other
    // drawing ever has, for such drawings come and go at run time and a new
    // one may take the address of one gone.
    std::uint64_t scriptDrawing = 0;
    std::vector<DrawItem> items;

    static ShapeGeometry build(const swf::DefineShape& shape);
};

} // namespace quorvane::player
