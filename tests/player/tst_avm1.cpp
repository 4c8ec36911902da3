// The script engine through the player: movies built in code whose scripts
// trace, run against a host that records what they say.

#include "ActionFixtures.h"
#include "RecordingScriptHost.h"
#include "SwfFixtures.h"
#include "player/Player.h"
#include "player/avm1/Value.h"

#include <QtTest>

using namespace quorvane;
using namespace quorvane::fixtures;
using A = swf::ActionCode;

namespace {

std::vector<std::string> traceOf(const ActionScript& script, int version = 8)
{
    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    const auto error = player.loadBytes(movieOfFrames({{doAction(script)}}, version));
    if (error) {
        return {"load failed: " + *error};
    }
    return host.traces;
}

} // namespace

class TestAvm1 : public QObject {
    Q_OBJECT

private slots:
    void numbersPrintAsFlashPrintsThem_data();
    void numbersPrintAsFlashPrintsThem();
    void conversionsFollowTheMovieVersion();
    void aComparisonThatEmptiesTheArraySortsWhatWasThere();
    void namesIgnoreCaseBeforeVersion7();
    void functionsTakeArgumentsInRegistersAndLocals();
    void function2RegistersAndThisByName();
    void function2FlagsTakeRegistersEvenWhenSuppressed();
    void superConvertsThroughTheObjectItStandsFor();
    void swf5FunctionsRunOnTheClipTheyAreCalledOn();
    void parseIntReadsPrefixesSignsAndRadixesAsFlash_data();
    void parseIntReadsPrefixesSignsAndRadixesAsFlash();
    void throwsReachCatchAndFinallyAlwaysRuns();
    void objectsAndArraysKeepTheirMembers();
    void anObjectLiteralSetsItsPrototype();
    void enumerationEndsWithUndefined();
    void enumerationListsNewestPropertiesFirst();
    void countsBeyondTheStackMakeNothing();
    void addingObjectsConvertsThemAsFlash();
    void comparingObjectsFollowsFlash();
    void theBareGlobalEqualsNothingAndHostsCallsWithoutThis();
    void swf4OperatorsConvertTheirOperandsInFlashsOrder();
    void mathTakesExactlyTwoOperands();
    void settingPropertiesConvertsAsFlash();
    void waitForFrameCountsEveryFrameOfALoadedMovieAsLoaded();
    void frameScriptsRunInOrderAndGotoSkipsTheFramesBetween();
    void scriptsOfAFrameShareOneStack();
    void newClipsInitializeBeforeTheFrameScripts();
    void goingBackRemovesScriptClipsAtTimelineDepths();
    void goingBackKeepsAClipOfTheSameCharacterAndRatio();
    void shapesAreNoScriptObjects();
    void timelinesStepNewestFirstAndGoRoundOnlyWhenComplete();
    void hostSeekIsGotoAndStopAndTheSameFrameCostsNothing();
    void runawayScriptsHaltWhileTheMovieKeepsPlaying();
    void stringsDoubledWithoutEndHalt();
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

void TestAvm1::aComparisonThatEmptiesTheArraySortsWhatWasThere()
{
    // a = [3, 1, 2]; a.sort(function (x, y) { a.length = 0; return x - y; });
    // trace(a.length); trace(a);
    ActionScript compare;
    compare.push("a").op(A::GetVariable).push("length").push(0.0).op(A::SetMember);
    compare.push("x").op(A::GetVariable).push("y").op(A::GetVariable).op(A::Subtract).op(A::Return);
    ActionScript script;
    script.push("a").push(2.0).push(1.0).push(3.0).push(3.0).op(A::InitArray).op(A::SetVariable);
    script.defineFunction("", {"x", "y"}, compare);
    script.push(1.0).push("a").op(A::GetVariable).push("sort").op(A::CallMethod).op(A::Pop);
    script.push("a").op(A::GetVariable).push("length").op(A::GetMember).op(A::Trace);
    script.push("a").op(A::GetVariable).op(A::Trace);
    QCOMPARE(traceOf(script), (Lines{"3", "1,2,3"}));
}

void TestAvm1::conversionsFollowTheMovieVersion()
{
    // undefined + 1, "" + undefined, trace(undefined), "3" * "4", true as text
    ActionScript script;
    script.pushUndefined().push(1.0).op(A::Add2).op(A::Trace);
    script.push("[").pushUndefined().op(A::Add2).push("]").op(A::Add2).op(A::Trace);
    script.pushUndefined().op(A::Trace);
    script.push("3").push("4").op(A::Multiply).op(A::Trace);
    script.push("").pushBool(true).op(A::Add2).op(A::Trace);
    QCOMPARE(traceOf(script, 6), (Lines{"1", "[]", "undefined", "12", "true"}));
    QCOMPARE(traceOf(script, 7), (Lines{"NaN", "[undefined]", "undefined", "12", "true"}));
}

void TestAvm1::namesIgnoreCaseBeforeVersion7()
{
    ActionScript script;
    script.push("Value").push(5.0).op(A::SetVariable);
    script.push("value").op(A::GetVariable).op(A::Trace);
    // Letters beyond ASCII fold too (\u00c4 and \u00e4), but not those
    // newer than the player's case tables (\u023a and \u2c65).
    script.push("\xc3\x84").push("umlaut").op(A::SetVariable);
    script.push("\xc3\xa4").op(A::GetVariable).op(A::Trace);
    script.push("\xc8\xba").push("stroke").op(A::SetVariable);
    script.push("\xe2\xb1\xa5").op(A::GetVariable).op(A::Trace);
    QCOMPARE(traceOf(script, 6), (Lines{"5", "umlaut", "undefined"}));
    QCOMPARE(traceOf(script, 7), (Lines{"undefined", "undefined", "undefined"}));
}

void TestAvm1::functionsTakeArgumentsInRegistersAndLocals()
{
    // function2 sum(a, b) { return a + b; }   function twice(x) { return x * 2; }
    ActionScript sum;
    sum.pushRegister(1).pushRegister(2).op(A::Add2).op(A::Return);
    ActionScript twice;
    twice.push("x").op(A::GetVariable).push(2.0).op(A::Multiply).op(A::Return);
    ActionScript script;
    script.defineFunction2("sum", 2, sum).defineFunction("twice", {"x"}, twice);
    script.push(4.0).push(3.0).push(2.0).push("sum").op(A::CallFunction).op(A::Trace);
    script.push("a").push("b").push(2.0).push("sum").op(A::CallFunction).op(A::Trace);
    script.push(21.0).push(1.0).push("twice").op(A::CallFunction).op(A::Trace);
    // Locals of a call stay inside it.
    script.push("x").op(A::GetVariable).op(A::TypeOf).op(A::Trace);
    QCOMPARE(traceOf(script), (Lines{"7", "ba", "42", "undefined"}));
}

void TestAvm1::function2RegistersAndThisByName()
{
    // Stores "hi" in register 3 and reads it back: a function2 declaring
    // no registers has four, one declaring a single register has one.
    ActionScript third;
    third.push("hi").storeRegister(3).op(A::Pop).pushRegister(3).op(A::Trace);
    // this in register 1; the name `this` then means the timeline.
    ActionScript preloaded;
    preloaded.pushRegister(1).op(A::TypeOf).op(A::Trace);
    preloaded.push("this").op(A::GetVariable).op(A::TypeOf).op(A::Trace);
    constexpr std::uint16_t kPreloadThis = 0x1;
    ActionScript script;
    script.defineFunction2("none", 0, third, 0, ActionScript::kSuppressAll);
    script.defineFunction2("one", 0, third, 1, ActionScript::kSuppressAll);
    script.defineFunction2("preloaded", 0, preloaded, 2, kPreloadThis);
    script.push(0.0).push("none").op(A::CallFunction).op(A::Pop);
    script.push(0.0).push("one").op(A::CallFunction).op(A::Pop);
    // new preloaded(): this is the new object, the name still the timeline.
    script.push(0.0).push("preloaded").op(A::NewObject).op(A::Pop);
    QCOMPARE(traceOf(script), (Lines{"hi", "undefined", "object", "movieclip"}));
}

void TestAvm1::function2FlagsTakeRegistersEvenWhenSuppressed()
{
    // o = {}; o.__proto__ = {}; o.f = function2 (flags) { trace(typeof r1); trace("" + r2);
    // trace("" + r3); }; o.f(1, 2);  with this, arguments and super each
    // preloaded, once alone and once suppressed as well.
    ActionScript body;
    body.pushRegister(1).op(A::TypeOf).op(A::Trace);
    body.push("").pushRegister(2).op(A::Add2).op(A::Trace);
    body.push("").pushRegister(3).op(A::Add2).op(A::Trace);
    const auto run = [&](std::uint16_t flags) {
        ActionScript script;
        script.push("o").push(0.0).op(A::InitObject).op(A::SetVariable);
        script.push("o").op(A::GetVariable).push("__proto__").push(0.0).op(A::InitObject);
        script.op(A::SetMember);
        script.push("o").op(A::GetVariable).push("f").defineFunction2("", 0, body, 4, flags);
        script.op(A::SetMember);
        script.push(2.0).push(1.0).push(2.0).push("o").op(A::GetVariable).push("f");
        script.op(A::CallMethod).op(A::Pop);
        return traceOf(script);
    };
    constexpr std::uint16_t kPreloadThisArgumentsSuper = 0x1 | 0x4 | 0x10;
    // super is written by Object.prototype.toString run on o.
    QCOMPARE(run(kPreloadThisArgumentsSuper), (Lines{"object", "1,2", "[object Object]"}));
    // Suppressed, `this` and `super` leave their registers undefined, yet
    // the registers after them keep their numbers; `arguments` asked for in
    // a register is there all the same.
    QCOMPARE(run(kPreloadThisArgumentsSuper | ActionScript::kSuppressAll),
             (Lines{"undefined", "1,2", "undefined"}));
}

void TestAvm1::superConvertsThroughTheObjectItStandsFor()
{
    // base = {}; base.toString = function () { return "base of " + this.name; };
    // base.valueOf = function () { return this.num; };
    // middle = {}; middle.__proto__ = base; o = {}; o.__proto__ = middle;
    // o.name = "o"; o.num = 5;
    // o.f = function () { trace(super); trace(super + 1); trace(typeof super); };
    ActionScript toText;
    toText.push("base of ").push("this").op(A::GetVariable).push("name").op(A::GetMember);
    toText.op(A::Add2).op(A::Return);
    ActionScript valueOf;
    valueOf.push("this").op(A::GetVariable).push("num").op(A::GetMember).op(A::Return);
    ActionScript method;
    method.push("super").op(A::GetVariable).op(A::Trace);
    method.push("super").op(A::GetVariable).push(1.0).op(A::Add2).op(A::Trace);
    method.push("super").op(A::GetVariable).op(A::TypeOf).op(A::Trace);
    ActionScript script;
    for (const char* name : {"base", "middle", "o"}) {
        script.push(name).push(0.0).op(A::InitObject).op(A::SetVariable);
    }
    script.push("base").op(A::GetVariable).push("toString").defineFunction("", {}, toText);
    script.op(A::SetMember);
    script.push("base").op(A::GetVariable).push("valueOf").defineFunction("", {}, valueOf);
    script.op(A::SetMember);
    script.push("middle").op(A::GetVariable).push("__proto__").push("base").op(A::GetVariable);
    script.op(A::SetMember);
    script.push("o").op(A::GetVariable).push("__proto__").push("middle").op(A::GetVariable);
    script.op(A::SetMember);
    script.push("o").op(A::GetVariable).push("name").push("o").op(A::SetMember);
    script.push("o").op(A::GetVariable).push("num").push(5.0).op(A::SetMember);
    script.push("o").op(A::GetVariable).push("f").defineFunction("", {}, method);
    script.op(A::SetMember);
    script.push(0.0).push("o").op(A::GetVariable).push("f").op(A::CallMethod).op(A::Pop);
    // super finds the methods two prototypes up but they run on o.
    QCOMPARE(traceOf(script, 7), (Lines{"base of o", "6", "object"}));
}

void TestAvm1::swf5FunctionsRunOnTheClipTheyAreCalledOn()
{
    // where = "root"; _root.createEmptyMovieClip("clip", 1); clip.where = "clip";
    // function tell() { trace(where); }  clip.tell = tell; clip.tell();
    ActionScript tell;
    tell.push("where").op(A::GetVariable).op(A::Trace);
    ActionScript script;
    script.push("where").push("root").op(A::SetVariable);
    script.push(1.0).push("clip").push(2.0).push("_root").op(A::GetVariable);
    script.push("createEmptyMovieClip").op(A::CallMethod).op(A::Pop);
    script.push("clip").op(A::GetVariable).push("where").push("clip").op(A::SetMember);
    script.defineFunction("tell", {}, tell);
    script.push("clip")
        .op(A::GetVariable)
        .push("tell")
        .push("tell")
        .op(A::GetVariable)
        .op(A::SetMember);
    script.push(0.0).push("clip").op(A::GetVariable).push("tell").op(A::CallMethod).op(A::Pop);
    // SWF 5 has no closures: the clip called on is the timeline.
    QCOMPARE(traceOf(script, 5), (Lines{"clip"}));
    QCOMPARE(traceOf(script, 6), (Lines{"root"}));
}

void TestAvm1::parseIntReadsPrefixesSignsAndRadixesAsFlash_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("radix"); // empty: none given
    QTest::addColumn<QString>("result");
    QTest::newRow("hex prefix") << "0x1F"
                                << ""
                                << "31";
    QTest::newRow("prefix then sign") << "0x -100"
                                      << ""
                                      << "-256";
    QTest::newRow("spaces hide the prefix") << " 0x100"
                                            << ""
                                            << "0";
    QTest::newRow("sign before prefix") << "-0x100"
                                        << ""
                                        << "NaN";
    QTest::newRow("sign before prefix, x a digit") << "-0x100"
                                                   << "36"
                                                   << "1540944";
    QTest::newRow("octal") << "-0100"
                           << ""
                           << "-64";
    QTest::newRow("spaced octal is decimal") << "  077"
                                             << ""
                                             << "77";
    QTest::newRow("undefined radix") << "100"
                                     << "undefined"
                                     << "NaN";
    QTest::newRow("radix out of range") << "100"
                                        << "37"
                                        << "NaN";
    QTest::newRow("trailing junk") << "12aaa"
                                   << ""
                                   << "12";
}

