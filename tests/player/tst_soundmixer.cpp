#include "player/sound/SoundMixer.h"

#include <QtTest>

using namespace quorvane;
using namespace quorvane::player;

namespace {

// A stereo sound whose left side counts up from 1 and whose right side is
// the left negated, so that every mixed sample tells where it came from.
std::shared_ptr<const DecodedSound> rampSound(int frames, int holdFactor = 1)
{
    auto sound = std::make_shared<DecodedSound>();
    sound->holdFactor = holdFactor;
    for (int i = 1; i <= frames; ++i) {
        sound->samples.push_back(std::int16_t(i));
        sound->samples.push_back(std::int16_t(-i));
    }
    return sound;
}

std::vector<std::int16_t> mixFrames(SoundMixer& mixer, std::size_t frames)
{
    std::vector<std::int16_t> out(frames * 2, 12345);
    mixer.mix(out);
    return out;
}

std::vector<std::int16_t> left(const std::vector<std::int16_t>& stereo)
{
    std::vector<std::int16_t> result;
    for (std::size_t i = 0; i < stereo.size(); i += 2) {
        result.push_back(stereo[i]);
    }
    return result;
}

} // namespace

class TestSoundMixer : public QObject {
    Q_OBJECT

private slots:
    void anEventSoundPlaysOnceThenFallsSilent()
    {
        SoundMixer mixer;
        mixer.startEvent(1, rampSound(3), {});
        QVERIFY(mixer.isPlaying(1));
        const auto out = mixFrames(mixer, 5);
        QCOMPARE(out, (std::vector<std::int16_t>{1, -1, 2, -2, 3, -3, 0, 0, 0, 0}));
        QVERIFY(!mixer.isPlaying(1));
        QVERIFY(mixer.isSilent());
    }

    void heldSamplesRepeatForTheirFactor()
    {
        SoundMixer mixer;
        mixer.startEvent(1, rampSound(2, 4), {});
        QCOMPARE(left(mixFrames(mixer, 9)), (std::vector<std::int16_t>{1, 1, 1, 1, 2, 2, 2, 2, 0}));
    }

    void inAndOutPointsAndLoopsPlayTheRangeAgain()
    {
        SoundMixer mixer;
        swf::SoundInfo info;
        info.inPoint = 1;
        info.outPoint = 3;
        info.loopCount = 3;
        mixer.startEvent(1, rampSound(5), info);
        QCOMPARE(left(mixFrames(mixer, 8)), (std::vector<std::int16_t>{2, 3, 2, 3, 2, 3, 0, 0}));

        // An in point past the end plays nothing at all.
        info.inPoint = 50;
        info.outPoint.reset();
        mixer.startEvent(2, rampSound(5), info);
        QVERIFY(mixer.isSilent());
    }

    void theEnvelopeShapesEachSide()
    {
        SoundMixer mixer;
        auto loud = std::make_shared<DecodedSound>();
        loud->samples.assign(10 * 2, 1000);
        swf::SoundInfo info;
        // Left fades in over four samples; right is halved throughout.
        info.envelope = std::vector<swf::SoundEnvelopePoint>{{0, 0, 16384}, {4, 32768, 16384}};
        mixer.startEvent(1, loud, info);
        const auto out = mixFrames(mixer, 6);
        QCOMPARE(left(out), (std::vector<std::int16_t>{0, 250, 500, 750, 1000, 1000}));
        for (std::size_t i = 1; i < out.size(); i += 2) {
            QCOMPARE(out[i], std::int16_t(500));
        }
    }

    void noMultipleAndStopActOnEveryInstanceOfTheSound()
    {
        SoundMixer mixer;
        mixer.startEvent(1, rampSound(100), {});
        mixer.startEvent(1, rampSound(100), {});
        swf::SoundInfo noMultiple;
        noMultiple.syncNoMultiple = true;
        mixer.startEvent(1, rampSound(100), noMultiple);
        mixer.startEvent(2, rampSound(100), noMultiple);
        QCOMPARE(mixer.eventCount(), std::size_t(3));
        QCOMPARE(left(mixFrames(mixer, 1)), (std::vector<std::int16_t>{3}));

        swf::SoundInfo stop;
        stop.syncStop = true;
        mixer.startEvent(1, nullptr, stop);
        QCOMPARE(mixer.eventCount(), std::size_t(1));
        QCOMPARE(left(mixFrames(mixer, 1)), (std::vector<std::int16_t>{2}));
    }

    void loudSoundsTogetherClipInsteadOfWrappingRound()
    {
        SoundMixer mixer;
        auto loud = std::make_shared<DecodedSound>();
        loud->samples = {30000, -30000};
        mixer.startEvent(1, loud, {});
        mixer.startEvent(2, loud, {});
        QCOMPARE(mixFrames(mixer, 1), (std::vector<std::int16_t>{32767, -32768}));
    }

    void theStreamPlaysInTheOrderQueuedUnderTheEvents()
    {
        SoundMixer mixer;
        DecodedSound first;
        first.samples = {10, 10, 20, 20};
        first.holdFactor = 2;
        DecodedSound second;
        second.samples = {30, 30};
        mixer.queueStream(first);
        mixer.queueStream(second);
        QCOMPARE(mixer.streamQueued(), std::size_t(5));
        mixer.startEvent(1, rampSound(2), {});
        QCOMPARE(left(mixFrames(mixer, 3)), (std::vector<std::int16_t>{11, 12, 20}));
        QCOMPARE(left(mixFrames(mixer, 3)), (std::vector<std::int16_t>{20, 30, 0}));
        mixer.queueStream(second);
        mixer.clearStream();
        QVERIFY(mixer.isSilent());
        QCOMPARE(left(mixFrames(mixer, 1)), (std::vector<std::int16_t>{0}));
    }
};

QTEST_GUILESS_MAIN(TestSoundMixer)
#include "tst_soundmixer.moc"
