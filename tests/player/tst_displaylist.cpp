#include "SwfFixtures.h"
#include "player/movie/DisplayList.h"
#include "player/movie/MovieDefinition.h"

#include <QtTest>

using namespace quorvane;
using namespace quorvane::player;
using fixtures::move;
using fixtures::place;
using fixtures::remove;

namespace {

std::shared_ptr<const MovieDefinition> definition(std::vector<swf::Tag> tags, int frames)
{
    swf::ReadMovie read;
    read.movie =
        fixtures::movie(fixtures::header(100, 100, 12, std::uint16_t(frames)), std::move(tags));
    MemoryBudget budget;
    return MovieDefinition::create(std::move(read), budget);
}

const DisplayObject* at(const DisplayList& list, std::uint16_t depth)
{
    for (const DisplayObject& object : list) {
        if (object.depth == depth) {
            return &object;
        }
    }
    return nullptr;
}

// A sprite of `frames` frames whose square (character 1) sits at y = frame.
swf::DefineSprite countingSprite(std::uint16_t id, int frames)
{
    swf::DefineSprite sprite;
    sprite.id = id;
    sprite.frameCount = std::uint16_t(frames);
    for (int frame = 0; frame < frames; ++frame) {
        sprite.tags.push_back({frame == 0 ? place(1, 1, 0, 0) : move(1, 0, frame)});
        sprite.tags.push_back({swf::ShowFrame{}});
    }
    return sprite;
}

int spriteY(const DisplayObject& sprite)
{
    return sprite.children.at(0).matrix.translateY / swf::kTwipsPerPixel;
}

} // namespace

class TestDisplayList : public QObject {
    Q_OBJECT

private slots:
    void placeMoveReplaceRemove()
    {
        swf::PlaceObject full = place(5, 1, 10, 20);
        full.colorTransform = swf::ColorTransform{128, 256, 256, 256, 0, 0, 50, 0};
        full.ratio = 7;
        full.name = "ball";
        swf::PlaceObject modify = move(5, 30, 40);
        swf::PlaceObject replace;
        replace.depth = 5;
        replace.move = true;
        replace.characterId = 2;
        replace.ratio = 9;
        auto movie = definition({{fixtures::rectangle(1, 0, 0, 5, 5, fixtures::kRed)},
                                 {fixtures::rectangle(2, 0, 0, 5, 5, fixtures::kBlue)},
                                 {full},
                                 {swf::ShowFrame{}},
                                 {modify},
                                 {swf::ShowFrame{}},
                                 {replace},
                                 {swf::ShowFrame{}},
                                 {remove(5)},
                                 {swf::ShowFrame{}}},
                                4);
        TimelineRunner runner(movie->dictionary());
        const Timeline& root = movie->rootTimeline();
        int frame = 0;
        DisplayList list = runner.firstFrame(root);
        QCOMPARE(list.size(), std::size_t{1});
        QCOMPARE(list[0].characterId, 1);
        QCOMPARE(list[0].matrix, fixtures::translation(10, 20));
        QCOMPARE(list[0].colorTransform.redMultiply, 128);
        QCOMPARE(list[0].ratio, 7);
        QCOMPARE(list[0].name, std::string("ball"));

        runner.advance(root, frame, list);
        QCOMPARE(frame, 1);
        // A move changes what it carries and nothing else.
        QCOMPARE(list[0].matrix, fixtures::translation(30, 40));
        QCOMPARE(list[0].colorTransform.redMultiply, 128);
        QCOMPARE(list[0].name, std::string("ball"));

        runner.advance(root, frame, list);
        // A replace swaps the character and keeps the rest.
        QCOMPARE(list[0].characterId, 2);
        QCOMPARE(list[0].ratio, 9);
        QCOMPARE(list[0].matrix, fixtures::translation(30, 40));
        QCOMPARE(list[0].placedFrame, 2);

        runner.advance(root, frame, list);
        QVERIFY(list.empty());
    }

