#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace quorvane::testing {

// Writes a small movie of the given number of frames, each frame showing a
// shape at a different place, so that frames can be told apart.
void writeTestMovie(const QString& path, int frames, double frameRate = 12.0);
// Writes a movie's bytes to path; a file that cannot be written ends the run.
void writeMovie(const QString& path, const std::vector<std::uint8_t>& bytes);

} // namespace quorvane::testing
