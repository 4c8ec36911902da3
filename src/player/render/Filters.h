#pragma once

#include "swf/Tags.h"

#include <QImage>
#include <vector>

namespace quorvane::player {

// A layer's picture after PlaceObject3's filters, applied in order. Filter
// sizes are taken as device pixels. Filters whose bytes are damaged are
// skipped.
QImage applyFilters(QImage picture, const std::vector<swf::Filter>& filters);

} // namespace quorvane::player
