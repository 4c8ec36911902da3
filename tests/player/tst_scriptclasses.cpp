// Built-in classes beyond the language core (filters, text snapshots, text
// fields), through movies built in code whose scripts trace what they see.

#include "ActionFixtures.h"
#include "RecordingScriptHost.h"
#include "ScriptTraces.h"
#include "StageRendering.h"
#include "SwfFixtures.h"
#include "player/Player.h"

#include <QtTest>

using namespace quorvane;
using namespace quorvane::fixtures;
using A = swf::ActionCode;

namespace {

// object.member = value, object given by its path.
template <class T>
void setMember(ActionScript& script, const std::string& object, const std::string& member,
               const T& value)
{
    pushPath(script, object).push(member);
    if constexpr (std::is_same_v<T, bool>) {
        script.pushBool(value);
    } else {
        script.push(value);
    }
    script.op(A::SetMember);
}

// path.method(arguments...), its result left on the stack.
ActionScript& callMethod(ActionScript& script, const std::string& object, const std::string& method,
                         const std::vector<double>& arguments = {})
{
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) {
        script.push(*it);
    }
    script.push(double(arguments.size()));
    pushPath(script, object).push(method).op(A::CallMethod);
    return script;
}

// _root.createTextField(name, depth, 0, 0, width, height)
void createTextField(ActionScript& script, const std::string& name, double depth, double width,
                     double height)
{
    script.push(height).push(width).push(0.0).push(0.0).push(depth).push(name).push(6.0);
    pushPath(script, "_root").push("createTextField").op(A::CallMethod).op(A::Pop);
}

// A font whose glyphs write the given characters, and a static text of
// them placed at depth 1.
std::vector<swf::Tag> staticText(const std::u16string& characters)
{
    swf::DefineFont font;
    font.id = 1;
    font.name = "Snapshot";
    swf::DefineText text;
    text.id = 2;
    swf::TextRecord record;
    record.fontId = 1;
    record.height = 240;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        font.codes.push_back(characters[i]);
        font.glyphs.emplace_back();
        record.glyphs.push_back(swf::GlyphEntry{std::uint32_t(i), 100});
    }
    text.records.push_back(record);
    return {swf::Tag{font}, swf::Tag{text}, swf::Tag{place(1, 2)}};
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
    script.push("flash").op(A::GetVariable).push("filters").op(A::GetMember);
    script.push(className).op(A::NewMethod).op(A::SetVariable);
}

// trace(variable.member)
void traceMember(ActionScript& script, const std::string& variable, const std::string& member)
{
    script.push(variable).op(A::GetVariable).push(member).op(A::GetMember).op(A::Trace);
}

} // namespace

class TestScriptClasses : public QObject {
    Q_OBJECT

private slots:
    void filtersStartFromFlashDefaults();
    void filterSettingsAreClampedAndCoerced();
    void colorMatrixIsCopiedInAndOut();
    void cloneCopiesSettingsIntoANewFilter();
    void textSnapshotReadsAndSelectsTheClipsStaticText();
    void textSnapshotMethodsAreHiddenBeforeSwf6();
    void protoIsAnOwnPropertyHoldingAnyValue();
    void aStringObjectOwnsItsLength();
    void errorToStringGivesItsMessageUnconverted();
    void builtInsHoldTheirConstructorsHiddenAndPermanent();
    void nativeNumbersReachTheBuiltIns();
    void asBroadcasterLendsItsMethodsFromFlash6();
    void versionFlagsHidePropertiesFromOlderMovies();
    void textFieldTextAndMarkup();
    void textFormatsCoverCharacterRanges();
    void textFormatBeyondTheTagStopsAtItsBounds();
    void textFieldSizeChangesItsBoxNotItsScale();
    void textFieldFollowsItsVariable();
    void textFieldBackgroundAndBorderAreSetApartOnWholePixels();
    void colorTintsItsTargetClip();
    void blendModeReadsAsItsName();
    void filtersReadBackAsCopies();
    void placedFiltersReadAsFilterObjects();
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
    script.push("flash").op(A::GetVariable).push("filters").op(A::GetMember);
    script.push("BlurFilter").op(A::GetMember).push("prototype").op(A::GetMember);
    script.push("blurX").op(A::GetMember).op(A::Trace);
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
    script.push("shadow").op(A::GetVariable).push("quality").push(99.0).op(A::SetMember);
    traceMember(script, "shadow", "quality");
    script.push("shadow").op(A::GetVariable).push("inner").push("yes").op(A::SetMember);
    traceMember(script, "shadow", "inner");
    QCOMPARE(traceOf(script),
             (Lines{"255", "0", "3", "-7.5", "45", "16744512", "1", "15", "true"}));
}

