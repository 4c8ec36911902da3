#include "ScriptedPlatform.h"
#include "speech/EspeakVoice.h"

#include <QtTest>

#include <cmath>

using namespace quorvane;
using quorvane::testing::ScriptedPlatform;

namespace {

const QString kSentence = QStringLiteral("<lang langid=\"804\">我是一个学生,I,am,a,student,");

// Waits until synthesis has written everything: the count stops growing.
std::size_t settledSampleCount(const ScriptedPlatform& platform)
{
    std::size_t last = 0;
    int stableRounds = 0;
    QElapsedTimer clock;
    clock.start();
    while (stableRounds < 6 && clock.elapsed() < 15000) {
        QTest::qWait(50);
        const std::size_t now = platform.audio()->sampleCount();
        stableRounds = (now == last && now > 0) ? stableRounds + 1 : 0;
        last = now;
    }
    return last;
}

std::size_t spokenLength(const QString& text, int rate)
{
    ScriptedPlatform platform;
    platform.setAudioAvailable(true);
    EspeakVoice voice(platform);
    voice.setRate(rate);
    voice.Speak(text, SpeechVoice::SVSFlagsAsync);
    return settledSampleCount(platform);
}

double rms(const std::vector<std::int16_t>& samples)
{
    double sum = 0;
    for (std::int16_t s : samples)
        sum += double(s) * s;
    return samples.empty() ? 0 : std::sqrt(sum / samples.size());
}

} // namespace

class TestEspeakVoice : public QObject {
    Q_OBJECT

private slots:
    void startsAtNormalRateAndFullVolume()
    {
        ScriptedPlatform platform;
        platform.setAudioAvailable(true);
        EspeakVoice voice(platform);
        QCOMPARE(voice.Rate(), 0);
        QCOMPARE(voice.Volume(), 100);
        QCOMPARE(platform.callsOfKind("audio"), QStringList({"22050 Hz x 1"}));
    }

    void valuesOutOfRangeFailAndKeepTheState()
    {
        ScriptedPlatform platform;
        platform.setAudioAvailable(true);
        EspeakVoice voice(platform);
        voice.setRate(4);
        voice.setVolume(30);
        QVERIFY_THROWS_EXCEPTION(SpeechError, voice.setRate(11));
        QVERIFY_THROWS_EXCEPTION(SpeechError, voice.setRate(-11));
        QVERIFY_THROWS_EXCEPTION(SpeechError, voice.setVolume(101));
        QVERIFY_THROWS_EXCEPTION(SpeechError, voice.setVolume(-1));
        QCOMPARE(voice.Rate(), 4);
        QCOMPARE(voice.Volume(), 30);
    }

    void withoutSoundEveryCallFailsAndTheNextTriesAgain()
    {
        ScriptedPlatform platform;
        EspeakVoice voice(platform);
        QVERIFY_THROWS_EXCEPTION(SpeechError, voice.Speak(kSentence, SpeechVoice::SVSFlagsAsync));
        QVERIFY_THROWS_EXCEPTION(SpeechError, voice.Pause());
        QVERIFY_THROWS_EXCEPTION(SpeechError, voice.Rate());
        QCOMPARE(platform.callsOfKind("audio").size(), 3);
        platform.setAudioAvailable(true);
        voice.Speak(kSentence, SpeechVoice::SVSFlagsAsync);
        QVERIFY(settledSampleCount(platform) > 0);
    }

    void speakingProducesSpeechOfPlausibleLength()
    {
        const std::size_t samples = spokenLength(kSentence, 0);
        const double seconds = samples / 22050.0;
        QVERIFY2(seconds > 1.0 && seconds < 8.0, qPrintable(QString::number(seconds)));
    }

    void fasterRateIsShorter()
    {
        const std::size_t normal = spokenLength(kSentence, 0);
        const std::size_t fastest = spokenLength(kSentence, 10);
        const std::size_t slowest = spokenLength(kSentence, -10);
        QVERIFY2(fastest * 2 < normal, qPrintable(QStringLiteral("%1 %2").arg(fastest).arg(normal)));
        QVERIFY(slowest > normal * 3 / 2);
    }

    void halfVolumeIsQuieter()
    {
        ScriptedPlatform loud;
        loud.setAudioAvailable(true);
        EspeakVoice loudVoice(loud);
        loudVoice.Speak(kSentence, SpeechVoice::SVSFlagsAsync);
        settledSampleCount(loud);

        ScriptedPlatform quiet;
        quiet.setAudioAvailable(true);
        EspeakVoice quietVoice(quiet);
        quietVoice.setVolume(50);
        quietVoice.Speak(kSentence, SpeechVoice::SVSFlagsAsync);
        settledSampleCount(quiet);

        const double loudLevel = rms(loud.audio()->samples);
        const double quietLevel = rms(quiet.audio()->samples);
        QVERIFY2(quietLevel < loudLevel * 0.75,
                 qPrintable(QStringLiteral("%1 %2").arg(quietLevel).arg(loudLevel)));
        QVERIFY(quietLevel > loudLevel * 0.2);
    }

    void queuedTextsFollowEachOther()
    {
        const std::size_t once = spokenLength(kSentence, 0);
        ScriptedPlatform platform;
        platform.setAudioAvailable(true);
        EspeakVoice voice(platform);
        voice.Speak(kSentence, SpeechVoice::SVSFlagsAsync);
        voice.Speak(kSentence, SpeechVoice::SVSFlagsAsync);
        const std::size_t twice = settledSampleCount(platform);
        QVERIFY(twice > once * 19 / 10);
        QVERIFY(twice < once * 21 / 10);
    }

    void purgeSilencesAndDiscardsTheQueue()
    {
        ScriptedPlatform platform;
        platform.setAudioAvailable(true);
        EspeakVoice voice(platform);
        QString longText = QStringLiteral("<lang langid=\"804\">");
        for (int i = 0; i < 40; ++i)
            longText += QStringLiteral("这是一个很长的句子,");
        voice.Speak(longText, SpeechVoice::SVSFlagsAsync);
        voice.Speak(longText, SpeechVoice::SVSFlagsAsync);
        voice.Speak({}, SpeechVoice::SVSFPurgeBeforeSpeak);
        QTest::qWait(300);
        // At most a buffer that was being written when the purge came.
        QVERIFY(platform.audio()->sampleCount() < 22050 / 5);
        QVERIFY(platform.audio()->controls.contains(QStringLiteral("stop")));

        // The voice speaks again after a stop.
        voice.Speak(kSentence, SpeechVoice::SVSFlagsAsync);
        QVERIFY(settledSampleCount(platform) > 22050);
    }

    void pauseAndResumeReachTheOutput()
    {
        ScriptedPlatform platform;
        platform.setAudioAvailable(true);
        EspeakVoice voice(platform);
        voice.Pause();
        voice.Resume();
        voice.Speak({}, SpeechVoice::SVSFPurgeBeforeSpeak);
        QCOMPARE(platform.audio()->controls, QStringList({"pause", "resume", "stop"}));
    }

    void rateMapsGeometrically()
    {
        QCOMPARE(EspeakVoice::wordsPerMinute(0), 175);
        QCOMPARE(EspeakVoice::wordsPerMinute(10), 525);
        QVERIFY(EspeakVoice::wordsPerMinute(5) > 290 && EspeakVoice::wordsPerMinute(5) < 315);
        QCOMPARE(EspeakVoice::wordsPerMinute(-10), 80);
    }
};

QTEST_GUILESS_MAIN(TestEspeakVoice)
#include "tst_espeakvoice.moc"