void TestAvm1::parseIntReadsPrefixesSignsAndRadixesAsFlash()
{
    QFETCH(QString, text);
    QFETCH(QString, radix);
    QFETCH(QString, result);
    ActionScript script;
    if (radix == "undefined") {
        script.pushUndefined();
    } else if (!radix.isEmpty()) {
        script.push(radix.toDouble());
    }
    script.push(text.toStdString()).push(radix.isEmpty() ? 1.0 : 2.0).push("parseInt");
    script.op(A::CallFunction).op(A::Trace);
    QCOMPARE(traceOf(script, 8), (Lines{result.toStdString()}));
}

void TestAvm1::throwsReachCatchAndFinallyAlwaysRuns()
{
    ActionScript tryBody;
    tryBody.push("oops").op(A::Throw).push("not reached").op(A::Trace);
    ActionScript catchBody;
    catchBody.push("caught ").push("e").op(A::GetVariable).op(A::Add2).op(A::Trace);
    ActionScript finallyBody;
    finallyBody.push("finally").op(A::Trace);
    ActionScript script;
    script.tryCatchFinally("e", tryBody, catchBody, finallyBody);
    script.push("after").op(A::Trace);
    // An uncaught throw ends its script and nothing else.
    script.push("uncaught").op(A::Throw).push("not reached either").op(A::Trace);
    QCOMPARE(traceOf(script), (Lines{"caught oops", "finally", "after"}));
}

