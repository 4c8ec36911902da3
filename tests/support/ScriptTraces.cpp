#include "ScriptTraces.h"

#include "SwfFixtures.h"
#include "player/Player.h"

#include <algorithm>

namespace quorvane::fixtures {

Lines traceOf(const ActionScript& script, int version, std::vector<swf::Tag> tags)
{
    swf::Header head = header(100, 100, 12, 1);
    head.version = std::uint8_t(version);
    tags.push_back(doAction(script));
    tags.push_back(swf::Tag{swf::ShowFrame{}});
    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    const auto error = player.loadBytes(bytes(movie(head, std::move(tags))));
    if (error) {
        return {"load failed: " + *error};
    }
    return host.traces;
}

ActionScript& pushPath(ActionScript& script, const std::string& path)
{
    std::size_t start = 0;
    for (bool first = true; start <= path.size(); first = false) {
        const std::size_t dot = std::min(path.find('.', start), path.size());
        script.push(path.substr(start, dot - start))
            .op(first ? swf::ActionCode::GetVariable : swf::ActionCode::GetMember);
        start = dot + 1;
    }
    return script;
}

void tracePath(ActionScript& script, const std::string& path)
{
    pushPath(script, path).op(swf::ActionCode::Trace);
}

} // namespace quorvane::fixtures
