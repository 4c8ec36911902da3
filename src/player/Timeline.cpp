#include "player/Timeline.h"

#include <algorithm>

namespace quorvane::player {

Timeline::Timeline(const std::vector<swf::Tag>& tags, int declaredFrames)
    : m_frameCount(std::max(1, declaredFrames))
{
    int frame = 0;
    for (const swf::Tag& tag : tags) {
        // Tags past the declared frames never run.
        if (frame >= m_frameCount) {
            break;
        }
        const auto addAction = [&](FrameAction action) {
            if (m_actions.size() <= static_cast<std::size_t>(frame)) {
                m_actions.resize(static_cast<std::size_t>(frame) + 1);
            }
            m_actions[static_cast<std::size_t>(frame)].push_back(action);
        };
        if (const auto* place = std::get_if<swf::PlaceObject>(&tag.value)) {
            addAction(place);
        } else if (const auto* remove = std::get_if<swf::RemoveObject>(&tag.value)) {
            addAction(remove);
        } else if (const auto* label = std::get_if<swf::FrameLabel>(&tag.value)) {
            m_labels.emplace(label->name, frame);
        } else if (std::holds_alternative<swf::ShowFrame>(tag.value)) {
            ++frame;
        }
    }
}

const std::vector<FrameAction>& Timeline::actions(int frame) const
{
    static const std::vector<FrameAction> none;
    if (frame < 0 || static_cast<std::size_t>(frame) >= m_actions.size()) {
        return none;
    }
    return m_actions[static_cast<std::size_t>(frame)];
}

int Timeline::frameOfLabel(const std::string& label) const
{
    const auto found = m_labels.find(label);
    return found == m_labels.end() ? -1 : found->second;
}

} // namespace quorvane::player
