// Buttons and clips acting as buttons through the player: the parts each
// state shows, the order of a transition's actions and handlers, the
// push and menu ways of following a dragged mouse, and keys to the focus.

#include "ActionFixtures.h"
#include "RecordingScriptHost.h"
#include "SwfFixtures.h"
#include "player/Player.h"

#include <QtTest>

using namespace quorvane;
using namespace quorvane::fixtures;
using A = swf::ActionCode;

namespace {

constexpr std::uint16_t kShape = 1;
constexpr std::uint16_t kSprite = 2;
constexpr std::uint16_t kButton = 3;

struct Record {
    std::uint8_t states;
    std::uint16_t characterId;
    std::uint16_t depth;
};

// A DefineButton2 of the records (identity matrices and colours) with one
// action: trace(text) on the conditions given.
swf::Tag button(const std::vector<Record>& records, bool menu, std::uint16_t conditions,
                const std::string& text)
{
    std::vector<std::uint8_t> body{std::uint8_t(kButton), 0, std::uint8_t(menu ? 1 : 0)};
    std::vector<std::uint8_t> recordBytes;
    for (const Record& record : records) {
        recordBytes.insert(recordBytes.end(), {record.states, std::uint8_t(record.characterId), 0,
                                               std::uint8_t(record.depth), 0, 0, 0});
    }
    recordBytes.push_back(0);
    body.push_back(std::uint8_t(2 + recordBytes.size()));
    body.push_back(0);
    body.insert(body.end(), recordBytes.begin(), recordBytes.end());
    ActionScript action;
    action.push(text).op(A::Trace);
    body.insert(body.end(), {0, 0, std::uint8_t(conditions & 0xff), std::uint8_t(conditions >> 8)});
    body.insert(body.end(), action.bytes().begin(), action.bytes().end());
    body.push_back(0);
    swf::Unknown tag;
    tag.code = 34;
    tag.data = body;
    return swf::Tag{tag};
}

swf::Tag named(swf::PlaceObject place, const std::string& name)
{
    place.name = name;
    return swf::Tag{place};
}

// A one-frame sprite showing the shape.
swf::Tag sprite()
{
    swf::DefineSprite sprite;
    sprite.id = kSprite;
    sprite.frameCount = 1;
    sprite.tags = {swf::Tag{place(1, kShape)}, swf::Tag{swf::ShowFrame{}}};
    return swf::Tag{sprite};
}

std::vector<std::uint8_t> movieOfFrames(std::vector<swf::Tag> tags, int version = 8)
{
    swf::Header head = header(100, 100, 12, 1);
    head.version = std::uint8_t(version);
    tags.push_back(swf::Tag{swf::ShowFrame{}});
    return bytes(movie(head, std::move(tags)));
}

// object.name = function () { trace(text); }
void traceOn(ActionScript& script, const std::string& object, const std::string& name,
             const std::string& text)
{
    ActionScript body;
    body.push(text).op(A::Trace);
    const std::string function = object + "_" + name;
    script.defineFunction(function, {}, body);
    script.push(object).op(A::GetVariable).push(name).push(function).op(A::GetVariable);
    script.op(A::SetMember);
}

// A button at (20, 20) whose hit area is the 40 pixel square of the shape.
std::vector<swf::Tag> buttonMovie(bool menu, const ActionScript& script)
{
    const std::vector<Record> records{{0x01 | 0x02, kSprite, 1}, // up and over: kept
                                      {0x02, kSprite, 2},        // over only
                                      {0x04, kSprite, 3},        // down only
                                      {0x08, kShape, 4}};        // hit
    return {swf::Tag{rectangle(kShape, 0, 0, 40, 40, kRed)}, sprite(),
            button(records, menu, 0x0001, "action rollOver"), named(place(1, kButton, 20, 20), "b"),
            doAction(script)};
}

} // namespace

