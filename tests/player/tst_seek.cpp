#include "SwfFixtures.h"
#include "player/Player.h"

#include <QtTest>
#include <algorithm>
#include <map>
#include <random>

using namespace quorvane;
using namespace quorvane::player;

namespace {

// The display lists a fresh play shows at every frame.
std::vector<DisplayList> playedFrames(const std::vector<std::uint8_t>& bytes, int frames)
{
    Player player;
    if (player.loadBytes(bytes)) {
        return {};
    }
    std::vector<DisplayList> lists{player.displayList()};
    for (int frame = 1; frame < frames; ++frame) {
        player.advanceFrame();
        lists.push_back(player.displayList());
    }
    return lists;
}

// The display lists a fresh play shows at the given frames only.
std::map<int, DisplayList> playedFrames(const std::vector<std::uint8_t>& bytes,
                                        const std::vector<int>& wanted)
{
    Player player;
    std::map<int, DisplayList> lists;
    if (player.loadBytes(bytes)) {
        return lists;
    }
    const int last = *std::max_element(wanted.begin(), wanted.end());
    for (int frame = 0; frame <= last; ++frame) {
        if (std::find(wanted.begin(), wanted.end(), frame) != wanted.end()) {
            lists[frame] = player.displayList();
        }
        player.advanceFrame();
    }
    return lists;
}

// Frames crowded enough that snapshots of every frame would not fit the
// snapshot budget: `objects` squares, one of them moving each frame.
swf::Movie crowdedMovie(int frames, int objects)
{
    std::vector<swf::Tag> tags{{fixtures::rectangle(1, 0, 0, 2, 2, fixtures::kRed)}};
    for (int depth = 1; depth <= objects; ++depth) {
        tags.push_back({fixtures::place(std::uint16_t(depth), 1, depth % 100, depth / 100)});
    }
    for (int frame = 0; frame < frames; ++frame) {
        if (frame > 0) {
            tags.push_back({fixtures::move(std::uint16_t(1 + frame % objects), frame % 100, 99)});
        }
        tags.push_back({swf::ShowFrame{}});
    }
    return fixtures::movie(fixtures::header(100, 100, 12, std::uint16_t(frames)), std::move(tags));
}

} // namespace

class TestSeek : public QObject {
    Q_OBJECT

private slots:
    void seeksShowWhatPlayingShows()
    {
        const auto bytes = fixtures::bytes(fixtures::animatedMovie(60));
        const std::vector<DisplayList> reference = playedFrames(bytes, 60);
        QCOMPARE(reference.size(), std::size_t{60});
        // Consecutive frames differ, so a seek that lands one off is caught.
        QVERIFY(reference[10] != reference[11]);

        Player player;
        QVERIFY(!player.loadBytes(bytes));
        std::mt19937 random(7);
        std::vector<int> targets{59, 0, 30, 29, 31, 5, 6, 21, 20, 59, 58, 1};
        for (int i = 0; i < 200; ++i) {
            targets.push_back(int(random() % 60));
        }
        for (const int target : targets) {
            player.gotoFrame(target);
            QCOMPARE(player.currentFrame(), target);
            QVERIFY2(player.displayList() == reference[std::size_t(target)],
                     qPrintable(QString("frame %1").arg(target)));
        }
    }

    void seeksAfterGoingRoundShowWhatPlayingShows()
    {
        const auto bytes = fixtures::bytes(fixtures::animatedMovie(30));
        const std::vector<DisplayList> reference = playedFrames(bytes, 30);
        Player player;
        QVERIFY(!player.loadBytes(bytes));
        for (int tick = 0; tick < 40; ++tick) {
            player.advanceFrame();
        }
        QCOMPARE(player.currentFrame(), 10);
        for (const int target : {12, 3, 29, 0}) {
            player.gotoFrame(target);
            QVERIFY(player.displayList() == reference[std::size_t(target)]);
        }
    }

    void crowdedLongMoviesSeekExactly()
    {
        // 6000 objects a frame: snapshots every few frames would pass their
        // budget, so they thin out; seeks must stay exact all the same.
        const auto bytes = fixtures::bytes(crowdedMovie(400, 6000));
        const std::vector<int> targets{398, 0, 257, 256, 255, 1, 399, 100, 17};
        const std::map<int, DisplayList> reference = playedFrames(bytes, targets);
        Player player;
        QVERIFY(!player.loadBytes(bytes));
        player.gotoFrame(399);
        for (const int target : targets) {
            player.gotoFrame(target);
            QVERIFY2(player.displayList() == reference.at(target),
                     qPrintable(QString("frame %1").arg(target)));
        }
    }

    void seeksThroughCrowdedFramesStopAtTheirLimit()
    {
        // 1000 objects a frame and room for about 50 frames' work a seek.
        Player::Limits limits;
        limits.maxSeekWork = 50000;
        Player player(limits);
        const auto bytes = fixtures::bytes(crowdedMovie(300, 1000));
        QVERIFY(!player.loadBytes(bytes));
        player.gotoFrame(299);
        const int reached = player.currentFrame();
        QVERIFY(reached > 10);
        QVERIFY(reached < 299);
        // What it shows is still that frame, exactly; the next seek goes on.
        QVERIFY(player.displayList() == playedFrames(bytes, std::vector<int>{reached}).at(reached));
        player.gotoFrame(299);
        QVERIFY(player.currentFrame() > reached);
    }

