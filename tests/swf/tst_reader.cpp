#include "swf/Reader.h"
#include "swf/TagCode.h"
#include "swf/Writer.h"

#include <QtTest>
#include <vector>

using namespace quorvane::swf;

namespace {

// A movie put together byte by byte from the format's description, so that
// the reader is checked against the format and not only against the writer.
const std::vector<std::uint8_t> kHandmade = {
    'F', 'W', 'S', 6, 0x54, 0x00, 0x00, 0x00,
    // RECT, 15 bits a field: 0, 11000, 0, 8000 twips (550 x 400 pixels).
    0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00,
    // Frame rate 24.0 (8.8), two frames.
    0x00, 0x18, 0x02, 0x00,
    // SetBackgroundColor, 3 bytes: red.
    0x43, 0x02, 0xFF, 0x00, 0x00,
    // DefineShape, 26 bytes: id 1, bounds 0..20 twips (6-bit fields), one
    // green fill, one blue line 20 twips wide, 1-bit indices; then a style
    // change (move to 0,0 with 0-bit fields, fill1 1, line 1), a horizontal
    // edge of +20 and a curve through (0,+20) to (-20,0), and the end record.
    0x9A, 0x00, 0x01, 0x00, 0x30, 0x0A, 0x00, 0xA0, 0x01, 0x00, 0x00, 0xFF, 0x00, 0x01, 0x14, 0x00,
    0x00, 0x00, 0xFF, 0x11, 0x34, 0x1E, 0x82, 0x92, 0x00, 0xA5, 0x80, 0x00,
    // PlaceObject2, 12 bytes: name, matrix and character; depth 1,
    // character 1, translation (40, -20) in 7-bit fields, name "box".
    0x8C, 0x06, 0x26, 0x01, 0x00, 0x01, 0x00, 0x0E, 0xA3, 0x60, 'b', 'o', 'x', 0x00,
    // ShowFrame.
    0x40, 0x00,
    // FrameLabel "end".
    0xC4, 0x0A, 'e', 'n', 'd', 0x00,
    // RemoveObject2 at depth 1.
    0x02, 0x07, 0x01, 0x00,
    // ShowFrame, End.
    0x40, 0x00, 0x00, 0x00};

// The same movie LZMA-compressed by another implementation (Python's lzma
// module): ZWS, length, compressed length, five property bytes, data.
const std::vector<std::uint8_t> kHandmadeLzma = {
    0x5A, 0x57, 0x53, 0x06, 0x54, 0x00, 0x00, 0x00, 0x52, 0x00, 0x00, 0x00, 0x5D, 0x00, 0x00,
    0x01, 0x00, 0x00, 0x3B, 0xFF, 0xFC, 0xA6, 0x14, 0x16, 0x5A, 0x7B, 0xF0, 0x5A, 0x10, 0x8B,
    0xC2, 0xF4, 0xC6, 0x21, 0x39, 0xBB, 0x4F, 0xA6, 0x38, 0x5C, 0x53, 0x78, 0x26, 0x25, 0x11,
    0x77, 0x61, 0x11, 0x03, 0xDE, 0x6E, 0xFC, 0x3C, 0xE0, 0x91, 0x70, 0x9C, 0xFD, 0xE1, 0xFC,
    0x58, 0xDC, 0xCD, 0xE4, 0xE4, 0xC7, 0x7E, 0x02, 0x06, 0x49, 0x90, 0x82, 0xCF, 0xB8, 0x66,
    0x27, 0x13, 0x52, 0x07, 0xFF, 0x2B, 0x55, 0x9E, 0x43, 0x83, 0xC9, 0x31, 0x8A, 0xA6, 0xAF,
    0x6E, 0x47, 0x82, 0xBF, 0xFF, 0xD2, 0x39, 0x80, 0x00};

Movie handmadeMovie()
{
    Movie movie;
    movie.header.compression = Compression::None;
    movie.header.version = 6;
    movie.header.stage = Rect{0, 11000, 0, 8000};
    movie.header.frameRate = 24 << 8;
    movie.header.frameCount = 2;

    DefineShape shape;
    shape.version = 1;
    shape.id = 1;
    shape.bounds = Rect{0, 20, 0, 20};
    FillStyle fill;
    fill.color = Rgba{0, 255, 0, 255};
    shape.shape.styles.fillStyles.push_back(fill);
    LineStyle line;
    line.width = 20;
    line.color = Rgba{0, 0, 255, 255};
    shape.shape.styles.lineStyles.push_back(line);
    StyleChangeRecord change;
    change.moveTo = Point{0, 0};
    change.fillStyle1 = 1;
    change.lineStyle = 1;
    shape.shape.records = {change, StraightEdgeRecord{20, 0}, CurvedEdgeRecord{0, 20, -20, 0}};

    PlaceObject place;
    place.version = 2;
    place.depth = 1;
    place.characterId = 1;
    Matrix matrix;
    matrix.translateX = 40;
    matrix.translateY = -20;
    place.matrix = matrix;
    place.name = "box";

    RemoveObject remove;
    remove.version = 2;
    remove.depth = 1;

    movie.tags = {Tag{SetBackgroundColor{Rgba{255, 0, 0, 255}}},
                  Tag{shape},
                  Tag{place},
                  Tag{ShowFrame{}},
                  Tag{FrameLabel{"end", false}},
                  Tag{remove},
                  Tag{ShowFrame{}},
                  Tag{End{}}};
    return movie;
}

} // namespace