    void replaceSwapsOnlyGraphicsOfOneKind()
    {
        const auto replace = [](std::uint16_t depth, std::uint16_t characterId) {
            swf::PlaceObject tag;
            tag.depth = depth;
            tag.move = true;
            tag.characterId = characterId;
            return tag;
        };
        auto movie = definition({{fixtures::rectangle(1, 0, 0, 5, 5, fixtures::kRed)},
                                 {fixtures::rectangle(2, 0, 0, 5, 5, fixtures::kBlue)},
                                 {countingSprite(3, 1)},
                                 {countingSprite(4, 1)},
                                 {place(1, 1)},
                                 {place(2, 3)},
                                 {place(3, 3)},
                                 {swf::ShowFrame{}},
                                 // A sprite for a shape, a shape for a sprite, a sprite
                                 // for another sprite: all keep what they show.
                                 {replace(1, 4)},
                                 {replace(2, 2)},
                                 {replace(3, 4)},
                                 {swf::ShowFrame{}}},
                                2);
        TimelineRunner runner(movie->dictionary());
        int frame = 0;
        DisplayList list = runner.firstFrame(movie->rootTimeline());
        runner.advance(movie->rootTimeline(), frame, list);
        QCOMPARE(frame, 1);
        QCOMPARE(at(list, 1)->characterId, 1);
        QCOMPARE(at(list, 2)->characterId, 3);
        QCOMPARE(at(list, 3)->characterId, 3);
        QCOMPARE(at(list, 3)->children.size(), std::size_t{1});
    }

    void listStaysInDepthOrderAndOccupiedDepthsRefusePlacements()
    {
        swf::PlaceObject clip = place(1, 1);
        clip.clipDepth = 3;
        auto movie = definition({{fixtures::rectangle(1, 0, 0, 5, 5, fixtures::kRed)},
                                 {place(9, 1)},
                                 {place(2, 1)},
                                 {clip},
                                 {place(2, 1, 50, 50)},
                                 {swf::ShowFrame{}}},
                                1);
        TimelineRunner runner(movie->dictionary());
        const DisplayList list = runner.firstFrame(movie->rootTimeline());
        QCOMPARE(list.size(), std::size_t{3});
        QCOMPARE(list[0].depth, 1);
        QCOMPARE(list[0].clipDepth, 3);
        QCOMPARE(list[1].depth, 2);
        QCOMPARE(list[2].depth, 9);
        // The second placement at depth 2 was ignored.
        QCOMPARE(list[1].matrix, fixtures::translation(0, 0));
    }

    void spritesRunTheirOwnTimelines()
    {
        auto movie = definition({{fixtures::rectangle(1, 0, 0, 5, 5, fixtures::kRed)},
                                 {countingSprite(10, 4)},
                                 {place(1, 10)},
                                 {swf::ShowFrame{}},
                                 {swf::ShowFrame{}},
                                 {place(2, 10)},
                                 {swf::ShowFrame{}}},
                                3);
        TimelineRunner runner(movie->dictionary());
        const Timeline& root = movie->rootTimeline();
        int frame = 0;
        DisplayList list = runner.firstFrame(root);
        QCOMPARE(spriteY(*at(list, 1)), 0);
        runner.advance(root, frame, list);
        runner.advance(root, frame, list);
        QCOMPARE(frame, 2);
        QCOMPARE(at(list, 1)->frame, 2);
        QCOMPARE(spriteY(*at(list, 1)), 2);
        // A sprite shows its first frame in the frame that places it.
        QCOMPARE(at(list, 2)->frame, 0);
        QCOMPARE(spriteY(*at(list, 2)), 0);
    }

