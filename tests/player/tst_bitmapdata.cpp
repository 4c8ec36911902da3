// flash.display.BitmapData: its pixel store, and what scripts see of it and
// show with attachBitmap.

#include "ActionFixtures.h"
#include "RecordingScriptHost.h"
#include "StandardErrorCapture.h"
#include "SwfFixtures.h"
#include "player/Player.h"
#include "player/avm1/BitmapDataObject.h"

#include <QPainter>
#include <QtTest>

using namespace quorvane;
using namespace quorvane::fixtures;
using player::avm1::BitmapDataObject;
using A = swf::ActionCode;

namespace {

BitmapDataObject blank(int width, int height, bool transparent)
{
    QImage pixels(width, height, QImage::Format_ARGB32_Premultiplied);
    pixels.fill(Qt::transparent);
    return BitmapDataObject(nullptr, pixels, transparent);
}

// Pushes the value at a dotted path of globals, "flash.display.BitmapData".
void pushPath(ActionScript& script, const std::string& path)
{
    std::size_t start = 0;
    std::size_t dot = path.find('.');
    script.push(path.substr(0, dot)).op(A::GetVariable);
    while (dot != std::string::npos) {
        start = dot + 1;
        dot = path.find('.', start);
        script.push(path.substr(start, dot - start)).op(A::GetMember);
    }
}

// name = new flash.display.BitmapData(arguments...)
void newBitmap(ActionScript& script, const std::string& name, std::vector<double> arguments)
{
    script.push(name);
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) {
        script.push(*it);
    }
    script.push(double(arguments.size()));
    pushPath(script, "flash.display");
    script.push("BitmapData").op(A::NewMethod).op(A::SetVariable);
}

// object.method(arguments...), the result left on the stack.
void call(ActionScript& script, const std::string& object, const std::string& method,
          std::vector<double> arguments)
{
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) {
        script.push(*it);
    }
    script.push(double(arguments.size())).push(object).op(A::GetVariable).push(method);
    script.op(A::CallMethod);
}

// _root.createEmptyMovieClip(name, depth); name.attachBitmap(bitmap, 1); name._x = x
void showIn(ActionScript& script, const std::string& clip, double depth, const std::string& bitmap,
            double x)
{
    script.push(depth).push(clip).push(2.0).push("_root").op(A::GetVariable);
    script.push("createEmptyMovieClip").op(A::CallMethod).op(A::Pop);
    script.push(1.0).push(bitmap).op(A::GetVariable).push(2.0).push(clip).op(A::GetVariable);
    script.push("attachBitmap").op(A::CallMethod).op(A::Pop);
    script.push(clip).op(A::GetVariable).push("_x").push(x).op(A::SetMember);
}

struct Run {
    explicit Run(player::Player::Limits limits = {}) : player(limits) {}

    RecordingScriptHost host;
    player::Player player;
};

void play(Run& run, std::vector<ActionScript> frames)
{
    std::vector<std::vector<swf::Tag>> tags;
    for (const ActionScript& script : frames) {
        tags.push_back({doAction(script)});
    }
    const std::vector<std::uint8_t> movie = movieOfFrames(std::move(tags));
    run.player.setScriptHost(&run.host);
    QVERIFY(!run.player.loadBytes(movie).has_value());
}

QImage stage(const player::Player& player)
{
    QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    player.render(painter, QTransform());
    return image;
}

} // namespace

class TestBitmapData : public QObject {
    Q_OBJECT

private slots:
    void fillRectStaysInsideTheBitmap();
    void pixelsReadBackAsStored();
    void disposedBitmapsReadAsMinusOne();
    void scriptsMakeCloneAndMeasure();
    void attachedBitmapsShowLaterChanges();
    void scriptBitmapsStayWithinTheMovieMemory();
};

void TestBitmapData::fillRectStaysInsideTheBitmap()
{
    BitmapDataObject bitmap = blank(4, 3, true);
    bitmap.fillRect(QRect(-2, 1, 4, 10), 0xff00ff00u);
    QCOMPARE(bitmap.pixel32(0, 1), 0xff00ff00u);
    QCOMPARE(bitmap.pixel32(1, 2), 0xff00ff00u);
    QCOMPARE(bitmap.pixel32(2, 1), 0u);
    QCOMPARE(bitmap.pixel32(0, 0), 0u);
    // Wholly outside: nothing changes, nothing breaks.
    bitmap.fillRect(QRect(10, 10, 5, 5), 0xffff0000u);
    bitmap.fillRect(QRect(0, 0, -3, 2), 0xffff0000u);
    QCOMPARE(bitmap.pixel32(0, 0), 0u);
}

void TestBitmapData::pixelsReadBackAsStored()
{
    BitmapDataObject clear = blank(2, 2, true);
    clear.setPixel32(0, 0, 0x80ff0000u);
    // Kept premultiplied, the translucent red comes back as Flash gives it.
    QCOMPARE(clear.pixel32(0, 0), 0x80ff0000u);
    // A faint pixel keeps its alpha; its colour only what a quarter of 8
    // bits can hold.
    clear.setPixel32(1, 0, 0x40336699u);
    const std::uint32_t faint = clear.pixel32(1, 0);
    QCOMPARE(faint >> 24, 0x40u);
    QVERIFY(std::abs(int((faint >> 16) & 0xff) - 0x33) <= 4);
    QVERIFY(std::abs(int(faint & 0xff) - 0x99) <= 4);
    // setPixel keeps the alpha the pixel had.
    clear.setPixel(0, 0, 0x0000ff);
    QCOMPARE(clear.pixel32(0, 0), 0x800000ffu);
    clear.setPixel32(5, 5, 0xffffffffu);
    QCOMPARE(clear.pixel32(5, 5), 0u);

    BitmapDataObject opaque = blank(2, 2, false);
    opaque.setPixel32(1, 1, 0x10abcdefu);
    QCOMPARE(opaque.pixel32(1, 1), 0xffabcdefu);
    opaque.fillRect(QRect(0, 0, 2, 2), 0x00123456u);
    QCOMPARE(opaque.pixel32(0, 1), 0xff123456u);
}

