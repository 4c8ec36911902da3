#pragma once

#include "platform/AudioOutput.h"

#include <QStringList>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace quorvane::testing {

// What an audio output was given, shared with the test that made it. Writes
// come from the engines' own threads.
struct AudioRecord {
    mutable std::mutex mutex;
    std::vector<std::int16_t> samples; // everything written since the last stop
    std::vector<std::int16_t> everything;
    QStringList controls; // "pause", "resume", "stop"
    // Frames the imagined device has played of `samples`; tests move it on.
    std::size_t played = 0;
    // A device that plays every sample the moment it arrives: nothing is
    // ever pending, so an engine that keeps pace with playback runs freely.
    bool playsAtOnce = false;

    std::size_t sampleCount() const
    {
        std::lock_guard lock(mutex);
        return samples.size();
    }
    std::size_t playedCount() const
    {
        std::lock_guard lock(mutex);
        return played;
    }
    void setPlaysAtOnce(bool atOnce)
    {
        std::lock_guard lock(mutex);
        playsAtOnce = atOnce;
    }
    // Plays on by up to `frames`, no further than what has been written.
    void play(std::size_t frames)
    {
        std::lock_guard lock(mutex);
        played = std::min(samples.size(), played + frames);
    }
    // Loudness (RMS) of `samples` between two positions.
    double level(std::size_t from, std::size_t to = SIZE_MAX) const
    {
        std::lock_guard lock(mutex);
        to = std::min(to, samples.size());
        double sum = 0;
        for (std::size_t i = from; i < to; ++i)
            sum += double(samples[i]) * samples[i];
        return to > from ? std::sqrt(sum / double(to - from)) : 0;
    }
    // The position of the last sample that is not silent, if one is at or
    // after `from`; otherwise `from`.
    std::size_t lastSoundFrom(std::size_t from) const
    {
        std::lock_guard lock(mutex);
        std::size_t last = from;
        for (std::size_t i = from; i < samples.size(); ++i) {
            if (samples[i] != 0)
                last = i;
        }
        return last;
    }
};

// Waits until an engine has written everything it will: the count stops
// growing for a while (or half a minute passes). Returns the count.
inline std::size_t settledSampleCount(const AudioRecord& record)
{
    std::size_t last = 0;
    int stableRounds = 0;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (stableRounds < 6 && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const std::size_t now = record.sampleCount();
        stableRounds = (now == last && now > 0) ? stableRounds + 1 : 0;
        last = now;
    }
    return last;
}

// Plays `seconds` of sound as a device would, 10 ms at a time, each step
// waiting (within reason) for the engine to have written that far: the
// engine is timed by what is played, not by the clock. Returns the frames
// played.
inline std::size_t playAlong(AudioRecord& record, double seconds, int sampleRate = 22050)
{
    const std::size_t step = static_cast<std::size_t>(sampleRate / 100);
    const std::size_t wanted = static_cast<std::size_t>(seconds * sampleRate);
    std::size_t done = 0;
    while (done < wanted) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (record.sampleCount() < record.playedCount() + step &&
               std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const std::size_t before = record.playedCount();
        record.play(step);
        const std::size_t moved = record.playedCount() - before;
        if (moved == 0)
            break;
        done += moved;
    }
    return done;
}

class RecordingAudioOutput : public AudioOutput {
public:
    explicit RecordingAudioOutput(std::shared_ptr<AudioRecord> record, int channels = 1)
        : m_record(std::move(record)), m_channels(std::size_t(channels))
    {
    }

    void write(std::span<const std::int16_t> samples) override
    {
        std::lock_guard lock(m_record->mutex);
        m_record->samples.insert(m_record->samples.end(), samples.begin(), samples.end());
        m_record->everything.insert(m_record->everything.end(), samples.begin(), samples.end());
    }
    void pause() override { control("pause"); }
    void resume() override { control("resume"); }
    void stop() override
    {
        std::lock_guard lock(m_record->mutex);
        m_record->samples.clear();
        m_record->played = 0;
        m_record->controls << QStringLiteral("stop");
    }
    std::int64_t pendingFrames() const override
    {
        std::lock_guard lock(m_record->mutex);
        if (m_record->playsAtOnce)
            return 0;
        const std::size_t frames = m_record->samples.size() / m_channels;
        return static_cast<std::int64_t>(frames - std::min(frames, m_record->played));
    }

private:
    void control(const char* what)
    {
        std::lock_guard lock(m_record->mutex);
        m_record->controls << QString::fromLatin1(what);
    }

    std::shared_ptr<AudioRecord> m_record;
    std::size_t m_channels;
};

} // namespace quorvane::testing
