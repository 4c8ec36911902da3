#pragma once

#include "player/graphics/ShapeGeometry.h"

#include <QPainterPath>
#include <vector>

namespace quorvane::player {

// A fill's or stroke's contours as one Qt path, in twips. Closing matters
// for strokes only: a closed contour is joined at its start, not capped.
QPainterPath pathOfContours(const std::vector<Contour>& contours, bool closeContours);

} // namespace quorvane::player