void TestScriptClasses::colorMatrixIsCopiedInAndOut()
{
    ActionScript script;
    newFilter(script, "m", "ColorMatrixFilter", {});
    // The identity until set; changing the array read leaves the filter alone.
    script.push("m").op(A::GetVariable).push("matrix").op(A::GetMember);
    script.push("0").push(9.0).op(A::SetMember);
    script.push(0.0).push("m").op(A::GetVariable).push("matrix").op(A::GetMember);
    script.push("join").op(A::CallMethod).op(A::Trace);
    // A short array leaves the rest zero.
    script.push("m")
        .op(A::GetVariable)
        .push("matrix")
        .push(2.0)
        .push(1.0)
        .push(2.0)
        .op(A::InitArray);
    script.op(A::SetMember);
    script.push(0.0).push("m").op(A::GetVariable).push("matrix").op(A::GetMember);
    script.push("join").op(A::CallMethod).op(A::Trace);
    QCOMPARE(traceOf(script), (Lines{"1,0,0,0,0,0,1,0,0,0,0,0,1,0,0,0,0,0,1,0",
                                     "1,2,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0"}));
}

void TestScriptClasses::cloneCopiesSettingsIntoANewFilter()
{
    ActionScript script;
    newFilter(script, "blur", "BlurFilter", {8, 2, 2});
    script.push("copy").push(0.0).push("blur").op(A::GetVariable).push("clone").op(A::CallMethod);
    script.op(A::SetVariable);
    script.push("blur").op(A::GetVariable).push("blurX").push(1.0).op(A::SetMember);
    traceMember(script, "copy", "blurX");
    traceMember(script, "copy", "quality");
    // The copy is a BlurFilter of its own.
    script.push("copy")
        .op(A::GetVariable)
        .push("blur")
        .op(A::GetVariable)
        .op(A::Equals2)
        .op(A::Trace);
    script.push("copy").op(A::GetVariable).push("__constructor__").op(A::GetMember);
    script.push("flash").op(A::GetVariable).push("filters").op(A::GetMember);
    script.push("BlurFilter").op(A::GetMember).op(A::Equals2).op(A::Trace);
    QCOMPARE(traceOf(script), (Lines{"8", "2", "false", "true"}));
}

void TestScriptClasses::textSnapshotReadsAndSelectsTheClipsStaticText()
{
    ActionScript script;
    script.push("snapshot");
    callMethod(script, "_root", "getTextSnapshot").op(A::SetVariable);
    callMethod(script, "snapshot", "getCount").op(A::Trace);
    callMethod(script, "snapshot", "getText", {1, 4}).op(A::Trace);
    // findText(from, text, caseSensitive)
    script.pushBool(false).push("LL").push(0.0).push(3.0);
    pushPath(script, "snapshot").push("findText").op(A::CallMethod).op(A::Trace);
    script.pushBool(true).push("LL").push(0.0).push(3.0);
    pushPath(script, "snapshot").push("findText").op(A::CallMethod).op(A::Trace);
    // setSelected(0, 2, true)
    script.pushBool(true).push(2.0).push(0.0).push(3.0);
    pushPath(script, "snapshot").push("setSelected").op(A::CallMethod).op(A::Pop);
    callMethod(script, "snapshot", "getSelectedText").op(A::Trace);
    callMethod(script, "snapshot", "getSelected", {2, 5}).op(A::Trace);
    QCOMPARE(traceOf(script, 8, staticText(u"Hello")),
             (Lines{"5", "ell", "2", "-1", "He", "false"}));
}

