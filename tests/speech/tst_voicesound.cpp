// The voice heard for real: a headless PulseAudio with a null sink plays
// what the voice speaks, and the sink's monitor is recorded and measured.
#include "platform/QtPlatform.h"
#include "speech/EspeakVoice.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace quorvane;

namespace {

constexpr int kRate = 22050;
const QString kSentence = QStringLiteral("<lang langid=\"804\">我是一个学生,I,am,a,student,");

QString longText()
{
    QString text = QStringLiteral("<lang langid=\"804\">");
    for (int i = 0; i < 30; ++i)
        text += QStringLiteral("这是一个很长的句子,");
    return text;
}

// Records the null sink's monitor from now on.
class Recorder {
public:
    explicit Recorder(const QString& path) : m_path(path)
    {
        m_parec.setStandardOutputFile(path);
        m_parec.start(QStringLiteral("parec"), {"-d", "quorvane_test.monitor", "--format=s16le",
                                                 "--rate=22050", "--channels=1", "--latency-msec=10"});
        m_parec.waitForStarted();
    }
    ~Recorder() { finish(); }

    void finish()
    {
        if (m_parec.state() != QProcess::NotRunning) {
            m_parec.terminate();
            m_parec.waitForFinished(3000);
        }
    }

    // The loudness (RMS) of the recording between two times, in seconds of
    // recorded sound (the null sink's monitor records nothing while the sink
    // sleeps, so these are not wall-clock times).
    double level(double from, double to) const
    {
        if (m_recorded.isNull()) {
            QFile file(m_path);
            file.open(QIODevice::ReadOnly);
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

    double seconds() const { return QFileInfo(m_path).size() / 2.0 / kRate; }

    // The longest run of silence between sounds, as start and end seconds.
    std::pair<double, double> longestSilence() const
    {
        const int windows = int(seconds() * 100);
        std::pair<double, double> longest{0, 0};
        int runStart = -1;
        bool heardBefore = false;
        for (int w = 0; w < windows; ++w) {
            const bool loud = level(w / 100.0, (w + 1) / 100.0) > 200;
            if (loud) {
                if (runStart >= 0 && heardBefore && (w - runStart) / 100.0 > longest.second - longest.first)
                    longest = {runStart / 100.0, w / 100.0};
                runStart = -1;
                heardBefore = true;
            } else if (runStart < 0) {
                runStart = w;
            }
        }
        return longest;
    }

    // Seconds of the recording louder than a whisper.
    double audibleSeconds() const
    {
        const qsizetype windows = qsizetype(seconds() * 100);
        int loud = 0;
        for (qsizetype w = 0; w < windows; ++w)
            loud += level(w / 100.0, (w + 1) / 100.0) > 200 ? 1 : 0;
        return loud / 100.0;
    }

private:
    QString m_path;
    mutable QByteArray m_recorded;
    QProcess m_parec;
};

} // namespace

class TestVoiceSound : public QObject {
    Q_OBJECT

public:
    static inline bool serverStarted = false;

private:
    QTemporaryDir m_recordings;

private slots:
    void initTestCase()
    {
        if (!serverStarted)
            QSKIP("no PulseAudio server could be started here");
    }

    void speakingIsHeard()
    {
        QtPlatform platform;
        EspeakVoice voice(platform);
        Recorder recorder(m_recordings.filePath("speak.raw"));
        voice.Speak(kSentence, SpeechVoice::SVSFlagsAsync);
        QTest::qWait(5000);
        recorder.finish();
        const double heard = recorder.audibleSeconds();
        QVERIFY2(heard > 0.8 && heard < 5.0, qPrintable(QString::number(heard)));
    }

    void purgeSilencesTheVoice()
    {
        QtPlatform platform;
        EspeakVoice voice(platform);
        Recorder recorder(m_recordings.filePath("purge.raw"));
        voice.Speak(longText(), SpeechVoice::SVSFlagsAsync);
        QTest::qWait(3000);
        voice.Speak({}, SpeechVoice::SVSFPurgeBeforeSpeak);
        QTest::qWait(3000);
        recorder.finish();
        // The text runs for half a minute; only what played before the
        // purge is heard, and the end is silent.
        const double heard = recorder.audibleSeconds();
        QVERIFY2(heard > 0.3 && heard < 6.0, qPrintable(QString::number(heard)));
        const double length = recorder.seconds();
        QVERIFY(recorder.level(length - 1.0, length) < 50);
    }

    void pauseHaltsAndResumeContinues()
    {
        QtPlatform platform;
        EspeakVoice voice(platform);
        Recorder recorder(m_recordings.filePath("pause.raw"));
        voice.Speak(longText(), SpeechVoice::SVSFlagsAsync);
        QTest::qWait(3000);
        voice.Pause();
        QTest::qWait(2500);
        voice.Resume();
        QTest::qWait(3000);
        voice.Speak({}, SpeechVoice::SVSFPurgeBeforeSpeak);
        recorder.finish();
        // Speech has short pauses of its own; the paused stretch is a long
        // silence with speech on both sides of it.
        const auto [start, end] = recorder.longestSilence();
        QVERIFY2(end - start > 1.5, qPrintable(QStringLiteral("%1 %2").arg(start).arg(end)));
        QVERIFY(recorder.level(start - 0.5, start) > 200 || recorder.level(start - 1.0, start) > 200);
        QVERIFY(recorder.level(end, end + 1.0) > 200);
    }
};

int main(int argc, char** argv)
{
    // A private sound server, so the test hears nothing but itself.
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    qputenv("HOME", runtime.path().toUtf8());
    qunsetenv("PULSE_SERVER");
    const bool haveTools = !QStandardPaths::findExecutable("pulseaudio").isEmpty() &&
                           !QStandardPaths::findExecutable("parec").isEmpty();
    if (haveTools) {
        const int started = QProcess::execute(
            "pulseaudio", {"--start", "--exit-idle-time=-1", "--daemonize=yes",
                           "--log-target=file:" + runtime.filePath("pulse.log")});
        TestVoiceSound::serverStarted =
            started == 0 &&
            QProcess::execute("pactl", {"load-module", "module-null-sink",
                                        "sink_name=quorvane_test"}) == 0 &&
            QProcess::execute("pactl", {"set-default-sink", "quorvane_test"}) == 0;
    }
    int result = 0;
    {
        QApplication app(argc, argv);
        TestVoiceSound test;
        result = QTest::qExec(&test, argc, argv);
    }
    if (haveTools)
        QProcess::execute("pulseaudio", {"--kill"});
    return result;
}

#include "tst_voicesound.moc"
