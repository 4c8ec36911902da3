#include "SwfFixtures.h"
#include "player/Player.h"

#include <QtTest>

using namespace quorvane;
using namespace quorvane::player;

namespace {

constexpr std::size_t kFrameSamples = 4410; // one frame at 10 frames a second

std::vector<std::int16_t> mixLeft(Player& player, std::size_t frames)
{
    std::vector<std::int16_t> stereo(frames * 2);
    player.mixAudio(stereo);
    std::vector<std::int16_t> left;
    for (std::size_t i = 0; i < stereo.size(); i += 2) {
        left.push_back(stereo[i]);
    }
    return left;
}

bool allAre(const std::vector<std::int16_t>& samples, std::int16_t value)
{
    return std::all_of(samples.begin(), samples.end(), [&](std::int16_t s) { return s == value; });
}

// A movie of `frames` frames at 10 a second whose frame `startFrame` starts
// a one-second event sound of constant level 500.
std::vector<std::uint8_t> eventMovie(int frames, int startFrame)
{
    std::vector<swf::Tag> tags{{fixtures::pcmSound(5, std::vector<std::int16_t>(44100, 500))}};
    for (int frame = 0; frame < frames; ++frame) {
        if (frame == startFrame) {
            tags.push_back({swf::StartSound{5, {}}});
        }
        tags.push_back({swf::ShowFrame{}});
    }
    return fixtures::bytes(fixtures::movie(
        fixtures::header(100, 100, 10, static_cast<std::uint16_t>(frames)), std::move(tags)));
}

std::vector<std::uint8_t> streamMovie(int frames)
{
    return fixtures::bytes(fixtures::streamMovie(frames, 10));
}

} // namespace

class TestMovieSound : public QObject {
    Q_OBJECT

private slots:
    void anEventSoundStartsWithItsFrameAndPlaysOnWhileHalted()
    {
        Player player;
        QVERIFY(!player.loadBytes(eventMovie(4, 1)));
        QVERIFY(player.isSilent());
        QVERIFY(allAre(mixLeft(player, 100), 0));
        player.advanceFrame();
        QVERIFY(allAre(mixLeft(player, 100), 500));
        player.stop();
        QVERIFY(allAre(mixLeft(player, kFrameSamples), 500));
        player.unload();
        QVERIFY(player.isSilent());
    }

    void aOneFrameMovieStartsItsSoundOnceButALoopingOneAgainEachRound()
    {
        Player still;
        QVERIFY(!still.loadBytes(eventMovie(1, 0)));
        for (int i = 0; i < 3; ++i) {
            still.advanceFrame();
        }
        QVERIFY(allAre(mixLeft(still, 100), 500));

        Player looping;
        QVERIFY(!looping.loadBytes(eventMovie(2, 0)));
        looping.advanceFrame();
        looping.advanceFrame(); // round to the first frame: a second instance
        QVERIFY(allAre(mixLeft(looping, 100), 1000));
    }

    void theStreamPlaysEachFramesBlockAsTheFramesArrive()
    {
        Player player;
        QVERIFY(!player.loadBytes(streamMovie(5)));
        QVERIFY(allAre(mixLeft(player, kFrameSamples), fixtures::streamLevel(0)));
        QVERIFY(allAre(mixLeft(player, 10), 0));
        player.advanceFrame();
        player.advanceFrame();
        const auto two = mixLeft(player, 2 * kFrameSamples);
        QVERIFY(allAre({two.begin(), two.begin() + kFrameSamples}, fixtures::streamLevel(1)));
        QVERIFY(allAre({two.begin() + kFrameSamples, two.end()}, fixtures::streamLevel(2)));
    }

    void haltingSilencesTheStreamUnlessPlayResumesFirst()
    {
        Player player;
        QVERIFY(!player.loadBytes(streamMovie(5)));
        // The main window's reseat: stop, seek to the frame shown, play.
        player.stop();
        player.gotoFrame(0);
        player.play();
        QVERIFY(allAre(mixLeft(player, kFrameSamples / 2), fixtures::streamLevel(0)));
        player.stop();
        player.gotoFrame(player.currentFrame());
        player.play();
        player.advanceFrame();
        const auto rest = mixLeft(player, kFrameSamples);
        QVERIFY(allAre({rest.begin(), rest.begin() + kFrameSamples / 2}, fixtures::streamLevel(0)));
        QVERIFY(allAre({rest.begin() + kFrameSamples / 2, rest.end()}, fixtures::streamLevel(1)));

        player.stop();
        QVERIFY(allAre(mixLeft(player, 10), 0));
        player.play();
        QVERIFY(allAre(mixLeft(player, 10), 0));
    }

