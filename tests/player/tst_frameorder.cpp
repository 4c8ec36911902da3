// The frame loop's order as Flash keeps it: which scripts of a frame run
// first across a clip and its children, what a goto does to the clips it
// passes and to the scripts running on them. Movies built in code trace
// what happens; a host records it.

#include "ActionFixtures.h"
#include "RecordingScriptHost.h"
#include "SwfFixtures.h"
#include "player/Player.h"

#include <QtTest>

using namespace quorvane;
using namespace quorvane::fixtures;
using A = swf::ActionCode;

namespace {

swf::Tag says(const std::string& text)
{
    ActionScript script;
    script.push(text).op(A::Trace);
    return doAction(script);
}

swf::Tag named(swf::PlaceObject tag, const char* name)
{
    tag.name = name;
    return swf::Tag{tag};
}

// _root.gotoAndStop(frame), frame counted from 1.
ActionScript rootGotoAndStop(double frame)
{
    ActionScript script;
    script.push(frame).push(1.0).push("_root").op(A::GetVariable).push("gotoAndStop");
    script.op(A::CallMethod).op(A::Pop);
    return script;
}

// A DefineButton2 without actions showing one character in every state.
swf::Tag buttonShowing(std::uint16_t id, std::uint16_t characterId)
{
    std::vector<std::uint8_t> body{std::uint8_t(id), std::uint8_t(id >> 8), 0, 0, 0};
    // All four states, the character at depth 1, identity matrix and
    // colour transform, then the end of the records.
    body.insert(body.end(),
                {0x0f, std::uint8_t(characterId), std::uint8_t(characterId >> 8), 1, 0, 0, 0, 0});
    swf::Unknown button;
    button.code = 34;
    button.data = std::move(body);
    return swf::Tag{button};
}

std::vector<std::uint8_t> tracing(const std::string& text)
{
    ActionScript script;
    script.push(text).op(A::Trace).op(A::End);
    return script.bytes();
}

// A placement whose clip events trace "<name> <event>" for each event given.
swf::Tag withEvents(swf::PlaceObject tag, const std::string& name,
                    std::initializer_list<std::pair<std::uint32_t, const char*>> events)
{
    swf::ClipActions actions;
    for (const auto& [event, label] : events) {
        actions.allEvents |= event;
        actions.records.push_back(
            swf::ClipActionRecord{event, std::nullopt, tracing(name + " " + label)});
    }
    tag.clipActions = std::move(actions);
    return swf::Tag{tag};
}

constexpr std::uint32_t kLoad = 1u << 0;
constexpr std::uint32_t kEnterFrame = 1u << 1;
constexpr std::uint32_t kUnload = 1u << 2;
constexpr std::uint32_t kInitialize = 1u << 9;
constexpr std::uint32_t kConstruct = 1u << 18;

swf::Tag exportAs(std::uint16_t id, const std::string& name)
{
    swf::Unknown tag;
    tag.code = 56;
    tag.data = {1, 0, std::uint8_t(id), std::uint8_t(id >> 8)};
    tag.data.insert(tag.data.end(), name.begin(), name.end());
    tag.data.push_back(0);
    return swf::Tag{tag};
}

struct Run {
    RecordingScriptHost host;
    player::Player player;

    explicit Run(std::vector<std::vector<swf::Tag>> frames)
    {
        player.setScriptHost(&host);
        const auto error = player.loadBytes(movieOfFrames(std::move(frames)));
        if (error) {
            host.traces.push_back("load failed: " + *error);
        }
    }
    void frames(int count)
    {
        for (int i = 0; i < count; ++i) {
            player.advanceFrame();
        }
    }
};

} // namespace