void TestScriptClasses::textSnapshotMethodsAreHiddenBeforeSwf6()
{
    ActionScript script;
    tracePath(script, "TextSnapshot.prototype.getCount");
    // Listed by for-in all the same: the first name that comes out.
    pushPath(script, "TextSnapshot.prototype").op(A::Enumerate2).op(A::Trace);
    QCOMPARE(traceOf(script, 5).front(), std::string("undefined"));
    QCOMPARE(traceOf(script, 6).front(), std::string("[type Function]"));
    QCOMPARE(traceOf(script, 5).back(), traceOf(script, 6).back());
}

void TestScriptClasses::protoIsAnOwnPropertyHoldingAnyValue()
{
    ActionScript script;
    script.push("o").push(0.0).op(A::InitObject).op(A::SetVariable);
    script.push("__proto__").push(1.0);
    pushPath(script, "o").push("hasOwnProperty").op(A::CallMethod).op(A::Trace);
    // Hidden and permanent.
    script.push("o").op(A::GetVariable).op(A::Enumerate2).op(A::Trace);
    pushPath(script, "o").push("__proto__").op(A::Delete).op(A::Trace);
    // A string reads back, and lookups stop at the object.
    setMember(script, "o", "__proto__", "elsewhere");
    tracePath(script, "o.__proto__");
    tracePath(script, "o.toString");
    QCOMPARE(traceOf(script), (Lines{"true", "undefined", "false", "elsewhere", "undefined"}));
}

void TestScriptClasses::aStringObjectOwnsItsLength()
{
    // s = new String("h\u00e9llo");
    ActionScript script;
    script.push("s").push("h\xc3\xa9llo").push(1.0).push("String").op(A::NewObject);
    script.op(A::SetVariable);
    tracePath(script, "s.length");
    script.push("length").push(1.0);
    pushPath(script, "s").push("hasOwnProperty").op(A::CallMethod).op(A::Trace);
    // Hidden and permanent, but written like any other member.
    script.push("s").op(A::GetVariable).op(A::Enumerate2).op(A::Trace);
    pushPath(script, "s").push("length").op(A::Delete).op(A::Trace);
    setMember(script, "s", "length", "hmm");
    tracePath(script, "s.length");
    QCOMPARE(traceOf(script), (Lines{"5", "true", "undefined", "false", "hmm"}));
}

void TestScriptClasses::errorToStringGivesItsMessageUnconverted()
{
    // e = new Error(new Array(3)); trace(typeof e.toString()); trace(e.toString().length);
    // trace(new Error().toString());
    ActionScript script;
    script.push("e").push(3.0).push(1.0).push("Array").op(A::NewObject);
    script.push(1.0).push("Error").op(A::NewObject).op(A::SetVariable);
    script.push(0.0).push("e").op(A::GetVariable).push("toString").op(A::CallMethod);
    script.op(A::TypeOf).op(A::Trace);
    script.push(0.0).push("e").op(A::GetVariable).push("toString").op(A::CallMethod);
    script.push("length").op(A::GetMember).op(A::Trace);
    // Without one it is the prototype's.
    script.push(0.0).push(0.0).push("Error").op(A::NewObject).push("toString");
    script.op(A::CallMethod).op(A::Trace);
    QCOMPARE(traceOf(script), (Lines{"object", "3", "Error"}));
}

void TestScriptClasses::builtInsHoldTheirConstructorsHiddenAndPermanent()
{
    ActionScript script;
    // Object's methods are made before Function itself, Math's after it.
    for (const char* function : {"Object.prototype.toString", "Math.abs"}) {
        script.push("constructor").push(1.0);
        pushPath(script, function).push("hasOwnProperty").op(A::CallMethod).op(A::Trace);
        pushPath(script, function).push("constructor").op(A::GetMember);
        pushPath(script, "Function").op(A::StrictEquals).op(A::Trace);
        // Hidden and permanent.
        pushPath(script, function).op(A::Enumerate2).op(A::Trace);
        pushPath(script, function).push("constructor").op(A::Delete).op(A::Trace);
    }
    // A class's prototype keeps its constructor the same way.
    pushPath(script, "Sound.prototype").op(A::Enumerate2).op(A::Trace);
    pushPath(script, "Sound.prototype").push("constructor").op(A::Delete).op(A::Trace);
    QCOMPARE(traceOf(script), (Lines{"true", "true", "undefined", "false", "true", "true",
                                     "undefined", "false", "undefined", "false"}));
}

