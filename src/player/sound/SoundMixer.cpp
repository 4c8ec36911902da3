#include "player/sound/SoundMixer.h"

#include <algorithm>
#include <limits>

namespace quorvane::player {

namespace {

// Envelope levels run from 0 to this, full volume.
constexpr std::int64_t kFullLevel = 32768;
// Sounds a movie may have playing at once; Flash held eight channels, so
// starting more only made noise of a mistake.
constexpr std::size_t kMaxEvents = 32;

struct Levels {
    std::int64_t left = kFullLevel;
    std::int64_t right = kFullLevel;
};

// The envelope's levels at a position, straight lines between its points
// and the nearest point's levels outside them.
Levels envelopeAt(const std::vector<swf::SoundEnvelopePoint>& envelope, std::size_t position)
{
    if (envelope.empty()) {
        return {};
    }
    const auto after = std::find_if(envelope.begin(), envelope.end(),
                                    [&](const auto& point) { return point.position44 > position; });
    if (after == envelope.begin()) {
        return {after->leftLevel, after->rightLevel};
    }
    const auto before = std::prev(after);
    if (after == envelope.end()) {
        return {before->leftLevel, before->rightLevel};
    }
    const std::int64_t span = after->position44 - before->position44;
    const std::int64_t into = std::int64_t(position) - before->position44;
    const auto between = [&](std::int64_t from, std::int64_t to) {
        return from + (to - from) * into / span;
    };
    return {between(before->leftLevel, after->leftLevel),
            between(before->rightLevel, after->rightLevel)};
}

} // namespace

void SoundMixer::startEvent(std::uint16_t soundId, std::shared_ptr<const DecodedSound> sound,
                            const swf::SoundInfo& info)
{
    if (info.syncStop) {
        stopEvents(soundId);
        return;
    }
    if (!sound || (info.syncNoMultiple && isPlaying(soundId))) {
        return;
    }
    Event event;
    event.soundId = soundId;
    event.end = sound->mixFrames();
    if (info.outPoint) {
        event.end = std::min<std::size_t>(event.end, *info.outPoint);
    }
    event.begin = std::min<std::size_t>(info.inPoint.value_or(0), event.end);
    event.position = event.begin;
    event.loopsLeft = std::max<int>(1, info.loopCount.value_or(1));
    if (info.envelope) {
        event.envelope = *info.envelope;
    }
    event.sound = std::move(sound);
    if (event.begin == event.end) {
        return;
    }
    if (m_events.size() >= kMaxEvents) {
        m_events.erase(m_events.begin());
    }
    m_events.push_back(std::move(event));
}

void SoundMixer::stopEvents(std::uint16_t soundId)
{
    std::erase_if(m_events, [&](const Event& event) { return event.soundId == soundId; });
}

void SoundMixer::stopAllEvents()
{
    m_events.clear();
}

bool SoundMixer::isPlaying(std::uint16_t soundId) const
{
    return std::any_of(m_events.begin(), m_events.end(),
                       [&](const Event& event) { return event.soundId == soundId; });
}

void SoundMixer::queueStream(const DecodedSound& piece)
{
    const int hold = std::max(piece.holdFactor, 1);
    for (std::size_t frame = 0; frame < piece.frames(); ++frame) {
        for (int copy = 0; copy < hold; ++copy) {
            m_stream.push_back(piece.samples[frame * 2]);
            m_stream.push_back(piece.samples[frame * 2 + 1]);
        }
    }
}

void SoundMixer::clearStream()
{
    m_stream.clear();
}

bool SoundMixer::addEvent(Event& event, std::span<std::int32_t> accumulator)
{
    const DecodedSound& sound = *event.sound;
    const std::size_t hold = std::size_t(std::max(sound.holdFactor, 1));
    const std::size_t frames = accumulator.size() / 2;
    for (std::size_t i = 0; i < frames; ++i) {
        if (event.position >= event.end) {
            if (--event.loopsLeft <= 0) {
                return false;
            }
            event.position = event.begin;
        }
        const std::size_t source = (event.position / hold) * 2;
        const Levels levels = envelopeAt(event.envelope, event.position);
        accumulator[i * 2] += std::int32_t(sound.samples[source] * levels.left / kFullLevel);
        accumulator[i * 2 + 1] +=
            std::int32_t(sound.samples[source + 1] * levels.right / kFullLevel);
        ++event.position;
    }
    return true;
}

void SoundMixer::mix(std::span<std::int16_t> out)
{
    m_accumulator.assign(out.size() & ~std::size_t(1), 0);
    std::erase_if(m_events, [&](Event& event) { return !addEvent(event, m_accumulator); });
    const std::size_t fromStream = std::min(m_stream.size(), m_accumulator.size());
    for (std::size_t i = 0; i < fromStream; ++i) {
        m_accumulator[i] += m_stream[i];
    }
    m_stream.erase(m_stream.begin(), m_stream.begin() + std::ptrdiff_t(fromStream));
    std::transform(m_accumulator.begin(), m_accumulator.end(), out.begin(), [](std::int32_t v) {
        return std::int16_t(std::clamp<std::int32_t>(v, std::numeric_limits<std::int16_t>::min(),
                                                     std::numeric_limits<std::int16_t>::max()));
    });
    if (out.size() % 2 != 0) {
        out.back() = 0;
    }
}

} // namespace quorvane::player
