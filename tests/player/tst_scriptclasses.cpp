// Built-in classes beyond the language core (filters, text snapshots, text
// fields), through movies built in code whose scripts trace what they see.

#include "ActionFixtures.h"
#include "SwfFixtures.h"
#include "player/Player.h"
#include "player/avm1/ScriptHost.h"

#include <QtTest>

using namespace quorvane;
using namespace quorvane::fixtures;

namespace {

class TraceHost : public player::avm1::ScriptHost {
public:
    void trace(const std::string& line) override { traces.push_back(line); }
    std::vector<std::string> traces;
};

using Lines = std::vector<std::string>;

Lines traceOf(const ActionScript& script, int version = 8)
{
    swf::Header head = header(100, 100, 12, 1);
    head.version = std::uint8_t(version);
    TraceHost host;
    player::Player player;
    player.setScriptHost(&host);
    const auto error =
        player.loadBytes(bytes(movie(head, {doAction(script), swf::Tag{swf::ShowFrame{}}})));
    if (error) {
        return {"load failed: " + *error};
    }
    return host.traces;
}

// variable = new flash.filters.<className>(arguments...)
void newFilter(ActionScript& script, const std::string& variable, const std::string& className,
               const std::vector<double>& arguments)
{
    script.push(variable);
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) {
        script.push(*it);
    }
    script.push(double(arguments.size()));
    script.push("flash").op(kGetVariable).push("filters").op(kGetMember);
    script.push(className).op(kNewMethod).op(kSetVariable);
}

// trace(variable.member)
void traceMember(ActionScript& script, const std::string& variable, const std::string& member)
{
    script.push(variable).op(kGetVariable).push(member).op(kGetMember).op(kTrace);
}

} // namespace

class TestScriptClasses : public QObject {
    Q_OBJECT

private slots:
    void filtersStartFromFlashDefaults();
    void filterSettingsAreClampedAndCoerced();
    void colorMatrixIsCopiedInAndOut();
    void cloneCopiesSettingsIntoANewFilter();
};

void TestScriptClasses::filtersStartFromFlashDefaults()
{
    ActionScript script;
    newFilter(script, "blur", "BlurFilter", {});
    newFilter(script, "shadow", "DropShadowFilter", {});
    for (const char* member : {"blurX", "blurY", "quality"}) {
        traceMember(script, "blur", member);
    }
    for (const char* member :
         {"distance", "angle", "color", "alpha", "strength", "inner", "knockout", "hideObject"}) {
        traceMember(script, "shadow", member);
    }
    // The prototype's accessors answer nothing for the prototype itself.
    script.push("flash").op(kGetVariable).push("filters").op(kGetMember);
    script.push("BlurFilter").op(kGetMember).push("prototype").op(kGetMember);
    script.push("blurX").op(kGetMember).op(kTrace);
    QCOMPARE(traceOf(script), (Lines{"4", "4", "1", "4", "45", "0", "1", "1", "false", "false",
                                     "false", "undefined"}));
}

void TestScriptClasses::filterSettingsAreClampedAndCoerced()
{
    ActionScript script;
    newFilter(script, "blur", "BlurFilter", {300, -2, 3.7});
    for (const char* member : {"blurX", "blurY", "quality"}) {
        traceMember(script, "blur", member);
    }
    // distance, angle, color, alpha: the angle turns round, the colour loses its alpha byte.
    newFilter(script, "shadow", "DropShadowFilter", {-7.5, 405, double(0x80FF8040), 2});
    for (const char* member : {"distance", "angle", "color", "alpha"}) {
        traceMember(script, "shadow", member);
    }
    script.push("shadow").op(kGetVariable).push("quality").push(99.0).op(kSetMember);
    traceMember(script, "shadow", "quality");
    script.push("shadow").op(kGetVariable).push("inner").push("yes").op(kSetMember);
    traceMember(script, "shadow", "inner");
    QCOMPARE(traceOf(script),
             (Lines{"255", "0", "3", "-7.5", "45", "16744512", "1", "15", "true"}));
}

void TestScriptClasses::colorMatrixIsCopiedInAndOut()
{
    ActionScript script;
    newFilter(script, "m", "ColorMatrixFilter", {});
    // The identity until set; changing the array read leaves the filter alone.
    script.push("m").op(kGetVariable).push("matrix").op(kGetMember);
    script.push("0").push(9.0).op(kSetMember);
    script.push(0.0).push("m").op(kGetVariable).push("matrix").op(kGetMember);
    script.push("join").op(kCallMethod).op(kTrace);
    // A short array leaves the rest zero.
    script.push("m").op(kGetVariable).push("matrix").push(2.0).push(1.0).push(2.0).op(kInitArray);
    script.op(kSetMember);
    script.push(0.0).push("m").op(kGetVariable).push("matrix").op(kGetMember);
    script.push("join").op(kCallMethod).op(kTrace);
    QCOMPARE(traceOf(script), (Lines{"1,0,0,0,0,0,1,0,0,0,0,0,1,0,0,0,0,0,1,0",
                                     "1,2,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"}));
}

void TestScriptClasses::cloneCopiesSettingsIntoANewFilter()
{
    ActionScript script;
    newFilter(script, "blur", "BlurFilter", {8, 2, 2});
    script.push("copy").push(0.0).push("blur").op(kGetVariable).push("clone").op(kCallMethod);
    script.op(kSetVariable);
    script.push("blur").op(kGetVariable).push("blurX").push(1.0).op(kSetMember);
    traceMember(script, "copy", "blurX");
    traceMember(script, "copy", "quality");
    // The copy is a BlurFilter of its own.
    script.push("copy").op(kGetVariable).push("blur").op(kGetVariable).op(kEquals2).op(kTrace);
    script.push("copy").op(kGetVariable).push("__constructor__").op(kGetMember);
    script.push("flash").op(kGetVariable).push("filters").op(kGetMember);
    script.push("BlurFilter").op(kGetMember).op(kEquals2).op(kTrace);
    QCOMPARE(traceOf(script), (Lines{"8", "2", "false", "true"}));
}

QTEST_GUILESS_MAIN(TestScriptClasses)
#include "tst_scriptclasses.moc"
