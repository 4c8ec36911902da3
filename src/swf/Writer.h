#pragma once

#include "swf/Movie.h"
#include "swf/Result.h"

#include <cstdint>
#include <vector>

namespace quorvane::swf {

// Encodes a movie so that readMovie gives back an equal Movie; fails for
// values the format cannot hold (an edge too long for its record, a
// DefineShape with more styles than its version allows, a NUL inside a
// string, a tag body over 4 GiB).
Result<std::vector<std::uint8_t>> writeMovie(const Movie& movie);

} // namespace quorvane::swf
