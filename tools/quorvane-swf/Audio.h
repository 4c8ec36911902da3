#pragma once

#include <optional>
#include <string>

namespace quorvane::tools {

// Plays the movie from a fresh start for `frames` frame intervals and
// writes what it sounds like over them as raw PCM: signed 16-bit
// little-endian interleaved stereo at 44,100 samples per second. The error
// text when that fails.
std::optional<std::string> recordAudio(const std::string& moviePath, int frames,
                                       const std::string& outputPath);

} // namespace quorvane::tools
