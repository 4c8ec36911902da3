// Morph shapes between their ends, SWF 8 blend modes, filters and cached
// bitmaps, as drawn through the player for movies with scripts and without.

#include "ActionFixtures.h"
#include "StageRendering.h"
#include "SwfFixtures.h"
#include "player/Player.h"
#include "player/graphics/Morph.h"

#include <QImage>
#include <QPainter>
#include <QtTest>
#include <bit>

using namespace quorvane;
using namespace quorvane::player;
using A = swf::ActionCode;

namespace {

constexpr int kTwips = swf::kTwipsPerPixel;

swf::Movie stage(std::vector<swf::Tag> tags, swf::Rgba background = {128, 128, 128, 255})
{
    tags.insert(tags.begin(), swf::Tag{swf::SetBackgroundColor{background}});
    tags.push_back({swf::ShowFrame{}});
    swf::Header header = fixtures::header(100, 100, 12, 1);
    header.version = 8;
    return fixtures::movie(header, std::move(tags));
}

bool near(QRgb actual, QColor expected, int tolerance)
{
    const QColor color = QColor::fromRgba(actual);
    return std::abs(color.red() - expected.red()) <= tolerance &&
           std::abs(color.green() - expected.green()) <= tolerance &&
           std::abs(color.blue() - expected.blue()) <= tolerance;
}

#define QCOMPARE_COLOR(actual, expected, tolerance)                                                \
    QVERIFY2(near(actual, expected, tolerance),                                                    \
             qPrintable(QStringLiteral("pixel %1 expected %2")                                     \
                            .arg(QColor::fromRgba(actual).name(), QColor(expected).name())))

// A morph from a red 20-pixel square at the origin to a blue 40-pixel one at (60, 60).
swf::DefineMorphShape growingSquare(std::uint16_t id)
{
    swf::DefineMorphShape morph;
    morph.id = id;
    morph.startBounds = swf::Rect{0, 20 * kTwips, 0, 20 * kTwips};
    morph.endBounds = swf::Rect{60 * kTwips, 100 * kTwips, 60 * kTwips, 100 * kTwips};
    swf::MorphFillStyle fill;
    fill.start.color = swf::Rgba{255, 0, 0, 255};
    fill.end.color = swf::Rgba{0, 0, 255, 255};
    morph.fillStyles = {fill};
    const auto square = [](int x, int size, bool withFill) {
        swf::StyleChangeRecord start;
        start.moveTo = swf::Point{x * kTwips, x * kTwips};
        if (withFill) {
            start.fillStyle1 = 1;
        }
        const int side = size * kTwips;
        return std::vector<swf::ShapeRecord>{
            start, swf::StraightEdgeRecord{side, 0}, swf::StraightEdgeRecord{0, side},
            swf::StraightEdgeRecord{-side, 0}, swf::StraightEdgeRecord{0, -side}};
    };
    morph.startEdges = square(0, 20, true);
    morph.endEdges = square(60, 40, false);
    return morph;
}

swf::PlaceObject placeWith(std::uint16_t depth, std::uint16_t id, std::uint8_t blendMode,
                           std::vector<swf::Filter> filters = {})
{
    swf::PlaceObject place = fixtures::place(depth, id);
    place.version = 3;
    if (blendMode != 0) {
        place.blendMode = blendMode;
    }
    if (!filters.empty()) {
        place.filters = std::move(filters);
    }
    return place;
}

void appendFixed16(std::vector<std::uint8_t>& bytes, double value)
{
    const auto fixed = std::uint32_t(std::int32_t(value * 65536));
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(std::uint8_t(fixed >> shift));
    }
}

swf::Filter blur(double size, std::uint8_t passes = 1)
{
    std::vector<std::uint8_t> data;
    appendFixed16(data, size);
    appendFixed16(data, size);
    data.push_back(std::uint8_t(passes << 3));
    return swf::Filter{1, data};
}

// A hard black shadow `distance` pixels to the right.
swf::Filter dropShadowRight(double distance)
{
    std::vector<std::uint8_t> data{0, 0, 0, 255};
    appendFixed16(data, 1);
    appendFixed16(data, 1);
    appendFixed16(data, 0);
    appendFixed16(data, distance);
    data.push_back(0);
    data.push_back(1);
    data.push_back(0b00100001);
    return swf::Filter{0, data};
}

