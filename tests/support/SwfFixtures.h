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
// The bytes of a 100 x 100 movie of the given frames, each a list of tags
// (ShowFrame added).
std::vector<std::uint8_t> movieOfFrames(std::vector<std::vector<swf::Tag>> frames, int version = 8);

// A movie of `frames` frames on a 200x150 stage: a background rectangle, a
// red square sliding right one pixel a frame, a green square that exists
// only on frames divisible by 3, and a three-frame sprite (a blue square
// moving down) placed at frame 5 and again after it is removed at frame 20.
swf::Movie animatedMovie(int frames, double frameRate = 12.0);

// Samples as little-endian 16-bit bytes, the way uncompressed sound stores them.
std::vector<std::uint8_t> littleEndianPcm(const std::vector<std::int16_t>& samples);
// An uncompressed 16-bit sound; stereo samples interleaved.
swf::DefineSound pcmSound(std::uint16_t id, const std::vector<std::int16_t>& samples,
                          std::uint8_t rateCode = 3, bool stereo = false);
// The head of an uncompressed 16-bit mono stream at 44,100 per second.
swf::SoundStreamHead pcmStreamHead(std::uint16_t samplesPerBlock);
swf::SoundStreamBlock pcmStreamBlock(const std::vector<std::int16_t>& samples);
// A movie of `frames` frames at `frameRate` whose mono stream holds, in
// frame f, 44,100 / frameRate samples of the constant value streamLevel(f).
swf::Movie streamMovie(int frames, double frameRate);
std::int16_t streamLevel(int frame);

} // namespace quorvane::fixtures