void TestAvm1::objectsAndArraysKeepTheirMembers()
{
    ActionScript script;
    // o = {a: 1}; o.b = "two"; trace(o.a + o.b)
    script.push("o").push("a").push(1.0).push(1.0).op(A::InitObject).op(A::SetVariable);
    script.push("o").op(A::GetVariable).push("b").push("two").op(A::SetMember);
    script.push("o").op(A::GetVariable).push("a").op(A::GetMember);
    script.push("o").op(A::GetVariable).push("b").op(A::GetMember).op(A::Add2).op(A::Trace);
    // list = [3, 2, 1]; list.push(0); trace(list.join("-")); trace(list.length)
    script.push("list").push(1.0).push(2.0).push(3.0).push(3.0).op(A::InitArray).op(A::SetVariable);
    script.push(0.0)
        .push(1.0)
        .push("list")
        .op(A::GetVariable)
        .push("push")
        .op(A::CallMethod)
        .op(A::Pop);
    script.push("-")
        .push(1.0)
        .push("list")
        .op(A::GetVariable)
        .push("join")
        .op(A::CallMethod)
        .op(A::Trace);
    script.push("list").op(A::GetVariable).push("length").op(A::GetMember).op(A::Trace);
    QCOMPARE(traceOf(script), (Lines{"1two", "3-2-1-0", "4"}));
}

