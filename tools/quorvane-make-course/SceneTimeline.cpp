#include "SceneTimeline.h"

#include <algorithm>
#include <cmath>

namespace quorvane::course {

namespace {

double easeOut(double t)
{
    const double rest = 1.0 - std::clamp(t, 0.0, 1.0);
    return 1.0 - rest * rest * rest;
}

} // namespace

swf::Matrix at(double x, double y, double scaleX, double scaleY)
{
    swf::Matrix matrix;
    matrix.scaleX = swf::Fixed16(std::lround(scaleX * swf::kFixed16One));
    matrix.scaleY = swf::Fixed16(std::lround(scaleY * swf::kFixed16One));
    matrix.translateX = swf::Twips(std::lround(x * swf::kTwipsPerPixel));
    matrix.translateY = swf::Twips(std::lround(y * swf::kTwipsPerPixel));
    return matrix;
}

swf::ColorTransform opacity(double alpha)
{
    swf::ColorTransform transform;
    transform.alphaMultiply = std::int16_t(std::lround(std::clamp(alpha, 0.0, 1.0) * 256));
    return transform;
}

void SceneTimeline::extendTo(int frames)
{
    if (frames > int(m_frames.size())) {
        m_frames.resize(std::size_t(frames));
    }
}

void SceneTimeline::add(int frame, swf::Tag tag)
{
    extendTo(frame + 1);
    m_frames[std::size_t(frame)].push_back(std::move(tag));
}

void SceneTimeline::place(int frame, std::uint16_t depth, std::uint16_t id,
                          const swf::Matrix& matrix, std::optional<swf::ColorTransform> colors,
                          std::optional<std::string> name)
{
    swf::PlaceObject tag;
    tag.depth = depth;
    tag.characterId = id;
    tag.matrix = matrix;
    tag.colorTransform = colors;
    tag.name = std::move(name);
    add(frame, {tag});
}

void SceneTimeline::move(int frame, std::uint16_t depth, std::optional<swf::Matrix> matrix,
                         std::optional<swf::ColorTransform> colors)
{
    swf::PlaceObject tag;
    tag.depth = depth;
    tag.move = true;
    tag.matrix = matrix;
    tag.colorTransform = colors;
    add(frame, {tag});
}

void SceneTimeline::remove(int frame, std::uint16_t depth)
{
    swf::RemoveObject tag;
    tag.depth = depth;
    add(frame, {tag});
}

void SceneTimeline::slideIn(int start, std::uint16_t depth, std::uint16_t id, double x, double y,
                            double offset)
{
    for (int step = 0; step <= kSlideFrames; ++step) {
        const double t = easeOut(double(step) / kSlideFrames);
        const swf::Matrix matrix = at(x + offset * (1 - t), y);
        if (step == 0) {
            place(start, depth, id, matrix, opacity(0));
        } else {
            move(start + step, depth, matrix, opacity(t));
        }
    }
}

void SceneTimeline::fadeIn(int start, std::uint16_t depth, std::uint16_t id, double x, double y)
{
    place(start, depth, id, at(x, y), opacity(0));
    for (int step = 1; step <= kSlideFrames; ++step) {
        move(start + step, depth, std::nullopt, opacity(easeOut(double(step) / kSlideFrames)));
    }
}

void SceneTimeline::growIn(int start, std::uint16_t depth, std::uint16_t id, double x, double y)
{
    for (int step = 0; step <= kSlideFrames; ++step) {
        const double t = std::max(easeOut(double(step) / kSlideFrames), 0.01);
        if (step == 0) {
            place(start, depth, id, at(x, y, t, 1.0));
        } else {
            move(start + step, depth, at(x, y, t, 1.0), std::nullopt);
        }
    }
}

std::vector<swf::Tag> SceneTimeline::tags() const
{
    std::vector<swf::Tag> all;
    for (const std::vector<swf::Tag>& frame : m_frames) {
        all.insert(all.end(), frame.begin(), frame.end());
        all.push_back({swf::ShowFrame{}});
    }
    return all;
}

} // namespace quorvane::course
