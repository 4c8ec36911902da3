#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <utility>

namespace quorvane::testing {

// A PulseAudio server of the test's own with a null sink as its default,
// so that a test hears nothing but itself. Start it before the
// QApplication, which reads the environment it sets.
class PrivateSoundServer {
public:
    PrivateSoundServer();
    ~PrivateSoundServer();
    PrivateSoundServer(const PrivateSoundServer&) = delete;
    PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

    bool isRunning() const { return m_running; }

private:
    QTemporaryDir m_runtime;
    bool m_haveTools = false;
    bool m_running = false;
};

// Records the null sink's monitor, mono at 22,050 samples per second, from
// construction until finish(), and measures the recording. Times are
// seconds of recorded sound: the monitor records nothing while the sink
// sleeps, so they are not wall-clock times.
class SinkRecorder {
public:
    static constexpr int kRate = 22050;

    explicit SinkRecorder(const QString& path);
    ~SinkRecorder();

    void finish();

    // Loudness (RMS) between two times.
    double level(double from, double to) const;
    double seconds() const;
    // The longest run of silence between sounds, as start and end times.
    std::pair<double, double> longestSilence() const;
    // Seconds of the recording louder than a whisper.
    double audibleSeconds() const;

private:
    QString m_path;
    mutable QByteArray m_recorded;
    QProcess m_parec;
};

} // namespace quorvane::testing
