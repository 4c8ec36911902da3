#pragma once

#include "player/avm1/ScriptHost.h"

#include <string>
#include <vector>

namespace quorvane::fixtures {

using Lines = std::vector<std::string>;

// A script host that keeps what the movie's scripts say, for tests to read.
class RecordingScriptHost : public player::avm1::ScriptHost {
public:
    void trace(const std::string& line) override { traces.push_back(line); }
    void fscommand(const std::string& command, const std::string& arguments) override
    {
        commands.push_back(command + ' ' + arguments);
    }
    void openAddress(const std::string& address, const std::string&) override
    {
        addresses.push_back(address);
    }
    void scriptsHalted(const std::string& reason) override { halts.push_back(reason); }

    Lines traces;
    Lines commands;
    Lines addresses;
    Lines halts;
};

} // namespace quorvane::fixtures
