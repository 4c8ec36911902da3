// The script engine through the player: movies built in code whose scripts
// trace, run against a host that records what they say.

#include "ActionFixtures.h"
#include "SwfFixtures.h"
#include "player/Player.h"
#include "player/avm1/ScriptHost.h"
#include "player/avm1/Value.h"

#include <QtTest>

using namespace quorvane;
using namespace quorvane::fixtures;

namespace {

class RecordingHost : public player::avm1::ScriptHost {
public:
    void trace(const std::string& line) override { traces.push_back(line); }
    void fscommand(const std::string& command, const std::string& arguments) override
    {
        commands.push_back(command + ' ' + arguments);
    }
    void openAddress(const std::string& address, const std::string&) override
    {
        addresses.push_back(address);
    }
    void scriptsHalted(const std::string& reason) override { halts.push_back(reason); }

    std::vector<std::string> traces;
    std::vector<std::string> commands;
    std::vector<std::string> addresses;
    std::vector<std::string> halts;
};

// A movie of the given frames, each a list of tags (ShowFrame added).
std::vector<std::uint8_t> movieOf(std::vector<std::vector<swf::Tag>> frames, int version = 8)
{
    swf::Header head = header(100, 100, 12, std::uint16_t(frames.size()));
    head.version = std::uint8_t(version);
    std::vector<swf::Tag> tags;
    for (auto& frame : frames) {
        for (swf::Tag& tag : frame) {
            tags.push_back(std::move(tag));
        }
        tags.push_back(swf::Tag{swf::ShowFrame{}});
    }
    return bytes(movie(head, std::move(tags)));
}

std::vector<std::string> traceOf(const ActionScript& script, int version = 8)
{
    RecordingHost host;
    player::Player player;
    player.setScriptHost(&host);
    const auto error = player.loadBytes(movieOf({{doAction(script)}}, version));
    if (error) {
        return {"load failed: " + *error};
    }
    return host.traces;
}

using Lines = std::vector<std::string>;

} // namespace

class TestAvm1 : public QObject {
    Q_OBJECT

private slots:
    void numbersPrintAsFlashPrintsThem_data();
    void numbersPrintAsFlashPrintsThem();
    void conversionsFollowTheMovieVersion();
    void namesIgnoreCaseBeforeVersion7();
    void functionsTakeArgumentsInRegistersAndLocals();
    void throwsReachCatchAndFinallyAlwaysRuns();
    void objectsAndArraysKeepTheirMembers();
    void enumerationEndsWithUndefined();
    void enumerationListsTheNewestFirst();
    void waitForFrameCountsEveryFrameOfALoadedMovieAsLoaded();
    void frameScriptsRunInOrderAndGotoSkipsTheFramesBetween();
    void hostSeekIsGotoAndStopAndTheSameFrameCostsNothing();
    void runawayScriptsHaltWhileTheMovieKeepsPlaying();
    void deepRecursionHalts();
    void malformedBytecodeEndsTheScriptOnly();
    void addressesAndCommandsReachTheHost();
    void buttonsAnswerTheMouseInsideTheirHitArea();
};

void TestAvm1::numbersPrintAsFlashPrintsThem_data()
{
    QTest::addColumn<double>("number");
    QTest::addColumn<QString>("text");
    QTest::newRow("sum of tenths") << 0.1 + 0.2 << "0.3";
    QTest::newRow("integer") << 42.0 << "42";
    QTest::newRow("negative fraction") << -2.5 << "-2.5";
    QTest::newRow("large") << 1e21 << "1e+21";
    QTest::newRow("fifteen digits") << 123456789012345.0 << "123456789012345";
    QTest::newRow("small") << 0.0001 << "0.0001";
    QTest::newRow("tiny") << 1.5e-7 << "1.5e-7";
    QTest::newRow("NaN") << std::nan("") << "NaN";
    QTest::newRow("infinity") << -HUGE_VAL << "-Infinity";
    QTest::newRow("third") << 1.0 / 3 << "0.333333333333333";
}

void TestAvm1::numbersPrintAsFlashPrintsThem()
{
    QFETCH(double, number);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(player::avm1::numberToString(number)), text);
}