void TestAvm1::anObjectLiteralSetsItsPrototype()
{
    // p = {greet: "hi"}; o = {__proto__: p, own: 1};
    // trace(o.greet); trace(p.isPrototypeOf(o)); trace(o.own);
    ActionScript script;
    script.push("p").push("greet").push("hi").push(1.0).op(A::InitObject).op(A::SetVariable);
    script.push("o").push("__proto__").push("p").op(A::GetVariable).push("own").push(1.0);
    script.push(2.0).op(A::InitObject).op(A::SetVariable);
    script.push("o").op(A::GetVariable).push("greet").op(A::GetMember).op(A::Trace);
    script.push("o").op(A::GetVariable).push(1.0).push("p").op(A::GetVariable);
    script.push("isPrototypeOf").op(A::CallMethod).op(A::Trace);
    script.push("o").op(A::GetVariable).push("own").op(A::GetMember).op(A::Trace);
    QCOMPARE(traceOf(script, 6), (Lines{"hi", "true", "1"}));
    QCOMPARE(traceOf(script, 8), (Lines{"hi", "true", "1"}));
}

void TestAvm1::enumerationEndsWithUndefined()
{
    ActionScript script;
    // for (name in {a: 1}) with the names and the end marker traced as they come off.
    script.push("a").push(1.0).push(1.0).op(A::InitObject).op(A::Enumerate2);
    script.op(A::Trace).op(A::Trace);
    // A primitive has nothing to list: only the end marker.
    script.push(10.0).op(A::Enumerate2).op(A::Trace);
    QCOMPARE(traceOf(script), (Lines{"a", "undefined", "undefined"}));
}

void TestAvm1::enumerationListsNewestPropertiesFirst()
{
    // o = {a: 1, b: 2}; o.c = 4; for (k in o) trace(k + "=" + o[k]);
    ActionScript script;
    script.push("o").push("a").push(1.0).push("b").push(2.0).push(2.0);
    script.op(A::InitObject).op(A::SetVariable);
    script.push("o").op(A::GetVariable).push("c").push(4.0).op(A::SetMember);
    script.push("o").op(A::GetVariable).op(A::Enumerate2);
    for (int i = 0; i < 3; ++i) {
        script.storeRegister(1).push("=").op(A::Add2);
        script.push("o")
            .op(A::GetVariable)
            .pushRegister(1)
            .op(A::GetMember)
            .op(A::Add2)
            .op(A::Trace);
    }
    QCOMPARE(traceOf(script), (Lines{"c=4", "a=1", "b=2"}));
}

void TestAvm1::addingObjectsConvertsThemAsFlash()
{
    // o = {}; o.toString = function () { trace("asked"); return "O"; };
    ActionScript toText;
    toText.push("asked").op(A::Trace).push("O").op(A::Return);
    ActionScript script;
    script.push("o").push(0.0).op(A::InitObject).op(A::SetVariable);
    script.push("o").op(A::GetVariable).push("toString").defineFunction("", {}, toText);
    script.op(A::SetMember);
    // With a string beside it, an object whose valueOf gives itself is
    // written by its toString; with a number, it is no number and its
    // toString goes unasked.
    script.push("o").op(A::GetVariable).push("s").op(A::Add2).op(A::Trace);
    script.push(1.0).push("o").op(A::GetVariable).op(A::Add2).op(A::Trace);
    // An object without prototypes has no toString: undefined.
    script.push("bare").push(0.0).op(A::InitObject).op(A::SetVariable);
    script.push("bare").op(A::GetVariable).push("__proto__").pushUndefined().op(A::SetMember);
    script.push("[").push("bare").op(A::GetVariable).op(A::Add2).op(A::Trace);
    // A date is written as its text, in UTC; Boolean() gives undefined.
    script.push(0.0).push(1.0).push("Date").op(A::NewObject).push("").op(A::Add2).op(A::Trace);
    script.push(0.0).push("Boolean").op(A::CallFunction).op(A::Trace);
    QCOMPARE(traceOf(script, 7), (Lines{"asked", "Os", "NaN", "[undefined",
                                        "Thu Jan 01 00:00:00 GMT+0000 1970", "undefined"}));
}

