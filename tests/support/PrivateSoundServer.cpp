#include "PrivateSoundServer.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>

namespace quorvane::testing {

namespace {

// Louder than this RMS over 10 ms counts as heard.
constexpr double kWhisper = 200;

} // namespace

PrivateSoundServer::PrivateSoundServer()
{
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toUtf8());
    qputenv("HOME", m_runtime.path().toUtf8());
    qunsetenv("PULSE_SERVER");
    m_haveTools = !QStandardPaths::findExecutable("pulseaudio").isEmpty() &&
                  !QStandardPaths::findExecutable("parec").isEmpty();
    if (!m_haveTools)
        return;
    const int started =
        QProcess::execute("pulseaudio", {"--start", "--exit-idle-time=-1", "--daemonize=yes",
                                         "--log-target=file:" + m_runtime.filePath("pulse.log")});
    m_running = started == 0 &&
                QProcess::execute(
                    "pactl", {"load-module", "module-null-sink", "sink_name=quorvane_test"}) == 0 &&
                QProcess::execute("pactl", {"set-default-sink", "quorvane_test"}) == 0;
}

PrivateSoundServer::~PrivateSoundServer()
{
    if (m_haveTools)
        QProcess::execute("pulseaudio", {"--kill"});
}

SinkRecorder::SinkRecorder(const QString& path) : m_path(path)
{
    m_parec.setStandardOutputFile(path);
    m_parec.start(QStringLiteral("parec"), {"-d", "quorvane_test.monitor", "--format=s16le",
                                            "--rate=22050", "--channels=1", "--latency-msec=10"});
    m_parec.waitForStarted();
}

SinkRecorder::~SinkRecorder()
{
    finish();
}

void SinkRecorder::finish()
{
    if (m_parec.state() != QProcess::NotRunning) {
        m_parec.terminate();
        m_parec.waitForFinished(3000);
    }
}

double SinkRecorder::level(double from, double to) const
{
    if (m_recorded.isNull()) {
        QFile file(m_path);
        if (file.open(QIODevice::ReadOnly))
            m_recorded = file.readAll();
    }
    const auto* samples = reinterpret_cast<const std::int16_t*>(m_recorded.constData());
    const qsizetype count = m_recorded.size() / 2;
    const qsizetype first = std::clamp<qsizetype>(qsizetype(from * kRate), 0, count);
    const qsizetype last = std::clamp<qsizetype>(qsizetype(to * kRate), 0, count);
    double sum = 0;
    for (qsizetype i = first; i < last; ++i)
        sum += double(samples[i]) * samples[i];
    return last > first ? std::sqrt(sum / double(last - first)) : 0.0;
}

double SinkRecorder::seconds() const
{
    return QFileInfo(m_path).size() / 2.0 / kRate;
}

std::pair<double, double> SinkRecorder::longestSilence() const
{
    const int windows = int(seconds() * 100);
    std::pair<double, double> longest{0, 0};
    int runStart = -1;
    bool heardBefore = false;
    for (int w = 0; w < windows; ++w) {
        const bool loud = level(w / 100.0, (w + 1) / 100.0) > kWhisper;
        if (loud) {
            if (runStart >= 0 && heardBefore &&
                (w - runStart) / 100.0 > longest.second - longest.first)
                longest = {runStart / 100.0, w / 100.0};
            runStart = -1;
            heardBefore = true;
        } else if (runStart < 0) {
            runStart = w;
        }
    }
    return longest;
}

double SinkRecorder::audibleSeconds() const
{
    const qsizetype windows = qsizetype(seconds() * 100);
    int loud = 0;
    for (qsizetype w = 0; w < windows; ++w)
        loud += level(w / 100.0, (w + 1) / 100.0) > kWhisper ? 1 : 0;
    return loud / 100.0;
}

} // namespace quorvane::testing
