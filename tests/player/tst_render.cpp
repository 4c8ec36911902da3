#include "RecordingRenderer.h"
#include "StageRendering.h"
#include "SwfFixtures.h"
#include "player/Player.h"
#include "player/render/PainterRenderer.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

using namespace quorvane;
using namespace quorvane::player;

namespace {

constexpr int kTwips = swf::kTwipsPerPixel;

swf::Movie oneFrame(std::vector<swf::Tag> tags, int width = 100, int height = 100)
{
    tags.insert(tags.begin(), swf::Tag{swf::SetBackgroundColor{swf::Rgba{255, 255, 255, 255}}});
    tags.push_back({swf::ShowFrame{}});
    return fixtures::movie(fixtures::header(width, height, 12, 1), std::move(tags));
}

bool near(QRgb actual, QColor expected, int tolerance = 2)
{
    const QColor color = QColor::fromRgba(actual);
    return std::abs(color.red() - expected.red()) <= tolerance &&
           std::abs(color.green() - expected.green()) <= tolerance &&
           std::abs(color.blue() - expected.blue()) <= tolerance &&
           std::abs(color.alpha() - expected.alpha()) <= tolerance;
}

#define QCOMPARE_COLOR(actual, expected, tolerance)                                                \
    QVERIFY2(near(actual, expected, tolerance),                                                    \
             qPrintable(QString("pixel %1 expected %2")                                            \
                            .arg(QColor::fromRgba(actual).name(QColor::HexArgb),                   \
                                 QColor(expected).name(QColor::HexArgb))))

// A 100 x 100 pixel square at the origin filled with the style.
swf::DefineShape square(std::uint16_t id, const swf::FillStyle& fill, int size = 100)
{
    swf::DefineShape shape = fixtures::rectangle(id, 0, 0, size, size, fixtures::kRed);
    shape.shape.styles.fillStyles = {fill};
    return shape;
}

swf::FillStyle
gradientFill(swf::FillStyle::Type type, swf::SpreadMode spread, const swf::Matrix& matrix,
             swf::InterpolationMode interpolation = swf::InterpolationMode::NormalRgb)
{
    swf::FillStyle fill;
    fill.type = type;
    fill.gradient.matrix = matrix;
    fill.gradient.spread = spread;
    fill.gradient.interpolation = interpolation;
    fill.gradient.records = {{0, swf::Rgba{0, 0, 0, 255}}, {255, swf::Rgba{255, 255, 255, 255}}};
    return fill;
}

// Maps the gradient square (-16384..16384) onto `pixels` pixels starting at x.
swf::Matrix gradientAcross(double pixels, double x)
{
    swf::Matrix matrix;
    const double scale = pixels * kTwips / 32768.0;
    matrix.scaleX = matrix.scaleY = swf::Fixed16(scale * 65536);
    matrix.translateX = swf::Twips((x + pixels / 2) * kTwips);
    matrix.translateY = swf::Twips(50 * kTwips);
    return matrix;
}

int gray(QRgb pixel)
{
    return qGreen(pixel);
}

} // namespace

class TestRender : public QObject {
    Q_OBJECT

private slots:
    void solidFillsOnTheBackground()
    {
        const QImage image = fixtures::renderFirstFrame(oneFrame(
            {{fixtures::rectangle(1, 10, 10, 20, 20, fixtures::kRed)}, {fixtures::place(1, 1)}}));
        QCOMPARE(image.size(), QSize(100, 100));
        QCOMPARE_COLOR(image.pixel(20, 20), QColor(Qt::red), 0);
        QCOMPARE_COLOR(image.pixel(10, 10), QColor(Qt::red), 0);
        QCOMPARE_COLOR(image.pixel(29, 29), QColor(Qt::red), 0);
        QCOMPARE_COLOR(image.pixel(30, 30), QColor(Qt::white), 0);
        QCOMPARE_COLOR(image.pixel(9, 20), QColor(Qt::white), 0);
    }

    void stageToDeviceScales()
    {
        const QImage image = fixtures::renderFirstFrame(
            oneFrame({{fixtures::rectangle(1, 10, 10, 20, 20, fixtures::kRed)},
                      {fixtures::place(1, 1, 5, 0)}}),
            2.0);
        QCOMPARE(image.size(), QSize(200, 200));
        QCOMPARE_COLOR(image.pixel(31, 21), QColor(Qt::red), 0);
        QCOMPARE_COLOR(image.pixel(29, 21), QColor(Qt::white), 0);
        QCOMPARE_COLOR(image.pixel(69, 59), QColor(Qt::red), 0);
        QCOMPARE_COLOR(image.pixel(71, 61), QColor(Qt::white), 0);
    }

