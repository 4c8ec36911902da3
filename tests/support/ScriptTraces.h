#pragma once

#include "ActionFixtures.h"
#include "RecordingScriptHost.h"
#include "swf/Tags.h"

#include <string>
#include <vector>

namespace quorvane::fixtures {

// What the script traces when it runs in the first frame of a movie of that
// version, after the given definitions and placements.
Lines traceOf(const ActionScript& script, int version = 8, std::vector<swf::Tag> tags = {});

// Pushes the value of a dotted path: a variable, then its members.
ActionScript& pushPath(ActionScript& script, const std::string& path);
void tracePath(ActionScript& script, const std::string& path);

} // namespace quorvane::fixtures