    void oneFrameTimelineStaysWhileItsSpritesRun()
    {
        auto movie = definition({{fixtures::rectangle(1, 0, 0, 5, 5, fixtures::kRed)},
                                 {countingSprite(10, 3)},
                                 {place(1, 10)},
                                 {swf::ShowFrame{}}},
                                1);
        TimelineRunner runner(movie->dictionary());
        int frame = 0;
        DisplayList list = runner.firstFrame(movie->rootTimeline());
        for (int tick = 1; tick <= 7; ++tick) {
            runner.advance(movie->rootTimeline(), frame, list);
            QCOMPARE(frame, 0);
            QCOMPARE(at(list, 1)->frame, tick % 3);
            QCOMPARE(spriteY(*at(list, 1)), tick % 3);
        }
    }

    void goingRoundKeepsSpritesOfTheFirstFrameRunning()
    {
        // Root of 2 frames: a sprite placed in frame 0 (kept), a sprite
        // placed in frame 1 (gone after the loop), a shape moved in frame 1
        // (back to its first-frame place after the loop).
        auto movie = definition({{fixtures::rectangle(1, 0, 0, 5, 5, fixtures::kRed)},
                                 {countingSprite(10, 5)},
                                 {place(1, 10)},
                                 {place(3, 1, 0, 0)},
                                 {swf::ShowFrame{}},
                                 {place(2, 10)},
                                 {move(3, 9, 9)},
                                 {swf::ShowFrame{}}},
                                2);
        TimelineRunner runner(movie->dictionary());
        const Timeline& root = movie->rootTimeline();
        int frame = 0;
        DisplayList list = runner.firstFrame(root);
        runner.advance(root, frame, list);
        QCOMPARE(list.size(), std::size_t{3});
        runner.advance(root, frame, list);
        QCOMPARE(frame, 0);
        QCOMPARE(list.size(), std::size_t{2});
        QVERIFY(at(list, 2) == nullptr);
        QCOMPARE(at(list, 3)->matrix, fixtures::translation(0, 0));
        QCOMPARE(at(list, 1)->frame, 2);
        runner.advance(root, frame, list);
        // The sprite placed anew in frame 1 starts over.
        QCOMPARE(at(list, 2)->frame, 0);
        QCOMPARE(at(list, 1)->frame, 3);
    }

    void placementsOfUndefinedCharactersShowNothingButHoldTheirDepth()
    {
        auto movie = definition({{place(1, 77)}, {swf::ShowFrame{}}}, 1);
        TimelineRunner runner(movie->dictionary());
        const DisplayList list = runner.firstFrame(movie->rootTimeline());
        QCOMPARE(list.size(), std::size_t{1});
        QVERIFY(list[0].children.empty());
    }

    void selfPlacingSpritesAreBounded()
    {
        // Sprite 10 places itself twice: unbounded, that doubles forever.
        swf::DefineSprite sprite;
        sprite.id = 10;
        sprite.frameCount = 2;
        sprite.tags = {
            {place(1, 10)}, {place(2, 10)}, {swf::ShowFrame{}}, {remove(1)}, {swf::ShowFrame{}}};
        auto movie = definition({{sprite}, {place(1, 10)}, {swf::ShowFrame{}}}, 1);
        TimelineRunner::Limits limits;
        limits.maxNesting = 64;
        limits.maxObjectsPerCall = 5000;
        TimelineRunner runner(movie->dictionary(), limits);
        int frame = 0;
        DisplayList list = runner.firstFrame(movie->rootTimeline());
        QVERIFY(objectCount(list) <= limits.maxObjectsPerCall + 1);
        for (int tick = 0; tick < 6; ++tick) {
            runner.advance(movie->rootTimeline(), frame, list);
            QVERIFY(objectCount(list) <= 2 * limits.maxObjectsPerCall);
        }

        TimelineRunner::Limits shallow;
        shallow.maxNesting = 4;
        TimelineRunner shallowRunner(movie->dictionary(), shallow);
        const DisplayList small = shallowRunner.firstFrame(movie->rootTimeline());
        // Depth 1 is the root's sprite; three more levels of two each.
        QCOMPARE(objectCount(small), std::size_t{1 + 2 + 4 + 8});
    }
};

QTEST_GUILESS_MAIN(TestDisplayList)
#include "tst_displaylist.moc"