    void seekingElsewhereRestartsTheStreamThere()
    {
        Player player;
        QVERIFY(!player.loadBytes(streamMovie(6)));
        player.gotoFrame(4);
        QVERIFY(allAre(mixLeft(player, kFrameSamples), fixtures::streamLevel(4)));
        player.gotoFrame(2);
        player.advanceFrame();
        const auto two = mixLeft(player, 2 * kFrameSamples);
        QVERIFY(allAre({two.begin(), two.begin() + kFrameSamples}, fixtures::streamLevel(2)));
        QVERIFY(allAre({two.begin() + kFrameSamples, two.end()}, fixtures::streamLevel(3)));
        player.rewind();
        QVERIFY(allAre(mixLeft(player, kFrameSamples), fixtures::streamLevel(0)));
    }

    void playbackByTheClockKeepsTheStreamInStep()
    {
        // Whatever the ticks' timing, the frames shown and the stream queued
        // keep pace: after n frames, n blocks have been queued.
        using namespace std::chrono_literals;
        Player player;
        QVERIFY(!player.loadBytes(streamMovie(50)));
        const auto start = Player::Clock::time_point{} + 1h;
        player.advanceTo(start);
        std::size_t mixed = 0;
        std::vector<std::int16_t> heard;
        for (auto t = 7ms; t <= 2002ms; t += 7ms) {
            player.advanceTo(start + t);
            // The output asks for sound as the wall clock plays it.
            const auto due = std::size_t(t.count()) * 441 / 10;
            const auto more = mixLeft(player, due - mixed);
            heard.insert(heard.end(), more.begin(), more.end());
            mixed = due;
        }
        QCOMPARE(player.currentFrame(), 20);
        // Every sample heard belongs to the frame shown then or just before,
        // and none is missing.
        for (std::size_t i = 0; i < heard.size(); i += 441) {
            const int frame = int(i / kFrameSamples);
            QVERIFY2(heard[i] == fixtures::streamLevel(frame),
                     qPrintable(QString("sample %1: %2").arg(i).arg(heard[i])));
        }
    }

    void withPacingTheFramesWaitForTheirSound()
    {
        using namespace std::chrono_literals;
        const auto start = Player::Clock::time_point{} + 1h;
        // Ticks every 10 ms from `from` up to `to`.
        const auto tick = [&](Player& player, auto from, auto to) {
            for (auto t = from; t <= to; t += 10ms) {
                player.advanceTo(start + t);
            }
        };
        Player free;
        QVERIFY(!free.loadBytes(streamMovie(30)));
        tick(free, 0ms, 1000ms);
        QCOMPARE(free.currentFrame(), 10);

        Player paced;
        paced.setPacedBySound(true);
        QVERIFY(!paced.loadBytes(streamMovie(30)));
        tick(paced, 0ms, 1000ms);
        // Nobody has mixed a sample: one frame ahead of the sound, no more.
        QCOMPARE(paced.currentFrame(), 1);
        mixLeft(paced, kFrameSamples);
        tick(paced, 1010ms, 1010ms);
        QCOMPARE(paced.currentFrame(), 2);
        // With the sound mixed ahead, the frames go back to the clock's
        // pace from the frame that waited.
        mixLeft(paced, 3 * kFrameSamples);
        tick(paced, 1020ms, 1090ms);
        QCOMPARE(paced.currentFrame(), 2);
        tick(paced, 1100ms, 1250ms);
        QCOMPARE(paced.currentFrame(), 4);

        // A movie without stream sound keeps the clock's pace.
        Player silent;
        silent.setPacedBySound(true);
        QVERIFY(!silent.loadBytes(eventMovie(30, 1)));
        tick(silent, 0ms, 1000ms);
        QCOMPARE(silent.currentFrame(), 10);
    }
};

QTEST_GUILESS_MAIN(TestMovieSound)
#include "tst_moviesound.moc"
