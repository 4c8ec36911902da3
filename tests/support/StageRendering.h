#pragma once

#include "swf/Movie.h"

#include <QImage>

namespace quorvane::fixtures {

// The movie's first frame drawn at `scale` times its stage size on black;
// a null image (and the reason as a warning) when the movie cannot load.
QImage renderFirstFrame(const swf::Movie& movie, double scale = 1.0);

} // namespace quorvane::fixtures