class TestReader : public QObject {
    Q_OBJECT

private slots:
    void handmadeMovieReadsFieldByField()
    {
        auto read = readMovie(kHandmade);
        QVERIFY2(read.ok(), read.ok() ? "" : read.error().message.c_str());
        const ReadMovie& result = read.value();
        QVERIFY(result.warnings.empty());
        QCOMPARE(result.declaredLength, 84u);
        const Movie& movie = result.movie;
        QCOMPARE(movie.header.version, 6);
        QCOMPARE(movie.header.stage.xMax, 11000);
        QCOMPARE(movie.header.stage.yMax, 8000);
        QCOMPARE(movie.header.frameRatePerSecond(), 24.0);
        QCOMPARE(movie.header.frameCount, 2);
        QCOMPARE(movie.tags.size(), std::size_t{8});

        const auto& shape = std::get<DefineShape>(movie.tags[1].value);
        QCOMPARE(shape.shape.records.size(), std::size_t{3});
        const auto& curve = std::get<CurvedEdgeRecord>(shape.shape.records[2]);
        QCOMPARE(curve.controlDeltaY, 20);
        QCOMPARE(curve.anchorDeltaX, -20);
        const auto& place = std::get<PlaceObject>(movie.tags[2].value);
        QCOMPARE(place.matrix->translateY, -20);
        QCOMPARE(*place.name, std::string("box"));

        QVERIFY(movie == handmadeMovie());
    }

    void writerProducesTheHandmadeBytes()
    {
        auto written = writeMovie(handmadeMovie());
        QVERIFY(written.ok());
        QCOMPARE(written.value(), kHandmade);
    }

    void lzmaFromAnotherEncoderReads()
    {
        auto read = readMovie(kHandmadeLzma);
        QVERIFY2(read.ok(), read.ok() ? "" : read.error().message.c_str());
        QVERIFY(read.value().warnings.empty());
        Movie expected = handmadeMovie();
        expected.header.compression = Compression::Lzma;
        QVERIFY(read.value().movie == expected);
    }

    void compressedMoviesReadBackEqual_data()
    {
        QTest::addColumn<int>("compression");
        QTest::newRow("FWS") << int(Compression::None);
        QTest::newRow("CWS") << int(Compression::Zlib);
        QTest::newRow("ZWS") << int(Compression::Lzma);
    }
    void compressedMoviesReadBackEqual()
    {
        QFETCH(int, compression);
        Movie movie = handmadeMovie();
        movie.header.compression = static_cast<Compression>(compression);
        auto written = writeMovie(movie);
        QVERIFY(written.ok());
        const char signature[] = {"FCZ"[compression], 'W', 'S'};
        QCOMPARE(written.value()[0], std::uint8_t(signature[0]));
        auto read = readMovie(written.value());
        QVERIFY(read.ok());
        QVERIFY(read.value().warnings.empty());
        QVERIFY(read.value().movie == movie);
        QCOMPARE(read.value().declaredLength, 84u);
    }

    void unknownTagsKeepTheirBytes()
    {
        std::vector<std::uint8_t> bytes(kHandmade.begin(), kHandmade.end() - 2);
        // DoAction with a long header (4 bytes), then End.
        const std::vector<std::uint8_t> doAction = {0x3F, 0x03, 0x04, 0x00, 0x00, 0x00,
                                                    0x07, 0x08, 0x09, 0x00, 0x00, 0x00};
        bytes.insert(bytes.end(), doAction.begin(), doAction.end());
        auto read = readMovie(bytes);
        QVERIFY(read.ok());
        const auto& tags = read.value().movie.tags;
        const auto& unknown = std::get<Unknown>(tags[tags.size() - 2].value);
        QCOMPARE(unknown.code, std::uint16_t(TagCode::DoAction));
        QCOMPARE(unknown.data, (std::vector<std::uint8_t>{0x07, 0x08, 0x09, 0x00}));
        QVERIFY(std::holds_alternative<End>(tags.back().value));
    }

    void tagNamesFollowTheFormat()
    {
        QCOMPARE(tagName(32), std::string("DefineShape3"));
        QCOMPARE(tagName(70), std::string("PlaceObject3"));
        QCOMPARE(tagName(21), std::string("DefineBitsJPEG2"));
        QCOMPARE(tagName(999), std::string("Tag 999"));
    }
};

QTEST_GUILESS_MAIN(TestReader)
#include "tst_reader.moc"
