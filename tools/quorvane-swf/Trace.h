#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace quorvane::tools {

struct TraceRequest {
    std::string moviePath;
    int frames = 1;
    // Scripted mouse and key events, in the corpus' input.json form.
    std::optional<std::string> inputPath;
};

// Runs frames 1..frames headless and writes each trace line to out;
// fscommand calls and script halts go to standard error. Returns why it
// could not run, or nothing.
std::optional<std::string> traceMovie(const TraceRequest& request, std::ostream& out);

} // namespace quorvane::tools
