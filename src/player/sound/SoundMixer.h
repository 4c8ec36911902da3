#pragma once

#include "player/sound/SoundDecoder.h"
#include "swf/SoundTags.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <vector>

namespace quorvane::player {

// Mixes the event sounds a movie started and its stream sound into one
// stereo signal at the mixer rate. Event sounds play to their end whatever
// the timeline does; the stream is whatever the timeline queued.
class SoundMixer {
public:
    // Starts a sound the way the movie's sound info says: from its in point
    // to its out point, as many times as its loop count, shaped by its
    // envelope; "no multiple" leaves a sound already playing alone, and
    // "stop" silences every instance of the sound instead.
    void startEvent(std::uint16_t soundId, std::shared_ptr<const DecodedSound> sound,
                    const swf::SoundInfo& info);
    void stopEvents(std::uint16_t soundId);
    void stopAllEvents();
    bool isPlaying(std::uint16_t soundId) const;
    std::size_t eventCount() const { return m_events.size(); }

    // Appends stream samples behind those still queued.
    void queueStream(const DecodedSound& piece);
    void clearStream();
    // Mixer samples of stream still to play.
    std::size_t streamQueued() const { return m_stream.size() / 2; }

    // Overwrites out (interleaved stereo) with the next stretch of sound.
    void mix(std::span<std::int16_t> out);

    bool isSilent() const { return m_events.empty() && m_stream.empty(); }

private:
    struct Event {
        std::uint16_t soundId = 0;
        std::shared_ptr<const DecodedSound> sound;
        std::vector<swf::SoundEnvelopePoint> envelope;
        // Mixer samples from the sound's start.
        std::size_t position = 0;
        std::size_t begin = 0;
        std::size_t end = 0;
        int loopsLeft = 1;
    };

    // Adds one event's next samples into the accumulator; false once it ends.
    static bool addEvent(Event& event, std::span<std::int32_t> accumulator);

    std::vector<Event> m_events;
    std::deque<std::int16_t> m_stream;
    std::vector<std::int32_t> m_accumulator;
};

} // namespace quorvane::player