swf::Filter swapRedAndBlue()
{
    const float matrix[20] = {0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0};
    std::vector<std::uint8_t> data;
    for (const float value : matrix) {
        const auto bits = std::bit_cast<std::uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8) {
            data.push_back(std::uint8_t(bits >> shift));
        }
    }
    return swf::Filter{6, data};
}

// The same tags with a frame script, which makes the movie play on the
// scripted stage.
std::vector<swf::Tag> scripted(std::vector<swf::Tag> tags, const fixtures::ActionScript& script)
{
    tags.push_back(fixtures::doAction(script));
    return tags;
}

fixtures::ActionScript idleScript()
{
    fixtures::ActionScript script;
    script.push("seen").push(1.0).op(A::SetVariable);
    return script;
}

// A sprite "box" holding an orange 20-pixel square at (40, 40).
std::vector<swf::Tag> namedBox()
{
    swf::DefineSprite sprite;
    sprite.id = 2;
    sprite.frameCount = 1;
    sprite.tags = {swf::Tag{fixtures::place(1, 1)}, swf::Tag{swf::ShowFrame{}},
                   swf::Tag{swf::End{}}};
    swf::PlaceObject named = fixtures::place(1, 2);
    named.name = "box";
    return {swf::Tag{fixtures::rectangle(1, 40, 40, 20, 20, swf::Rgba{255, 64, 0, 255})},
            swf::Tag{sprite}, swf::Tag{named}};
}

// box.<property> = <value pushed by the caller's function>
template <class PushValue>
fixtures::ActionScript settingBox(const char* property, PushValue pushValue)
{
    fixtures::ActionScript script;
    script.push("box").op(A::GetVariable).push(property);
    pushValue(script);
    script.op(A::SetMember);
    return script;
}

} // namespace

class TestEffects : public QObject {
    Q_OBJECT

private slots:
    void morphsFollowTheirRatio()
    {
        const swf::DefineMorphShape morph = growingSquare(1);
        const swf::DefineShape start = interpolateMorph(morph, 0);
        const swf::DefineShape end = interpolateMorph(morph, 65535);
        const swf::DefineShape middle = interpolateMorph(morph, 32768);
        QCOMPARE(start.shape.styles.fillStyles[0].color, (swf::Rgba{255, 0, 0, 255}));
        QCOMPARE(end.shape.styles.fillStyles[0].color, (swf::Rgba{0, 0, 255, 255}));
        QCOMPARE(middle.shape.styles.fillStyles[0].color, (swf::Rgba{127, 0, 128, 255}));
        QCOMPARE(std::get<swf::StyleChangeRecord>(middle.shape.records[0]).moveTo,
                 (swf::Point{30 * kTwips, 30 * kTwips}));
        QCOMPARE(std::get<swf::StraightEdgeRecord>(middle.shape.records[1]).deltaX, 30 * kTwips);

        swf::PlaceObject half = fixtures::place(1, 1);
        half.ratio = 32768;
        const QImage image = fixtures::renderFirstFrame(stage({swf::Tag{morph}, swf::Tag{half}}));
        QCOMPARE_COLOR(image.pixel(45, 45), QColor(127, 0, 128), 1);
        QCOMPARE_COLOR(image.pixel(25, 25), QColor(128, 128, 128), 0);
        QCOMPARE_COLOR(image.pixel(65, 65), QColor(128, 128, 128), 0);
    }

    void curvedAndStraightEdgesMorphIntoEachOther()
    {
        swf::DefineMorphShape morph = growingSquare(1);
        morph.endEdges[2] = swf::CurvedEdgeRecord{0, 20 * kTwips, 0, 20 * kTwips};
        const swf::DefineShape middle = interpolateMorph(morph, 32768);
        const auto* curve = std::get_if<swf::CurvedEdgeRecord>(&middle.shape.records[2]);
        QVERIFY(curve);
        QCOMPARE(curve->controlDeltaY + curve->anchorDeltaY, 30 * kTwips);
    }

