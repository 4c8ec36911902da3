// The character tags beyond shapes: bitmaps, morph shapes, fonts and texts,
// written and read back, and PlaceObject3's filters decoded.

#include "swf/Filters.h"
#include "swf/Reader.h"
#include "swf/TagCode.h"
#include "swf/Writer.h"

#include <QtTest>
#include <bit>

using namespace quorvane::swf;

namespace {

Movie movieOf(std::vector<Tag> tags, std::uint8_t version = 8)
{
    Movie movie;
    movie.header.version = version;
    movie.header.stage = Rect{0, 4000, 0, 3000};
    tags.push_back(Tag{End{}});
    movie.tags = std::move(tags);
    return movie;
}

std::optional<Movie> roundTrip(const Movie& movie)
{
    auto written = writeMovie(movie);
    if (!written) {
        qWarning("%s", written.error().message.c_str());
        return std::nullopt;
    }
    auto read = readMovie(written.value());
    if (!read) {
        qWarning("%s", read.error().message.c_str());
        return std::nullopt;
    }
    for (const Error& warning : read.value().warnings) {
        qWarning("%s", warning.message.c_str());
        return std::nullopt;
    }
    return read.value().movie;
}

// A glyph: a square with a square hole, one curved side.
Shape glyphShape(int size)
{
    StyleChangeRecord outer;
    outer.moveTo = Point{0, -size};
    outer.fillStyle1 = 1;
    StyleChangeRecord inner;
    inner.moveTo = Point{size / 4, -size * 3 / 4};
    Shape glyph;
    glyph.records = {outer,
                     StraightEdgeRecord{size, 0},
                     CurvedEdgeRecord{size / 2, size / 2, -size / 2, size / 2},
                     StraightEdgeRecord{-size, 0},
                     StraightEdgeRecord{0, -size},
                     inner,
                     StraightEdgeRecord{0, size / 2},
                     StraightEdgeRecord{size / 2, 0},
                     StraightEdgeRecord{0, -size / 2},
                     StraightEdgeRecord{-size / 2, 0}};
    return glyph;
}

DefineFont font(std::uint8_t version, std::size_t glyphs, bool layout)
{
    DefineFont font;
    font.version = version;
    font.id = 3;
    font.name = version == 1 ? std::string() : "\xE5\xAE\x8B\xE4\xBD\x93"; // 宋体 in UTF-8
    font.bold = true;
    font.language = version == 1 ? 0 : 5;
    for (std::size_t i = 0; i < glyphs; ++i) {
        font.glyphs.push_back(glyphShape(int(400 + i)));
        if (version > 1) {
            font.codes.push_back(std::uint16_t(0x4E00 + i));
        }
    }
    if (layout) {
        FontLayout metrics;
        metrics.ascent = 900;
        metrics.descent = 200;
        metrics.leading = -20;
        for (std::size_t i = 0; i < glyphs; ++i) {
            metrics.advances.push_back(std::int16_t(1024 - i));
            metrics.bounds.push_back(Rect{0, 1000, -900, std::int32_t(i)});
        }
        metrics.kerning = {KerningRecord{0x4E00, 0x4E01, -30}, KerningRecord{1, 2, 7}};
        font.layout = metrics;
    }
    return font;
}

std::vector<std::uint8_t> floatBytes(std::initializer_list<float> values)
{
    std::vector<std::uint8_t> bytes;
    for (const float value : values) {
        const auto bits = std::bit_cast<std::uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.push_back(std::uint8_t(bits >> shift));
        }
    }
    return bytes;
}

} // namespace