class TestAvm1Buttons : public QObject {
    Q_OBJECT

private slots:
    void statesKeepTheirSharedPartsAndActionsRunBeforeHandlers();
    void pushButtonsFollowADraggedMouseMenusLetGo();
    void clipsWithButtonHandlersActAsButtonsUnlessDisabled();
    void keysGoToTheFocusAndTheListeners();
    void buttonSoundsPlayOnTheirTransitions();
    void tabVisitsByPositionOrByTabIndexAfterTheListeners();
    void focusedButtonsShowTheirHighlightAndLoseFocusWhenHidden();
};

void TestAvm1Buttons::statesKeepTheirSharedPartsAndActionsRunBeforeHandlers()
{
    ActionScript script;
    traceOn(script, "b", "onRollOver", "handler onRollOver");
    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.loadBytes(movieOfFrames(buttonMovie(false, script))).has_value());
    // Up: the shared part alone.
    QCOMPARE(player.displayList()[0].children.size(), std::size_t(1));
    player.mouseMove(QPointF(30, 30));
    QCOMPARE(host.traces, (Lines{"action rollOver", "handler onRollOver"}));
    // Over: the shared part stays, the over part joins it.
    const auto& over = player.displayList()[0].children;
    QCOMPARE(over.size(), std::size_t(2));
    QCOMPARE(over[0].name, std::string("instance1"));
    QCOMPARE(over[1].name, std::string("instance2"));
    // Down: both go for the down part.
    player.mouseDown();
    const auto& down = player.displayList()[0].children;
    QCOMPARE(down.size(), std::size_t(1));
    QCOMPARE(down[0].name, std::string("instance3"));
}

void TestAvm1Buttons::pushButtonsFollowADraggedMouseMenusLetGo()
{
    ActionScript script;
    for (const char* event :
         {"onPress", "onDragOut", "onDragOver", "onRelease", "onReleaseOutside"}) {
        traceOn(script, "b", event, event);
    }
    for (const bool menu : {false, true}) {
        RecordingScriptHost host;
        player::Player player;
        player.setScriptHost(&host);
        QVERIFY(!player.loadBytes(movieOfFrames(buttonMovie(menu, script))).has_value());
        player.mouseMove(QPointF(30, 30));
        player.mouseDown();
        player.mouseMove(QPointF(90, 90));
        player.mouseMove(QPointF(30, 30));
        player.mouseMove(QPointF(90, 90));
        player.mouseUp();
        const Lines expected =
            menu ? Lines{"action rollOver", "onPress", "onDragOut", "onDragOver", "onDragOut"}
                 : Lines{"action rollOver", "onPress",   "onDragOut",
                         "onDragOver",      "onDragOut", "onReleaseOutside"};
        QCOMPARE(host.traces, expected);
        // Released outside, either shows its up state.
        QCOMPARE(player.displayList()[0].children.size(), std::size_t(1));
    }
}

void TestAvm1Buttons::clipsWithButtonHandlersActAsButtonsUnlessDisabled()
{
    ActionScript script;
    traceOn(script, "c", "onPress", "pressed");
    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(
        !player
             .loadBytes(movieOfFrames({swf::Tag{rectangle(kShape, 0, 0, 40, 40, kRed)}, sprite(),
                                       named(place(1, kSprite, 20, 20), "c"), doAction(script)}))
             .has_value());
    player.mouseMove(QPointF(10, 10));
    player.mouseDown();
    player.mouseUp();
    QVERIFY(host.traces.empty());
    player.mouseMove(QPointF(30, 30));
    player.mouseDown();
    player.mouseUp();
    QCOMPARE(host.traces, (Lines{"pressed"}));

    // enabled = false turns it off; undefined does not.
    ActionScript disable;
    traceOn(disable, "c", "onPress", "pressed");
    disable.push("c").op(A::GetVariable).push("enabled").pushBool(false).op(A::SetMember);
    RecordingScriptHost quiet;
    player.setScriptHost(&quiet);
    QVERIFY(
        !player
             .loadBytes(movieOfFrames({swf::Tag{rectangle(kShape, 0, 0, 40, 40, kRed)}, sprite(),
                                       named(place(1, kSprite, 20, 20), "c"), doAction(disable)}))
             .has_value());
    player.mouseMove(QPointF(30, 30));
    player.mouseDown();
    player.mouseUp();
    QVERIFY(quiet.traces.empty());
}