void TestScriptClasses::nativeNumbersReachTheBuiltIns()
{
    const auto asNative = [](ActionScript& script, double category, double index) {
        script.push(index).push(category).push(2.0).push("ASnative").op(A::CallFunction);
    };
    ActionScript script;
    asNative(script, 101, 5);
    pushPath(script, "Object.prototype.hasOwnProperty").op(A::StrictEquals).op(A::Trace);
    // Math.pow is 200,17; an unnumbered pair is nothing.
    script.push(10.0).push(2.0).push(2.0);
    asNative(script, 200, 17);
    script.pushUndefined().op(A::CallMethod).op(A::Trace);
    asNative(script, 200, 99);
    script.op(A::TypeOf).op(A::Trace);
    // ASSetNative names them from a first index: an empty name skips one,
    // a leading digit is the version the name was made for.
    script.push("d").push(0.0).push("Date").op(A::NewObject).op(A::SetVariable);
    script.push(15.0).push(",6stamp").push(103.0).push("d").op(A::GetVariable).push(4.0);
    script.push("ASSetNative").op(A::CallFunction).op(A::Pop);
    pushPath(script, "d.stamp");
    pushPath(script, "Date.prototype.getTime").op(A::StrictEquals).op(A::Trace);
    script.push("d").op(A::GetVariable).op(A::Enumerate2).op(A::Trace);
    QCOMPARE(traceOf(script), (Lines{"true", "1024", "undefined", "true", "undefined"}));
}

void TestScriptClasses::asBroadcasterLendsItsMethodsFromFlash6()
{
    ActionScript heard;
    heard.push("heard ").push("word").op(A::GetVariable).op(A::Add2).op(A::Trace);
    ActionScript script;
    script.push("o").push(0.0).op(A::InitObject).op(A::SetVariable);
    script.push("l").push(0.0).op(A::InitObject).op(A::SetVariable);
    pushPath(script, "l").push("news").defineFunction("", {"word"}, heard).op(A::SetMember);
    script.push("o").op(A::GetVariable).push(1.0);
    pushPath(script, "AsBroadcaster").push("initialize").op(A::CallMethod).op(A::Pop);
    // The methods are the broadcaster's own, hidden from for-in.
    pushPath(script, "o.addListener");
    pushPath(script, "AsBroadcaster.addListener").op(A::StrictEquals).op(A::Trace);
    // Adding twice keeps one; the message carries its arguments.
    for (int i = 0; i < 2; ++i) {
        script.push("l").op(A::GetVariable).push(1.0);
        pushPath(script, "o").push("addListener").op(A::CallMethod).op(A::Pop);
    }
    tracePath(script, "o._listeners.length");
    script.push("extra").push("news").push(2.0);
    pushPath(script, "o").push("broadcastMessage").op(A::CallMethod).op(A::Trace);
    for (int i = 0; i < 2; ++i) {
        script.push("l").op(A::GetVariable).push(1.0);
        pushPath(script, "o").push("removeListener").op(A::CallMethod).op(A::Trace);
    }
    // With nobody listening the message returns nothing.
    script.push("news").push(1.0);
    pushPath(script, "o").push("broadcastMessage").op(A::CallMethod).op(A::Trace);
    pushPath(script, "Key.broadcastMessage").op(A::TypeOf).op(A::Trace);
    QCOMPARE(traceOf(script),
             (Lines{"true", "1", "heard extra", "true", "true", "false", "undefined", "function"}));
    // Flash 5 movies see the function and none of its members.
    ActionScript old;
    pushPath(old, "AsBroadcaster").op(A::TypeOf).op(A::Trace);
    pushPath(old, "AsBroadcaster.initialize").op(A::TypeOf).op(A::Trace);
    QCOMPARE(traceOf(old, 5), (Lines{"function", "undefined"}));
}

