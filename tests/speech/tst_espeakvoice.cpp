#include "ScriptedPlatform.h"
#include "speech/EspeakVoice.h"

#include <QtTest>
#include <cmath>
#include <map>

using namespace quorvane;
using quorvane::testing::AudioRecord;
using quorvane::testing::ScriptedPlatform;

namespace {

constexpr double kRate = 22050;
const QString kSentence = QStringLiteral("<lang langid=\"804\">我是一个学生,I,am,a,student,");

// Forty times the same sentence: any stretch of it sounds like any other.
QString longText()
{
    QString text = QStringLiteral("<lang langid=\"804\">");
    for (int i = 0; i < 40; ++i)
        text += QStringLiteral("这是一个很长的句子,");
    return text;
}

std::size_t seconds(double s)
{
    return static_cast<std::size_t>(s * kRate);
}

// A sound device that keeps up with anything, so the voice synthesises
// without waiting for playback.
void giveFreeRunningSound(ScriptedPlatform& platform)
{
    platform.setAudioAvailable(true);
    platform.audio()->setPlaysAtOnce(true);
}

std::size_t spokenLength(const QString& text, int rate)
{
    ScriptedPlatform platform;
    giveFreeRunningSound(platform);
    EspeakVoice voice(platform);
    voice.setRate(rate);
    voice.Speak(text, SpeechVoice::SVSFlagsAsync);
    return testing::settledSampleCount(*platform.audio());
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
        giveFreeRunningSound(platform);
        voice.Speak(kSentence, SpeechVoice::SVSFlagsAsync);
        QVERIFY(testing::settledSampleCount(*platform.audio()) > 0);
    }

    void speakingProducesSpeechOfPlausibleLength()
    {
        const double length = spokenLength(kSentence, 0) / kRate;
        QVERIFY2(length > 1.0 && length < 8.0, qPrintable(QString::number(length)));
    }

    void readingTimeFallsWithEveryRateStep()
    {
        std::map<int, std::size_t> length;
        for (int rate = -10; rate <= 10; ++rate)
            length[rate] = spokenLength(kSentence, rate);
        for (int rate = -9; rate <= 10; ++rate) {
            QVERIFY2(length[rate] < length[rate - 1],
                     qPrintable(QStringLiteral("rate %1: %2 samples, rate %3: %4")
                                    .arg(rate - 1)
                                    .arg(length[rate - 1])
                                    .arg(rate)
                                    .arg(length[rate])));
        }
        // The slowest is about a third of normal speed, the fastest about
        // three times it.
        const double slowest = double(length[-10]) / length[0];
        const double fastest = double(length[10]) / length[0];
        QVERIFY2(slowest > 2.6 && slowest < 3.5, qPrintable(QString::number(slowest)));
        QVERIFY2(fastest > 0.25 && fastest < 0.45, qPrintable(QString::number(fastest)));
    }

    void halfVolumeIsQuieter()
    {
        ScriptedPlatform loud;
        giveFreeRunningSound(loud);
        EspeakVoice loudVoice(loud);
        loudVoice.Speak(kSentence, SpeechVoice::SVSFlagsAsync);
        testing::settledSampleCount(*loud.audio());

        ScriptedPlatform quiet;
        giveFreeRunningSound(quiet);
        EspeakVoice quietVoice(quiet);
        quietVoice.setVolume(50);
        quietVoice.Speak(kSentence, SpeechVoice::SVSFlagsAsync);
        testing::settledSampleCount(*quiet.audio());

        const double loudLevel = loud.audio()->level(0);
        const double quietLevel = quiet.audio()->level(0);
        QVERIFY2(quietLevel < loudLevel * 0.75,
                 qPrintable(QStringLiteral("%1 %2").arg(quietLevel).arg(loudLevel)));
        QVERIFY(quietLevel > loudLevel * 0.2);
    }

    void queuedTextsFollowEachOther()
    {
        const std::size_t once = spokenLength(kSentence, 0);
        ScriptedPlatform platform;
        giveFreeRunningSound(platform);
        EspeakVoice voice(platform);
        voice.Speak(kSentence, SpeechVoice::SVSFlagsAsync);
        voice.Speak(kSentence, SpeechVoice::SVSFlagsAsync);
        const std::size_t twice = testing::settledSampleCount(*platform.audio());
        QVERIFY(twice > once * 19 / 10);
        QVERIFY(twice < once * 21 / 10);
    }

    void synthesisKeepsJustAheadOfPlayback()
    {
        ScriptedPlatform platform;
        platform.setAudioAvailable(true);
        AudioRecord& audio = *platform.audio();
        EspeakVoice voice(platform);
        voice.Speak(longText(), SpeechVoice::SVSFlagsAsync);
        QTest::qWait(300);
        // The text runs for over a minute; nothing has been played yet.
        QVERIFY(audio.sampleCount() > 0);
        QVERIFY2(audio.sampleCount() <= seconds(0.2),
                 qPrintable(QString::number(audio.sampleCount())));
        for (int i = 0; i < 5; ++i) {
            // The voice never lets the device run dry.
            QVERIFY(testing::playAlong(audio, 1.0) >= seconds(1.0));
            QTest::qWait(20);
            const std::size_t ahead = audio.sampleCount() - audio.playedCount();
            QVERIFY2(ahead <= seconds(0.2), qPrintable(QString::number(ahead)));
        }
    }