void TestAvm1::conversionsFollowTheMovieVersion()
{
    // undefined + 1, "" + undefined, trace(undefined), "3" * "4", true as text
    ActionScript script;
    script.pushUndefined().push(1.0).op(kAdd2).op(kTrace);
    script.push("[").pushUndefined().op(kAdd2).push("]").op(kAdd2).op(kTrace);
    script.pushUndefined().op(kTrace);
    script.push("3").push("4").op(kMultiply).op(kTrace);
    script.push("").pushBool(true).op(kAdd2).op(kTrace);
    QCOMPARE(traceOf(script, 6), (Lines{"1", "[]", "undefined", "12", "true"}));
    QCOMPARE(traceOf(script, 7), (Lines{"NaN", "[undefined]", "undefined", "12", "true"}));
}

void TestAvm1::namesIgnoreCaseBeforeVersion7()
{
    ActionScript script;
    script.push("Value").push(5.0).op(kSetVariable);
    script.push("value").op(kGetVariable).op(kTrace);
    QCOMPARE(traceOf(script, 6), (Lines{"5"}));
    QCOMPARE(traceOf(script, 7), (Lines{"undefined"}));
}

void TestAvm1::functionsTakeArgumentsInRegistersAndLocals()
{
    // function2 sum(a, b) { return a + b; }   function twice(x) { return x * 2; }
    ActionScript sum;
    sum.pushRegister(1).pushRegister(2).op(kAdd2).op(kReturn);
    ActionScript twice;
    twice.push("x").op(kGetVariable).push(2.0).op(kMultiply).op(kReturn);
    ActionScript script;
    script.defineFunction2("sum", 2, sum).defineFunction("twice", {"x"}, twice);
    script.push(4.0).push(3.0).push(2.0).push("sum").op(kCallFunction).op(kTrace);
    script.push("a").push("b").push(2.0).push("sum").op(kCallFunction).op(kTrace);
    script.push(21.0).push(1.0).push("twice").op(kCallFunction).op(kTrace);
    // Locals of a call stay inside it.
    script.push("x").op(kGetVariable).op(kTypeOf).op(kTrace);
    QCOMPARE(traceOf(script), (Lines{"7", "ba", "42", "undefined"}));
}

void TestAvm1::throwsReachCatchAndFinallyAlwaysRuns()
{
    ActionScript tryBody;
    tryBody.push("oops").op(kThrow).push("not reached").op(kTrace);
    ActionScript catchBody;
    catchBody.push("caught ").push("e").op(kGetVariable).op(kAdd2).op(kTrace);
    ActionScript finallyBody;
    finallyBody.push("finally").op(kTrace);
    ActionScript script;
    script.tryCatchFinally("e", tryBody, catchBody, finallyBody);
    script.push("after").op(kTrace);
    // An uncaught throw ends its script and nothing else.
    script.push("uncaught").op(kThrow).push("not reached either").op(kTrace);
    QCOMPARE(traceOf(script), (Lines{"caught oops", "finally", "after"}));
}

void TestAvm1::objectsAndArraysKeepTheirMembers()
{
    ActionScript script;
    // o = {a: 1}; o.b = "two"; trace(o.a + o.b)
    script.push("o").push("a").push(1.0).push(1.0).op(kInitObject).op(kSetVariable);
    script.push("o").op(kGetVariable).push("b").push("two").op(kSetMember);
    script.push("o").op(kGetVariable).push("a").op(kGetMember);
    script.push("o").op(kGetVariable).push("b").op(kGetMember).op(kAdd2).op(kTrace);
    // list = [3, 2, 1]; list.push(0); trace(list.join("-")); trace(list.length)
    script.push("list").push(1.0).push(2.0).push(3.0).push(3.0).op(kInitArray).op(kSetVariable);
    script.push(0.0).push(1.0).push("list").op(kGetVariable).push("push").op(kCallMethod).op(kPop);
    script.push("-")
        .push(1.0)
        .push("list")
        .op(kGetVariable)
        .push("join")
        .op(kCallMethod)
        .op(kTrace);
    script.push("list").op(kGetVariable).push("length").op(kGetMember).op(kTrace);
    QCOMPARE(traceOf(script), (Lines{"1two", "3-2-1-0", "4"}));
}

void TestAvm1::enumerationEndsWithUndefined()
{
    ActionScript script;
    // for (name in {a: 1}) with the names and the end marker traced as they come off.
    script.push("a").push(1.0).push(1.0).op(kInitObject).op(kEnumerate2);
    script.op(kTrace).op(kTrace);
    // A primitive has nothing to list: only the end marker.
    script.push(10.0).op(kEnumerate2).op(kTrace);
    QCOMPARE(traceOf(script), (Lines{"a", "undefined", "undefined"}));
}