    void colourTransformsApplyAndCompose()
    {
        swf::PlaceObject tinted = fixtures::place(1, 1);
        // Red halved, green plus 100, alpha kept.
        tinted.colorTransform = swf::ColorTransform{128, 256, 256, 256, 0, 100, 0, 0};
        swf::DefineSprite sprite;
        sprite.id = 2;
        sprite.frameCount = 1;
        sprite.tags = {{tinted}, {swf::ShowFrame{}}};
        swf::PlaceObject outer = fixtures::place(2, 2, 50, 0);
        // Then blue plus 60 and alpha halved around the sprite.
        outer.colorTransform = swf::ColorTransform{256, 256, 256, 128, 0, 0, 60, 0};
        const QImage image = fixtures::renderFirstFrame(oneFrame(
            {{fixtures::rectangle(1, 0, 0, 20, 20, fixtures::kRed)}, {sprite}, {tinted}, {outer}}));
        QCOMPARE_COLOR(image.pixel(10, 10), QColor(127, 100, 0), 1);
        // (127, 100, 60) at half alpha over white.
        QCOMPARE_COLOR(image.pixel(60, 10), QColor(191, 177, 157), 2);
    }

    void linearGradientSpreads_data()
    {
        QTest::addColumn<int>("spread");
        QTest::addColumn<int>("at10");
        QTest::addColumn<int>("at75");
        QTest::addColumn<int>("at95");
        // The gradient runs from black at x = 20 to white at x = 60.
        QTest::newRow("pad") << int(swf::SpreadMode::Pad) << 0 << 255 << 255;
        QTest::newRow("reflect") << int(swf::SpreadMode::Reflect) << 64 << 159 << 32;
        QTest::newRow("repeat") << int(swf::SpreadMode::Repeat) << 191 << 96 << 223;
    }
    void linearGradientSpreads()
    {
        QFETCH(int, spread);
        QFETCH(int, at10);
        QFETCH(int, at75);
        QFETCH(int, at95);
        const QImage image = fixtures::renderFirstFrame(
            oneFrame({{square(1, gradientFill(swf::FillStyle::Type::LinearGradient,
                                              swf::SpreadMode(spread), gradientAcross(40, 20)))},
                      {fixtures::place(1, 1)}}));
        const auto close = [&](int x, int expected) {
            return std::abs(gray(image.pixel(x, 50)) - expected) <= 10;
        };
        QVERIFY2(close(10, at10), qPrintable(QString::number(gray(image.pixel(10, 50)))));
        QVERIFY(close(40, 128));
        QVERIFY2(close(75, at75), qPrintable(QString::number(gray(image.pixel(75, 50)))));
        QVERIFY2(close(95, at95), qPrintable(QString::number(gray(image.pixel(95, 50)))));
        // Linear: the same along a column.
        QCOMPARE(image.pixel(40, 10), image.pixel(40, 90));
    }

    void radialAndFocalGradients()
    {
        // Radius 40 pixels around the square's centre.
        swf::Matrix matrix = gradientAcross(80, 10);
        const QImage radial = fixtures::renderFirstFrame(
            oneFrame({{square(1, gradientFill(swf::FillStyle::Type::RadialGradient,
                                              swf::SpreadMode::Pad, matrix))},
                      {fixtures::place(1, 1)}}));
        QVERIFY(gray(radial.pixel(50, 50)) <= 8);
        QVERIFY(std::abs(gray(radial.pixel(70, 50)) - 128) <= 10);
        QCOMPARE(gray(radial.pixel(2, 2)), 255);
        // Symmetric about the centre (pixel centres 29.5 and 70.5).
        QVERIFY(std::abs(gray(radial.pixel(29, 50)) - gray(radial.pixel(70, 50))) <= 3);

        swf::FillStyle focal =
            gradientFill(swf::FillStyle::Type::FocalRadialGradient, swf::SpreadMode::Pad, matrix);
        focal.gradient.focalPoint = 192; // 0.75 of the radius to the right
        const QImage focused =
            fixtures::renderFirstFrame(oneFrame({{square(1, focal)}, {fixtures::place(1, 1)}}));
        // Darkest at the focus, 30 pixels right of the centre.
        QVERIFY(gray(focused.pixel(80, 50)) <= 16);
        QVERIFY(gray(focused.pixel(50, 50)) > 64);
        QVERIFY(gray(focused.pixel(30, 50)) > gray(focused.pixel(70, 50)));
    }