void TestAvm1::comparingObjectsFollowsFlash()
{
    ActionScript noisy;
    noisy.push("asked").op(A::Trace).push(1.0).op(A::Return);
    ActionScript script;
    script.push("counted").push(0.0).op(A::InitObject).op(A::SetVariable);
    script.push("counted").op(A::GetVariable).push("valueOf").defineFunction("", {}, noisy);
    script.op(A::SetMember);
    // {} < counted: the left stays an object, so false, the right unasked.
    script.push(0.0).op(A::InitObject).push("counted").op(A::GetVariable).op(A::Less2).op(A::Trace);
    // 0 < counted asks it.
    script.push(0.0).push("counted").op(A::GetVariable).op(A::Less2).op(A::Trace);
    // A movie clip is no number: undefined.
    script.push("this").op(A::GetVariable).push(1.0).op(A::Less2).op(A::Trace);
    // _global, without valueOf, is undefined: 0 before SWF 7.
    script.push("_global").op(A::GetVariable).pushBool(true).op(A::Less2).op(A::Trace);
    QCOMPARE(traceOf(script, 5), (Lines{"false", "asked", "true", "undefined", "true"}));
}

void TestAvm1::theBareGlobalEqualsNothingAndHostsCallsWithoutThis()
{
    ActionScript script;
    // _global has no valueOf or toString to give a primitive: it equals
    // null and undefined, where an ordinary object equals neither.
    script.push("_global").op(A::GetVariable).pushNull().op(A::Equals2).op(A::Trace);
    script.push("_global").op(A::GetVariable).pushUndefined().op(A::Equals2).op(A::Trace);
    script.push(0.0).op(A::InitObject).pushNull().op(A::Equals2).op(A::Trace);
    // call and apply told no `this` (undefined or null) run on _global.
    ActionScript isGlobal;
    isGlobal.push("this").op(A::GetVariable).push("_global").op(A::GetVariable);
    isGlobal.op(A::StrictEquals).op(A::Return);
    script.push("isGlobal").defineFunction("", {}, isGlobal).op(A::SetVariable);
    script.pushUndefined().push(1.0).push("isGlobal").op(A::GetVariable).push("call");
    script.op(A::CallMethod).op(A::Trace);
    script.push(0.0).op(A::InitArray).pushNull().push(2.0).push("isGlobal").op(A::GetVariable);
    script.push("apply").op(A::CallMethod).op(A::Trace);
    script.push(0.0).op(A::InitObject).push(1.0).push("isGlobal").op(A::GetVariable).push("call");
    script.op(A::CallMethod).op(A::Trace);
    QCOMPARE(traceOf(script, 8), (Lines{"true", "true", "false", "true", "true", "false"}));
}

void TestAvm1::swf4OperatorsConvertTheirOperandsInFlashsOrder()
{
    // a and b say when they are asked for their number.
    ActionScript script;
    for (const char* name : {"a", "b"}) {
        ActionScript says;
        says.push(name).op(A::Trace).push(1.0).op(A::Return);
        script.push(name).push(0.0).op(A::InitObject).op(A::SetVariable);
        script.push(name).op(A::GetVariable).push("valueOf").defineFunction("", {}, says);
        script.op(A::SetMember);
    }
    for (const A code : {A::Add, A::Subtract, A::Multiply, A::Divide, A::Equals, A::Less}) {
        script.push("a").op(A::GetVariable).push("b").op(A::GetVariable).op(code).op(A::Pop);
    }
    QCOMPARE(traceOf(script, 4),
             (Lines{"a", "b", "b", "a", "a", "b", "b", "a", "b", "a", "a", "b"}));
}

void TestAvm1::mathTakesExactlyTwoOperands()
{
    const auto math = [](ActionScript& script, const char* name, std::vector<double> arguments) {
        for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) {
            script.push(*it);
        }
        script.push(double(arguments.size())).push("Math").op(A::GetVariable).push(name);
        script.op(A::CallMethod).op(A::Trace);
    };
    ActionScript script;
    math(script, "min", {});
    math(script, "min", {5});
    math(script, "max", {1, 3, 7});
    math(script, "pow", {1});
    math(script, "pow", {2});
    QCOMPARE(traceOf(script), (Lines{"Infinity", "NaN", "3", "1", "NaN"}));
}

