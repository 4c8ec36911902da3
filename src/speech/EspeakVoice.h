#pragma once

#include "SpeechVoice.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace quorvane {

class AudioOutput;
class Platform;

// The voice, spoken by espeak-ng. Text is synthesised on a thread of its own
// and the samples are pushed to the platform's audio output, so the windows
// never wait. It connects on first use (engine, Mandarin voice data and a
// sound output); when that fails the call fails and the next one tries again.
class EspeakVoice : public SpeechVoice {
public:
    explicit EspeakVoice(Platform& platform);
    ~EspeakVoice() override;

    void Speak(const QString& text, int flags) override;
    void Pause() override;
    void Resume() override;
    int Rate() override;
    void setRate(int rate) override;
    int Volume() override;
    void setVolume(int volume) override;

    // espeak-ng speaking speed, in words per minute, for a SAPI rate.
    static int wordsPerMinute(int rate);

private:
    struct Job {
        QString text;
        int rate;
        int volume;
        unsigned generation;
    };

    void connect();
    void synthesisLoop();
    void synthesise(const Job& job);

    Platform& m_platform;
    std::unique_ptr<AudioOutput> m_output;
    int m_rate = 0;
    int m_volume = 100;

    std::thread m_worker;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    bool m_quitting = false;
    // Raised by every purge; synthesis of an older generation stops at once.
    std::atomic<unsigned> m_generation{0};
};

} // namespace quorvane