class TestFrameOrder : public QObject {
    Q_OBJECT

private slots:
    void aGotoRunsItsFrameScriptsBeforeTheFirstFramesOfWhatItPlaces_data();
    void aGotoRunsItsFrameScriptsBeforeTheFirstFramesOfWhatItPlaces();
    void aClipPlacedByAGotoAndGoneByTheNextNeverRunsItsFirstFrame();
    void aScriptStopsWhenItsClipIsUnloaded_data();
    void aScriptStopsWhenItsClipIsUnloaded();
    void theClipsOfAButtonRunTheirScriptsToTheEnd();
    void goingBackKeepsSwappedClipsWhereTheTargetFrameHasADepth();
    void goingBackKnowsAClipAgainByItsRatio_data();
    void goingBackKnowsAClipAgainByItsRatio();
    void clipsStepNewestFirstEachHearingEnterFrameJustBeforeItsStep();
    void childrenHearTheirUnloadBeforeTheirParent();
    void aParentLoadsBeforeItsChildrenAndConstructsOnceTheyAreThere();
    void aClipTheTimelineRemovesUnloadsAtItsRemovedDepth();
    void aSwappedClipIsNoLongerMovedByTheTimelineButStillRemoved();
    void aDuplicateHearsTheSourcesEventsAndGoesWhenTheTimelineGoesBack();
    void aSpriteMovedWithAnotherSpritesIdKeepsItsIdentityAndName();
    void attachAndDuplicateStayWithinTheScriptDepths();
};

void TestFrameOrder::aGotoRunsItsFrameScriptsBeforeTheFirstFramesOfWhatItPlaces_data()
{
    // Frame 1 jumps to the frame that places the sprite, whose own first
    // frame traces; the target frame's script comes after the placement in
    // the file. Jumping one frame on and jumping over frames behave alike.
    QTest::addColumn<int>("target");
    QTest::newRow("next frame") << 2;
    QTest::newRow("over a frame") << 3;
}

void TestFrameOrder::aGotoRunsItsFrameScriptsBeforeTheFirstFramesOfWhatItPlaces()
{
    QFETCH(int, target);
    swf::DefineSprite sprite{1, 1, {says("child"), swf::Tag{swf::ShowFrame{}}}};
    ActionScript jump;
    jump.gotoFrame(std::uint16_t(target - 1)).op(A::Stop);
    std::vector<std::vector<swf::Tag>> frames{{swf::Tag{std::move(sprite)}, doAction(jump)}};
    if (target == 3) {
        frames.push_back({says("skipped")});
    }
    frames.push_back({swf::Tag{place(1, 1)}, says("target")});
    Run run(std::move(frames));
    QCOMPARE(run.host.traces, (Lines{"target", "child"}));
    QCOMPARE(run.player.currentFrame(), target - 1);
    // The timeline's own step still runs a new child's first frame where
    // the file places it: before a script that follows the placement.
    swf::DefineSprite again{1, 1, {says("child"), swf::Tag{swf::ShowFrame{}}}};
    Run stepped({{swf::Tag{std::move(again)}}, {swf::Tag{place(1, 1)}, says("parent")}});
    stepped.frames(1);
    QCOMPARE(stepped.host.traces, (Lines{"child", "parent"}));
}

void TestFrameOrder::aClipPlacedByAGotoAndGoneByTheNextNeverRunsItsFirstFrame()
{
    // Frame 1 jumps to 3, which places "mc" and jumps on to 5; frame 4
    // removes it. Frame 3's script runs first, so mc's first frame never
    // does.
    ActionScript mark;
    mark.push("_root").op(A::GetVariable).push("x").push(1.0).op(A::SetMember);
    swf::DefineSprite sprite{1, 1, {doAction(mark), swf::Tag{swf::ShowFrame{}}}};
    ActionScript toThree;
    toThree.gotoFrame(2).op(A::Play);
    ActionScript toFive;
    toFive.push("at 3").op(A::Trace).gotoFrame(4).op(A::Play);
    ActionScript report;
    report.push("x").op(A::GetVariable).op(A::TypeOf).op(A::Trace).op(A::Stop);
    Run run({{swf::Tag{std::move(sprite)}, doAction(toThree)},
             {says("skipped")},
             {named(place(1, 1), "mc"), doAction(toFive)},
             {swf::Tag{remove(1)}},
             {doAction(report)}});
    QCOMPARE(run.host.traces, (Lines{"at 3", "undefined"}));
}

