#pragma once

#include "platform/AudioOutput.h"

#include <QStringList>
#include <memory>
#include <mutex>
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

    std::size_t sampleCount() const
    {
        std::lock_guard lock(mutex);
        return samples.size();
    }
};

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