    void linearRgbGradientsAreLighterInTheMiddle()
    {
        const auto middle = [](swf::InterpolationMode mode) {
            const QImage image = fixtures::renderFirstFrame(oneFrame(
                {{square(1, gradientFill(swf::FillStyle::Type::LinearGradient, swf::SpreadMode::Pad,
                                         gradientAcross(100, 0), mode))},
                 {fixtures::place(1, 1)}}));
            return gray(image.pixel(50, 50));
        };
        QVERIFY(std::abs(middle(swf::InterpolationMode::NormalRgb) - 128) <= 6);
        // Half way in linear light is about 188 in sRGB.
        QVERIFY(std::abs(middle(swf::InterpolationMode::LinearRgb) - 188) <= 8);
    }

    void strokesHaveWidthCapsAndHairlines()
    {
        swf::DefineShape shape;
        shape.version = 4;
        shape.id = 1;
        swf::LineStyle wide;
        wide.width = 10 * kTwips;
        wide.color = swf::Rgba{0, 0, 255, 255};
        wide.startCap = wide.endCap = swf::CapStyle::None;
        swf::LineStyle square = wide;
        square.startCap = square.endCap = swf::CapStyle::Square;
        swf::LineStyle hairline;
        hairline.width = 0;
        hairline.color = swf::Rgba{0, 0, 0, 255};
        shape.shape.styles.lineStyles = {wide, square, hairline};
        const auto line = [](int x, int y, std::uint32_t style, int length) {
            swf::StyleChangeRecord change;
            change.moveTo = swf::Point{x * kTwips, y * kTwips};
            change.lineStyle = style;
            return std::vector<swf::ShapeRecord>{change,
                                                 swf::StraightEdgeRecord{length * kTwips, 0}};
        };
        for (const auto& records :
             {line(20, 20, 1, 60), line(20, 50, 2, 60), line(20, 80, 3, 60)}) {
            shape.shape.records.insert(shape.shape.records.end(), records.begin(), records.end());
        }
        const QImage image =
            fixtures::renderFirstFrame(oneFrame({{shape}, {fixtures::place(1, 1)}}));
        // Ten pixels wide: 15..25 around y = 20.
        QCOMPARE_COLOR(image.pixel(50, 16), QColor(Qt::blue), 0);
        QCOMPARE_COLOR(image.pixel(50, 24), QColor(Qt::blue), 0);
        QCOMPARE_COLOR(image.pixel(50, 26), QColor(Qt::white), 0);
        // No caps: the line ends at x = 20 and 80; square caps reach 5 further.
        QCOMPARE_COLOR(image.pixel(18, 20), QColor(Qt::white), 0);
        QCOMPARE_COLOR(image.pixel(18, 50), QColor(Qt::blue), 0);
        QCOMPARE_COLOR(image.pixel(83, 50), QColor(Qt::blue), 0);
        QCOMPARE_COLOR(image.pixel(86, 50), QColor(Qt::white), 0);
        // A hairline covers exactly one row of pixels.
        QCOMPARE_COLOR(image.pixel(50, 80), QColor(Qt::black), 0);
        QCOMPARE_COLOR(image.pixel(50, 79), QColor(Qt::white), 0);
        QCOMPARE_COLOR(image.pixel(50, 81), QColor(Qt::white), 0);
    }

    void holesShowWhatIsBehind()
    {
        swf::DefineShape shape = fixtures::rectangle(1, 0, 0, 60, 60, fixtures::kRed);
        swf::StyleChangeRecord hole;
        hole.moveTo = swf::Point{20 * kTwips, 20 * kTwips};
        hole.fillStyle0 = 1;
        hole.fillStyle1 = 0;
        shape.shape.records.push_back(hole);
        for (auto [dx, dy] : {std::pair{20, 0}, {0, 20}, {-20, 0}, {0, -20}}) {
            shape.shape.records.push_back(swf::StraightEdgeRecord{dx * kTwips, dy * kTwips});
        }
        const QImage image =
            fixtures::renderFirstFrame(oneFrame({{shape}, {fixtures::place(1, 1)}}));
        QCOMPARE_COLOR(image.pixel(10, 10), QColor(Qt::red), 0);
        QCOMPARE_COLOR(image.pixel(30, 30), QColor(Qt::white), 0);
        QCOMPARE_COLOR(image.pixel(45, 30), QColor(Qt::red), 0);
    }

