#pragma once

#include "swf/Movie.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

// Small movies built in code, for tests and benchmarks.
namespace quorvane::fixtures {

constexpr swf::Rgba kRed{255, 0, 0, 255};
constexpr swf::Rgba kGreen{0, 255, 0, 255};
constexpr swf::Rgba kBlue{0, 0, 255, 255};

// A header for a stage of width x height pixels at the given frame rate.
swf::Header header(int width, int height, double frameRate, std::uint16_t frameCount,
                   swf::Compression compression = swf::Compression::None);

// A DefineShape3 filling the rectangle (pixels, relative to the shape's
// origin) with one colour.
swf::DefineShape rectangle(std::uint16_t id, int x, int y, int width, int height, swf::Rgba color);

// PlaceObject2 of a character at a depth, moved to (x, y) pixels.
swf::PlaceObject place(std::uint16_t depth, std::uint16_t characterId, int x = 0, int y = 0);
// PlaceObject2 with the move flag and a new position only.
swf::PlaceObject move(std::uint16_t depth, int x, int y);
swf::RemoveObject remove(std::uint16_t depth);

swf::Matrix translation(int x, int y);

// The tags with End appended.
swf::Movie movie(const swf::Header& header, std::vector<swf::Tag> tags);
std::vector<std::uint8_t> bytes(const swf::Movie& movie);

// A movie of `frames` frames on a 200x150 stage: a background rectangle, a
// red square sliding right one pixel a frame, a green square that exists
// only on frames divisible by 3, and a three-frame sprite (a blue square
// moving down) placed at frame 5 and again after it is removed at frame 20.
swf::Movie animatedMovie(int frames, double frameRate = 12.0);

} // namespace quorvane::fixtures
