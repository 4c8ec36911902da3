#pragma once

#include "swf/Tags.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace quorvane::player::avm1 {

// The frames of a timeline as scripts need them: every tag in order, frame
// by frame (placements, actions, labels alike), and the frame labels.
struct ScriptTimeline {
    ScriptTimeline() = default;
    ScriptTimeline(const std::vector<swf::Tag>& tags, int tagFrameCount);

    // The frames the tags hold, whatever the count in the header says: one
    // per ShowFrame, and the tags after the last ShowFrame as one more,
    // entered once. At least one: even an empty sprite shows its (empty)
    // first frame.
    int frameCount = 1;
    // As the tag says, zero included: what _totalframes reports.
    int declaredFrames = 1;
    // A timeline goes round only when its tags ended properly, in an End
    // after a ShowFrame; a cut one waits on its last frame, as Flash waits
    // for the rest of a file still loading.
    bool loops = false;
    // As many as frameCount: an empty timeline holds its one empty frame.
    std::vector<std::vector<const swf::Tag*>> frames = std::vector<std::vector<const swf::Tag*>>(1);
    std::vector<std::pair<std::string, int>> labels;
};

// The movie's DoAction, DoInitAction, ExportAssets and ImportAssets tags are Unknown to
// the format library; their codes and contents.
constexpr std::uint16_t kDoAction = 12;
constexpr std::uint16_t kDoInitAction = 59;
constexpr std::uint16_t kExportAssets = 56;
constexpr std::uint16_t kImportAssets = 57;
constexpr std::uint16_t kImportAssets2 = 71;

const swf::Unknown* unknownTag(const swf::Tag& tag, std::uint16_t code);
// The names a movie's ExportAssets tags give its characters, in UTF-8 for
// a movie of that version.
std::unordered_map<std::string, std::uint16_t> exportedCharacters(const std::vector<swf::Tag>& tags,
                                                                  int swfVersion);
// True when any tag of the movie, sprites' included, carries script or
// clip actions: such a movie needs the script engine.
bool hasScripts(const std::vector<swf::Tag>& tags);

} // namespace quorvane::player::avm1
