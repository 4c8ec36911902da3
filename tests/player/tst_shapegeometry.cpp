#include "player/graphics/ShapeGeometry.h"

#include <QtTest>

using namespace quorvane;
using namespace quorvane::player;

namespace {

swf::FillStyle solid(swf::Rgba color)
{
    swf::FillStyle style;
    style.color = color;
    return style;
}

swf::StyleChangeRecord moveTo(int x, int y, std::optional<std::uint32_t> fill0,
                              std::optional<std::uint32_t> fill1,
                              std::optional<std::uint32_t> line = std::nullopt)
{
    swf::StyleChangeRecord change;
    change.moveTo = swf::Point{x, y};
    change.fillStyle0 = fill0;
    change.fillStyle1 = fill1;
    change.lineStyle = line;
    return change;
}

swf::StraightEdgeRecord edge(int dx, int dy)
{
    return swf::StraightEdgeRecord{dx, dy};
}

// Twice the signed area of a closed contour of straight segments.
long long doubledArea(const Contour& contour)
{
    long long sum = 0;
    swf::Point previous = contour.start;
    for (const Segment& segment : contour.segments) {
        sum += (long long)previous.x * segment.end.y - (long long)segment.end.x * previous.y;
        previous = segment.end;
    }
    return sum;
}

const FillArea& fillAt(const ShapeGeometry& geometry, std::size_t index)
{
    return std::get<FillArea>(geometry.items.at(index));
}

} // namespace

class TestShapeGeometry : public QObject {
    Q_OBJECT

private slots:
    void squareWithFillOnEitherSideIsOneClosedContour_data()
    {
        QTest::addColumn<bool>("useFill0");
        QTest::newRow("fill1") << false;
        QTest::newRow("fill0") << true;
    }
    void squareWithFillOnEitherSideIsOneClosedContour()
    {
        QFETCH(bool, useFill0);
        swf::DefineShape shape;
        shape.shape.styles.fillStyles = {solid(fixturesRed())};
        shape.shape.records = {useFill0 ? moveTo(0, 0, 1, std::nullopt)
                                        : moveTo(0, 0, std::nullopt, 1),
                               edge(100, 0), edge(0, 100), edge(-100, 0), edge(0, -100)};
        const ShapeGeometry geometry = ShapeGeometry::build(shape);
        QCOMPARE(geometry.items.size(), std::size_t{1});
        const FillArea& area = fillAt(geometry, 0);
        QCOMPARE(area.contours.size(), std::size_t{1});
        QVERIFY(area.contours[0].isClosed());
        QCOMPARE(std::llabs(doubledArea(area.contours[0])), 2 * 100LL * 100);
    }

    void neighboursSharingAnEdgeEachGetAClosedArea()
    {
        // Two squares side by side, drawn as Flash exports them: the shared
        // edge once, with the left square's fill on its right-hand side
        // (fill1) and the right square's on its left (fill0); the left
        // square's other sides clockwise with fill1, the right square's
        // anticlockwise with fill0.
        swf::DefineShape shape;
        shape.shape.styles.fillStyles = {solid(fixturesRed()), solid(fixturesBlue())};
        swf::StyleChangeRecord leftOnly;
        leftOnly.fillStyle0 = 0;
        leftOnly.fillStyle1 = 1;
        shape.shape.records = {moveTo(100, 0, 2, 1),
                               edge(0, 100), // shared, going down
                               leftOnly,
                               edge(-100, 0),
                               edge(0, -100),
                               edge(100, 0),
                               moveTo(100, 100, 2, 0),
                               edge(100, 0),
                               edge(0, -100),
                               edge(-100, 0)};
        const ShapeGeometry geometry = ShapeGeometry::build(shape);
        QCOMPARE(geometry.items.size(), std::size_t{2});
        for (std::size_t i = 0; i < 2; ++i) {
            const FillArea& area = fillAt(geometry, i);
            QCOMPARE(area.contours.size(), std::size_t{1});
            QVERIFY(area.contours[0].isClosed());
            QCOMPARE(area.contours[0].segments.size(), std::size_t{4});
            QCOMPARE(std::llabs(doubledArea(area.contours[0])), 2 * 100LL * 100);
        }
        QCOMPARE(fillAt(geometry, 0).style.color, fixturesRed());
        QCOMPARE(fillAt(geometry, 1).style.color, fixturesBlue());
        // Both areas run the same way round, so that their inside is on the
        // same side of every segment.
        QVERIFY((doubledArea(fillAt(geometry, 0).contours[0]) > 0) ==
                (doubledArea(fillAt(geometry, 1).contours[0]) > 0));
    }

    void edgesOutOfOrderStillJoin()
    {
        // The square's four sides in scrambled order, each a separate move.
        swf::DefineShape shape;
        shape.shape.styles.fillStyles = {solid(fixturesRed())};
        shape.shape.records = {moveTo(100, 100, std::nullopt, 1), edge(-100, 0),
                               moveTo(0, 0, std::nullopt, 1),     edge(100, 0),
                               moveTo(0, 100, std::nullopt, 1),   edge(0, -100),
                               moveTo(100, 0, std::nullopt, 1),   edge(0, 100)};
        const ShapeGeometry geometry = ShapeGeometry::build(shape);
        const FillArea& area = fillAt(geometry, 0);
        QCOMPARE(area.contours.size(), std::size_t{1});
        QVERIFY(area.contours[0].isClosed());
        QCOMPARE(area.contours[0].segments.size(), std::size_t{4});
    }