    void aNewVolumeIsHeardWithinHalfASecond()
    {
        ScriptedPlatform platform;
        platform.setAudioAvailable(true);
        AudioRecord& audio = *platform.audio();
        EspeakVoice voice(platform);
        voice.Speak(longText(), SpeechVoice::SVSFlagsAsync);
        testing::playAlong(audio, 1.5);

        const std::size_t silencedAt = audio.playedCount();
        voice.setVolume(0);
        testing::playAlong(audio, 2.0);
        QVERIFY(audio.sampleCount() > silencedAt + seconds(1.5)); // the reading goes on
        const std::size_t lastHeard = audio.lastSoundFrom(silencedAt);
        QVERIFY2(lastHeard < silencedAt + seconds(0.5),
                 qPrintable(QStringLiteral("heard until %1 s after the change")
                                .arg((double(lastHeard) - double(silencedAt)) / kRate)));

        const std::size_t loudAgainAt = audio.playedCount();
        voice.setVolume(100);
        testing::playAlong(audio, 2.0);
        QVERIFY(audio.level(0, silencedAt) > 500);
        QVERIFY(audio.level(loudAgainAt + seconds(0.5)) > 500);
    }

    void aNewRateIsHeardWithinHalfASecond()
    {
        const double normal = double(spokenLength(longText(), 0));
        const double fast = double(spokenLength(longText(), 10));

        ScriptedPlatform platform;
        platform.setAudioAvailable(true);
        AudioRecord& audio = *platform.audio();
        EspeakVoice voice(platform);
        voice.Speak(longText(), SpeechVoice::SVSFlagsAsync);
        testing::playAlong(audio, 3.0);
        const double changedAt = double(audio.playedCount());
        const double writtenAtChange = double(audio.sampleCount());
        voice.setRate(10);
        audio.setPlaysAtOnce(true);
        const double total = double(testing::settledSampleCount(*platform.audio()));

        // What was written ahead when the rate changed is all that is heard
        // at the old rate; the rest of the text goes at the new one.
        QVERIFY(writtenAtChange - changedAt <= double(seconds(0.5)));
        const double expected = changedAt + (normal - changedAt) * fast / normal;
        QVERIFY2(std::abs(total - expected) < 0.05 * expected + double(seconds(0.5)),
                 qPrintable(QStringLiteral("%1 s, expected %2 s (normal %3 s, fast %4 s)")
                                .arg(total / kRate)
                                .arg(expected / kRate)
                                .arg(normal / kRate)
                                .arg(fast / kRate)));
    }

    void purgeSilencesAndDiscardsTheQueue()
    {
        ScriptedPlatform platform;
        platform.setAudioAvailable(true);
        AudioRecord& audio = *platform.audio();
        EspeakVoice voice(platform);
        voice.Speak(longText(), SpeechVoice::SVSFlagsAsync);
        voice.Speak(longText(), SpeechVoice::SVSFlagsAsync);
        testing::playAlong(audio, 0.5);
        voice.Speak({}, SpeechVoice::SVSFPurgeBeforeSpeak);
        QTest::qWait(300);
        QCOMPARE(audio.sampleCount(), std::size_t(0));
        QVERIFY(audio.controls.contains(QStringLiteral("stop")));

        // The voice speaks again after a stop.
        audio.setPlaysAtOnce(true);
        voice.Speak(kSentence, SpeechVoice::SVSFlagsAsync);
        QVERIFY(testing::settledSampleCount(*platform.audio()) > 22050);
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

    void aPurgeEndsThePause()
    {
        ScriptedPlatform platform;
        platform.setAudioAvailable(true);
        EspeakVoice voice(platform);
        voice.Speak(kSentence, SpeechVoice::SVSFlagsAsync);
        voice.Pause();
        // A text queued while paused waits for Resume.
        voice.Speak(kSentence, SpeechVoice::SVSFlagsAsync);
        QCOMPARE(platform.audio()->controls, QStringList({"pause"}));
        voice.Speak({}, SpeechVoice::SVSFPurgeBeforeSpeak);
        QCOMPARE(platform.audio()->controls, QStringList({"pause", "stop", "resume"}));
        // Not paused any more: a purge now leaves the output running.
        voice.Speak({}, SpeechVoice::SVSFPurgeBeforeSpeak);
        QCOMPARE(platform.audio()->controls, QStringList({"pause", "stop", "resume", "stop"}));
    }
};

QTEST_GUILESS_MAIN(TestEspeakVoice)
#include "tst_espeakvoice.moc"
