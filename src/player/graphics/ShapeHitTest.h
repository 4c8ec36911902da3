#pragma once

#include "player/graphics/ShapeGeometry.h"

#include <QPointF>

namespace quorvane::player {

// Whether a point (in the shape's twips) lies on what the shape paints:
// inside one of its fills or on one of its lines at the line's width.
// What hitTest's shape flag and the mouse over a clip ask.
bool shapeContains(const ShapeGeometry& shape, QPointF twips);

} // namespace quorvane::player