    void blendModesComposeWithWhatIsBelow_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QColor>("expected");
        // A (255, 64, 0) square over the gray (128) background.
        QTest::newRow("normal") << 1 << QColor(255, 64, 0);
        QTest::newRow("layer") << 2 << QColor(255, 64, 0);
        QTest::newRow("multiply") << 3 << QColor(128, 32, 0);
        QTest::newRow("screen") << 4 << QColor(255, 160, 128);
        QTest::newRow("lighten") << 5 << QColor(255, 128, 128);
        QTest::newRow("darken") << 6 << QColor(128, 64, 0);
        QTest::newRow("difference") << 7 << QColor(127, 64, 128);
        QTest::newRow("add") << 8 << QColor(255, 192, 128);
        QTest::newRow("subtract") << 9 << QColor(0, 64, 128);
        QTest::newRow("invert") << 10 << QColor(127, 127, 127);
        QTest::newRow("overlay") << 13 << QColor(255, 64, 0);
        QTest::newRow("hardlight") << 14 << QColor(255, 64, 0);
    }

    void blendModesComposeWithWhatIsBelow()
    {
        QFETCH(int, mode);
        QFETCH(QColor, expected);
        const QImage image = fixtures::renderFirstFrame(
            stage({swf::Tag{fixtures::rectangle(1, 20, 20, 40, 40, swf::Rgba{255, 64, 0, 255})},
                   swf::Tag{placeWith(1, 1, std::uint8_t(mode))}}));
        QCOMPARE_COLOR(image.pixel(40, 40), expected, 2);
        QCOMPARE_COLOR(image.pixel(10, 10), QColor(128, 128, 128), 0);
    }

    void eraseAndAlphaCutTheLayerBelowThem()
    {
        // A sprite in layer mode: a white square, and above it a smaller
        // square in erase mode that cuts a hole through to the stage.
        swf::DefineSprite sprite;
        sprite.id = 3;
        sprite.frameCount = 1;
        sprite.tags = {swf::Tag{fixtures::place(1, 1)}, swf::Tag{placeWith(2, 2, 12)},
                       swf::Tag{swf::ShowFrame{}}, swf::Tag{swf::End{}}};
        const QImage image = fixtures::renderFirstFrame(
            stage({swf::Tag{fixtures::rectangle(1, 10, 10, 80, 80, swf::Rgba{255, 255, 255, 255})},
                   swf::Tag{fixtures::rectangle(2, 40, 40, 20, 20, swf::Rgba{0, 0, 0, 255})},
                   swf::Tag{sprite}, swf::Tag{placeWith(1, 3, 2)}}));
        QCOMPARE_COLOR(image.pixel(20, 20), QColor(255, 255, 255), 0);
        QCOMPARE_COLOR(image.pixel(50, 50), QColor(128, 128, 128), 0);
    }

    void filtersChangeThePicture()
    {
        const auto drawn = [](std::vector<swf::Filter> filters) {
            return fixtures::renderFirstFrame(
                stage({swf::Tag{fixtures::rectangle(1, 40, 40, 20, 20, swf::Rgba{255, 0, 0, 255})},
                       swf::Tag{placeWith(1, 1, 0, std::move(filters))}},
                      swf::Rgba{255, 255, 255, 255}));
        };
        const QImage blurred = drawn({blur(9)});
        // Blurred red spills past the square's edge and fades inside it.
        QVERIFY(qGreen(blurred.pixel(38, 50)) < 250);
        QVERIFY(qGreen(blurred.pixel(41, 50)) > 50);
        QCOMPARE_COLOR(blurred.pixel(50, 50), QColor(255, 0, 0), 2);
        QCOMPARE_COLOR(blurred.pixel(20, 50), QColor(255, 255, 255), 0);

        // No passes: the square stays sharp.
        const QImage unblurred = drawn({blur(9, 0)});
        QCOMPARE_COLOR(unblurred.pixel(38, 50), QColor(255, 255, 255), 0);
        QCOMPARE_COLOR(unblurred.pixel(41, 50), QColor(255, 0, 0), 0);

        const QImage shadowed = drawn({dropShadowRight(5)});
        QCOMPARE_COLOR(shadowed.pixel(50, 50), QColor(255, 0, 0), 0);
        QCOMPARE_COLOR(shadowed.pixel(62, 50), QColor(0, 0, 0), 0);
        QCOMPARE_COLOR(shadowed.pixel(38, 50), QColor(255, 255, 255), 0);

        const QImage swapped = drawn({swapRedAndBlue()});
        QCOMPARE_COLOR(swapped.pixel(50, 50), QColor(0, 0, 255), 1);

        // Filters apply in order: the shadow of the swapped square is black
        // and the square blue.
        const QImage both = drawn({swapRedAndBlue(), dropShadowRight(5)});
        QCOMPARE_COLOR(both.pixel(50, 50), QColor(0, 0, 255), 1);
        QCOMPARE_COLOR(both.pixel(62, 50), QColor(0, 0, 0), 0);
    }

    void cachedBitmapsAndMasksDrawAsWithout()
    {
        swf::PlaceObject cached = fixtures::place(2, 1);
        cached.version = 3;
        cached.bitmapCache = 1;
        cached.colorTransform = swf::ColorTransform{256, 256, 256, 128, 0, 0, 0, 0};
        swf::PlaceObject plain = cached;
        plain.bitmapCache.reset();
        swf::PlaceObject mask = fixtures::place(1, 2);
        mask.clipDepth = 5;
        const auto drawn = [&](const swf::PlaceObject& place) {
            return fixtures::renderFirstFrame(
                stage({swf::Tag{fixtures::rectangle(1, 0, 0, 100, 100, swf::Rgba{0, 0, 255, 255})},
                       swf::Tag{fixtures::rectangle(2, 0, 0, 50, 100, fixtures::kRed)},
                       swf::Tag{mask}, swf::Tag{place}}));
        };
        for (const QImage& image : {drawn(cached), drawn(plain)}) {
            QCOMPARE_COLOR(image.pixel(25, 50), QColor(64, 64, 191), 2);
            QCOMPARE_COLOR(image.pixel(75, 50), QColor(128, 128, 128), 0);
        }
    }

    // A placement's blend mode, filters and bitmap caching draw the same
    // whether or not the movie has scripts, at the top and inside sprites.
    void scriptedMoviesDrawPlacedEffectsAsPlainOnes_data()
    {
        QTest::addColumn<QVariant>("placement");
        QTest::addColumn<QPoint>("where");
        QTest::addColumn<QColor>("expected");
        swf::PlaceObject multiply = placeWith(1, 1, 3);
        QTest::newRow("multiply") << QVariant::fromValue(multiply) << QPoint(50, 50)
                                  << QColor(128, 32, 0);
        swf::PlaceObject shadow = placeWith(1, 1, 0, {dropShadowRight(5)});
        QTest::newRow("drop shadow")
            << QVariant::fromValue(shadow) << QPoint(62, 50) << QColor(0, 0, 0);
        swf::PlaceObject swapped = placeWith(1, 1, 0, {swapRedAndBlue()});
        QTest::newRow("colour matrix")
            << QVariant::fromValue(swapped) << QPoint(50, 50) << QColor(0, 64, 255);
        swf::PlaceObject cached = placeWith(1, 1, 0);
        cached.bitmapCache = 1;
        cached.colorTransform = swf::ColorTransform{256, 256, 256, 128, 0, 0, 0, 0};
        QTest::newRow("cached, half alpha")
            << QVariant::fromValue(cached) << QPoint(50, 50) << QColor(191, 96, 64);
    }

    void scriptedMoviesDrawPlacedEffectsAsPlainOnes()
    {
        QFETCH(QVariant, placement);
        QFETCH(QPoint, where);
        QFETCH(QColor, expected);
        const auto place = placement.value<swf::PlaceObject>();
        const swf::Tag square{fixtures::rectangle(1, 40, 40, 20, 20, swf::Rgba{255, 64, 0, 255})};

        const std::vector<swf::Tag> atTop{square, swf::Tag{place}};
        const QImage plain = fixtures::renderFirstFrame(stage(atTop));
        const QImage withScript = fixtures::renderFirstFrame(stage(scripted(atTop, idleScript())));
        QCOMPARE_COLOR(plain.pixel(where), expected, 2);
        QCOMPARE(withScript, plain);

        // The same placement inside a sprite the root places plainly.
        swf::DefineSprite sprite;
        sprite.id = 2;
        sprite.frameCount = 1;
        sprite.tags = {swf::Tag{place}, swf::Tag{swf::ShowFrame{}}, swf::Tag{swf::End{}}};
        const std::vector<swf::Tag> nested{square, swf::Tag{sprite},
                                           swf::Tag{fixtures::place(1, 2)}};
        const QImage nestedPlain = fixtures::renderFirstFrame(stage(nested));
        const QImage nestedScripted =
            fixtures::renderFirstFrame(stage(scripted(nested, idleScript())));
        QCOMPARE_COLOR(nestedPlain.pixel(where), expected, 2);
        QCOMPARE(nestedScripted, nestedPlain);
    }

    void scriptsSetBlendModesByNameOrNumber()
    {
        using fixtures::ActionScript;
        const QImage placed = fixtures::renderFirstFrame(
            stage({swf::Tag{fixtures::rectangle(1, 40, 40, 20, 20, swf::Rgba{255, 64, 0, 255})},
                   swf::Tag{placeWith(1, 1, 3)}}));
        const QImage byName = fixtures::renderFirstFrame(stage(scripted(
            namedBox(), settingBox("blendMode", [](ActionScript& s) { s.push("multiply"); }))));
        const QImage byNumber = fixtures::renderFirstFrame(stage(
            scripted(namedBox(), settingBox("blendMode", [](ActionScript& s) { s.push(3.0); }))));
        QCOMPARE_COLOR(byName.pixel(50, 50), QColor(128, 32, 0), 2);
        QCOMPARE(byName, placed);
        QCOMPARE(byNumber, placed);
        // A name Flash does not know leaves the clip as it was.
        const QImage unknown = fixtures::renderFirstFrame(stage(scripted(
            namedBox(), settingBox("blendMode", [](ActionScript& s) { s.push("blurry"); }))));
        QCOMPARE_COLOR(unknown.pixel(50, 50), QColor(255, 64, 0), 0);
    }

    void scriptsGiveClipsFilters()
    {
        using fixtures::ActionScript;
        // new DropShadowFilter(distance 5, angle 0, black, opaque, blur 1 by 1):
        // the hard shadow dropShadowRight(5) places.
        const auto shadowFilter = [](ActionScript& script) {
            for (const double argument : {1.0, 1.0, 1.0, 1.0, 1.0, 0.0, 0.0, 5.0}) {
                script.push(argument);
            }
            script.push(8.0).push("flash").op(A::GetVariable).push("filters").op(A::GetMember);
            script.push("DropShadowFilter").op(A::NewMethod);
        };
        const auto white = swf::Rgba{255, 255, 255, 255};
        const QImage placed = fixtures::renderFirstFrame(
            stage({swf::Tag{fixtures::rectangle(1, 40, 40, 20, 20, swf::Rgba{255, 64, 0, 255})},
                   swf::Tag{placeWith(1, 1, 0, {dropShadowRight(5)})}},
                  white));
        const QImage filtered = fixtures::renderFirstFrame(
            stage(scripted(namedBox(), settingBox("filters",
                                                  [&](ActionScript& script) {
                                                      shadowFilter(script);
                                                      script.push(1.0).op(A::InitArray);
                                                  })),
                  white));
        QCOMPARE_COLOR(filtered.pixel(50, 50), QColor(255, 64, 0), 0);
        QCOMPARE_COLOR(filtered.pixel(62, 50), QColor(0, 0, 0), 0);
        QCOMPARE(filtered, placed);

        // An empty array takes the filters a tag gave away again.
        std::vector<swf::Tag> shadowedBox = namedBox();
        std::get<swf::PlaceObject>(shadowedBox.back().value).version = 3;
        std::get<swf::PlaceObject>(shadowedBox.back().value).filters =
            std::vector<swf::Filter>{dropShadowRight(5)};
        const QImage cleared = fixtures::renderFirstFrame(stage(
            scripted(shadowedBox,
                     settingBox("filters",
                                [](ActionScript& script) { script.push(0.0).op(A::InitArray); })),
            white));
        QCOMPARE_COLOR(cleared.pixel(62, 50), QColor(255, 255, 255), 0);
        QCOMPARE_COLOR(cleared.pixel(50, 50), QColor(255, 64, 0), 0);
    }
};

QTEST_GUILESS_MAIN(TestEffects)
#include "tst_effects.moc"