void TestFrameOrder::aScriptStopsWhenItsClipIsUnloaded_data()
{
    // The sprite's first frame traces, takes itself away and traces again:
    // by a goto of its parent to a frame without it, or by moving itself
    // to a script depth and calling removeMovieClip.
    QTest::addColumn<bool>("byGoto");
    QTest::newRow("parent's goto") << true;
    QTest::newRow("removeMovieClip") << false;
}

void TestFrameOrder::aScriptStopsWhenItsClipIsUnloaded()
{
    QFETCH(bool, byGoto);
    ActionScript script;
    script.push("before").op(A::Trace);
    if (byGoto) {
        script.append(rootGotoAndStop(2));
    } else {
        script.push(5.0).push(1.0).push("this").op(A::GetVariable).push("swapDepths");
        script.op(A::CallMethod).op(A::Pop);
        script.push(0.0).push("this").op(A::GetVariable).push("removeMovieClip");
        script.op(A::CallMethod).op(A::Pop);
    }
    script.push("after").op(A::Trace);
    swf::DefineSprite sprite{1, 1, {doAction(script), swf::Tag{swf::ShowFrame{}}}};
    // Its sibling's script is not its own: it runs on.
    swf::DefineSprite sibling{2, 1, {says("sibling"), swf::Tag{swf::ShowFrame{}}}};
    ActionScript stay;
    stay.op(A::Stop);
    Run run({{swf::Tag{std::move(sprite)}, swf::Tag{std::move(sibling)}, named(place(1, 1), "mc"),
              swf::Tag{place(2, 2)}, doAction(stay)},
             {swf::Tag{remove(1)}, says("root 2")}});
    const Lines expected =
        byGoto ? Lines{"before", "sibling", "root 2"} : Lines{"before", "sibling"};
    QCOMPARE(run.host.traces, expected);
}

void TestFrameOrder::theClipsOfAButtonRunTheirScriptsToTheEnd()
{
    // A sprite shown by a button sends the root to a frame without the
    // button: it goes with the button, yet its script carries on.
    ActionScript script;
    script.push("before").op(A::Trace).append(rootGotoAndStop(2)).push("after").op(A::Trace);
    swf::DefineSprite sprite{1, 1, {doAction(script), swf::Tag{swf::ShowFrame{}}}};
    Run run({{swf::Tag{std::move(sprite)}, buttonShowing(2, 1), swf::Tag{place(1, 2)}},
             {swf::Tag{remove(1)}, says("root 2")}});
    QCOMPARE(run.host.traces, (Lines{"before", "after", "root 2"}));
}

void TestFrameOrder::goingBackKeepsSwappedClipsWhereTheTargetFrameHasADepth()
{
    // Frame 1 places "a" at depth 1, frame 2 places "b" at depth 2, marks
    // both and swaps them; frame 3 goes back to frame 1. The clip now at
    // depth 1 (b) stays, mark and all, and frame 1's placement there makes
    // nothing; the one at depth 2, which frame 1 leaves empty, goes.
    swf::DefineSprite first{1, 1, {says("a made"), swf::Tag{swf::ShowFrame{}}}};
    swf::DefineSprite second{2, 1, {says("b made"), swf::Tag{swf::ShowFrame{}}}};
    ActionScript swap;
    for (const char* name : {"a", "b"}) {
        swap.push(name).op(A::GetVariable).push("mark").push(name).op(A::SetMember);
    }
    swap.push("b").op(A::GetVariable).push(1.0).push("a").op(A::GetVariable);
    swap.push("swapDepths").op(A::CallMethod).op(A::Pop);
    ActionScript back;
    back.gotoFrame(0).op(A::Stop);
    ActionScript report;
    report.push("a").op(A::GetVariable).op(A::TypeOf).op(A::Trace);
    report.push("b").op(A::GetVariable).push("mark").op(A::GetMember).op(A::Trace);
    report.push(0.0).push("b").op(A::GetVariable).push("getDepth").op(A::CallMethod).op(A::Trace);
    Run run({{swf::Tag{std::move(first)}, swf::Tag{std::move(second)}, named(place(1, 1), "a")},
             {named(place(2, 2), "b"), doAction(swap)},
             {doAction(back), doAction(report)}});
    run.frames(2);
    QCOMPARE(run.host.traces, (Lines{"a made", "b made", "undefined", "b", "-16383"}));
}

