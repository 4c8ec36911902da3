#include "SwfFixtures.h"
#include "player/Player.h"

#include <QtTest>

using namespace quorvane;
using namespace quorvane::player;
using namespace std::chrono_literals;

namespace {

const Player::Clock::time_point kStart = Player::Clock::time_point{} + 1h;

std::vector<std::uint8_t> tenFramesPerSecond(int frames)
{
    return fixtures::bytes(fixtures::animatedMovie(frames, 10.0));
}

} // namespace

class TestPlayback : public QObject {
    Q_OBJECT

private slots:
    void framesAdvanceAtTheMoviesRate()
    {
        Player player;
        QVERIFY(!player.loadBytes(tenFramesPerSecond(50)));
        QVERIFY(!player.advanceTo(kStart));
        QVERIFY(!player.advanceTo(kStart + 99ms));
        QCOMPARE(player.currentFrame(), 0);
        QVERIFY(player.advanceTo(kStart + 100ms));
        QCOMPARE(player.currentFrame(), 1);
        QVERIFY(!player.advanceTo(kStart + 150ms));
        QVERIFY(player.advanceTo(kStart + 250ms));
        QCOMPARE(player.currentFrame(), 2);
        // The rhythm comes from the schedule, not from the late call.
        QVERIFY(player.advanceTo(kStart + 300ms));
        QCOMPARE(player.currentFrame(), 3);
        // A late call catches up every frame it missed.
        QVERIFY(player.advanceTo(kStart + 640ms));
        QCOMPARE(player.currentFrame(), 6);
    }

    void playbackLoopsAtTheEnd()
    {
        Player player;
        QVERIFY(!player.loadBytes(tenFramesPerSecond(3)));
        player.advanceTo(kStart);
        for (int i = 1; i <= 7; ++i) {
            QVERIFY(player.advanceTo(kStart + i * 100ms));
            QCOMPARE(player.currentFrame(), i % 3);
        }
    }

    void reseatingEveryTickDoesNotDisturbTheRhythm()
    {
        // The main window halts the movie, seeks it to the frame it shows
        // and lets it run again ten times a second, out of step with the
        // frames; meanwhile the widget calls advanceTo every 10 ms.
        Player steady;
        Player reseated;
        QVERIFY(!steady.loadBytes(tenFramesPerSecond(40)));
        QVERIFY(!reseated.loadBytes(tenFramesPerSecond(40)));
        int changes = 0;
        for (auto now = kStart; now < kStart + 3s; now += 10ms) {
            const bool steadyChanged = steady.advanceTo(now);
            const bool reseatedChanged = reseated.advanceTo(now);
            QCOMPARE(reseatedChanged, steadyChanged);
            QCOMPARE(reseated.currentFrame(), steady.currentFrame());
            changes += steadyChanged;
            if ((now - kStart) % 100ms == 70ms) {
                reseated.stop();
                reseated.gotoFrame(reseated.currentFrame());
                reseated.play();
            }
        }
        QCOMPARE(changes, 29);
        QVERIFY(reseated.displayList() == steady.displayList());
    }

    void haltedTimeDoesNotCount()
    {
        Player player;
        QVERIFY(!player.loadBytes(tenFramesPerSecond(20)));
        player.advanceTo(kStart);
        player.advanceTo(kStart + 50ms);
        player.stop();
        for (auto now = kStart + 60ms; now <= kStart + 5060ms; now += 10ms) {
            QVERIFY(!player.advanceTo(now));
        }
        QCOMPARE(player.currentFrame(), 0);
        player.play();
        // 50 ms of the interval had passed while running; 50 ms remain.
        QVERIFY(!player.advanceTo(kStart + 5100ms));
        QVERIFY(player.advanceTo(kStart + 5110ms));
        QCOMPARE(player.currentFrame(), 1);
    }

    void seekingWhilePlayingKeepsTheRhythm()
    {
        Player player;
        QVERIFY(!player.loadBytes(tenFramesPerSecond(20)));
        player.advanceTo(kStart);
        player.advanceTo(kStart + 30ms);
        player.gotoFrame(5);
        QVERIFY(!player.advanceTo(kStart + 90ms));
        QCOMPARE(player.currentFrame(), 5);
        QVERIFY(player.advanceTo(kStart + 100ms));
        QCOMPARE(player.currentFrame(), 6);
    }

    void aLongStallResumesFromNow()
    {
        Player player;
        QVERIFY(!player.loadBytes(tenFramesPerSecond(200)));
        player.advanceTo(kStart);
        QVERIFY(player.advanceTo(kStart + 10s));
        QCOMPARE(player.currentFrame(), 1);
        QVERIFY(!player.advanceTo(kStart + 10s + 99ms));
        QVERIFY(player.advanceTo(kStart + 10s + 100ms));
        QCOMPARE(player.currentFrame(), 2);
    }

    void haltedMoviesStay()
    {
        Player player;
        QVERIFY(!player.loadBytes(tenFramesPerSecond(20)));
        player.stop();
        for (auto now = kStart; now < kStart + 2s; now += 50ms) {
            QVERIFY(!player.advanceTo(now));
        }
        QCOMPARE(player.currentFrame(), 0);
        QVERIFY(!player.isPlaying());
    }
};

QTEST_GUILESS_MAIN(TestPlayback)
#include "tst_playback.moc"