class TestCharacterTags : public QObject {
    Q_OBJECT

private slots:
    void bitmapsRoundTrip()
    {
        DefineBitsJpeg bits1{1, 10, {0xFF, 0xD8, 1, 2, 3, 0xFF, 0xD9}, {}, 0};
        DefineBitsJpeg jpeg2{2, 11, {0xFF, 0xD8, 9, 9}, {}, 0};
        DefineBitsJpeg jpeg3{3, 12, {0xFF, 0xD8, 7}, {0x78, 0x9C, 1, 2, 3}, 0};
        DefineBitsJpeg jpeg4{4, 13, {0x89, 'P', 'N', 'G'}, {0x78, 0x01}, 0x0180};
        DefineBitsLossless mapped{1, 14, LosslessFormat::ColorMapped8, 3, 2, 15, {1, 2, 3}};
        DefineBitsLossless rgb15{1, 15, LosslessFormat::Rgb15, 300, 1, 0, {4}};
        DefineBitsLossless argb{2, 16, LosslessFormat::Rgb32, 1, 65535, 0, {5, 6}};
        const Movie movie =
            movieOf({Tag{JpegTables{{0xFF, 0xD8, 0xFF, 0xDB, 0xFF, 0xD9}}}, Tag{bits1}, Tag{jpeg2},
                     Tag{jpeg3}, Tag{jpeg4}, Tag{mapped}, Tag{rgb15}, Tag{argb}});
        const auto read = roundTrip(movie);
        QVERIFY(read);
        QCOMPARE(*read, movie);
        QCOMPARE(tagCode(read->tags[1]), std::uint16_t(TagCode::DefineBits));
        QCOMPARE(tagCode(read->tags[4]), std::uint16_t(TagCode::DefineBitsJpeg4));
        QCOMPARE(tagCode(read->tags[7]), std::uint16_t(TagCode::DefineBitsLossless2));
    }

    void bitmapsTheFormatCannotHoldAreRefused()
    {
        QVERIFY(!writeMovie(movieOf({Tag{DefineBitsJpeg{2, 1, {1}, {2}, 0}}})));
        QVERIFY(!writeMovie(movieOf({Tag{DefineBitsJpeg{3, 1, {1}, {}, 5}}})));
        QVERIFY(!writeMovie(
            movieOf({Tag{DefineBitsLossless{1, 1, LosslessFormat::Rgb32, 1, 1, 3, {}}}})));
    }

    void morphShapesRoundTrip_data()
    {
        QTest::addColumn<int>("version");
        QTest::newRow("DefineMorphShape") << 1;
        QTest::newRow("DefineMorphShape2") << 2;
    }

    void morphShapesRoundTrip()
    {
        QFETCH(int, version);
        DefineMorphShape morph;
        morph.version = std::uint8_t(version);
        morph.id = 4;
        morph.startBounds = Rect{0, 2000, 0, 2000};
        morph.endBounds = Rect{-100, 4000, 50, 3000};
        if (version == 2) {
            morph.startEdgeBounds = Rect{10, 1990, 10, 1990};
            morph.endEdgeBounds = Rect{-90, 3990, 60, 2990};
            morph.usesScalingStrokes = true;
        }
        MorphFillStyle solid;
        solid.start.color = Rgba{255, 0, 0, 255};
        solid.end.color = Rgba{0, 0, 255, 128};
        MorphFillStyle gradient;
        gradient.start.type = gradient.end.type = FillStyle::Type::FocalRadialGradient;
        gradient.start.gradient.matrix = Matrix{65536, 65536, 0, 0, 1000, 1000};
        gradient.end.gradient.matrix = Matrix{32768, 131072, 5, -5, 2000, 0};
        gradient.start.gradient.spread = gradient.end.gradient.spread = SpreadMode::Reflect;
        gradient.start.gradient.records = {{0, Rgba{1, 2, 3, 4}}, {255, Rgba{5, 6, 7, 8}}};
        gradient.end.gradient.records = {{20, Rgba{9, 9, 9, 9}}, {200, Rgba{0, 0, 0, 0}}};
        gradient.start.gradient.focalPoint = 100;
        gradient.end.gradient.focalPoint = -100;
        MorphFillStyle bitmap;
        bitmap.start.type = bitmap.end.type = FillStyle::Type::ClippedBitmap;
        bitmap.start.bitmapId = bitmap.end.bitmapId = 12;
        bitmap.start.bitmapMatrix = Matrix{20 << 16, 20 << 16, 0, 0, 0, 0};
        bitmap.end.bitmapMatrix = Matrix{10 << 16, 40 << 16, 0, 0, 100, 0};
        morph.fillStyles = {solid, gradient, bitmap};
        MorphLineStyle line;
        line.start.width = 20;
        line.end.width = 200;
        line.start.color = Rgba{0, 0, 0, 255};
        line.end.color = Rgba{255, 255, 255, 0};
        if (version == 2) {
            line.start.join = line.end.join = JoinStyle::Miter;
            line.start.miterLimitFactor = line.end.miterLimitFactor = 3 << 8;
            line.start.startCap = line.end.startCap = CapStyle::Square;
            line.start.noClose = line.end.noClose = true;
        }
        morph.lineStyles = {line};
        StyleChangeRecord start;
        start.moveTo = Point{0, 0};
        start.fillStyle1 = 3;
        start.lineStyle = 1;
        StyleChangeRecord endMove;
        endMove.moveTo = Point{-100, 50};
        morph.startEdges = {start, StraightEdgeRecord{2000, 0}, CurvedEdgeRecord{0, 1000, 0, 1000},
                            StraightEdgeRecord{-2000, -2000}};
        morph.endEdges = {endMove, StraightEdgeRecord{4100, 0}, StraightEdgeRecord{0, 2950},
                          CurvedEdgeRecord{-2000, -1000, -2100, -1950}};
        const Movie movie = movieOf({Tag{morph}});
        const auto read = roundTrip(movie);
        QVERIFY(read);
        QCOMPARE(*read, movie);
    }