void TestFrameOrder::goingBackKnowsAClipAgainByItsRatio_data()
{
    // Frame 1 places sprite 1 as "x" at depth 1; frame 2 replaces it with
    // sprite 2 as "y"; frame 3 goes back to frame 1. With the same ratio
    // on both placements "y" is taken for frame 1's object and stays;
    // without ratios the other character is replaced.
    QTest::addColumn<bool>("withRatio");
    QTest::addColumn<Lines>("expected");
    QTest::newRow("same ratio") << true << Lines{"undefined", "movieclip"};
    QTest::newRow("no ratio") << false << Lines{"movieclip", "undefined"};
}

void TestFrameOrder::goingBackKnowsAClipAgainByItsRatio()
{
    QFETCH(bool, withRatio);
    QFETCH(Lines, expected);
    const swf::Tag show{swf::ShowFrame{}};
    const auto placing = [withRatio](std::uint16_t characterId, const char* name) {
        swf::PlaceObject tag = place(1, characterId);
        tag.name = name;
        if (withRatio) {
            tag.ratio = 5;
        }
        return swf::Tag{tag};
    };
    ActionScript back;
    back.gotoFrame(0).op(A::Stop);
    ActionScript report;
    for (const char* name : {"x", "y"}) {
        report.push(name).op(A::GetVariable).op(A::TypeOf).op(A::Trace);
    }
    Run run({{swf::Tag{swf::DefineSprite{1, 1, {show}}}, swf::Tag{swf::DefineSprite{2, 1, {show}}},
              placing(1, "x")},
             {swf::Tag{remove(1)}, placing(2, "y")},
             {doAction(back), doAction(report)}});
    run.frames(2);
    QCOMPARE(run.host.traces, expected);
}

void TestFrameOrder::clipsStepNewestFirstEachHearingEnterFrameJustBeforeItsStep()
{
    // "a" (depth 1) and "b" (depth 2) are placed together; each places a
    // child on its second frame, "b" first as it is newer. On the next
    // step the children, newer than both, go first, the newest ("c")
    // before "d", though "d" sits in the topmost branch.
    const swf::Tag show{swf::ShowFrame{}};
    swf::DefineSprite leaf{1, 1, {show}};
    swf::DefineSprite first{
        2,
        3,
        {show, withEvents(place(1, 1), "c", {{kLoad, "load"}, {kEnterFrame, "enter"}}), show,
         show}};
    swf::DefineSprite second{
        3,
        3,
        {show, withEvents(place(1, 1), "d", {{kLoad, "load"}, {kEnterFrame, "enter"}}), show,
         show}};
    Run run({{swf::Tag{std::move(leaf)}, swf::Tag{std::move(first)}, swf::Tag{std::move(second)},
              withEvents(place(1, 2), "a", {{kEnterFrame, "enter"}}),
              withEvents(place(2, 3), "b", {{kEnterFrame, "enter"}})}});
    run.frames(1);
    QCOMPARE(run.host.traces, (Lines{"b enter", "d load", "a enter", "c load"}));
    run.host.traces.clear();
    run.frames(1);
    QCOMPARE(run.host.traces, (Lines{"c enter", "d enter", "b enter", "a enter"}));
}

void TestFrameOrder::childrenHearTheirUnloadBeforeTheirParent()
{
    const swf::Tag show{swf::ShowFrame{}};
    swf::DefineSprite leaf{1, 1, {show}};
    swf::DefineSprite parent{2,
                             1,
                             {withEvents(place(1, 1), "low", {{kUnload, "unload"}}),
                              withEvents(place(2, 1), "high", {{kUnload, "unload"}}), show}};
    Run run({{swf::Tag{std::move(leaf)}, swf::Tag{std::move(parent)},
              withEvents(place(1, 2), "parent", {{kUnload, "unload"}})},
             {swf::Tag{remove(1)}, says("root 2")}});
    run.frames(1);
    QCOMPARE(run.host.traces, (Lines{"low unload", "high unload", "parent unload", "root 2"}));
}

