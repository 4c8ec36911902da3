#pragma once

#include "swf/Movie.h"
#include "swf/Result.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quorvane::swf {

// Limits that keep a hostile file from taking unbounded memory: two bytes
// make a tag and a few bits a shape record, each far larger once read.
// Lesson movies stay well inside them.
struct ReadOptions {
    // The most bytes a movie may hold once decompressed, whatever its header
    // declares; a lesson movie is a few megabytes at most.
    std::size_t maxMovieBytes = 64u << 20;
    // Tags, sprites' own included.
    std::size_t maxTags = 500000;
    // Shape records of all shapes together.
    std::size_t maxShapeRecords = 2000000;
};

// A movie read as far as it goes. Damage after the header (a truncated or
// overlong tag, a record that runs past its tag) costs only the damaged
// part; each such loss is described in warnings.
struct ReadMovie {
    Movie movie;
    // The length the header declares, which damaged files get wrong.
    std::uint32_t declaredLength = 0;
    std::vector<Error> warnings;
};

// Fails only when there is no movie at all: no SWF signature, a header cut
// short, or compressed data that yields nothing.
Result<ReadMovie> readMovie(std::span<const std::uint8_t> file, const ReadOptions& options = {});

// Reads the file and then the movie; the file may be no larger than
// options.maxMovieBytes.
Result<ReadMovie> readMovieFile(const std::string& path, const ReadOptions& options = {});

} // namespace quorvane::swf