void TestAvm1::enumerationListsTheNewestFirst()
{
    ActionScript script;
    // o = {a: 1, b: 2}; o.c = 3; for (name in o) trace(name);
    script.push("o").push("a").push(1.0).push("b").push(2.0).push(2.0).op(kInitObject);
    script.op(kSetVariable);
    script.push("o").op(kGetVariable).push("c").push(3.0).op(kSetMember);
    script.push("o").op(kGetVariable).op(kEnumerate2);
    script.op(kTrace).op(kTrace).op(kTrace).op(kTrace);
    // An object literal lists its members as written, a name written
    // twice with its last value.
    script.push("a").push(1.0).push("a").push(2.0).push(2.0).op(kInitObject);
    script.push("a").op(kGetMember).op(kTrace);
    QCOMPARE(traceOf(script), (Lines{"c", "a", "b", "undefined", "2"}));
}

void TestAvm1::waitForFrameCountsEveryFrameOfALoadedMovieAsLoaded()
{
    ActionScript script;
    // ifFrameLoaded(10000) trace("loaded") on a one-frame movie: the skip
    // covers the trace only when the frame counts as missing.
    script.raw(0x8A, {0x10, 0x27, 2}).push("loaded").op(kTrace);
    // Past frame 16000 nothing counts as loaded.
    script.raw(0x8A, {0x81, 0x3E, 2}).push("16001 loaded").op(kTrace);
    script.push("after").op(kTrace);
    QCOMPARE(traceOf(script), (Lines{"loaded", "after"}));
}

void TestAvm1::frameScriptsRunInOrderAndGotoSkipsTheFramesBetween()
{
    const auto says = [](const std::string& text) {
        ActionScript script;
        script.push(text).op(kTrace);
        return doAction(script);
    };
    ActionScript jump;
    jump.push("frame 2, jumping").op(kTrace).gotoLabel("end");
    swf::Tag label{swf::FrameLabel{"end", false}};
    ActionScript stopHere;
    stopHere.push("end").op(kTrace).op(kStop);
    RecordingHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player
                 .loadBytes(movieOf({{says("frame 1")},
                                     {doAction(jump)},
                                     {says("frame 3 never runs")},
                                     {label, doAction(stopHere)}}))
                 .has_value());
    QVERIFY(player.isScripted());
    for (int i = 0; i < 5; ++i) {
        player.advanceFrame();
    }
    QCOMPARE(host.traces, (Lines{"frame 1", "frame 2, jumping", "end"}));
    QCOMPARE(player.currentFrame(), 3);
}

void TestAvm1::hostSeekIsGotoAndStopAndTheSameFrameCostsNothing()
{
    const auto says = [](const std::string& text) {
        ActionScript script;
        script.push(text).op(kTrace);
        return doAction(script);
    };
    RecordingHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.loadBytes(movieOf({{says("1")}, {says("2")}, {says("3")}})).has_value());
    player.gotoFrame(2);
    QCOMPARE(player.currentFrame(), 2);
    // The main window's stop, seek to the frame shown, play: nothing reruns.
    player.stop();
    player.gotoFrame(2);
    player.play();
    player.gotoFrame(0);
    QCOMPARE(host.traces, (Lines{"1", "3", "1"}));
    // gotoAndStop halted the root: frame intervals leave it where it is.
    player.advanceFrame();
    QCOMPARE(player.currentFrame(), 0);
}

void TestAvm1::runawayScriptsHaltWhileTheMovieKeepsPlaying()
{
    ActionScript loop;
    loop.push("looping").op(kTrace);
    const std::size_t top = loop.here();
    loop.jumpBack(0x99, top);
    RecordingHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.loadBytes(movieOf({{doAction(loop)}, {}})).has_value());
    QCOMPARE(host.halts.size(), std::size_t(1));
    QCOMPARE(host.traces, (Lines{"looping"}));
    player.advanceFrame();
    QCOMPARE(player.currentFrame(), 1);
}

void TestAvm1::deepRecursionHalts()
{
    // function down() { down(); } down(); trace("not reached")
    ActionScript body;
    body.push(0.0).push("down").op(kCallFunction).op(kPop);
    ActionScript script;
    script.defineFunction("down", {}, body);
    script.push(0.0).push("down").op(kCallFunction).op(kPop).push("not reached").op(kTrace);
    RecordingHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.loadBytes(movieOf({{doAction(script)}})).has_value());
    QCOMPARE(host.halts.size(), std::size_t(1));
    QVERIFY(QString::fromStdString(host.halts[0]).contains(u"256"));
    QVERIFY(host.traces.empty());
}

