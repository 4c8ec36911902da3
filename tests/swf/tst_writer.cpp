#include "swf/Reader.h"
#include "swf/Writer.h"

#include <QtTest>

using namespace quorvane::swf;

namespace {

Header testHeader(std::uint8_t version = 8)
{
    Header header;
    header.version = version;
    header.stage = Rect{0, 11380, 0, 8600};
    header.frameRate = 12 << 8;
    header.frameCount = 3;
    return header;
}

Gradient gradient(SpreadMode spread, InterpolationMode interpolation, Fixed8 focal)
{
    Gradient result;
    result.matrix = Matrix{3276, 3276, 1200, -1200, 5000, -7000};
    result.spread = spread;
    result.interpolation = interpolation;
    result.records = {
        {0, Rgba{255, 0, 0, 128}}, {128, Rgba{0, 255, 0, 255}}, {255, Rgba{0, 0, 255, 0}}};
    result.focalPoint = focal;
    return result;
}

// Every fill style type, with RGBA colours (DefineShape3 and later).
std::vector<FillStyle> everyFillStyle()
{
    std::vector<FillStyle> fills;
    FillStyle solid;
    solid.color = Rgba{1, 2, 3, 4};
    fills.push_back(solid);
    FillStyle linear;
    linear.type = FillStyle::Type::LinearGradient;
    linear.gradient = gradient(SpreadMode::Reflect, InterpolationMode::LinearRgb, 0);
    fills.push_back(linear);
    FillStyle radial;
    radial.type = FillStyle::Type::RadialGradient;
    radial.gradient = gradient(SpreadMode::Repeat, InterpolationMode::NormalRgb, 0);
    fills.push_back(radial);
    FillStyle focal;
    focal.type = FillStyle::Type::FocalRadialGradient;
    focal.gradient = gradient(SpreadMode::Pad, InterpolationMode::NormalRgb, -192);
    fills.push_back(focal);
    for (auto type :
         {FillStyle::Type::RepeatingBitmap, FillStyle::Type::ClippedBitmap,
          FillStyle::Type::NonSmoothedRepeatingBitmap, FillStyle::Type::NonSmoothedClippedBitmap}) {
        FillStyle bitmap;
        bitmap.type = type;
        bitmap.bitmapId = 77;
        bitmap.bitmapMatrix = Matrix{20 << 16, 20 << 16, 0, 0, -100, 100};
        fills.push_back(bitmap);
    }
    return fills;
}

DefineShape shapeWithEverything(std::uint8_t version)
{
    DefineShape shape;
    shape.version = version;
    shape.id = 9;
    shape.bounds = Rect{-200, 4000, -300, 5000};
    ShapeStyles styles;
    if (version >= 3) {
        styles.fillStyles = everyFillStyle();
    } else {
        FillStyle solid;
        solid.color = Rgba{10, 20, 30, 255};
        styles.fillStyles = {solid, solid};
    }
    LineStyle line;
    line.width = 40;
    line.color = Rgba{5, 6, 7, version >= 3 ? std::uint8_t(8) : std::uint8_t(255)};
    styles.lineStyles.push_back(line);
    if (version == 4) {
        shape.edgeBounds = Rect{-180, 3980, -280, 4980};
        shape.usesFillWindingRule = true;
        shape.usesScalingStrokes = true;
        LineStyle styled;
        styled.width = 100;
        styled.startCap = CapStyle::None;
        styled.endCap = CapStyle::Square;
        styled.join = JoinStyle::Miter;
        styled.miterLimitFactor = 3 << 8;
        styled.noHScale = true;
        styled.pixelHinting = true;
        styled.noClose = true;
        styled.fill = everyFillStyle()[3];
        styles.lineStyles.push_back(styled);
        LineStyle bevel;
        bevel.join = JoinStyle::Bevel;
        bevel.noVScale = true;
        bevel.color = Rgba{9, 9, 9, 9};
        styles.lineStyles.push_back(bevel);
    }
    shape.shape.styles = styles;

    StyleChangeRecord first;
    first.moveTo = Point{-100, 250};
    first.fillStyle0 = 1;
    first.fillStyle1 = 2;
    first.lineStyle = 1;
    StyleChangeRecord clear;
    clear.fillStyle0 = 0;
    clear.lineStyle = 0;
    shape.shape.records = {first,
                           StraightEdgeRecord{65535, 0},
                           StraightEdgeRecord{0, -65536},
                           StraightEdgeRecord{-3, 4},
                           CurvedEdgeRecord{10, -20, 30, -40},
                           clear,
                           StraightEdgeRecord{0, 0}};
    if (version >= 2) {
        // A second style group with more fills than 255 needs the extended count.
        StyleChangeRecord newStyles;
        ShapeStyles more;
        FillStyle fill;
        fill.color = Rgba{1, 1, 1, 255};
        more.fillStyles.assign(version >= 2 ? 300 : 1, fill);
        LineStyle thin;
        thin.color = Rgba{2, 2, 2, 255};
        more.lineStyles.assign(260, thin);
        newStyles.newStyles = more;
        newStyles.fillStyle1 = 300;
        newStyles.lineStyle = 260;
        newStyles.moveTo = Point{1, -1};
        shape.shape.records.push_back(newStyles);
        shape.shape.records.push_back(CurvedEdgeRecord{-65536, 65535, 1, 1});
    }
    return shape;
}

PlaceObject placeWithEverything(std::uint8_t version)
{
    PlaceObject place;
    place.version = version;
    place.depth = 65535;
    place.move = true;
    place.characterId = 9;
    place.matrix = Matrix{-65536, 32768, 65536 * 3, -1, 123456, -654321};
    place.colorTransform = ColorTransform{128, 256, 512, 64, -255, 0, 255, -10};
    place.ratio = 40000;
    place.name = "name\xE5\x90\x8D"; // bytes, not text
    place.clipDepth = 300;
    ClipActions actions;
    actions.allEvents = (1u << 17) | 0x8001;
    actions.records.push_back(ClipActionRecord{0x8001, std::nullopt, {0x96, 0x02, 0x00}});
    actions.records.push_back(ClipActionRecord{1u << 17, std::uint8_t{13}, {0x00}});
    place.clipActions = actions;
    if (version == 3) {
        place.className = "Lesson";
        place.filters = std::vector<Filter>{Filter{0, std::vector<std::uint8_t>(23, 1)},
                                            Filter{1, std::vector<std::uint8_t>(9, 2)},
                                            Filter{4,
                                                   [] {
                                                       std::vector<std::uint8_t> data{2};
                                                       data.resize(1 + 5 * 2 + 19, 3);
                                                       return data;
                                                   }()},
                                            Filter{5,
                                                   [] {
                                                       std::vector<std::uint8_t> data{2, 3};
                                                       data.resize(2 + 4 * 6 + 13, 4);
                                                       return data;
                                                   }()},
                                            Filter{6, std::vector<std::uint8_t>(80, 5)}};
        place.blendMode = 3;
        place.bitmapCache = 1;
        place.visible = 0;
        place.backgroundColor = Rgba{1, 2, 3, 4};
    }
    return place;
}

Movie roundTrip(const Movie& movie)
{
    auto written = writeMovie(movie);
    if (!written) {
        qWarning("%s", written.error().message.c_str());
        return {};
    }
    auto read = readMovie(written.value());
    if (!read) {
        qWarning("%s", read.error().message.c_str());
        return {};
    }
    for (const Error& warning : read.value().warnings) {
        qWarning("%s", warning.message.c_str());
    }
    return read.value().movie;
}

} // namespace

