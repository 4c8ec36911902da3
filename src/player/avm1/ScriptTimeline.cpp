#include "player/avm1/ScriptTimeline.h"

#include <algorithm>

namespace quorvane::player::avm1 {

ScriptTimeline::ScriptTimeline(const std::vector<swf::Tag>& tags, int tagFrameCount)
    : frameCount(std::max(1, tagFrameCount)), declaredFrames(tagFrameCount),
      frames(std::size_t(frameCount))
{
    int frame = 0;
    for (const swf::Tag& tag : tags) {
        if (frame >= frameCount) {
            break;
        }
        if (std::holds_alternative<swf::ShowFrame>(tag.value)) {
            ++frame;
            continue;
        }
        if (const auto* label = std::get_if<swf::FrameLabel>(&tag.value)) {
            labels.emplace_back(label->name, frame);
        }
        frames[std::size_t(frame)].push_back(&tag);
    }
}

const swf::Unknown* unknownTag(const swf::Tag& tag, std::uint16_t code)
{
    const auto* unknown = std::get_if<swf::Unknown>(&tag.value);
    return unknown && unknown->code == code ? unknown : nullptr;
}

bool hasScripts(const std::vector<swf::Tag>& tags)
{
    // DefineButton and DefineButton2 carry actions (or at least states
    // that react to the mouse).
    constexpr std::uint16_t kDefineButton = 7;
    constexpr std::uint16_t kDefineButton2 = 34;
    for (const swf::Tag& tag : tags) {
        if (unknownTag(tag, kDoAction) || unknownTag(tag, kDoInitAction) ||
            unknownTag(tag, kDefineButton) || unknownTag(tag, kDefineButton2)) {
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
