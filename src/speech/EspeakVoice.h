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
// never wait. Synthesis keeps only a little ahead of what the output has
// played, so that a new rate or volume is heard at once. It connects on
// first use (engine, Mandarin voice data and a sound output); when that
// fails the call fails and the next one tries again.
class EspeakVoice : public SpeechVoice {
public:
    // How espeak-ng is set for a SAPI rate.
    struct Speed {
        int wordsPerMinute;
        int wordGap; // extra pause between words, in 10 ms units
    };

    explicit EspeakVoice(Platform& platform);
    ~EspeakVoice() override;

    void Speak(const QString& text, int flags) override;
    void Pause() override;
    void Resume() override;
    int Rate() override;
    void setRate(int rate) override;
    int Volume() override;
    void setVolume(int volume) override;

    static Speed speed(int rate);

private:
    struct Job {
        QString text;
        unsigned generation;
    };
    // One piece spoken at one rate, from espeak-ng's callback.
    class PieceSynthesis;

    void connect();
    void synthesisLoop();
    void synthesise(const Job& job);

    Platform& m_platform;
    std::unique_ptr<AudioOutput> m_output;
    // Read by the synthesis thread at every buffer.
    std::atomic<int> m_rate{0};
    std::atomic<int> m_volume{100};
    // The window never resumes on its own: a learner who stops a paused
    // reading, or picks another lesson, and reads again must hear it, so a
    // purge ends the pause.
    bool m_paused = false;

    std::thread m_worker;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    bool m_quitting = false;
    // Raised by every purge, under m_mutex; synthesis of an older generation
    // stops at once and writes nothing more.
    std::atomic<unsigned> m_generation{0};
};

} // namespace quorvane
