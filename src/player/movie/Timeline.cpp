#include "player/movie/Timeline.h"

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
            m_actions.push_back(action);
            m_frames.push_back(frame);
        };
        if (const auto* place = std::get_if<swf::PlaceObject>(&tag.value)) {
            addAction(place);
        } else if (const auto* remove = std::get_if<swf::RemoveObject>(&tag.value)) {
            addAction(remove);
        } else if (std::holds_alternative<swf::ShowFrame>(tag.value)) {
            ++frame;
        }
    }
}

std::span<const FrameAction> Timeline::actions(int frame) const
{
    const auto [first, last] = std::equal_range(m_frames.begin(), m_frames.end(), frame);
    return std::span(m_actions).subspan(static_cast<std::size_t>(first - m_frames.begin()),
                                        static_cast<std::size_t>(last - first));
}

} // namespace quorvane::player