void TestAvm1::settingPropertiesConvertsAsFlash()
{
    enum Property { kX = 0, kVisible = 7, kName = 13, kHighQuality = 16, kQuality = 19 };
    const auto set = [](ActionScript& script, Property property, const auto& value) {
        script.push("").push(double(property)).push(value).op(A::SetProperty);
    };
    const auto show = [](ActionScript& script, Property property) {
        script.push("").push(double(property)).op(A::GetProperty).op(A::Trace);
    };
    ActionScript script;
    // Infinity wraps to the least integer of twips; undefined changes nothing.
    set(script, kX, 1.0 / 0.0);
    show(script, kX);
    set(script, kX, 3.0);
    script.push("").push(double(kX)).pushUndefined().op(A::SetProperty);
    show(script, kX);
    // Text that is no number leaves _visible alone.
    set(script, kVisible, "abc");
    show(script, kVisible);
    // _highquality and _quality are one setting.
    set(script, kHighQuality, 0.0);
    show(script, kQuality);
    set(script, kQuality, "best");
    show(script, kHighQuality);
    set(script, kQuality, "2");
    show(script, kQuality);
    // _name asks an object for its text, never its value.
    ActionScript valueOf;
    valueOf.push("valueOf asked").op(A::Trace).push(1.0).op(A::Return);
    script.push("o").push(0.0).op(A::InitObject).op(A::SetVariable);
    script.push("o").op(A::GetVariable).push("valueOf").defineFunction("", {}, valueOf);
    script.op(A::SetMember);
    script.push("").push(double(kName)).push("o").op(A::GetVariable).op(A::SetProperty);
    show(script, kName);
    QCOMPARE(traceOf(script, 5),
             (Lines{"-107374182.4", "3", "true", "LOW", "2", "BEST", "[object Object]"}));
}

void TestAvm1::countsBeyondTheStackMakeNothing()
{
    ActionScript script;
    script.push("a").push("b").push(4294967297.0).op(A::InitArray).op(A::Trace).op(A::Trace);
    script.push("c").push("d").push(1e300).op(A::InitObject).op(A::Trace).op(A::Trace);
    // A count the stack holds still works after them.
    script.push("e").push(1.0).op(A::InitArray).op(A::Trace);
    QCOMPARE(traceOf(script), (Lines{"undefined", "b", "undefined", "d", "e"}));
}

void TestAvm1::waitForFrameCountsEveryFrameOfALoadedMovieAsLoaded()
{
    ActionScript script;
    // ifFrameLoaded(10000) trace("loaded") on a one-frame movie: the skip
    // covers the trace only when the frame counts as missing.
    script.raw(A::WaitForFrame, {0x10, 0x27, 2}).push("loaded").op(A::Trace);
    // Past frame 16000 nothing counts as loaded.
    script.raw(A::WaitForFrame, {0x81, 0x3E, 2}).push("16001 loaded").op(A::Trace);
    script.push("after").op(A::Trace);
    QCOMPARE(traceOf(script), (Lines{"loaded", "after"}));
}

