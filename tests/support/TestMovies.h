#pragma once

#include <QString>

namespace quorvane::testing {

// Writes a small movie of the given number of frames, each frame showing a
// shape at a different place, so that frames can be told apart.
void writeTestMovie(const QString& path, int frames, double frameRate = 12.0);

} // namespace quorvane::testing