void TestBitmapData::disposedBitmapsReadAsMinusOne()
{
    BitmapDataObject bitmap = blank(3, 2, true);
    const std::shared_ptr<QImage> shown = bitmap.sharedPixels();
    QCOMPARE(bitmap.width(), 3);
    bitmap.dispose();
    QCOMPARE(bitmap.width(), -1);
    QCOMPARE(bitmap.height(), -1);
    // Whoever shows it shows nothing from now on.
    QVERIFY(shown->isNull());
    bitmap.setPixel32(0, 0, 0xffffffffu);
    QCOMPARE(bitmap.pixel32(0, 0), 0u);
}

void TestBitmapData::scriptsMakeCloneAndMeasure()
{
    ActionScript script;
    newBitmap(script, "original", {3, 2, 1, double(0xff00ff00u)});
    script.push("copy");
    call(script, "original", "clone", {});
    script.op(A::SetVariable);
    call(script, "copy", "setPixel", {0, 0, double(0x0000ff)});
    call(script, "copy", "getPixel", {0, 0});
    script.op(A::Trace);
    call(script, "original", "getPixel", {0, 0});
    script.op(A::Trace);
    script.push("original").op(A::GetVariable).push("rectangle").op(A::GetMember).op(A::Trace);
    call(script, "original", "dispose", {});
    script.op(A::Pop);
    script.push("original").op(A::GetVariable).push("width").op(A::GetMember).op(A::Trace);
    script.push("copy").op(A::GetVariable).push("width").op(A::GetMember).op(A::Trace);
    // A size Flash refuses.
    newBitmap(script, "huge", {3000, 10});
    script.push("huge").op(A::GetVariable).push("width").op(A::GetMember).op(A::Trace);

    Run run;
    play(run, {script});
    QCOMPARE(run.host.traces, (Lines{"255", "65280", "(x=0, y=0, w=3, h=2)", "-1", "3", "-1"}));
}

void TestBitmapData::attachedBitmapsShowLaterChanges()
{
    ActionScript first;
    newBitmap(first, "solid", {10, 10, 0, double(0xff0000ffu)});
    newBitmap(first, "glass", {10, 10, 1, 0});
    showIn(first, "a", 1, "solid", 0);
    showIn(first, "b", 2, "glass", 20);
    ActionScript second;
    call(second, "solid", "setPixel", {0, 0, double(0xff0000)});
    call(second, "glass", "setPixel32", {5, 5, double(0xff00ff00u)});

    Run run;
    play(run, {first, second});
    QImage shown = stage(run.player);
    QCOMPARE(shown.pixelColor(0, 0), QColor(0, 0, 255));
    QCOMPARE(shown.pixelColor(9, 9), QColor(0, 0, 255));
    QCOMPARE(shown.pixelColor(10, 10), QColor(Qt::white));
    QCOMPARE(shown.pixelColor(25, 5), QColor(Qt::white));
    run.player.advanceFrame();
    shown = stage(run.player);
    QCOMPARE(shown.pixelColor(0, 0), QColor(255, 0, 0));
    QCOMPARE(shown.pixelColor(1, 0), QColor(0, 0, 255));
    QCOMPARE(shown.pixelColor(25, 5), QColor(0, 255, 0));
    QCOMPARE(shown.pixelColor(26, 5), QColor(Qt::white));
}

void TestBitmapData::scriptBitmapsStayWithinTheMovieMemory()
{
    ActionScript script;
    // 4 MB each, in a movie that may use 6.
    newBitmap(script, "first", {1000, 1000});
    newBitmap(script, "second", {1000, 1000});
    script.push("first").op(A::GetVariable).push("width").op(A::GetMember).op(A::Trace);
    script.push("second").op(A::GetVariable).push("width").op(A::GetMember).op(A::Trace);
    // Disposing gives the memory back.
    call(script, "first", "dispose", {});
    script.op(A::Pop);
    newBitmap(script, "third", {1000, 1000});
    script.push("third").op(A::GetVariable).push("width").op(A::GetMember).op(A::Trace);
    // A clone needs as much again.
    script.push("copy");
    call(script, "third", "clone", {});
    script.op(A::SetVariable);
    script.push("copy").op(A::GetVariable).push("width").op(A::GetMember).op(A::Trace);
    script.push("done").op(A::Trace);

    player::Player::Limits limits;
    limits.memory = 6u << 20;
    Run run(limits);
    std::string log;
    {
        testing::StandardErrorCapture standardError;
        play(run, {script});
        log = standardError.text();
    }
    QCOMPARE(run.host.traces, (Lines{"1000", "-1", "1000", "-1", "done"}));
    QVERIFY2(log.find("a script's 1000 x 1000 bitmap left out") != std::string::npos, log.c_str());
}

QTEST_GUILESS_MAIN(TestBitmapData)
#include "tst_bitmapdata.moc"