void TestAvm1::frameScriptsRunInOrderAndGotoSkipsTheFramesBetween()
{
    const auto says = [](const std::string& text) {
        ActionScript script;
        script.push(text).op(A::Trace);
        return doAction(script);
    };
    ActionScript jump;
    jump.push("frame 2, jumping").op(A::Trace).gotoLabel("end");
    swf::Tag label{swf::FrameLabel{"end", false}};
    ActionScript stopHere;
    stopHere.push("end").op(A::Trace).op(A::Stop);
    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player
                 .loadBytes(movieOfFrames({{says("frame 1")},
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

void TestAvm1::scriptsOfAFrameShareOneStack()
{
    // What one script leaves on the stack, the next script of its frame
    // finds; the next frame starts empty.
    const auto leaves = [](const std::string& name, double value) {
        ActionScript script;
        script.push(name).push(value);
        return doAction(script);
    };
    ActionScript assign;
    assign.op(A::SetVariable);
    ActionScript report;
    report.push("early").op(A::GetVariable).op(A::Trace);
    report.push("late").op(A::GetVariable).op(A::Trace).op(A::Stop);
    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player
                 .loadBytes(movieOfFrames({{leaves("early", 1), doAction(assign)},
                                           {leaves("late", 2)},
                                           {doAction(assign), doAction(report)}}))
                 .has_value());
    player.advanceFrame();
    player.advanceFrame();
    QCOMPARE(host.traces, (Lines{"1", "undefined"}));
}

void TestAvm1::newClipsInitializeBeforeTheFrameScripts()
{
    constexpr std::uint32_t kInitialize = 1u << 9;
    constexpr std::uint32_t kLoad = 1u << 0;
    const auto actions = [](const std::string& text) {
        ActionScript script;
        script.push(text).op(A::Trace).op(A::End);
        return script.bytes();
    };
    swf::DefineSprite sprite{1, 1, {swf::Tag{swf::ShowFrame{}}}};
    swf::PlaceObject placed = place(1, 1);
    placed.clipActions =
        swf::ClipActions{kInitialize | kLoad,
                         {swf::ClipActionRecord{kLoad, std::nullopt, actions("load")},
                          swf::ClipActionRecord{kInitialize, std::nullopt, actions("initialize")}}};
    ActionScript frame;
    frame.push("frame").op(A::Trace);
    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    // The frame script comes first in the file, yet runs after initialize.
    QVERIFY(!player
                 .loadBytes(movieOfFrames(
                     {{swf::Tag{std::move(sprite)}, doAction(frame), swf::Tag{std::move(placed)}}}))
                 .has_value());
    QCOMPARE(host.traces, (Lines{"initialize", "frame", "load"}));
}

void TestAvm1::goingBackRemovesScriptClipsAtTimelineDepths()
{
    // The first time round, make clips at depths 5, -1 and -20000; every
    // time, report which exist. The movie then loops back to frame 1.
    ActionScript script;
    script.push("made").op(A::GetVariable);
    const std::size_t report = script.jumpSite(A::If);
    script.push("made").pushBool(true).op(A::SetVariable);
    for (const auto& [name, depth] :
         {std::pair{"above", 5.0}, {"timeline", -1.0}, {"below", -20000.0}}) {
        script.push(depth).push(name).push(2.0).push("createEmptyMovieClip");
        script.op(A::CallFunction).op(A::Pop);
    }
    script.land(report);
    for (const char* name : {"above", "timeline", "below"}) {
        script.push(name).op(A::GetVariable).op(A::TypeOf).op(A::Trace);
    }
    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.loadBytes(movieOfFrames({{doAction(script)}, {}})).has_value());
    host.traces.clear();
    player.advanceFrame();
    player.advanceFrame();
    QCOMPARE(host.traces, (Lines{"movieclip", "undefined", "movieclip"}));
}

void TestAvm1::goingBackKeepsAClipOfTheSameCharacterAndRatio()
{
    // Frame 1 places the sprite as "first" (depth 1) and "second" (depth 2);
    // frame 2 removes both; frame 3 places it again as "third" (no ratio,
    // as frame 1's) and "fourth" (ratio 7). Looping back keeps "third" under
    // its own name and replaces "fourth" with a new "second".
    const auto named = [](std::uint16_t depth, const char* name,
                          std::optional<std::uint16_t> ratio) {
        swf::PlaceObject tag = place(depth, 2);
        tag.name = name;
        tag.ratio = ratio;
        return swf::Tag{tag};
    };
    ActionScript script;
    for (const char* name : {"first", "second", "third", "fourth"}) {
        script.push(name).op(A::GetVariable).op(A::TypeOf).op(A::Trace);
    }
    swf::DefineSprite sprite{2, 1, {swf::Tag{swf::ShowFrame{}}}};
    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player
                 .loadBytes(
                     movieOfFrames({{swf::Tag{std::move(sprite)}, named(1, "first", std::nullopt),
                                     named(2, "second", std::nullopt), doAction(script)},
                                    {swf::Tag{remove(1)}, swf::Tag{remove(2)}},
                                    {named(1, "third", std::nullopt), named(2, "fourth", 7)}}))
                 .has_value());
    QCOMPARE(host.traces, (Lines{"movieclip", "movieclip", "undefined", "undefined"}));
    host.traces.clear();
    for (int i = 0; i < 3; ++i) {
        player.advanceFrame();
    }
    QCOMPARE(host.traces, (Lines{"undefined", "movieclip", "movieclip", "undefined"}));
}

void TestAvm1::shapesAreNoScriptObjects()
{
    // A shape at depth 1 and a sprite at depth 2: only the sprite takes an
    // instance name, and asking for the shape gives its parent.
    ActionScript script;
    for (const double depth : {-16383.0, -16382.0}) {
        script.push(depth).push(1.0).push("_root").op(A::GetVariable);
        script.push("getInstanceAtDepth").op(A::CallMethod).op(A::Trace);
    }
    script.push(0.0)
        .push("_root")
        .op(A::GetVariable)
        .push("getDepth")
        .op(A::CallMethod)
        .op(A::Trace);
    swf::DefineSprite sprite{2, 1, {swf::Tag{swf::ShowFrame{}}}};
    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player
                 .loadBytes(movieOfFrames({{swf::Tag{rectangle(1, 0, 0, 10, 10, {255, 0, 0, 255})},
                                            swf::Tag{std::move(sprite)}, swf::Tag{place(1, 1)},
                                            swf::Tag{place(2, 2)}, doAction(script)}}))
                 .has_value());
    QCOMPARE(host.traces, (Lines{"_level0", "_level0.instance1", "-16384"}));
}

void TestAvm1::timelinesStepNewestFirstAndGoRoundOnlyWhenComplete()
{
    const auto says = [](const std::string& text) {
        ActionScript script;
        script.push(text).op(A::Trace);
        return doAction(script);
    };
    const swf::Tag show{swf::ShowFrame{}};
    const swf::Tag end{swf::End{}};
    // "whole" has two frames and its End: it goes round. "cut" lacks its
    // End and "trailing" ends in a frame without ShowFrame: they stop on
    // their last frame. The header's frame counts say nothing.
    swf::DefineSprite whole{1, 1, {says("whole 1"), show, says("whole 2"), show, end}};
    swf::DefineSprite cut{2, 5, {says("cut 1"), show, says("cut 2"), show}};
    swf::DefineSprite trailing{3, 0, {says("trailing 1"), show, says("trailing 2"), end}};
    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player
                 .loadBytes(movieOfFrames({{swf::Tag{std::move(whole)}, swf::Tag{std::move(cut)},
                                            swf::Tag{std::move(trailing)}, swf::Tag{place(1, 1)},
                                            swf::Tag{place(2, 2)}, swf::Tag{place(3, 3)}},
                                           {says("root 2")}}))
                 .has_value());
    host.traces.clear();
    player.advanceFrame();
    // The newest clip (the topmost) steps first, the root last.
    QCOMPARE(host.traces, (Lines{"trailing 2", "cut 2", "whole 2", "root 2"}));
    host.traces.clear();
    player.advanceFrame();
    QCOMPARE(host.traces, (Lines{"whole 1"}));
}

