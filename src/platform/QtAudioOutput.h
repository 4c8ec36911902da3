#pragma once

#include "AudioOutput.h"

#include <QAudioSink>
#include <QByteArray>
#include <QIODevice>
#include <QTimer>

#include <memory>
#include <mutex>

namespace quorvane {

// 16-bit PCM through Qt Multimedia (PulseAudio on Linux). Engines may
// write from any thread; the samples wait in a queue that a timer on the
// owning thread hands to the sound server as fast as it takes them.
class QtAudioOutput : public AudioOutput {
public:
    // Null when no output device exists or the stream cannot be opened.
    static std::unique_ptr<QtAudioOutput> open(const AudioFormat& format);
    ~QtAudioOutput() override;

    void write(std::span<const std::int16_t> samples) override;
    void pause() override;
    void resume() override;
    void stop() override;
    std::int64_t pendingFrames() const override;

private:
    QtAudioOutput(const AudioFormat& format, std::unique_ptr<QAudioSink> sink);
    void feed();

    AudioFormat m_format;
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice* m_device = nullptr;
    QTimer m_feeder;
    bool m_paused = false;

    mutable std::mutex m_mutex;
    QByteArray m_queued;
};

} // namespace quorvane
