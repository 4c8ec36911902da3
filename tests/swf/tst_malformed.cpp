#include "SwfFixtures.h"
#include "swf/Reader.h"
#include "swf/TagCode.h"
#include "swf/Writer.h"

#include <QtTest>
#include <random>

using namespace quorvane;
using namespace quorvane::swf;

namespace {

std::vector<std::uint8_t> smallMovie(Compression compression = Compression::None)
{
    return fixtures::bytes(
        fixtures::movie(fixtures::header(100, 100, 12, 1, compression),
                        {Tag{fixtures::rectangle(1, 0, 0, 10, 10, fixtures::kRed)},
                         Tag{fixtures::place(1, 1)}, Tag{ShowFrame{}}}));
}

void setLength(std::vector<std::uint8_t>& file, std::uint32_t length)
{
    for (int i = 0; i < 4; ++i) {
        file[4 + std::size_t(i)] = std::uint8_t(length >> (8 * i));
    }
}

// Bytes of the RECT starting at offset, from its 5-bit field width.
std::size_t rectBytes(const std::vector<std::uint8_t>& file, std::size_t offset)
{
    const int bits = file[offset] >> 3;
    return std::size_t((5 + 4 * bits + 7) / 8);
}

std::size_t firstTagOffset(const std::vector<std::uint8_t>& file)
{
    return 8 + rectBytes(file, 8) + 4;
}

int codeAt(const std::vector<std::uint8_t>& file, std::size_t offset)
{
    return (file[offset] | file[offset + 1] << 8) >> 6;
}

bool anyWarningContains(const ReadMovie& movie, const std::string& text)
{
    for (const Error& warning : movie.warnings) {
        if (warning.message.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

} // namespace

class TestMalformed : public QObject {
    Q_OBJECT

private slots:
    void notAMovieIsAnError_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("too short") << QByteArray("FWS");
        QTest::newRow("PNG") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
        QTest::newRow("header only") << QByteArray("FWS\x08\x08\0\0\0", 8);
        QTest::newRow("damaged zlib") << QByteArray("CWS\x08\xff\0\0\0garbage!", 16);
        QTest::newRow("LZMA header cut") << QByteArray("ZWS\x0d\x40\0\0\0\x05\0\0", 11);
    }
    void notAMovieIsAnError()
    {
        QFETCH(QByteArray, bytes);
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
        auto read = readMovie(std::span(data, std::size_t(bytes.size())));
        QVERIFY(!read.ok());
        QVERIFY(read.error().message.starts_with("Invalid SWF"));
    }

    void everyTruncationIsAnErrorOrABestEffortMovie_data()
    {
        QTest::addColumn<int>("compression");
        QTest::newRow("FWS") << int(Compression::None);
        QTest::newRow("CWS") << int(Compression::Zlib);
        QTest::newRow("ZWS") << int(Compression::Lzma);
    }
    void everyTruncationIsAnErrorOrABestEffortMovie()
    {
        QFETCH(int, compression);
        const std::vector<std::uint8_t> whole = smallMovie(Compression(compression));
        const auto complete = readMovie(whole);
        QVERIFY(complete.ok());
        QVERIFY(complete.value().warnings.empty());
        int bestEffort = 0;
        for (std::size_t size = 0; size < whole.size(); ++size) {
            const std::vector<std::uint8_t> cut(whole.begin(),
                                                whole.begin() + std::ptrdiff_t(size));
            auto read = readMovie(cut);
            if (read.ok()) {
                // Whatever survives is a prefix of the movie and says it is
                // damaged, unless only an LZMA end marker was lost.
                QVERIFY2(!read.value().warnings.empty() ||
                             read.value().movie == complete.value().movie,
                         qPrintable(QString::number(size)));
                QVERIFY(read.value().movie.tags.size() <= complete.value().movie.tags.size());
                ++bestEffort;
            }
        }
        QVERIFY(bestEffort > 0);
    }

    void declaredLengthDoesNotMatter()
    {
        std::vector<std::uint8_t> file = smallMovie();
        const Movie expected = readMovie(file).value().movie;
        for (std::uint32_t length : {0u, 9u, 0xFFFFFFFFu}) {
            setLength(file, length);
            auto read = readMovie(file);
            QVERIFY(read.ok());
            QCOMPARE(read.value().declaredLength, length);
            QVERIFY(read.value().movie == expected);
        }
        // A compressed movie claiming 4 GiB decompresses what is there.
        std::vector<std::uint8_t> compressed = smallMovie(Compression::Zlib);
        setLength(compressed, 0xFFFFFFFFu);
        auto read = readMovie(compressed);
        QVERIFY(read.ok());
        QVERIFY(read.value().movie.tags == expected.tags);
    }

    void decompressionStopsAtTheLimit()
    {
        // Two megabytes of zeros compress to a few kilobytes.
        Movie movie = fixtures::movie(fixtures::header(10, 10, 1, 1, Compression::Zlib),
                                      {Tag{Unknown{500, std::vector<std::uint8_t>(2 << 20, 0)}}});
        const std::vector<std::uint8_t> file = fixtures::bytes(movie);
        QVERIFY(file.size() < 10000);
        ReadOptions options;
        options.maxMovieBytes = 64 * 1024;
        auto read = readMovie(file, options);
        QVERIFY(read.ok());
        QVERIFY(anyWarningContains(read.value(), "larger than the limit"));
        const auto& unknown = std::get<Unknown>(read.value().movie.tags.at(0).value);
        QVERIFY(unknown.data.size() < options.maxMovieBytes);
    }

    void overlongTagIsNamedWithItsOffset()
    {
        std::vector<std::uint8_t> file = smallMovie();
        const std::size_t shapeOffset = firstTagOffset(file);
        QCOMPARE(codeAt(file, shapeOffset), int(TagCode::DefineShape3));
        const std::size_t placeOffset = shapeOffset + 2 + (file[shapeOffset] & 0x3F);
        QCOMPARE(codeAt(file, placeOffset), int(TagCode::PlaceObject2));
        file[placeOffset] = std::uint8_t((file[placeOffset] & 0xC0) | 0x3E);
        auto read = readMovie(file);
        QVERIFY(read.ok());
        QVERIFY(anyWarningContains(read.value(), "PlaceObject2 at offset " +
                                                     std::to_string(placeOffset) +
                                                     ": declares 62 bytes"));
        // The shape before it is intact.
        QVERIFY(std::holds_alternative<DefineShape>(read.value().movie.tags.at(0).value));
    }

    void shapeCutShortKeepsItsWholeRecords()
    {
        DefineShape shape = fixtures::rectangle(1, 0, 0, 10, 10, fixtures::kRed);
        Movie movie = fixtures::movie(fixtures::header(10, 10, 1, 1), {Tag{shape}});
        std::vector<std::uint8_t> file = fixtures::bytes(movie);
        const std::size_t offset = firstTagOffset(file);
        // Shorten the shape tag (and the file) by two bytes: the last edge
        // and the end record no longer fit.
        const std::size_t length = file[offset] & 0x3F;
        file[offset] = std::uint8_t((file[offset] & 0xC0) | (length - 2));
        file.erase(file.begin() + std::ptrdiff_t(offset + 2 + length - 2),
                   file.begin() + std::ptrdiff_t(offset + 2 + length));
        auto read = readMovie(file);
        QVERIFY(read.ok());
        QVERIFY(anyWarningContains(read.value(), "DefineShape3 at offset " +
                                                     std::to_string(offset) +
                                                     ": shape record runs past"));
        const auto& kept = std::get<DefineShape>(read.value().movie.tags.at(0).value);
        QVERIFY(kept.shape.records.size() >= 2);
        QVERIFY(kept.shape.records.size() < shape.shape.records.size());
        QVERIFY(std::equal(kept.shape.records.begin(), kept.shape.records.end(),
                           shape.shape.records.begin()));
    }

    void unreadableTagsBecomeUnknown()
    {
        DefineShape shape = fixtures::rectangle(1, 0, 0, 10, 10, fixtures::kRed);
        std::vector<std::uint8_t> file =
            fixtures::bytes(fixtures::movie(fixtures::header(10, 10, 1, 1), {Tag{shape}}));
        // Tag header, shape id, bounds, fill style count, then the type.
        const std::size_t bounds = firstTagOffset(file) + 2 + 2;
        const std::size_t typeOffset = bounds + rectBytes(file, bounds) + 1;
        QCOMPARE(file[typeOffset], std::uint8_t(0));
        file[typeOffset] = 0x99;
        auto read = readMovie(file);
        QVERIFY(read.ok());
        QVERIFY(anyWarningContains(read.value(), "unknown fill style type 0x99"));
        const auto& unknown = std::get<Unknown>(read.value().movie.tags.at(0).value);
        QCOMPARE(unknown.code, std::uint16_t(TagCode::DefineShape3));
    }

    void spritesInsideSpritesStayBytes()
    {
        DefineSprite inner;
        inner.id = 2;
        inner.tags = {Tag{End{}}};
        // Written by hand: the writer refuses nesting.
        std::vector<std::uint8_t> innerBytes{2, 0, 1, 0, 0, 0};
        DefineSprite outer;
        outer.id = 1;
        outer.frameCount = 1;
        outer.tags = {Tag{Unknown{std::uint16_t(TagCode::DefineSprite), innerBytes}}, Tag{End{}}};
        const std::vector<std::uint8_t> file =
            fixtures::bytes(fixtures::movie(fixtures::header(10, 10, 1, 1), {Tag{outer}}));
        auto read = readMovie(file);
        QVERIFY(read.ok());
        const auto& sprite = std::get<DefineSprite>(read.value().movie.tags.at(0).value);
        const auto& kept = std::get<Unknown>(sprite.tags.at(0).value);
        QCOMPARE(kept.data, innerBytes);
    }

    void randomDamageNeverBreaksTheReader()
    {
        const std::vector<std::uint8_t> whole = fixtures::bytes(fixtures::animatedMovie(6));
        std::mt19937 random(20240601);
        for (int round = 0; round < 3000; ++round) {
            std::vector<std::uint8_t> file = whole;
            const int changes = 1 + int(random() % 8);
            for (int i = 0; i < changes; ++i) {
                file[8 + random() % (file.size() - 8)] = std::uint8_t(random());
            }
            auto read = readMovie(file);
            QVERIFY(read.ok());
        }
    }

    void missingFileIsAnError()
    {
        auto read = readMovieFile("/nonexistent/lesson.swf");
        QVERIFY(!read.ok());
        QVERIFY(read.error().message.find("/nonexistent/lesson.swf") != std::string::npos);
    }
};

QTEST_GUILESS_MAIN(TestMalformed)
#include "tst_malformed.moc"