    void seekingToTheFrameShownChangesNothing()
    {
        // A three-frame movie with a five-frame sprite placed in its first
        // frame: after going round, the sprite is where no seek would put
        // it, and seeking to the frame shown must leave it there.
        swf::DefineSprite sprite;
        sprite.id = 10;
        sprite.frameCount = 5;
        for (int frame = 0; frame < 5; ++frame) {
            sprite.tags.push_back(
                {frame == 0 ? fixtures::place(1, 1) : fixtures::move(1, frame, 0)});
            sprite.tags.push_back({swf::ShowFrame{}});
        }
        const auto bytes = fixtures::bytes(fixtures::movie(
            fixtures::header(50, 50, 12, 3), {{fixtures::rectangle(1, 0, 0, 5, 5, fixtures::kRed)},
                                              {sprite},
                                              {fixtures::place(1, 10)},
                                              {swf::ShowFrame{}},
                                              {swf::ShowFrame{}},
                                              {swf::ShowFrame{}}}));
        Player player;
        QVERIFY(!player.loadBytes(bytes));
        for (int tick = 0; tick < 4; ++tick) {
            player.advanceFrame();
        }
        QCOMPARE(player.currentFrame(), 1);
        const DisplayList running = player.displayList();
        QCOMPARE(running.at(0).frame, 4);
        player.stop();
        player.gotoFrame(1);
        player.play();
        QVERIFY(player.displayList() == running);
        // A real seek to the same frame number from elsewhere is exact.
        player.gotoFrame(2);
        player.gotoFrame(1);
        QCOMPARE(player.displayList().at(0).frame, 1);
    }

    void seeksClampAndKeepThePlayingState()
    {
        Player player;
        QVERIFY(!player.loadBytes(fixtures::bytes(fixtures::animatedMovie(10))));
        QVERIFY(player.isPlaying());
        player.gotoFrame(1000);
        QCOMPARE(player.currentFrame(), 9);
        QVERIFY(player.isPlaying());
        player.stop();
        player.gotoFrame(-4);
        QCOMPARE(player.currentFrame(), 0);
        QVERIFY(!player.isPlaying());
    }

    void rewindShowsTheFirstFrameAfresh()
    {
        const auto bytes = fixtures::bytes(fixtures::animatedMovie(8));
        const DisplayList first = playedFrames(bytes, 1).at(0);
        Player player;
        QVERIFY(!player.loadBytes(bytes));
        for (int tick = 0; tick < 16; ++tick) {
            player.advanceFrame();
        }
        QCOMPARE(player.currentFrame(), 0);
        player.stop();
        player.rewind();
        QVERIFY(!player.isPlaying());
        QVERIFY(player.displayList() == first);
        player.play();
        player.gotoFrame(5);
        player.rewind();
        QVERIFY(player.isPlaying());
        QCOMPARE(player.currentFrame(), 0);
    }

    void emptyPlayerReportsNothing()
    {
        Player player;
        QVERIFY(!player.isLoaded());
        QCOMPARE(player.totalFrames(), 0);
        QCOMPARE(player.currentFrame(), 0);
        player.play();
        QVERIFY(!player.isPlaying());
        player.gotoFrame(3);
        player.rewind();
        player.advanceFrame();
        QCOMPARE(player.currentFrame(), 0);
        QVERIFY(!player.advanceTo(Player::Clock::now()));
        QCOMPARE(player.frameRate(), 0.0);
        QVERIFY(player.stageSize().isEmpty());
    }

    void failedLoadLeavesThePlayerEmpty()
    {
        Player player;
        QVERIFY(!player.loadBytes(fixtures::bytes(fixtures::animatedMovie(4))));
        const std::optional<std::string> error = player.load("/nonexistent/c01-01.swf");
        QVERIFY(error);
        QVERIFY(error->find("c01-01.swf") != std::string::npos);
        QVERIFY(!player.isLoaded());
        QCOMPARE(player.totalFrames(), 0);
        const std::vector<std::uint8_t> junk{'n', 'o', 't', ' ', 'S', 'W', 'F', '!', '!'};
        QVERIFY(player.loadBytes(junk));
        QVERIFY(!player.isLoaded());
    }

    void loadedMovieDescribesItself()
    {
        Player player;
        QVERIFY(!player.loadBytes(fixtures::bytes(fixtures::animatedMovie(25, 15.5))));
        QCOMPARE(player.totalFrames(), 25);
        QCOMPARE(player.frameRate(), 15.5);
        QCOMPARE(player.stageSize(), QSizeF(200, 150));
        QCOMPARE(player.backgroundColor(), QColor(250, 240, 220));
        QVERIFY(player.warnings().empty());
    }
};

QTEST_GUILESS_MAIN(TestSeek)
#include "tst_seek.moc"
