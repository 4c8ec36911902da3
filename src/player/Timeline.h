#pragma once

#include "swf/Tags.h"

#include <map>
#include <string>
#include <variant>
#include <vector>

namespace quorvane::player {

// What a frame does to its timeline's display list, pointing into the
// movie's tags (which the timeline's owner keeps alive).
using FrameAction = std::variant<const swf::PlaceObject*, const swf::RemoveObject*>;

// The frames of the movie or of one sprite: the display list changes each
// frame makes, by frame, and the labels.
class Timeline {
public:
    Timeline() = default;
    Timeline(const std::vector<swf::Tag>& tags, int declaredFrames);

    int frameCount() const { return m_frameCount; }
    // Empty for frames without changes (and for frames out of range).
    const std::vector<FrameAction>& actions(int frame) const;
    // The frame a FrameLabel names, or -1.
    int frameOfLabel(const std::string& label) const;

private:
    int m_frameCount = 1;
    std::vector<std::vector<FrameAction>> m_actions;
    std::map<std::string, int> m_labels;
};

} // namespace quorvane::player
