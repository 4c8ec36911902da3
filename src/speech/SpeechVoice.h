#pragma once

#include <QString>

#include <stdexcept>

namespace quorvane {

// A failure of the voice: none installed, no sound, a value refused.
class SpeechError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The members of a SAPI voice that the program uses, by their names. Every
// call may throw SpeechError; the voice then keeps its previous state.
class SpeechVoice {
public:
    // Speak flags.
    static constexpr int SVSFlagsAsync = 1;
    static constexpr int SVSFPurgeBeforeSpeak = 2;

    virtual ~SpeechVoice() = default;

    // Asynchronous: returns at once. A text arriving while another is spoken
    // is queued behind it; with SVSFPurgeBeforeSpeak everything spoken and
    // queued is discarded first (an empty text with it is "stop").
    virtual void Speak(const QString& text, int flags) = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    // -10 slowest, 0 normal, 10 fastest.
    virtual int Rate() = 0;
    virtual void setRate(int rate) = 0;
    // 0 silent to 100 full.
    virtual int Volume() = 0;
    virtual void setVolume(int volume) = 0;
};

} // namespace quorvane
