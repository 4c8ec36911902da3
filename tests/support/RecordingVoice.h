#pragma once

#include "speech/SpeechVoice.h"

#include <QStringList>

namespace quorvane::testing {

// A voice that records every call, keeps rate and volume as a real voice
// does (refusing values out of range), and fails every call while failing
// is set, as a machine without a voice would.
class RecordingVoice : public SpeechVoice {
public:
    struct Log {
        QStringList calls;
        bool failing = false;
        int rate = 0;
        int volume = 100;
    };

    explicit RecordingVoice(Log& log) : m_log(log) {}

    void Speak(const QString& text, int flags) override
    {
        check();
        m_log.calls << QStringLiteral("Speak %1: %2").arg(flags).arg(text);
    }
    void Pause() override
    {
        check();
        m_log.calls << QStringLiteral("Pause");
    }
    void Resume() override
    {
        check();
        m_log.calls << QStringLiteral("Resume");
    }
    int Rate() override
    {
        check();
        return m_log.rate;
    }
    void setRate(int rate) override
    {
        check();
        if (rate < -10 || rate > 10)
            throw SpeechError("rate out of range");
        m_log.rate = rate;
        m_log.calls << QStringLiteral("Rate %1").arg(rate);
    }
    int Volume() override
    {
        check();
        return m_log.volume;
    }
    void setVolume(int volume) override
    {
        check();
        if (volume < 0 || volume > 100)
            throw SpeechError("volume out of range");
        m_log.volume = volume;
        m_log.calls << QStringLiteral("Volume %1").arg(volume);
    }

private:
    void check()
    {
        if (m_log.failing)
            throw SpeechError("no voice");
    }

    Log& m_log;
};

} // namespace quorvane::testing