void TestScriptClasses::versionFlagsHidePropertiesFromOlderMovies()
{
    // For each flag, a fresh property with it set: reading it gives
    // undefined in the versions it is hidden from.
    const std::vector<double> flags = {0x80, 0x100, 0x400, 0x1000, 0x2000, 0x4000};
    ActionScript script;
    for (const double flag : flags) {
        script.push("o").push("p").push("here").push(1.0).op(A::InitObject).op(A::SetVariable);
        script.push(0.0).push(flag).push("p").push("o").op(A::GetVariable).push(4.0);
        script.push("ASSetPropFlags").op(A::CallFunction).op(A::Pop);
        tracePath(script, "o.p");
    }
    // The flash packages are Flash 8's.
    pushPath(script, "flash").op(A::TypeOf).op(A::Trace);
    const auto seen = [](std::vector<bool> visible) {
        Lines lines;
        for (const bool each : visible) {
            lines.push_back(each ? "here" : "undefined");
        }
        return lines;
    };
    const auto with = [](Lines lines, std::initializer_list<std::string> more) {
        lines.insert(lines.end(), more);
        return lines;
    };
    QCOMPARE(traceOf(script, 5),
             with(seen({false, true, false, false, false, false}), {"undefined"}));
    QCOMPARE(traceOf(script, 6),
             with(seen({true, false, false, false, false, false}), {"undefined"}));
    QCOMPARE(traceOf(script, 7),
             with(seen({true, true, true, false, false, false}), {"undefined"}));
    QCOMPARE(traceOf(script, 8), with(seen({true, true, true, true, false, false}), {"object"}));
    QCOMPARE(traceOf(script, 9), with(seen({true, true, true, true, true, false}), {"object"}));
}

void TestScriptClasses::textFieldTextAndMarkup()
{
    ActionScript script;
    createTextField(script, "field", 1, 100, 20);
    setMember(script, "field", "text", "a<b\nc");
    tracePath(script, "field.text");
    tracePath(script, "field.htmlText");
    // Markup counts in an HTML field only; entities are decoded.
    setMember(script, "field", "html", true);
    setMember(script, "field", "htmlText", "<p align='center'>x&amp;y</p><p>z</p>");
    tracePath(script, "field.text");
    tracePath(script, "field.htmlText");
    const Lines expected{
        "a<b\rc", "a<b\rc", "x&y\rz",
        "<P ALIGN=\"CENTER\"><FONT FACE=\"Times New Roman\" SIZE=\"12\" COLOR=\"#000000\" "
        "LETTERSPACING=\"0\" KERNING=\"0\">x&amp;y</FONT></P><P ALIGN=\"LEFT\"><FONT "
        "FACE=\"Times New Roman\" SIZE=\"12\" COLOR=\"#000000\" LETTERSPACING=\"0\" "
        "KERNING=\"0\">z</FONT></P>"};
    QCOMPARE(traceOf(script), expected);
}

void TestScriptClasses::textFormatsCoverCharacterRanges()
{
    ActionScript script;
    createTextField(script, "field", 1, 100, 20);
    setMember(script, "field", "html", true);
    setMember(script, "field", "htmlText",
              "<font color='#ff0000' size='20'>ab</font><font color='#00ff00' size='20'>cd</font>");
    // One character, a range across both colours, the whole text.
    script.push("format");
    callMethod(script, "field", "getTextFormat", {1}).op(A::SetVariable);
    tracePath(script, "format.color");
    script.push("format");
    callMethod(script, "field", "getTextFormat", {1, 3}).op(A::SetVariable);
    tracePath(script, "format.color");
    tracePath(script, "format.size");
    // A new format's set properties apply; its nulls leave the field alone.
    script.push("change").push(0.0).push("TextFormat").op(A::NewObject).op(A::SetVariable);
    setMember(script, "change", "leading", 7.0);
    script.push("change").op(A::GetVariable).push(1.0);
    pushPath(script, "field").push("setNewTextFormat").op(A::CallMethod).op(A::Pop);
    script.push("format");
    callMethod(script, "field", "getNewTextFormat").op(A::SetVariable);
    tracePath(script, "format.leading");
    tracePath(script, "format.size");
    tracePath(script, "format.font");
    QCOMPARE(traceOf(script), (Lines{"16711680", "null", "20", "7", "12", "Times New Roman"}));
}

