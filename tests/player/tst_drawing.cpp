// MovieClip's drawing methods and script masks: what a drawing records and
// its bounds, how scripts' odd arguments come out, drawn shapes in hit
// tests and on screen, and setMask hiding and restoring what it covers.

#include "ActionFixtures.h"
#include "RecordingScriptHost.h"
#include "SwfFixtures.h"
#include "player/Player.h"
#include "player/avm1/Drawing.h"

#include <QImage>
#include <QPainter>
#include <QtTest>
#include <variant>

using namespace quorvane;
using namespace quorvane::fixtures;
using player::avm1::Drawing;
using A = swf::ActionCode;

namespace {

constexpr int kTwips = swf::kTwipsPerPixel;

swf::Point at(int xPixels, int yPixels)
{
    return swf::Point{xPixels * kTwips, yPixels * kTwips};
}

swf::FillStyle solid(swf::Rgba color)
{
    swf::FillStyle style;
    style.color = color;
    return style;
}

swf::LineStyle line(int widthPixels)
{
    swf::LineStyle style;
    style.width = std::uint16_t(widthPixels * kTwips);
    return style;
}

QRectF pixels(const QRectF& twips)
{
    return QRectF(twips.topLeft() / kTwips, twips.bottomRight() / kTwips);
}

using Argument = std::variant<double, std::string>;

// target.method(arguments), its result dropped.
void run(ActionScript& script, const std::string& target, const std::string& method,
         const std::vector<Argument>& arguments)
{
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) {
        std::visit([&script](const auto& value) { script.push(value); }, *it);
    }
    script.push(double(arguments.size())).push(target).op(A::GetVariable).push(method);
    script.op(A::CallMethod).op(A::Pop);
}

// A filled rectangle drawn into target, corner to corner, outline left open.
void drawRectangle(ActionScript& script, const std::string& target, double color, int x, int y,
                   int width, int height)
{
    run(script, target, "beginFill", {color});
    run(script, target, "moveTo", {double(x), double(y)});
    run(script, target, "lineTo", {double(x + width), double(y)});
    run(script, target, "lineTo", {double(x + width), double(y + height)});
    run(script, target, "lineTo", {double(x), double(y + height)});
    run(script, target, "endFill", {});
}

void traceMember(ActionScript& script, const std::string& target, const std::string& member)
{
    script.push(target).op(A::GetVariable).push(member).op(A::GetMember).op(A::Trace);
}

// A 100 x 100 movie on white whose one frame runs the script.
std::vector<std::uint8_t> scriptedMovie(const ActionScript& script)
{
    return movieOfFrames(
        {{swf::Tag{swf::SetBackgroundColor{{255, 255, 255, 255}}}, doAction(script)}});
}

bool near(QRgb actual, QColor expected)
{
    const QColor color = QColor::fromRgba(actual);
    const bool close = std::abs(color.red() - expected.red()) <= 3 &&
                       std::abs(color.green() - expected.green()) <= 3 &&
                       std::abs(color.blue() - expected.blue()) <= 3;
    if (!close) {
        qWarning("pixel %s, expected %s", qPrintable(color.name()), qPrintable(expected.name()));
    }
    return close;
}

QImage render(const player::Player& player)
{
    QImage image(100, 100, QImage::Format_ARGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    player.render(painter, QTransform());
    painter.end();
    return image;
}

} // namespace

class TestDrawing : public QObject {
    Q_OBJECT

private slots:
    void boundsCoverSegmentsCurvesAndLineWidths();
    void fillsCloseThemselvesAndLinesPaintOverThem();
    void clearForgetsShapesAndLineStyle();
    void scriptArgumentsConvertAsFlashDoes();
    void drawnShapesCountInSizeAndShapeHitTests();
    void methodsCalledInsideWithActOnItsClip();
    void drawnShapesPaintUnderChildrenWithTheClipsColours();
    void duplicatesCarryTheDrawing();
    void scriptMasksHideWhatTheyDoNotCoverUntilCleared();
    void maskHoldingItsMaskeeNeitherLoopsNorDraws();
};