void TestAvm1::malformedBytecodeEndsTheScriptOnly()
{
    ActionScript cut;
    cut.push("before").op(kTrace);
    // A Push whose length runs past the end of the action bytes, and a
    // jump far outside them.
    ActionScript broken = cut;
    broken.raw(0x96, {0, 'x'});
    std::vector<std::uint8_t> bytes = broken.bytes();
    bytes.resize(bytes.size() - 1);
    bytes[bytes.size() - 2] = 0xff;
    swf::Unknown tag;
    tag.code = 12;
    tag.data = bytes;
    ActionScript far;
    far.raw(0x99, {0xff, 0x7f});
    ActionScript after;
    after.push("next script").op(kTrace);
    RecordingHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(
        !player.loadBytes(movieOf({{swf::Tag{tag}, doAction(far), doAction(after)}})).has_value());
    QCOMPARE(host.traces, (Lines{"before", "next script"}));
    QVERIFY(host.halts.empty());
}

void TestAvm1::addressesAndCommandsReachTheHost()
{
    const auto getUrl = [](const std::string& url, const std::string& window) {
        std::vector<std::uint8_t> body(url.begin(), url.end());
        body.push_back(0);
        body.insert(body.end(), window.begin(), window.end());
        body.push_back(0);
        ActionScript script;
        script.raw(0x83, body);
        return script;
    };
    ActionScript script = getUrl("https://example.org/lesson", "_blank");
    for (const auto& part :
         {getUrl("file:///etc/passwd", ""), getUrl("javascript:alert(1)", ""),
          getUrl("mailto:teacher@example.org", ""), getUrl("FSCommand:quit", "now")}) {
        for (const std::uint8_t byte : part.bytes()) {
            script.op(byte);
        }
    }
    RecordingHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.loadBytes(movieOf({{doAction(script)}})).has_value());
    QCOMPARE(host.addresses, (Lines{"https://example.org/lesson", "mailto:teacher@example.org"}));
    QCOMPARE(host.commands, (Lines{"quit now"}));
}

void TestAvm1::buttonsAnswerTheMouseInsideTheirHitArea()
{
    // A DefineButton2 (id 2) showing shape 1 in every state, tracing on
    // release; placed at (20, 20).
    ActionScript onRelease;
    onRelease.push("released").op(kTrace);
    std::vector<std::uint8_t> body{2, 0, 0};
    // One record: all four states, character 1, depth 1, identity matrix
    // and colour transform, then the end of the records.
    const std::vector<std::uint8_t> records{0x0f, 1, 0, 1, 0, 0, 0, 0};
    const std::size_t actionOffset = 2 + records.size();
    body.push_back(std::uint8_t(actionOffset));
    body.push_back(0);
    body.insert(body.end(), records.begin(), records.end());
    // The last (size 0) condition: OverDownToOverUp.
    body.insert(body.end(), {0, 0, 0x08, 0x00});
    body.insert(body.end(), onRelease.bytes().begin(), onRelease.bytes().end());
    body.push_back(0);
    swf::Unknown button;
    button.code = 34;
    button.data = body;

    RecordingHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player
                 .loadBytes(movieOf({{swf::Tag{rectangle(1, 0, 0, 50, 50, kRed)}, swf::Tag{button},
                                      swf::Tag{place(1, 2, 20, 20)}}}))
                 .has_value());
    // Outside the hit area nothing happens.
    player.mouseMove(QPointF(10, 10));
    player.mouseDown();
    player.mouseUp();
    QVERIFY(host.traces.empty());
    // Pressed and released inside: the release action runs.
    player.mouseMove(QPointF(40, 40));
    player.mouseDown();
    QVERIFY(host.traces.empty());
    player.mouseUp();
    QCOMPARE(host.traces, (Lines{"released"}));
    // Pressed inside, released outside: no release.
    player.mouseDown();
    player.mouseMove(QPointF(90, 90));
    player.mouseUp();
    QCOMPARE(host.traces, (Lines{"released"}));
    // The button shows its shape.
    QCOMPARE(player.displayList().size(), std::size_t(1));
    QCOMPARE(player.displayList()[0].children.size(), std::size_t(1));
}

QTEST_GUILESS_MAIN(TestAvm1)
#include "tst_avm1.moc"