void TestScriptClasses::textFormatBeyondTheTagStopsAtItsBounds()
{
    // The tag holds the size in unsigned and the leading in signed 16-bit
    // twips; a script's pixel counts far past them end at the bounds.
    ActionScript script;
    createTextField(script, "field", 1, 100, 20);
    script.push("change").push(0.0).push("TextFormat").op(A::NewObject).op(A::SetVariable);
    setMember(script, "change", "size", 1e9);
    setMember(script, "change", "leading", -1e9);
    script.push("change").op(A::GetVariable).push(1.0);
    pushPath(script, "field").push("setNewTextFormat").op(A::CallMethod).op(A::Pop);
    script.push("format");
    callMethod(script, "field", "getNewTextFormat").op(A::SetVariable);
    tracePath(script, "format.size");
    tracePath(script, "format.leading");
    QCOMPARE(traceOf(script), (Lines{"3276.75", "-1638.4"}));
}

void TestScriptClasses::textFieldSizeChangesItsBoxNotItsScale()
{
    ActionScript script;
    createTextField(script, "field", 1, 100, 30);
    setMember(script, "field", "_xscale", 200.0);
    tracePath(script, "field._width");
    setMember(script, "field", "_width", 50.0);
    tracePath(script, "field._width");
    tracePath(script, "field._xscale");
    QCOMPARE(traceOf(script), (Lines{"200", "100", "200"}));
}

void TestScriptClasses::textFieldFollowsItsVariable()
{
    ActionScript script;
    createTextField(script, "field", 1, 100, 20);
    // Bound with no text of its own: the variable stays undefined.
    setMember(script, "field", "variable", "shown");
    tracePath(script, "shown");
    tracePath(script, "field.variable");
    script.push("shown").push("from the variable").op(A::SetVariable);
    tracePath(script, "field.text");
    setMember(script, "field", "text", "from the field");
    tracePath(script, "shown");
    QCOMPARE(traceOf(script), (Lines{"undefined", "shown", "from the variable", "from the field"}));
}

void TestScriptClasses::textFieldBackgroundAndBorderAreSetApartOnWholePixels()
{
    ActionScript script;
    // A red background without a border, half a pixel off the grid.
    createTextField(script, "filled", 1, 40, 20);
    setMember(script, "filled", "_x", 10.5);
    setMember(script, "filled", "_y", 10.25);
    setMember(script, "filled", "background", true);
    setMember(script, "filled", "backgroundColor", double(0xff0000));
    // A blue border without a background; its colour is kept while hidden.
    createTextField(script, "framed", 2, 20, 20);
    setMember(script, "framed", "_x", 60.0);
    setMember(script, "framed", "_y", 60.0);
    setMember(script, "framed", "borderColor", double(0x0000ff));
    setMember(script, "framed", "border", true);
    tracePath(script, "filled.border");
    tracePath(script, "framed.background");
    tracePath(script, "framed.borderColor");
    tracePath(script, "filled.backgroundColor");

    std::vector<swf::Tag> tags{doAction(script), swf::Tag{swf::ShowFrame{}}};
    QCOMPARE(traceOf(script), (Lines{"false", "false", "255", "16711680"}));
    const QImage image = renderFirstFrame(movie(header(100, 100, 12, 1), tags));
    QVERIFY(!image.isNull());
    const QRgb stage = image.pixel(0, 0);
    const QRgb red = qRgb(255, 0, 0);
    // 10.5 to 50.5 across and 10.25 to 30.25 down land on pixels 11-50 and 10-29.
    QCOMPARE(image.pixel(11, 10), red);
    QCOMPARE(image.pixel(50, 29), red);
    QCOMPARE(image.pixel(10, 10), stage);
    QCOMPARE(image.pixel(51, 20), stage);
    QCOMPARE(image.pixel(20, 30), stage);
    // The border's one-pixel line, and nothing filled inside it.
    QCOMPARE(image.pixel(60, 70), qRgb(0, 0, 255));
    QCOMPARE(image.pixel(70, 60), qRgb(0, 0, 255));
    QCOMPARE(image.pixel(70, 70), stage);
}

