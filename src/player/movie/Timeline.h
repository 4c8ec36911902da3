#pragma once

#include "swf/Tags.h"

#include <span>
#include <variant>
#include <vector>

namespace quorvane::player {

// What a frame does to its timeline's display list, pointing into the
// movie's tags (which the timeline's owner keeps alive).
using FrameAction = std::variant<const swf::PlaceObject*, const swf::RemoveObject*>;

// The frames of the movie or of one sprite: the display list changes each
// frame makes, by frame.
class Timeline {
public:
    Timeline() = default;
    Timeline(const std::vector<swf::Tag>& tags, int declaredFrames);

    int frameCount() const { return m_frameCount; }
    // Empty for frames without changes (and for frames out of range).
    std::span<const FrameAction> actions(int frame) const;

private:
    int m_frameCount = 1;
    // Only the changes are stored, each with its frame: a sprite may
    // declare 65535 frames and change in few of them.
    std::vector<FrameAction> m_actions;
    std::vector<int> m_frames;
};

} // namespace quorvane::player
