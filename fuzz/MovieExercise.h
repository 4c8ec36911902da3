#pragma once

#include <cstdint>
#include <span>

namespace quorvane::fuzz {

// What the fuzz target does with its input, shared with the test that
// replays kept crash inputs: reads the bytes as a movie, plays a few
// frames, seeks to the end and back, and draws the frame small. Returns
// whether the bytes were a movie.
bool exerciseMovie(std::span<const std::uint8_t> bytes);

} // namespace quorvane::fuzz
