#pragma once

#include "swf/Tags.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace quorvane::course {

constexpr int kSlideFrames = 8;

swf::Matrix at(double x, double y, double scaleX = 1.0, double scaleY = 1.0);
swf::ColorTransform opacity(double alpha);

// The tags of each frame of a timeline, collected out of order and written
// in order; it grows to the last frame anything is put in.
class SceneTimeline {
public:
    void add(int frame, swf::Tag tag);

    void place(int frame, std::uint16_t depth, std::uint16_t id, const swf::Matrix& matrix,
               std::optional<swf::ColorTransform> colors = std::nullopt,
               std::optional<std::string> name = std::nullopt);
    void move(int frame, std::uint16_t depth, std::optional<swf::Matrix> matrix,
              std::optional<swf::ColorTransform> colors);
    void remove(int frame, std::uint16_t depth);

    // Placed at `start`, sliding in from `offset` pixels to the right of
    // (x, y) and fading in over the slide.
    void slideIn(int start, std::uint16_t depth, std::uint16_t id, double x, double y,
                 double offset);
    // Placed at `start` and fading in where it stands.
    void fadeIn(int start, std::uint16_t depth, std::uint16_t id, double x, double y);
    // Placed at `start`, drawn out from its left end over the slide.
    void growIn(int start, std::uint16_t depth, std::uint16_t id, double x, double y);

    // Makes sure the timeline reaches this frame.
    void extendTo(int frames);

    // Each frame's tags, then its ShowFrame.
    std::vector<swf::Tag> tags() const;

private:
    std::vector<std::vector<swf::Tag>> m_frames;
};

} // namespace quorvane::course