void TestAvm1::hostSeekIsGotoAndStopAndTheSameFrameCostsNothing()
{
    const auto says = [](const std::string& text) {
        ActionScript script;
        script.push(text).op(A::Trace);
        return doAction(script);
    };
    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.loadBytes(movieOfFrames({{says("1")}, {says("2")}, {says("3")}})).has_value());
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
    loop.push("looping").op(A::Trace);
    const std::size_t top = loop.here();
    loop.jumpBack(A::Jump, top);
    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.loadBytes(movieOfFrames({{doAction(loop)}, {}})).has_value());
    QCOMPARE(host.halts.size(), std::size_t(1));
    QCOMPARE(host.traces, (Lines{"looping"}));
    player.advanceFrame();
    QCOMPARE(player.currentFrame(), 1);
}

void TestAvm1::stringsDoubledWithoutEndHalt()
{
    // s = "x"; while (true) s = s + s; with Add2 and with StringAdd
    for (const A join : {A::Add2, A::StringAdd}) {
        ActionScript script;
        script.push("s").push("x").op(A::SetVariable);
        const std::size_t top = script.here();
        script.push("s").push("s").op(A::GetVariable).push("s").op(A::GetVariable).op(join);
        script.op(A::SetVariable);
        script.jumpBack(A::Jump, top);
        RecordingScriptHost host;
        player::Player player;
        player.setScriptHost(&host);
        QVERIFY(!player.loadBytes(movieOfFrames({{doAction(script)}, {}})).has_value());
        QCOMPARE(host.halts, (Lines{"a script made a string longer than 64 MB"}));
        player.advanceFrame();
        QCOMPARE(player.currentFrame(), 1);
    }
}

void TestAvm1::deepRecursionHalts()
{
    // function down() { down(); } down(); trace("not reached")
    ActionScript body;
    body.push(0.0).push("down").op(A::CallFunction).op(A::Pop);
    ActionScript script;
    script.defineFunction("down", {}, body);
    script.push(0.0).push("down").op(A::CallFunction).op(A::Pop).push("not reached").op(A::Trace);
    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.loadBytes(movieOfFrames({{doAction(script)}})).has_value());
    QCOMPARE(host.halts.size(), std::size_t(1));
    QVERIFY(QString::fromStdString(host.halts[0]).contains(u"256"));
    QVERIFY(host.traces.empty());

    // A frame whose script runs itself with Call: call("2") on frame 2,
    // entered from frame 1, recurses the same way and halts the same way.
    ActionScript callsItself;
    callsItself.push("2").raw(A::Call, {});
    ActionScript entry = callsItself;
    entry.push("not reached either").op(A::Trace);
    RecordingScriptHost framesHost;
    player::Player frames;
    frames.setScriptHost(&framesHost);
    QVERIFY(
        !frames.loadBytes(movieOfFrames({{doAction(entry)}, {doAction(callsItself)}})).has_value());
    QCOMPARE(framesHost.halts.size(), std::size_t(1));
    QVERIFY(QString::fromStdString(framesHost.halts[0]).contains(u"256"));
    QVERIFY(framesHost.traces.empty());
}

void TestAvm1::malformedBytecodeEndsTheScriptOnly()
{
    ActionScript cut;
    cut.push("before").op(A::Trace);
    // A Push whose length runs past the end of the action bytes, and a
    // jump far outside them.
    ActionScript broken = cut;
    broken.raw(A::Push, {0, 'x'});
    std::vector<std::uint8_t> bytes = broken.bytes();
    bytes.resize(bytes.size() - 1);
    bytes[bytes.size() - 2] = 0xff;
    swf::Unknown tag;
    tag.code = 12;
    tag.data = bytes;
    ActionScript far;
    far.raw(A::Jump, {0xff, 0x7f});
    ActionScript after;
    after.push("next script").op(A::Trace);
    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.loadBytes(movieOfFrames({{swf::Tag{tag}, doAction(far), doAction(after)}}))
                 .has_value());
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
        script.raw(A::GetUrl, body);
        return script;
    };
    ActionScript script = getUrl("https://example.org/lesson", "_blank");
    for (const auto& part :
         {getUrl("file:///etc/passwd", ""), getUrl("javascript:alert(1)", ""),
          getUrl("mailto:teacher@example.org", ""), getUrl("FSCommand:quit", "now"),
          getUrl("fscommand:fullscreen", "true")}) {
        script.append(part);
    }
    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.loadBytes(movieOfFrames({{doAction(script)}})).has_value());
    QCOMPARE(host.addresses, (Lines{"https://example.org/lesson", "mailto:teacher@example.org"}));
    QCOMPARE(host.commands, (Lines{"quit now", "fullscreen true"}));
}

void TestAvm1::buttonsAnswerTheMouseInsideTheirHitArea()
{
    // A DefineButton2 (id 2) showing shape 1 in every state, tracing on
    // release; placed at (20, 20).
    ActionScript onRelease;
    onRelease.push("released").op(A::Trace);
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

    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player
                 .loadBytes(movieOfFrames({{swf::Tag{rectangle(1, 0, 0, 50, 50, kRed)},
                                            swf::Tag{button}, swf::Tag{place(1, 2, 20, 20)}}}))
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