void TestDrawing::boundsCoverSegmentsCurvesAndLineWidths()
{
    Drawing drawing;
    drawing.moveTo(at(10, 10));
    QVERIFY(!drawing.bounds().has_value());

    drawing.beginFill(solid(kRed));
    drawing.lineTo(at(30, 10));
    drawing.lineTo(at(30, 20));
    QCOMPARE(pixels(*drawing.bounds()), QRectF(QPointF(10, 10), QPointF(30, 20)));

    // A curve reaches halfway to its control point, not the point itself.
    drawing.curveTo(at(20, 40), at(10, 20));
    QCOMPARE(pixels(*drawing.bounds()), QRectF(QPointF(10, 10), QPointF(30, 30)));

    // Lines stand out by half their width; hairlines add nothing.
    Drawing lines;
    lines.lineStyle(line(0));
    lines.lineTo(at(40, 0));
    QCOMPARE(pixels(*lines.bounds()), QRectF(QPointF(0, 0), QPointF(40, 0)));
    lines.lineStyle(line(4));
    lines.moveTo(at(10, 10));
    lines.lineTo(at(10, 30));
    QCOMPARE(pixels(*lines.bounds()), QRectF(QPointF(0, 0), QPointF(40, 32)));
    QCOMPARE(lines.geometry()->bounds, (swf::Rect{0, 40 * kTwips, 0, 32 * kTwips}));
}

void TestDrawing::fillsCloseThemselvesAndLinesPaintOverThem()
{
    Drawing drawing;
    drawing.lineStyle(line(1));
    drawing.beginFill(solid(kRed));
    drawing.lineTo(at(20, 0));
    drawing.lineTo(at(20, 20));
    // Open, the fill already shows as closed; its lines stay as drawn.
    const auto open = drawing.geometry();
    QCOMPARE(open->items.size(), std::size_t(2));
    const auto& openFill = std::get<player::FillArea>(open->items[0]);
    QVERIFY(openFill.contours.at(0).isClosed());
    QCOMPARE(std::get<player::Stroke>(open->items[1]).contours.at(0).segments.size(),
             std::size_t(2));

    // The next beginFill ends it, joining the outline back to its start.
    drawing.beginFill(solid(kBlue));
    drawing.moveTo(at(50, 50));
    drawing.lineTo(at(60, 50));
    drawing.lineTo(at(60, 60));
    drawing.endFill();
    const auto ended = drawing.geometry();
    QCOMPARE(ended->items.size(), std::size_t(4));
    const auto& red = std::get<player::FillArea>(ended->items[0]);
    QCOMPARE(red.style.color, kRed);
    QCOMPARE(red.contours.at(0).segments.size(), std::size_t(3));
    QVERIFY(red.contours.at(0).isClosed());
    QVERIFY(std::holds_alternative<player::Stroke>(ended->items[1]));
    const auto& blue = std::get<player::FillArea>(ended->items[2]);
    QCOMPARE(blue.contours.at(0).start, at(50, 50));
    QVERIFY(blue.contours.at(0).isClosed());
    QVERIFY(std::holds_alternative<player::Stroke>(ended->items[3]));
    // A geometry handed out stays as it was.
    QCOMPARE(open->items.size(), std::size_t(2));
}

void TestDrawing::clearForgetsShapesAndLineStyle()
{
    Drawing drawing;
    drawing.lineStyle(line(2));
    drawing.beginFill(solid(kRed));
    drawing.moveTo(at(5, 5));
    drawing.lineTo(at(10, 10));
    QVERIFY(!drawing.isEmpty());
    drawing.clear();
    QVERIFY(drawing.isEmpty());
    QVERIFY(drawing.geometry()->items.empty());
    // Neither the line style nor the fill survive: this draws nothing.
    drawing.lineTo(at(30, 30));
    QVERIFY(drawing.isEmpty());
    QVERIFY(!drawing.bounds().has_value());
}

void TestDrawing::scriptArgumentsConvertAsFlashDoes()
{
    ActionScript script;
    run(script, "_root", "createEmptyMovieClip", {std::string("mc"), 1.0});
    // No colour: no fill. Colour without its alpha given: opaque. Alpha
    // given as undefined: transparent. Alpha past 100 and colours past 24
    // bits are cut.
    const auto fillTriangle = [&script]() {
        run(script, "mc", "moveTo", {0.0, 0.0});
        run(script, "mc", "lineTo", {10.0, 0.0});
        run(script, "mc", "lineTo", {10.0, 10.0});
        run(script, "mc", "endFill", {});
    };
    run(script, "mc", "beginFill", {});
    fillTriangle();
    run(script, "mc", "beginFill", {double(0x1ff0000)});
    fillTriangle();
    script.pushUndefined().push(double(0xff)).push(2.0).push("mc").op(A::GetVariable);
    script.push("beginFill").op(A::CallMethod).op(A::Pop);
    fillTriangle();
    run(script, "mc", "beginFill", {-1.0, 250.0});
    fillTriangle();
    run(script, "mc", "lineStyle", {3.0, double(0xff00), 50.0});
    run(script, "mc", "lineTo", {0.0, 20.0});

    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.loadBytes(scriptedMovie(script)).has_value());
    const player::DisplayObject& clip = player.displayList().back();
    QVERIFY(clip.drawing);
    const auto& items = clip.drawing->items;
    QCOMPARE(items.size(), std::size_t(4));
    QCOMPARE(std::get<player::FillArea>(items[0]).style.color, (swf::Rgba{255, 0, 0, 255}));
    QCOMPARE(std::get<player::FillArea>(items[1]).style.color, (swf::Rgba{0, 0, 255, 0}));
    QCOMPARE(std::get<player::FillArea>(items[2]).style.color, (swf::Rgba{255, 255, 255, 255}));
    const auto& stroke = std::get<player::Stroke>(items[3]);
    QCOMPARE(stroke.style.width, std::uint16_t(3 * kTwips));
    QCOMPARE(stroke.style.color, (swf::Rgba{0, 255, 0, 128}));
    QVERIFY(host.halts.empty());
}