void TestAvm1Buttons::keysGoToTheFocusAndTheListeners()
{
    ActionScript script;
    traceOn(script, "b", "onKeyDown", "b down");
    traceOn(script, "b", "onKeyUp", "b up");
    traceOn(script, "b2", "onKeyUp", "b2 up");
    script.push("listener").push(0.0).push("Object").op(A::NewObject).op(A::SetVariable);
    traceOn(script, "listener", "onKeyDown", "listener down");
    script.push("listener").op(A::GetVariable).push(1.0).push("Key").op(A::GetVariable);
    script.push("addListener").op(A::CallMethod).op(A::Pop);
    script.push("b").op(A::GetVariable).push(1.0).push("Selection").op(A::GetVariable);
    script.push("setFocus").op(A::CallMethod).op(A::Pop);
    std::vector<swf::Tag> tags = buttonMovie(false, script);
    tags.insert(tags.end() - 1, named(place(2, kButton, 60, 60), "b2"));

    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.loadBytes(movieOfFrames(tags)).has_value());
    // Focusing the button by script shows its highlight, a roll over.
    QCOMPARE(host.traces, (Lines{"action rollOver"}));
    host.traces.clear();
    player.keyDown('A', 'a');
    player.keyUp('A', 'a');
    QCOMPARE(host.traces, (Lines{"b down", "listener down", "b up"}));
    // Tab hands the focus on after the listeners: its key up reaches the
    // next button, whose highlight comes on as the first one's goes.
    host.traces.clear();
    player.keyDown(9, 9);
    player.keyUp(9, 9);
    QCOMPARE(host.traces, (Lines{"b down", "listener down", "action rollOver", "b2 up"}));
}

void TestAvm1Buttons::buttonSoundsPlayOnTheirTransitions()
{
    constexpr std::uint16_t kSound = 9;
    swf::DefineButtonSound sounds;
    sounds.buttonId = kButton;
    sounds.idleToOverUp.soundId = kSound;
    std::vector<swf::Tag> tags = buttonMovie(false, ActionScript());
    tags.insert(tags.begin(), swf::Tag{pcmSound(kSound, std::vector<std::int16_t>(4410, 500))});
    tags.insert(tags.end() - 2, swf::Tag{sounds});

    player::Player player;
    QVERIFY(!player.loadBytes(movieOfFrames(tags)).has_value());
    QVERIFY(player.isSilent());
    // Away from the button nothing plays; rolling over starts its sound.
    player.mouseMove(QPointF(90, 90));
    QVERIFY(player.isSilent());
    player.mouseMove(QPointF(30, 30));
    QVERIFY(!player.isSilent());
    std::vector<std::int16_t> mixed(16);
    player.mixAudio(mixed);
    QCOMPARE(mixed[0], std::int16_t(500));
}

QTEST_GUILESS_MAIN(TestAvm1Buttons)
#include "tst_avm1buttons.moc"

namespace {

// An input field of 40 by 20 pixels.
swf::Tag inputField(std::uint16_t id)
{
    swf::DefineEditText edit;
    edit.id = id;
    edit.bounds = swf::Rect{0, 40 * 20, 0, 20 * 20};
    edit.readOnly = false;
    return swf::Tag{edit};
}

// Selection's listener traces each new focus.
void traceFocusChanges(ActionScript& script)
{
    ActionScript body;
    body.push("newFocus").op(A::GetVariable).op(A::Trace);
    script.push("focusWatch").push(0.0).push("Object").op(A::NewObject).op(A::SetVariable);
    script.defineFunction("focusChanged", {"oldFocus", "newFocus"}, body);
    script.push("focusWatch").op(A::GetVariable).push("onSetFocus");
    script.push("focusChanged").op(A::GetVariable).op(A::SetMember);
    script.push("focusWatch").op(A::GetVariable).push(1.0).push("Selection").op(A::GetVariable);
    script.push("addListener").op(A::CallMethod).op(A::Pop);
}

void setMember(ActionScript& script, const std::string& object, const std::string& name,
               double value)
{
    script.push(object).op(A::GetVariable).push(name).push(value).op(A::SetMember);
}

} // namespace

