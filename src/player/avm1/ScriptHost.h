#pragma once

#include <string>

namespace quorvane::player::avm1 {

// What scripts reach outside the movie. Every call has a do-nothing
// default so that a host implements only what it shows.
class ScriptHost {
public:
    virtual ~ScriptHost() = default;

    virtual void trace(const std::string& /*line*/) {}
    virtual void fscommand(const std::string& /*command*/, const std::string& /*arguments*/) {}
    // Only http, https and mailto addresses reach the host.
    virtual void openAddress(const std::string& /*address*/, const std::string& /*window*/) {}
    // The movie's scripts stopped for good (too long, too deep), with why.
    virtual void scriptsHalted(const std::string& /*reason*/) {}
};

} // namespace quorvane::player::avm1