void TestFrameOrder::aParentLoadsBeforeItsChildrenAndConstructsOnceTheyAreThere()
{
    // "p" places "k" on its first frame. Initialize events come as clips
    // are made; p's construct event comes after k is made, and sees it;
    // loads follow, the parent's first.
    const swf::Tag show{swf::ShowFrame{}};
    swf::DefineSprite leaf{1, 1, {show}};
    swf::PlaceObject child = place(1, 1);
    child.name = "k";
    swf::DefineSprite parent{
        2, 1, {withEvents(child, "k", {{kInitialize, "initialize"}, {kLoad, "load"}}), show}};
    ActionScript seesChild;
    seesChild.push("k").op(A::GetVariable).op(A::TypeOf).op(A::Trace).op(A::End);
    swf::Tag placed = withEvents(place(1, 2), "p", {{kInitialize, "initialize"}, {kLoad, "load"}});
    auto& actions = *std::get<swf::PlaceObject>(placed.value).clipActions;
    actions.allEvents |= kConstruct;
    actions.records.push_back(swf::ClipActionRecord{kConstruct, std::nullopt, seesChild.bytes()});
    Run run({{swf::Tag{std::move(leaf)}, swf::Tag{std::move(parent)}, std::move(placed)}});
    QCOMPARE(run.host.traces,
             (Lines{"p initialize", "k initialize", "movieclip", "p load", "k load"}));
}

void TestFrameOrder::aClipTheTimelineRemovesUnloadsAtItsRemovedDepth()
{
    // Placed at depth 3 (-16381 to scripts) and removed by frame 2, the
    // clip's unload handler finds it at -32769 minus that depth, as a
    // clip removeMovieClip takes away.
    ActionScript depth;
    depth.push(0.0).push("this").op(A::GetVariable).push("getDepth").op(A::CallMethod);
    depth.op(A::Trace).op(A::End);
    swf::PlaceObject tag = place(3, 1);
    tag.clipActions =
        swf::ClipActions{kUnload, {swf::ClipActionRecord{kUnload, std::nullopt, depth.bytes()}}};
    Run run({{swf::Tag{swf::DefineSprite{1, 1, {swf::Tag{swf::ShowFrame{}}}}}, swf::Tag{tag}},
             {swf::Tag{remove(3)}}});
    run.frames(1);
    QCOMPARE(run.host.traces, (Lines{"-16388"}));
}

void TestFrameOrder::aSwappedClipIsNoLongerMovedByTheTimelineButStillRemoved()
{
    // "s" sits at depth 3 at x 10; a script swaps it away and back. Frame
    // 2's move of depth 3 leaves it where it is; frame 3's RemoveObject of
    // depth 3 takes it.
    ActionScript swap;
    for (const double depth : {-10.0, -16381.0}) {
        swap.push(depth).push(1.0).push("s").op(A::GetVariable).push("swapDepths");
        swap.op(A::CallMethod).op(A::Pop);
    }
    ActionScript where;
    where.push("s").op(A::GetVariable).push("_x").op(A::GetMember).op(A::Trace);
    ActionScript gone;
    gone.push("s").op(A::GetVariable).op(A::TypeOf).op(A::Trace).op(A::Stop);
    Run run({{swf::Tag{swf::DefineSprite{1, 1, {swf::Tag{swf::ShowFrame{}}}}},
              named(place(3, 1, 10, 0), "s"), doAction(swap)},
             {swf::Tag{move(3, 50, 0)}, doAction(where)},
             {swf::Tag{remove(3)}, doAction(gone)}});
    run.frames(2);
    QCOMPARE(run.host.traces, (Lines{"10", "undefined"}));
}