void TestDrawing::drawnShapesCountInSizeAndShapeHitTests()
{
    ActionScript script;
    run(script, "_root", "createEmptyMovieClip", {std::string("mc"), 1.0});
    script.push("mc").op(A::GetVariable).push("_x").push(10.0).op(A::SetMember);
    // A right triangle with its square corner at the top left.
    run(script, "mc", "beginFill", {double(0xff0000)});
    run(script, "mc", "moveTo", {10.0, 10.0});
    run(script, "mc", "lineTo", {50.0, 10.0});
    run(script, "mc", "lineTo", {10.0, 50.0});
    run(script, "mc", "endFill", {});
    traceMember(script, "mc", "_width");
    traceMember(script, "mc", "_height");
    // Stage points: inside the triangle, then inside its box but past its slope.
    for (const bool shapeFlag : {false, true}) {
        for (const QPointF point : {QPointF(25, 20), QPointF(55, 45)}) {
            script.pushBool(shapeFlag).push(point.y()).push(point.x()).push(3.0);
            script.push("mc").op(A::GetVariable).push("hitTest").op(A::CallMethod).op(A::Trace);
        }
    }
    script.push("_root").op(A::GetVariable).push(1.0).push("mc").op(A::GetVariable);
    script.push("getBounds").op(A::CallMethod).push("xMax").op(A::GetMember).op(A::Trace);

    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.loadBytes(scriptedMovie(script)).has_value());
    QCOMPARE(host.traces, (Lines{"40", "40", "true", "true", "true", "false", "60"}));
}

void TestDrawing::methodsCalledInsideWithActOnItsClip()
{
    // with (mc) { beginFill(0xff00); lineTo(20, 0); lineTo(20, 20); }
    const auto drawInside = [](ActionScript& block) {
        block.push(double(0xff00)).push(1.0).push("beginFill").op(A::CallFunction).op(A::Pop);
        for (const QPoint corner : {QPoint(20, 0), QPoint(20, 20)}) {
            block.push(double(corner.y())).push(double(corner.x())).push(2.0).push("lineTo");
            block.op(A::CallFunction).op(A::Pop);
        }
    };
    ActionScript block;
    drawInside(block);
    const std::size_t size = block.bytes().size();
    ActionScript script;
    run(script, "_root", "createEmptyMovieClip", {std::string("mc"), 1.0});
    script.push("mc")
        .op(A::GetVariable)
        .raw(A::With, {std::uint8_t(size), std::uint8_t(size >> 8)});
    drawInside(script);
    traceMember(script, "mc", "_width");
    traceMember(script, "mc", "_height");

    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.loadBytes(scriptedMovie(script)).has_value());
    QCOMPARE(host.traces, (Lines{"20", "20"}));
    QCOMPARE(player.displayList().size(), std::size_t(1));
    QVERIFY(player.displayList()[0].drawing);
}

void TestDrawing::drawnShapesPaintUnderChildrenWithTheClipsColours()
{
    ActionScript script;
    run(script, "_root", "createEmptyMovieClip", {std::string("mc"), 1.0});
    drawRectangle(script, "mc", double(0xff0000), 0, 0, 60, 60);
    script.push("mc").op(A::GetVariable).push("_x").push(20.0).op(A::SetMember);
    run(script, "mc", "createEmptyMovieClip", {std::string("child"), 1.0});
    drawRectangle(script, "mc.child", double(0x0000ff), 0, 0, 20, 20);
    // Drawn shapes take the clip's colours, here half its alpha.
    script.push("mc").op(A::GetVariable).push("_alpha").push(50.0).op(A::SetMember);

    player::Player player;
    QVERIFY(!player.loadBytes(scriptedMovie(script)).has_value());
    const QImage image = render(player);
    QCOMPARE(QColor(image.pixel(5, 5)), QColor(255, 255, 255));
    // Half red over white, then the child's half blue over that: painted
    // the other way round, red would come out on top.
    QVERIFY(near(image.pixel(70, 50), QColor(255, 128, 128)));
    QVERIFY(near(image.pixel(30, 10), QColor(128, 64, 191)));
    QCOMPARE(QColor(image.pixel(85, 5)), QColor(255, 255, 255));
}

