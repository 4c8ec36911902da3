#pragma once

#include "AudioOutput.h"

#include <QAudioSink>
#include <QIODevice>

#include <memory>
#include <mutex>

namespace quorvane {

// The samples pushed in and not yet handed to the sound server. The sink
// pulls from it; while it is empty it yields silence, so the stream never
// starves and new samples are heard without a restart.
class PcmQueue : public QIODevice {
public:
    void append(std::span<const std::int16_t> samples);
    void clear();
    qint64 queuedBytes() const;

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    mutable std::mutex m_mutex;
    QByteArray m_bytes;
    qsizetype m_readPosition = 0;
};

// 16-bit PCM through Qt Multimedia (PulseAudio on Linux).
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

    AudioFormat m_format;
    PcmQueue m_queue;
    std::unique_ptr<QAudioSink> m_sink;
};

} // namespace quorvane
