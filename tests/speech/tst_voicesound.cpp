// The voice heard for real: a headless PulseAudio with a null sink plays
// what the voice speaks, and the sink's monitor is recorded and measured.
#include "PrivateSoundServer.h"
#include "platform/QtPlatform.h"
#include "speech/EspeakVoice.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

using namespace quorvane;
using testing::SinkRecorder;

namespace {

const QString kSentence = QStringLiteral("<lang langid=\"804\">我是一个学生,I,am,a,student,");

QString longText()
{
    QString text = QStringLiteral("<lang langid=\"804\">");
    for (int i = 0; i < 30; ++i)
        text += QStringLiteral("这是一个很长的句子,");
    return text;
}

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
        SinkRecorder recorder(m_recordings.filePath("speak.raw"));
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
        SinkRecorder recorder(m_recordings.filePath("purge.raw"));
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
        SinkRecorder recorder(m_recordings.filePath("pause.raw"));
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
        QVERIFY(recorder.level(start - 0.5, start) > 200 ||
                recorder.level(start - 1.0, start) > 200);
        QVERIFY(recorder.level(end, end + 1.0) > 200);
    }

    void aNewVolumeIsHeardWithinHalfASecond()
    {
        QtPlatform platform;
        EspeakVoice voice(platform);
        SinkRecorder recorder(m_recordings.filePath("volume.raw"));
        voice.Speak(longText(), SpeechVoice::SVSFlagsAsync);
        QTest::qWait(3000);
        QElapsedTimer sinceChange;
        sinceChange.start();
        voice.setVolume(0);
        QTest::qWait(2000);
        const double afterChange = sinceChange.elapsed() / 1000.0;
        recorder.finish();
        // The recorder may start late but runs to the end, the silenced
        // voice keeping the sink awake: the change is timed from the end.
        const double silencedAt = recorder.seconds() - afterChange;
        QVERIFY(recorder.level(silencedAt - 0.5, silencedAt) > 200);
        const double quiet = recorder.level(silencedAt + 0.5, recorder.seconds());
        QVERIFY2(quiet < 20, qPrintable(QString::number(quiet)));
    }

    void aReadingAfterAStoppedPauseIsHeard()
    {
        QtPlatform platform;
        EspeakVoice voice(platform);
        SinkRecorder recorder(m_recordings.filePath("pause-stop.raw"));
        // Paused, a text waits unheard; the stop discards it and ends the pause.
        voice.Pause();
        voice.Speak(longText(), SpeechVoice::SVSFlagsAsync);
        QTest::qWait(500);
        voice.Speak({}, SpeechVoice::SVSFPurgeBeforeSpeak);
        voice.Speak(kSentence, SpeechVoice::SVSFlagsAsync);
        QTest::qWait(5000);
        recorder.finish();
        const double heard = recorder.audibleSeconds();
        QVERIFY2(heard > 0.8 && heard < 5.0, qPrintable(QString::number(heard)));
    }
};

int main(int argc, char** argv)
{
    testing::PrivateSoundServer server;
    TestVoiceSound::serverStarted = server.isRunning();
    QApplication app(argc, argv);
    TestVoiceSound test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_voicesound.moc"
