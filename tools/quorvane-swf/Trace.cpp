#include "Trace.h"

#include "InputScript.h"
#include "player/Player.h"
#include "player/avm1/ScriptHost.h"

#include <iostream>

namespace quorvane::tools {

namespace {

class TraceHost : public player::avm1::ScriptHost {
public:
    explicit TraceHost(std::ostream& out) : m_out(out) {}

    void trace(const std::string& line) override { m_out << line << '\n'; }
    void fscommand(const std::string& command, const std::string& arguments) override
    {
        std::cerr << "fscommand: " << command << ' ' << arguments << '\n';
        if (command == "quit") {
            m_quit = true;
        }
    }
    void openAddress(const std::string& address, const std::string& window) override
    {
        std::cerr << "getURL: " << address << ' ' << window << '\n';
    }
    void scriptsHalted(const std::string& reason) override
    {
        std::cerr << "scripts halted: " << reason << '\n';
    }

    bool quitRequested() const { return m_quit; }

private:
    std::ostream& m_out;
    bool m_quit = false;
};

} // namespace

std::optional<std::string> traceMovie(const TraceRequest& request, std::ostream& out)
{
    std::vector<InputStep> input;
    if (request.inputPath) {
        auto steps = readInputScript(*request.inputPath);
        if (!steps) {
            return "cannot read " + *request.inputPath;
        }
        input = std::move(*steps);
    }
    TraceHost host(out);
    player::Player player;
    player.setScriptHost(&host);
    if (auto error = player.load(request.moviePath)) {
        return error;
    }
    for (int frame = 1; frame <= request.frames && !host.quitRequested(); ++frame) {
        // The events up to each Wait come after the frame before them ran,
        // the last frame's included: their handlers trace too.
        if (std::size_t(frame - 1) < input.size()) {
            deliverInput(player, input[std::size_t(frame - 1)]);
        }
        if (host.quitRequested() || frame == request.frames) {
            break;
        }
        player.advanceFrame();
    }
    out.flush();
    return std::nullopt;
}

} // namespace quorvane::tools
