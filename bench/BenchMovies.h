#pragma once

#include "swf/Movie.h"

#include <cstdint>
#include <vector>

namespace quorvane::bench {

// A busy 569 x 430 lesson-like movie: a gradient background, 40 curved,
// outlined shapes drifting across the stage and a few running sprites.
swf::Movie busyMovie(int frames);

} // namespace quorvane::bench