void TestFrameOrder::aDuplicateHearsTheSourcesEventsAndGoesWhenTheTimelineGoesBack()
{
    // "s" at depth 4 traces its name on load. Frame 2 duplicates it, named
    // as the variable "/:s", onto its own depth as "d"; frame 3 goes back
    // to frame 1, whose "s" comes back in place of the duplicate.
    ActionScript named;
    named.push("load ").push("this").op(A::GetVariable).push("_name").op(A::GetMember);
    named.op(A::Add2).op(A::Trace).op(A::End);
    swf::PlaceObject tag = place(4, 1);
    tag.name = "s";
    tag.clipActions =
        swf::ClipActions{kLoad, {swf::ClipActionRecord{kLoad, std::nullopt, named.bytes()}}};
    ActionScript duplicate;
    duplicate.push("/:s").push("d").push(4.0).op(A::CloneSprite);
    ActionScript back;
    back.gotoFrame(0).op(A::Stop);
    ActionScript report;
    for (const char* name : {"s", "d"}) {
        report.push(name).op(A::GetVariable).op(A::TypeOf).op(A::Trace);
    }
    Run run({{swf::Tag{swf::DefineSprite{1, 1, {swf::Tag{swf::ShowFrame{}}}}}, swf::Tag{tag}},
             {doAction(duplicate)},
             {doAction(back), doAction(report)}});
    run.frames(2);
    QCOMPARE(run.host.traces, (Lines{"load s", "load d", "movieclip", "undefined", "load s"}));
}

void TestFrameOrder::aSpriteMovedWithAnotherSpritesIdKeepsItsIdentityAndName()
{
    // Frame 2 moves depth 1 to x 30 naming sprite 2 as "second": a sprite
    // cannot be replaced so, and "first" stays, moved.
    swf::PlaceObject replace = place(1, 2, 30, 0);
    replace.move = true;
    ActionScript report;
    report.push("first").op(A::GetVariable).op(A::TypeOf).op(A::Trace);
    report.push("first").op(A::GetVariable).push("_x").op(A::GetMember).op(A::Trace);
    report.push("second").op(A::GetVariable).op(A::TypeOf).op(A::Trace).op(A::Stop);
    const swf::Tag show{swf::ShowFrame{}};
    Run run({{swf::Tag{swf::DefineSprite{1, 1, {show}}}, swf::Tag{swf::DefineSprite{2, 1, {show}}},
              named(place(1, 1), "first")},
             {named(replace, "second"), doAction(report)}});
    run.frames(1);
    QCOMPARE(run.host.traces, (Lines{"movieclip", "30", "undefined"}));
}

void TestFrameOrder::attachAndDuplicateStayWithinTheScriptDepths()
{
    // attachMovie, then duplicateMovieClip (the action, whose depth counts
    // from the first timeline depth) of another clip, at the edges of
    // -16384..2130690044 and one past each.
    ActionScript script;
    const auto attach = [&script](const char* name, double depth) {
        script.push(depth).push(name).push("square").push(3.0).push("attachMovie");
        script.op(A::CallFunction).op(A::Pop);
    };
    const auto report = [&script](std::initializer_list<const char*> names) {
        for (const char* name : names) {
            script.push(name).op(A::GetVariable).op(A::TypeOf).op(A::Trace);
        }
    };
    attach("a0", -16385);
    attach("a1", -16384);
    attach("a2", 2130690044);
    attach("a3", 2130690045);
    report({"a0", "a1", "a2", "a3"});
    attach("source", 5);
    const std::pair<const char*, double> copies[] = {
        {"d0", -1}, {"d1", 0}, {"d2", 2130690044.0 + 16384}, {"d3", 2130690045.0 + 16384}};
    for (const auto& [name, depth] : copies) {
        script.push("source").push(name).push(depth).op(A::CloneSprite);
    }
    report({"d0", "d1", "d2", "d3"});
    Run run({{swf::Tag{swf::DefineSprite{1, 1, {swf::Tag{swf::ShowFrame{}}}}},
              exportAs(1, "square"), doAction(script)}});
    QCOMPARE(run.host.traces, (Lines{"undefined", "movieclip", "movieclip", "undefined",
                                     "undefined", "movieclip", "movieclip", "undefined"}));
}

QTEST_GUILESS_MAIN(TestFrameOrder)
#include "tst_frameorder.moc"