void TestDrawing::duplicatesCarryTheDrawing()
{
    ActionScript script;
    run(script, "_root", "createEmptyMovieClip", {std::string("mc"), 1.0});
    drawRectangle(script, "mc", double(0x00ff00), 0, 0, 10, 10);
    run(script, "mc", "duplicateMovieClip", {std::string("copy"), 2.0});
    script.push("copy").op(A::GetVariable).push("_x").push(50.0).op(A::SetMember);
    // Later drawing on the original leaves the copy as it was.
    run(script, "mc", "clear", {});
    traceMember(script, "copy", "_width");
    traceMember(script, "mc", "_width");

    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.loadBytes(scriptedMovie(script)).has_value());
    QCOMPARE(host.traces, (Lines{"10", "0"}));
    const QImage image = render(player);
    QCOMPARE(QColor(image.pixel(55, 5)), QColor(0, 255, 0));
    QCOMPARE(QColor(image.pixel(5, 5)), QColor(255, 255, 255));
}

void TestDrawing::scriptMasksHideWhatTheyDoNotCoverUntilCleared()
{
    ActionScript script;
    run(script, "_root", "createEmptyMovieClip", {std::string("shown"), 1.0});
    drawRectangle(script, "shown", double(0xff0000), 0, 0, 80, 80);
    run(script, "_root", "createEmptyMovieClip", {std::string("holder"), 2.0});
    script.push("holder").op(A::GetVariable).push("_x").push(40.0).op(A::SetMember);
    run(script, "holder", "createEmptyMovieClip", {std::string("mask"), 1.0});
    drawRectangle(script, "holder.mask", double(0x0000ff), 0, 0, 20, 100);
    script.push("holder.mask").op(A::GetVariable);
    script.push(1.0).push("shown").op(A::GetVariable).push("setMask").op(A::CallMethod).op(A::Pop);
    // The mask takes no part in shape hit tests; what it masks still does.
    for (const char* clip : {"holder.mask", "shown"}) {
        script.pushBool(true).push(40.0).push(50.0).push(3.0).push(clip).op(A::GetVariable);
        script.push("hitTest").op(A::CallMethod).op(A::Trace);
    }

    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.loadBytes(scriptedMovie(script)).has_value());
    QCOMPARE(host.traces, (Lines{"false", "true"}));
    const QImage masked = render(player);
    // Only the red under the mask's place (40 to 60 on the stage) shows,
    // and the mask's own blue nowhere.
    QCOMPARE(QColor(masked.pixel(50, 40)), QColor(255, 0, 0));
    QCOMPARE(QColor(masked.pixel(20, 40)), QColor(255, 255, 255));
    QCOMPARE(QColor(masked.pixel(50, 90)), QColor(255, 255, 255));

    ActionScript unmask = script;
    unmask.pushUndefined().push(1.0).push("shown").op(A::GetVariable);
    unmask.push("setMask").op(A::CallMethod).op(A::Pop);
    QVERIFY(!player.loadBytes(scriptedMovie(unmask)).has_value());
    const QImage restored = render(player);
    QCOMPARE(QColor(restored.pixel(20, 40)), QColor(255, 0, 0));
    QCOMPARE(QColor(restored.pixel(50, 90)), QColor(0, 0, 255));
}

void TestDrawing::maskHoldingItsMaskeeNeitherLoopsNorDraws()
{
    // holder.inner.setMask(holder): the mask holds what it masks.
    ActionScript script;
    run(script, "_root", "createEmptyMovieClip", {std::string("holder"), 1.0});
    drawRectangle(script, "holder", double(0x0000ff), 0, 0, 50, 50);
    run(script, "holder", "createEmptyMovieClip", {std::string("inner"), 1.0});
    drawRectangle(script, "holder.inner", double(0xff0000), 25, 25, 50, 50);
    script.push("holder").op(A::GetVariable);
    script.push(1.0).push("holder.inner").op(A::GetVariable).push("setMask").op(A::CallMethod);
    script.op(A::Pop);

    player::Player player;
    QVERIFY(!player.loadBytes(scriptedMovie(script)).has_value());
    // The holder, as a mask, is not drawn, and with it goes all it holds.
    const QImage image = render(player);
    QCOMPARE(QColor(image.pixel(10, 10)), QColor(255, 255, 255));
    QCOMPARE(QColor(image.pixel(30, 30)), QColor(255, 255, 255));
}

QTEST_MAIN(TestDrawing)
#include "tst_drawing.moc"
