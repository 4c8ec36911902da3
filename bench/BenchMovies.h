#pragma once

#include "swf/Movie.h"

#include <cstdint>
#include <vector>

namespace quorvane::bench {

// A busy 569 x 430 lesson-like movie: a gradient background, 40 curved,
// outlined shapes drifting across the stage and a few running sprites.
swf::Movie busyMovie(int frames);

// A 569 x 430 page of Chinese text in a device font (宋体) filling an edit
// text, with a small square moving over it every frame.
swf::Movie chineseTextMovie(int frames);

// A 1920 x 1080 JPEG photograph-like picture scaled onto a 569 x 430 stage,
// seen through a mask that moves every frame.
swf::Movie maskedPhotoMovie(int frames);

} // namespace quorvane::bench
