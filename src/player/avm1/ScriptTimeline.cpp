#include "player/avm1/ScriptTimeline.h"

#include "player/text/MovieStrings.h"
#include "swf/BitReader.h"

#include <algorithm>

namespace quorvane::player::avm1 {

ScriptTimeline::ScriptTimeline(const std::vector<swf::Tag>& tags, int tagFrameCount)
    : declaredFrames(tagFrameCount), frames(1)
{
    bool ended = false;
    for (const swf::Tag& tag : tags) {
        if (std::holds_alternative<swf::End>(tag.value)) {
            ended = true;
            break;
        }
        if (std::holds_alternative<swf::ShowFrame>(tag.value)) {
            frames.emplace_back();
            continue;
        }
        if (const auto* label = std::get_if<swf::FrameLabel>(&tag.value)) {
            labels.emplace_back(label->name, int(frames.size()) - 1);
        }
        frames.back().push_back(&tag);
    }
    // The tags after the last ShowFrame make a frame only when there are any.
    const bool partial = !frames.back().empty();
    if (!partial && frames.size() > 1) {
        frames.pop_back();
    }
    frameCount = int(frames.size());
    loops = ended && !partial && frameCount > 1;
}

const swf::Unknown* unknownTag(const swf::Tag& tag, std::uint16_t code)
{
    const auto* unknown = std::get_if<swf::Unknown>(&tag.value);
    return unknown && unknown->code == code ? unknown : nullptr;
}

std::unordered_map<std::string, std::uint16_t> exportedCharacters(const std::vector<swf::Tag>& tags,
                                                                  int swfVersion)
{
    std::unordered_map<std::string, std::uint16_t> exports;
    for (const swf::Tag& tag : tags) {
        if (const swf::Unknown* exportTag = unknownTag(tag, kExportAssets)) {
            swf::BitReader reader(exportTag->data);
            const std::uint16_t count = reader.readU16();
            for (std::uint16_t i = 0; i < count && !reader.overflowed(); ++i) {
                const std::uint16_t id = reader.readU16();
                exports.emplace(movieStringToUtf8(reader.readString(), swfVersion), id);
            }
        }
    }
    return exports;
}

bool hasScripts(const std::vector<swf::Tag>& tags)
{
    // DefineButton and DefineButton2 carry actions (or at least states
    // that react to the mouse); imported sprites may bring scripts along.
    constexpr std::uint16_t kDefineButton = 7;
    constexpr std::uint16_t kDefineButton2 = 34;
    for (const swf::Tag& tag : tags) {
        if (unknownTag(tag, kDoAction) || unknownTag(tag, kDoInitAction) ||
            unknownTag(tag, kDefineButton) || unknownTag(tag, kDefineButton2) ||
            unknownTag(tag, kImportAssets) || unknownTag(tag, kImportAssets2)) {
            return true;
        }
        if (const auto* place = std::get_if<swf::PlaceObject>(&tag.value);
            place && place->clipActions) {
            return true;
        }
        if (const auto* sprite = std::get_if<swf::DefineSprite>(&tag.value);
            sprite && hasScripts(sprite->tags)) {
            return true;
        }
    }
    return false;
}

} // namespace quorvane::player::avm1