class TestWriter : public QObject {
    Q_OBJECT

private slots:
    void shapesRoundTrip_data()
    {
        QTest::addColumn<int>("version");
        QTest::newRow("DefineShape") << 1;
        QTest::newRow("DefineShape2") << 2;
        QTest::newRow("DefineShape3") << 3;
        QTest::newRow("DefineShape4") << 4;
    }
    void shapesRoundTrip()
    {
        QFETCH(int, version);
        Movie movie{testHeader(), {Tag{shapeWithEverything(std::uint8_t(version))}, Tag{End{}}}};
        const Movie back = roundTrip(movie);
        QCOMPARE(back.tags.size(), std::size_t{2});
        QVERIFY(back.tags[0] == movie.tags[0]);
    }

    void placementsRoundTrip_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("swfVersion");
        QTest::newRow("PlaceObject2, 32-bit events") << 2 << 8;
        QTest::newRow("PlaceObject3") << 3 << 8;
    }
    void placementsRoundTrip()
    {
        QFETCH(int, version);
        QFETCH(int, swfVersion);
        Movie movie{testHeader(std::uint8_t(swfVersion)),
                    {Tag{placeWithEverything(std::uint8_t(version))}, Tag{End{}}}};
        QVERIFY(roundTrip(movie) == movie);
    }

    void swf5ClipEventsAreSixteenBits()
    {
        PlaceObject place = placeWithEverything(2);
        place.clipActions->allEvents = 0x8001;
        place.clipActions->records.pop_back();
        // Short enough for a short tag header in both versions.
        place.name.reset();
        place.matrix.reset();
        Movie movie{testHeader(5), {Tag{place}, Tag{End{}}}};
        QVERIFY(roundTrip(movie) == movie);
        // With SWF 6's 32-bit flags the event summary, the record's events
        // and the end marker take two bytes more each.
        Movie wide = movie;
        wide.header.version = 6;
        QCOMPARE(writeMovie(wide).value().size(), writeMovie(movie).value().size() + 6);
    }

    void simpleTagsRoundTrip()
    {
        PlaceObject first;
        first.version = 1;
        first.depth = 3;
        first.characterId = 4;
        first.matrix = Matrix{};
        first.colorTransform = ColorTransform{256, 128, 0, 256, 0, 10, -10, 0};
        PlaceObject modify;
        modify.depth = 3;
        modify.move = true;
        RemoveObject removeOne{1, std::uint16_t{4}, 3};
        RemoveObject removeTwo{2, std::nullopt, 7};
        DefineSprite sprite;
        sprite.id = 12;
        sprite.frameCount = 2;
        sprite.tags = {Tag{modify}, Tag{ShowFrame{}}, Tag{FrameLabel{"two", true}},
                       Tag{ShowFrame{}}, Tag{End{}}};
        Movie movie{testHeader(),
                    {Tag{SetBackgroundColor{Rgba{9, 8, 7, 255}}}, Tag{first}, Tag{modify},
                     Tag{removeOne}, Tag{removeTwo}, Tag{sprite}, Tag{FrameLabel{"one", false}},
                     Tag{Unknown{12, {0x07, 0x00}}},
                     Tag{Unknown{500, std::vector<std::uint8_t>(100, 1)}}, Tag{ShowFrame{}},
                     Tag{End{}}}};
        QVERIFY(roundTrip(movie) == movie);
    }

    void valuesTheFormatCannotHoldAreRefused_data()
    {
        QTest::addColumn<int>("fault");
        QTest::newRow("edge too long") << 0;
        QTest::newRow("translucent RGB") << 1;
        QTest::newRow("new styles in DefineShape") << 2;
        QTest::newRow("NUL in a name") << 3;
        QTest::newRow("PlaceObject3 field in PlaceObject2") << 4;
        QTest::newRow("too many gradient records") << 5;
        QTest::newRow("sprite in a sprite") << 6;
        QTest::newRow("key code without key press") << 7;
    }
    void valuesTheFormatCannotHoldAreRefused()
    {
        QFETCH(int, fault);
        Tag tag{End{}};
        DefineShape shape = shapeWithEverything(3);
        PlaceObject place = placeWithEverything(2);
        switch (fault) {
        case 0:
            shape.shape.records.push_back(StraightEdgeRecord{65536, 0});
            tag = Tag{shape};
            break;
        case 1:
            shape = shapeWithEverything(2);
            shape.shape.styles.fillStyles[0].color.a = 100;
            tag = Tag{shape};
            break;
        case 2: {
            shape = shapeWithEverything(1);
            StyleChangeRecord change;
            change.newStyles = ShapeStyles{};
            shape.shape.records.push_back(change);
            tag = Tag{shape};
            break;
        }
        case 3:
            place.name = std::string("a\0b", 3);
            tag = Tag{place};
            break;
        case 4:
            place.blendMode = 2;
            tag = Tag{place};
            break;
        case 5:
            shape.shape.styles.fillStyles[1].gradient.records.resize(16);
            tag = Tag{shape};
            break;
        case 6: {
            DefineSprite inner;
            DefineSprite outer;
            outer.tags.push_back(Tag{inner});
            tag = Tag{outer};
            break;
        }
        case 7:
            place.clipActions->records[0].keyCode = 5;
            tag = Tag{place};
            break;
        }
        auto written = writeMovie(Movie{testHeader(), {tag, Tag{End{}}}});
        QVERIFY(!written.ok());
        QVERIFY(written.error().message.starts_with("Cannot write"));
    }
};

QTEST_GUILESS_MAIN(TestWriter)
#include "tst_writer.moc"