    void fontsRoundTrip_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("glyphs");
        QTest::addColumn<bool>("layout");
        QTest::newRow("DefineFont") << 1 << 3 << false;
        QTest::newRow("DefineFont2 without glyphs (a device font)") << 2 << 0 << false;
        QTest::newRow("DefineFont2 with layout") << 2 << 4 << true;
        QTest::newRow("DefineFont2 with wide offsets") << 2 << 3000 << false;
        QTest::newRow("DefineFont3") << 3 << 2 << true;
    }

    void fontsRoundTrip()
    {
        QFETCH(int, version);
        QFETCH(int, glyphs);
        QFETCH(bool, layout);
        DefineFont tag = font(std::uint8_t(version), std::size_t(glyphs), layout);
        if (version == 1) {
            tag.bold = false;
            tag.language = 0;
        }
        DefineFontInfo info;
        info.version = 1;
        info.fontId = 3;
        info.name = "Arial";
        info.italic = true;
        info.codes = {'A', 'B', 0x4E2D};
        DefineFontInfo info2 = info;
        info2.version = 2;
        info2.language = 2;
        const Movie movie = movieOf(
            {Tag{tag}, Tag{info}, Tag{info2}, Tag{DefineFontName{3, "Song", "(c) nobody"}}});
        const auto read = roundTrip(movie);
        QVERIFY(read);
        QCOMPARE(*read, movie);
    }

    void fontValuesTheFormatCannotHoldAreRefused()
    {
        DefineFont unpaired = font(2, 2, false);
        unpaired.codes.pop_back();
        QVERIFY(!writeMovie(movieOf({Tag{unpaired}})));
        DefineFont narrow = font(2, 1, false);
        narrow.wideCodes = false;
        QVERIFY(!writeMovie(movieOf({Tag{narrow}})));
        DefineFont named = font(1, 1, false);
        named.name = "x";
        QVERIFY(!writeMovie(movieOf({Tag{named}})));
    }

    void textsRoundTrip()
    {
        DefineText text;
        text.version = 2;
        text.id = 5;
        text.bounds = Rect{-20, 3000, -400, 100};
        text.matrix = Matrix{65536, 65536, 0, 0, 200, 300};
        TextRecord first;
        first.fontId = 3;
        first.height = 480;
        first.color = Rgba{10, 20, 30, 40};
        first.xOffset = -5;
        first.yOffset = 360;
        first.glyphs = {{0, 480}, {3, -20}, {1000, 0}};
        TextRecord second;
        second.xOffset = 0;
        second.glyphs = {{1, 7}};
        text.records = {first, second};
        DefineText text1 = text;
        text1.version = 1;
        text1.id = 6;
        text1.records[0].color = Rgba{10, 20, 30, 255};

        DefineEditText edit;
        edit.id = 7;
        edit.bounds = Rect{0, 4000, 0, 800};
        edit.wordWrap = edit.multiline = edit.readOnly = edit.border = edit.html = true;
        edit.useOutlines = edit.noSelect = edit.wasStatic = edit.autoSize = true;
        edit.fontId = 3;
        edit.fontHeight = 360;
        edit.textColor = Rgba{255, 0, 0, 255};
        edit.maxLength = 100;
        edit.layout = EditTextLayout{TextAlign::Center, 40, 60, -20, 80};
        edit.variableName = "_root.answer";
        edit.initialText = "<p align=\"center\">\xE4\xB8\xAD\xE6\x96\x87</p>";
        DefineEditText device;
        device.id = 8;
        device.fontClass = "_sans";
        device.fontHeight = 240;
        device.password = true;

        const Movie movie = movieOf({Tag{text}, Tag{text1}, Tag{edit}, Tag{device}});
        const auto read = roundTrip(movie);
        QVERIFY(read);
        QCOMPARE(*read, movie);
    }

    void textValuesTheFormatCannotHoldAreRefused()
    {
        DefineText text;
        TextRecord record;
        record.glyphs.resize(256);
        record.fontId = 1;
        text.records = {record};
        QVERIFY(!writeMovie(movieOf({Tag{text}})));
        DefineText translucent;
        TextRecord coloured;
        coloured.color = Rgba{1, 2, 3, 4};
        translucent.records = {coloured};
        QVERIFY(!writeMovie(movieOf({Tag{translucent}})));
        DefineEditText heightless;
        heightless.fontId = 1;
        QVERIFY(!writeMovie(movieOf({Tag{heightless}})));
    }

    void cutShortCharactersKeepWhatWasRead()
    {
        Movie movie = movieOf({Tag{font(2, 4, true)}});
        auto bytes = writeMovie(movie);
        QVERIFY(bytes);
        std::vector<std::uint8_t> file = bytes.value();
        // Drop the End tag and the kerning table's last record.
        constexpr std::size_t kDropped = 2 + 6;
        QVERIFY(file.size() > kDropped);
        file.erase(file.end() - std::ptrdiff_t{kDropped}, file.end());
        auto read = readMovie(file);
        QVERIFY(read);
        const auto* kept = std::get_if<DefineFont>(&read.value().movie.tags.at(0).value);
        QVERIFY(kept);
        QCOMPARE(kept->glyphs.size(), std::size_t(4));
        QVERIFY(!read.value().warnings.empty());
    }

    void filtersDecode()
    {
        // Drop shadow: colour, blur 4 x 2, angle, distance 3, strength 1.5,
        // inner and knockout, 2 passes.
        std::vector<std::uint8_t> drop{10, 20, 30, 200};
        for (const std::uint32_t value :
             {4u << 16, 2u << 16, std::uint32_t(0.5 * 65536), 3u << 16}) {
            for (int shift = 0; shift < 32; shift += 8) {
                drop.push_back(std::uint8_t(value >> shift));
            }
        }
        drop.push_back(0x80);
        drop.push_back(0x01);
        drop.push_back(0b11000010);
        const auto shadow = decodeFilter(Filter{0, drop});
        QVERIFY(shadow);
        const auto& dropShadow = std::get<DropShadowFilter>(*shadow);
        QCOMPARE(dropShadow.color, (Rgba{10, 20, 30, 200}));
        QCOMPARE(dropShadow.shadow.blurX, 4.0);
        QCOMPARE(dropShadow.shadow.blurY, 2.0);
        QCOMPARE(dropShadow.shadow.angle, 0.5);
        QCOMPARE(dropShadow.shadow.distance, 3.0);
        QCOMPARE(dropShadow.shadow.strength, 1.5);
        QVERIFY(dropShadow.shadow.inner);
        QVERIFY(dropShadow.shadow.knockout);
        QVERIFY(!dropShadow.shadow.compositeSource);
        QCOMPARE(dropShadow.shadow.passes, 2);

        std::vector<std::uint8_t> matrix =
            floatBytes({1, 0, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, -10});
        const auto colorMatrix = decodeFilter(Filter{6, matrix});
        QVERIFY(colorMatrix);
        QCOMPARE(std::get<ColorMatrixFilter>(*colorMatrix).matrix[6], 0.5f);
        QCOMPARE(std::get<ColorMatrixFilter>(*colorMatrix).matrix[19], -10.0f);

        std::vector<std::uint8_t> convolution{3, 1};
        const auto weights = floatBytes({2, 1, -1, 0, 1});
        convolution.insert(convolution.end(), weights.begin(), weights.end());
        convolution.insert(convolution.end(), {1, 2, 3, 4, 0b00000010});
        const auto convolved = decodeFilter(Filter{5, convolution});
        QVERIFY(convolved);
        const auto& kernel = std::get<ConvolutionFilter>(*convolved);
        QCOMPARE(kernel.divisor, 2.0f);
        QCOMPARE(kernel.matrix, (std::vector<float>{-1, 0, 1}));
        QVERIFY(kernel.clamp);
        QVERIFY(!kernel.preserveAlpha);

        QVERIFY(!decodeFilter(Filter{1, {1, 2, 3}}));
        QVERIFY(!decodeFilter(Filter{9, std::vector<std::uint8_t>(30)}));
    }
};

QTEST_GUILESS_MAIN(TestCharacterTags)
#include "tst_charactertags.moc"