void TestScriptClasses::colorTintsItsTargetClip()
{
    // A sprite "box" holding a red square, placed at depth 1.
    swf::DefineSprite sprite;
    sprite.id = 2;
    sprite.frameCount = 1;
    sprite.tags = {{place(1, 1)}, {swf::ShowFrame{}}};
    swf::PlaceObject named = place(1, 2);
    named.name = "box";
    const std::vector<swf::Tag> definitions{{rectangle(1, 0, 0, 20, 20, kRed)}, {sprite}, {named}};

    ActionScript script;
    // new Color("box"): found by its path on each call.
    script.push("tint").push("box").push(1.0).push("Color").op(A::NewObject).op(A::SetVariable);
    script.push(double(0x336699)).push(1.0).push("tint").op(A::GetVariable).push("setRGB");
    script.op(A::CallMethod).op(A::Pop);
    script.push(0.0).push("tint").op(A::GetVariable).push("getRGB").op(A::CallMethod).op(A::Trace);
    // Half the alpha through setTransform; the colour offsets stay as they were.
    script.push("change").push(0.0).push("Object").op(A::NewObject).op(A::SetVariable);
    setMember(script, "change", "aa", 50.0);
    script.push("change").op(A::GetVariable).push(1.0).push("tint").op(A::GetVariable);
    script.push("setTransform").op(A::CallMethod).op(A::Pop);
    script.push("now").push(0.0).push("tint").op(A::GetVariable).push("getTransform");
    script.op(A::CallMethod).op(A::SetVariable);
    tracePath(script, "now.ra");
    tracePath(script, "now.rb");
    tracePath(script, "now.gb");
    tracePath(script, "now.aa");
    tracePath(script, "box._alpha");
    QCOMPARE(traceOf(script, 6, definitions), (Lines{"3368601", "0", "51", "102", "50", "50"}));

    std::vector<swf::Tag> tags = definitions;
    tags.push_back(doAction(script));
    tags.push_back(swf::Tag{swf::ShowFrame{}});
    const QImage image = renderFirstFrame(movie(header(40, 40, 12, 1), tags));
    QVERIFY(!image.isNull());
    // The square is now 0x336699 at half alpha over the white stage.
    const QRgb tinted = image.pixel(10, 10);
    QVERIFY(std::abs(qRed(tinted) - (0x33 + 255) / 2) <= 2);
    QVERIFY(std::abs(qGreen(tinted) - (0x66 + 255) / 2) <= 2);
    QVERIFY(std::abs(qBlue(tinted) - (0x99 + 255) / 2) <= 2);
}

namespace {

// A sprite named "box" at depth 1, placed by the given tag version with
// its extra properties set by the caller.
std::vector<swf::Tag> boxPlacedAs(const swf::PlaceObject& placement)
{
    swf::DefineSprite sprite;
    sprite.id = 2;
    sprite.frameCount = 1;
    sprite.tags = {{place(1, 1)}, {swf::ShowFrame{}}};
    swf::PlaceObject named = placement;
    named.characterId = 2;
    named.name = "box";
    return {{rectangle(1, 0, 0, 20, 20, kRed)}, {sprite}, {named}};
}

std::vector<swf::Tag> plainBox()
{
    return boxPlacedAs(place(1, 2));
}

} // namespace

void TestScriptClasses::blendModeReadsAsItsName()
{
    ActionScript script;
    tracePath(script, "box.blendMode");
    setMember(script, "box", "blendMode", std::string("screen"));
    tracePath(script, "box.blendMode");
    setMember(script, "box", "blendMode", 14.0);
    tracePath(script, "box.blendMode");
    // Unknown names and numbers out of range leave the mode alone.
    setMember(script, "box", "blendMode", std::string("Multiply"));
    tracePath(script, "box.blendMode");
    setMember(script, "box", "blendMode", 15.0);
    tracePath(script, "box.blendMode");
    setMember(script, "box", "blendMode", 1.0);
    tracePath(script, "box.blendMode");
    // Hidden from for-in, as Flash's own properties of clips are.
    script.push("box").op(A::GetVariable).op(A::Enumerate2);
    const std::size_t loop = script.here();
    script.storeRegister(0).push("null").op(A::GetVariable).op(A::Equals2);
    const std::size_t done = script.jumpSite(A::If);
    script.pushRegister(0).op(A::Trace);
    script.jumpBack(A::Jump, loop);
    script.land(done);
    const Lines traced = traceOf(script, 8, plainBox());
    QVERIFY(traced.size() >= 6);
    QCOMPARE(Lines(traced.begin(), traced.begin() + 6),
             (Lines{"normal", "screen", "hardlight", "hardlight", "hardlight", "normal"}));
    for (auto listed = traced.begin() + 6; listed != traced.end(); ++listed) {
        QVERIFY2(*listed != "blendMode" && *listed != "filters" && *listed != "cacheAsBitmap",
                 listed->c_str());
    }

    // A PlaceObject3 blend mode reads by its name too.
    swf::PlaceObject lighten = place(1, 2);
    lighten.version = 3;
    lighten.blendMode = 5;
    ActionScript read;
    tracePath(read, "box.blendMode");
    QCOMPARE(traceOf(read, 8, boxPlacedAs(lighten)), (Lines{"lighten"}));
    // Movies made before Flash 8 see no such property.
    QCOMPARE(traceOf(read, 7, plainBox()), (Lines{"undefined"}));
}