void TestAvm1Buttons::tabVisitsByPositionOrByTabIndexAfterTheListeners()
{
    constexpr std::uint16_t kField = 5;
    ActionScript script;
    traceFocusChanges(script);
    script.push("listener").push(0.0).push("Object").op(A::NewObject).op(A::SetVariable);
    traceOn(script, "listener", "onKeyDown", "key");
    script.push("listener").op(A::GetVariable).push(1.0).push("Key").op(A::GetVariable);
    script.push("addListener").op(A::CallMethod).op(A::Pop);
    // Rows top to bottom, left to right; "twin" shares "a"'s corner and so
    // its stop, and the read-only field is never visited.
    std::vector<swf::Tag> tags{inputField(kField),
                               named(place(1, kField, 60, 10), "c"),
                               named(place(2, kField, 10, 10), "a"),
                               named(place(3, kField, 10, 50), "b"),
                               named(place(4, kField, 10, 10), "twin"),
                               named(place(5, kField, 10, 90), "fixed"),
                               doAction(script)};
    ActionScript readOnly;
    readOnly.push("fixed").op(A::GetVariable).push("type").push("dynamic").op(A::SetMember);
    tags.push_back(doAction(readOnly));

    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.loadBytes(movieOfFrames(tags)).has_value());
    const auto tab = [&](bool backwards = false) {
        if (backwards) {
            player.keyDown(16, 0);
        }
        player.keyDown(9, 9);
        player.keyUp(9, 9);
        if (backwards) {
            player.keyUp(16, 0);
        }
    };
    for (int i = 0; i < 4; ++i) {
        tab();
    }
    QCOMPARE(host.traces, (Lines{"key", "_level0.a", "key", "_level0.c", "key", "_level0.b", "key",
                                 "_level0.a"}));
    host.traces.clear();
    tab(true);
    // Shift is a key of its own for the listener.
    QCOMPARE(host.traces, (Lines{"key", "key", "_level0.b"}));

    // Once a field has a tab index only fields with one are visited, by index
    // read as a signed number (4294967295 is -1: none).
    ActionScript indices;
    setMember(indices, "c", "tabIndex", 4294967294.0);
    setMember(indices, "b", "tabIndex", 3);
    setMember(indices, "twin", "tabIndex", 4294967295.0);
    tags.push_back(doAction(indices));
    host.traces.clear();
    QVERIFY(!player.loadBytes(movieOfFrames(tags)).has_value());
    for (int i = 0; i < 3; ++i) {
        tab();
    }
    QCOMPARE(host.traces, (Lines{"key", "_level0.c", "key", "_level0.b", "key", "_level0.c"}));
}

void TestAvm1Buttons::focusedButtonsShowTheirHighlightAndLoseFocusWhenHidden()
{
    ActionScript script;
    traceFocusChanges(script);
    traceOn(script, "b", "onPress", "b press");
    // Hidden by its own release, it gives the focus up at once.
    ActionScript release;
    release.push("b release").op(A::Trace);
    release.push("b").op(A::GetVariable).push("_visible").pushBool(false).op(A::SetMember);
    release.push("after").op(A::Trace);
    script.defineFunction("b_release", {}, release);
    script.push("b").op(A::GetVariable).push("onRelease").push("b_release").op(A::GetVariable);
    script.op(A::SetMember);
    traceOn(script, "b", "onKillFocus", "b kill");
    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.loadBytes(movieOfFrames(buttonMovie(false, script))).has_value());
    player.keyDown(9, 9);
    player.keyUp(9, 9);
    QCOMPARE(host.traces, (Lines{"action rollOver", "_level0.b"}));
    // Enter pushes the highlighted button as a click would.
    host.traces.clear();
    player.keyDown(13, 13);
    player.keyUp(13, 13);
    QCOMPARE(host.traces, (Lines{"b press", "b release", "b kill", "null", "after"}));
}