    void masksClipTheDepthsTheyCover()
    {
        swf::PlaceObject mask = fixtures::place(1, 1, 0, 0);
        mask.clipDepth = 2;
        const QImage image = fixtures::renderFirstFrame(
            oneFrame({{fixtures::rectangle(1, 0, 0, 50, 100, fixtures::kGreen)},
                      {fixtures::rectangle(2, 0, 0, 100, 30, fixtures::kRed)},
                      {mask},
                      {fixtures::place(2, 2, 0, 0)},
                      {fixtures::place(3, 2, 0, 60)}}));
        // The mask itself is not drawn.
        QCOMPARE_COLOR(image.pixel(25, 45), QColor(Qt::white), 0);
        // Depth 2 shows only inside the mask.
        QCOMPARE_COLOR(image.pixel(25, 15), QColor(Qt::red), 0);
        QCOMPARE_COLOR(image.pixel(75, 15), QColor(Qt::white), 0);
        // Depth 3 is above the masked range.
        QCOMPARE_COLOR(image.pixel(75, 75), QColor(Qt::red), 0);
    }

    void theRendererIsHandedEachObjectInPaintingOrder()
    {
        swf::DefineSprite sprite;
        sprite.id = 3;
        sprite.frameCount = 1;
        sprite.tags = {{fixtures::place(1, 1, 1, 1)}, {swf::ShowFrame{}}, {swf::End{}}};
        swf::PlaceObject mask = fixtures::place(2, 2, 0, 0);
        mask.clipDepth = 3;
        Player player;
        QVERIFY(!player.loadBytes(
            fixtures::bytes(oneFrame({{fixtures::rectangle(1, 0, 0, 10, 10, fixtures::kGreen)},
                                      {fixtures::rectangle(2, 0, 0, 40, 40, fixtures::kRed)},
                                      {sprite},
                                      {fixtures::place(1, 1, 5, 5)},
                                      {mask},
                                      {fixtures::place(3, 1, 10, 20)},
                                      {fixtures::place(4, 3, 30, 30)}}))));
        fixtures::RecordingRenderer renderer;
        player.render(renderer, QTransform::fromScale(2, 2));
        // Depth 3 is drawn inside the mask, the sprite's square after it at
        // its place in the sprite plus the sprite's place on the stage.
        const QStringList expected{"shape 10,10", "beginMask", "shape 0,0",  "endMask",
                                   "shape 20,40", "popMask",   "shape 62,62"};
        QCOMPARE(renderer.calls, expected);
    }

    void thePictureFollowsTheFrame()
    {
        Player player;
        QVERIFY(!player.loadBytes(fixtures::bytes(fixtures::animatedMovie(30))));
        const auto redColumn = [&] {
            QImage image(200, 150, QImage::Format_ARGB32);
            QPainter painter(&image);
            player.render(painter, QTransform());
            painter.end();
            for (int x = 0; x < 200; ++x) {
                if (image.pixel(x, 65) == qRgb(255, 0, 0)) {
                    return x;
                }
            }
            return -1;
        };
        QCOMPARE(redColumn(), 0);
        player.gotoFrame(17);
        QCOMPARE(redColumn(), 17);
        player.gotoFrame(3);
        QCOMPARE(redColumn(), 3);
    }

    void scriptDrawingsAreConvertedOnceAndNeverMistaken()
    {
        PaintCache cache;
        ShapeGeometry drawing =
            ShapeGeometry::build(fixtures::rectangle(1, 0, 0, 10, 10, fixtures::kRed));
        drawing.scriptDrawing = 7;
        const std::vector<PaintedItem>* converted = &cache.items(drawing);
        QCOMPARE(converted->front().path.boundingRect(), QRectF(0, 0, 10 * kTwips, 10 * kTwips));
        // Drawn on every frame, it is the same conversion every frame.
        for (int frame = 0; frame < 3; ++frame) {
            cache.dropUnusedDrawings();
            QCOMPARE(&cache.items(drawing), converted);
        }
        // A new drawing where the last one lived is not taken for it.
        drawing = ShapeGeometry::build(fixtures::rectangle(1, 0, 0, 30, 20, fixtures::kRed));
        drawing.scriptDrawing = 8;
        QCOMPARE(cache.items(drawing).front().path.boundingRect(),
                 QRectF(0, 0, 30 * kTwips, 20 * kTwips));
    }
};

QTEST_MAIN(TestRender)
#include "tst_render.moc"
