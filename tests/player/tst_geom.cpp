// flash.geom: the matrix arithmetic, and the classes as scripts use them.

#include "ActionFixtures.h"
#include "RecordingScriptHost.h"
#include "SwfFixtures.h"
#include "player/Player.h"
#include "player/avm1/GeomObjects.h"

#include <QtTest>
#include <numbers>

using namespace quorvane;
using namespace quorvane::fixtures;
using player::avm1::GeomMatrix;
using A = swf::ActionCode;

namespace {

// name = new flash.geom.<className>(arguments...)
void make(ActionScript& script, const std::string& name, const std::string& className,
          std::vector<double> arguments)
{
    script.push(name);
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) {
        script.push(*it);
    }
    script.push(double(arguments.size())).push("flash").op(A::GetVariable);
    script.push("geom").op(A::GetMember).push(className).op(A::NewMethod).op(A::SetVariable);
}

// trace(object.method(arguments...))
void traceCall(ActionScript& script, const std::string& object, const std::string& method,
               std::vector<double> arguments)
{
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) {
        script.push(*it);
    }
    script.push(double(arguments.size())).push(object).op(A::GetVariable).push(method);
    script.op(A::CallMethod).op(A::Trace);
}

Lines traces(const ActionScript& script)
{
    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    const std::vector<std::uint8_t> movie = movieOfFrames({{doAction(script)}});
    if (player.loadBytes(movie).has_value()) {
        return {"not loaded"};
    }
    return host.traces;
}

} // namespace

class TestGeom : public QObject {
    Q_OBJECT

private slots:
    void matricesComposeInFlashOrder();
    void singularMatricesInvertToIdentity();
    void scriptsSeeFieldsAndText();
    void rectanglesHoldTheirTopLeftEdgesOnly();
};

void TestGeom::matricesComposeInFlashOrder()
{
    // Scale, then move: the move is not scaled.
    const GeomMatrix scaledThenMoved =
        GeomMatrix::scaling(2, 3).then(GeomMatrix::translation(10, 20));
    QCOMPARE(scaledThenMoved.map(1, 1), std::make_pair(12.0, 23.0));
    const GeomMatrix movedThenScaled =
        GeomMatrix::translation(10, 20).then(GeomMatrix::scaling(2, 3));
    QCOMPARE(movedThenScaled.map(1, 1), std::make_pair(22.0, 63.0));
    // A quarter turn takes x to y.
    const auto [x, y] = GeomMatrix::rotation(std::numbers::pi / 2).map(1, 0);
    QVERIFY(std::abs(x) < 1e-12);
    QVERIFY(std::abs(y - 1) < 1e-12);
    const GeomMatrix inverse = movedThenScaled.inverted();
    QCOMPARE(inverse.map(22, 63), std::make_pair(1.0, 1.0));
}

void TestGeom::singularMatricesInvertToIdentity()
{
    const GeomMatrix flat{1, 2, 2, 4, 5, 6};
    const GeomMatrix inverse = flat.inverted();
    QCOMPARE(inverse.map(7, 9), std::make_pair(7.0, 9.0));
}

void TestGeom::scriptsSeeFieldsAndText()
{
    ActionScript script;
    make(script, "m", "Matrix", {});
    traceCall(script, "m", "toString", {});
    traceCall(script, "m", "scale", {2, 4});
    traceCall(script, "m", "translate", {5, -1});
    traceCall(script, "m", "toString", {});
    make(script, "p", "Point", {1, 1});
    script.push("p").op(A::GetVariable).push(1.0).push("m").op(A::GetVariable);
    script.push("transformPoint").op(A::CallMethod).op(A::Trace);
    make(script, "c", "ColorTransform", {0.5});
    traceCall(script, "c", "toString", {});

    QCOMPARE(traces(script),
             (Lines{"(a=1, b=0, c=0, d=1, tx=0, ty=0)", "undefined", "undefined",
                    "(a=2, b=0, c=0, d=4, tx=5, ty=-1)", "(x=7, y=3)",
                    "(redMultiplier=0.5, greenMultiplier=1, blueMultiplier=1, alphaMultiplier=1, "
                    "redOffset=0, greenOffset=0, blueOffset=0, alphaOffset=0)"}));
}

void TestGeom::rectanglesHoldTheirTopLeftEdgesOnly()
{
    ActionScript script;
    make(script, "r", "Rectangle", {10, 20, 30, 40});
    traceCall(script, "r", "contains", {10, 20});
    traceCall(script, "r", "contains", {40, 30});
    traceCall(script, "r", "contains", {39.5, 59.5});
    make(script, "inside", "Point", {25, 59});
    script.push("inside").op(A::GetVariable).push(1.0).push("r").op(A::GetVariable);
    script.push("containsPoint").op(A::CallMethod).op(A::Trace);
    traceCall(script, "r", "inflate", {5, 5});
    traceCall(script, "r", "toString", {});
    make(script, "e", "Rectangle", {});
    traceCall(script, "e", "isEmpty", {});

    QCOMPARE(traces(script), (Lines{"true", "false", "true", "true", "undefined",
                                    "(x=5, y=15, w=40, h=50)", "true"}));
}

QTEST_GUILESS_MAIN(TestGeom)
#include "tst_geom.moc"
