#pragma once

#include <QString>
#include <optional>
#include <string>

namespace quorvane::tools {

struct RenderRequest {
    QString moviePath;
    QString outputPath;
    int frames = 1;
    // Both set: the stage fitted into this size, aspect kept, the margins
    // in the background colour. Unset: the stage at its own pixel size.
    std::optional<int> width;
    std::optional<int> height;
};

// Runs frames 1..frames from a fresh start and writes the stage as it then
// stands as a PNG; the error text when that fails.
std::optional<std::string> renderMovie(const RenderRequest& request);

} // namespace quorvane::tools