void TestScriptClasses::filtersReadBackAsCopies()
{
    ActionScript script;
    tracePath(script, "box.filters.length");
    tracePath(script, "box.cacheAsBitmap");
    newFilter(script, "shadow", "DropShadowFilter", {5});
    setMember(script, "shadow", "alpha", 0.5);
    newFilter(script, "blur", "BlurFilter", {6, 3, 2});
    // box.filters = [shadow, 7, blur]: what is no filter is passed over.
    script.push("box").op(A::GetVariable).push("filters");
    script.push("blur").op(A::GetVariable).push(7.0).push("shadow").op(A::GetVariable);
    script.push(3.0).op(A::InitArray).op(A::SetMember);
    // Changing the filter set, or one read back, changes nothing kept.
    setMember(script, "shadow", "distance", 9.0);
    setMember(script, "box.filters.0", "distance", 20.0);
    tracePath(script, "box.filters.length");
    tracePath(script, "box.filters.0.distance");
    tracePath(script, "box.filters.0.alpha");
    tracePath(script, "box.filters.1.blurX");
    tracePath(script, "box.filters.1.quality");
    pushPath(script, "box.filters.1.__constructor__");
    pushPath(script, "flash.filters.BlurFilter").op(A::Equals2).op(A::Trace);
    pushPath(script, "box.filters.0");
    pushPath(script, "box.filters.0").op(A::Equals2).op(A::Trace);
    pushPath(script, "box.filters.0");
    pushPath(script, "shadow").op(A::Equals2).op(A::Trace);
    setMember(script, "box", "cacheAsBitmap", true);
    tracePath(script, "box.cacheAsBitmap");
    // Anything but an array takes the filters away.
    setMember(script, "box", "filters", 3.0);
    tracePath(script, "box.filters.length");
    QCOMPARE(traceOf(script, 8, plainBox()), (Lines{"0", "false", "2", "5", "0.5", "6", "2", "true",
                                                    "false", "false", "true", "0"}));
}

void TestScriptClasses::placedFiltersReadAsFilterObjects()
{
    // A PlaceObject3 blur of 9 by 3 pixels, two passes.
    swf::PlaceObject blurred = place(1, 2);
    blurred.version = 3;
    swf::Filter blur{1, {0, 0, 9, 0, 0, 0, 3, 0, 2 << 3}};
    blurred.filters = std::vector<swf::Filter>{blur};
    blurred.bitmapCache = 1;
    ActionScript script;
    tracePath(script, "box.filters.length");
    tracePath(script, "box.filters.0.blurX");
    tracePath(script, "box.filters.0.blurY");
    tracePath(script, "box.filters.0.quality");
    pushPath(script, "box.filters.0.__constructor__");
    pushPath(script, "flash.filters.BlurFilter").op(A::Equals2).op(A::Trace);
    tracePath(script, "box.cacheAsBitmap");
    QCOMPARE(traceOf(script, 8, boxPlacedAs(blurred)), (Lines{"1", "9", "3", "2", "true", "true"}));
}

QTEST_GUILESS_MAIN(TestScriptClasses)
#include "tst_scriptclasses.moc"