    void holeIsASecondContour()
    {
        swf::DefineShape shape;
        shape.shape.styles.fillStyles = {solid(fixturesRed())};
        shape.shape.records = {
            moveTo(0, 0, std::nullopt, 1), edge(300, 0), edge(0, 300), edge(-300, 0), edge(0, -300),
            // The hole, with the fill outside it: fill0.
            moveTo(100, 100, 1, 0), edge(100, 0), edge(0, 100), edge(-100, 0), edge(0, -100)};
        const ShapeGeometry geometry = ShapeGeometry::build(shape);
        const FillArea& area = fillAt(geometry, 0);
        QCOMPARE(area.contours.size(), std::size_t{2});
        // Outline and hole run opposite ways.
        QVERIFY((doubledArea(area.contours[0]) > 0) != (doubledArea(area.contours[1]) > 0));
    }

    void curvesKeepTheirControlPoints()
    {
        swf::DefineShape shape;
        shape.shape.styles.fillStyles = {solid(fixturesRed())};
        shape.shape.records = {moveTo(0, 0, 1, std::nullopt),
                               swf::CurvedEdgeRecord{50, -50, 50, 50}, edge(-100, 0)};
        const ShapeGeometry geometry = ShapeGeometry::build(shape);
        const FillArea& area = fillAt(geometry, 0);
        QCOMPARE(area.contours.size(), std::size_t{1});
        const Contour& contour = area.contours[0];
        QVERIFY(contour.isClosed());
        // Reversed for fill0: the straight edge first, then the curve back.
        QCOMPARE(contour.segments.size(), std::size_t{2});
        QCOMPARE(contour.segments[1].control, std::optional(swf::Point{50, -50}));
        QCOMPARE(contour.segments[1].end, (swf::Point{0, 0}));
    }

    void linesFollowTheirRuns()
    {
        swf::DefineShape shape;
        swf::LineStyle thin;
        thin.width = 20;
        swf::LineStyle thick;
        thick.width = 100;
        shape.shape.styles.lineStyles = {thin, thick};
        swf::StyleChangeRecord second;
        second.lineStyle = 2;
        shape.shape.records = {moveTo(0, 0, std::nullopt, std::nullopt, 1),
                               edge(10, 0),
                               edge(0, 10),
                               second,
                               edge(-10, 0),
                               moveTo(0, 0, std::nullopt, std::nullopt, 1),
                               edge(0, -5)};
        const ShapeGeometry geometry = ShapeGeometry::build(shape);
        QCOMPARE(geometry.items.size(), std::size_t{2});
        const Stroke& first = std::get<Stroke>(geometry.items[0]);
        QCOMPARE(first.style.width, std::uint16_t{20});
        // One connected run, then a separate one after the move.
        QCOMPARE(first.contours.size(), std::size_t{2});
        QCOMPARE(first.contours[0].segments.size(), std::size_t{2});
        QCOMPARE(std::get<Stroke>(geometry.items[1]).contours.size(), std::size_t{1});
    }

    void styleGroupsPaintInOrderWithTheirOwnStyles()
    {
        swf::DefineShape shape;
        shape.version = 2;
        shape.shape.styles.fillStyles = {solid(fixturesRed())};
        swf::LineStyle line;
        line.width = 20;
        shape.shape.styles.lineStyles = {line};
        swf::StyleChangeRecord group = moveTo(0, 0, std::nullopt, 1);
        group.newStyles = swf::ShapeStyles{{solid(fixturesBlue())}, {}};
        shape.shape.records = {moveTo(0, 0, std::nullopt, 1, 1),
                               edge(10, 0),
                               edge(0, 10),
                               edge(-10, 0),
                               edge(0, -10),
                               group,
                               edge(5, 0),
                               edge(0, 5),
                               edge(-5, -5)};
        const ShapeGeometry geometry = ShapeGeometry::build(shape);
        // First group: its fill, then its line; then the second group's fill.
        QCOMPARE(geometry.items.size(), std::size_t{3});
        QCOMPARE(fillAt(geometry, 0).style.color, fixturesRed());
        QVERIFY(std::holds_alternative<Stroke>(geometry.items[1]));
        QCOMPARE(fillAt(geometry, 2).style.color, fixturesBlue());
        QCOMPARE(fillAt(geometry, 2).contours[0].segments.size(), std::size_t{3});
    }

    void indicesBeyondTheStylesAreIgnored()
    {
        swf::DefineShape shape;
        shape.shape.styles.fillStyles = {solid(fixturesRed())};
        shape.shape.records = {moveTo(0, 0, 7, 1, 3), edge(10, 0), edge(0, 10), edge(-10, -10)};
        const ShapeGeometry geometry = ShapeGeometry::build(shape);
        QCOMPARE(geometry.items.size(), std::size_t{1});
        QCOMPARE(fillAt(geometry, 0).style.color, fixturesRed());
    }

    void hugeDeltasSaturate()
    {
        swf::DefineShape shape;
        shape.shape.styles.fillStyles = {solid(fixturesRed())};
        shape.shape.records = {moveTo(0x7FFFFF00, 0, std::nullopt, 1)};
        for (int i = 0; i < 4; ++i) {
            shape.shape.records.emplace_back(std::in_place_type<swf::StraightEdgeRecord>,
                                             edge(65535, 0));
        }
        const ShapeGeometry geometry = ShapeGeometry::build(shape);
        const FillArea& area = fillAt(geometry, 0);
        QCOMPARE(area.contours[0].finish().x, std::numeric_limits<std::int32_t>::max());
    }

private:
    static swf::Rgba fixturesRed() { return swf::Rgba{255, 0, 0, 255}; }
    static swf::Rgba fixturesBlue() { return swf::Rgba{0, 0, 255, 255}; }
};

QTEST_GUILESS_MAIN(TestShapeGeometry)
#include "tst_shapegeometry.moc"
