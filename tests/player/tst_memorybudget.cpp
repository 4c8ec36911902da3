// The memory one movie may take: claims against the budget, and what a
// movie leaves out when its pictures or sounds would pass it.

#include "StandardErrorCapture.h"
#include "SwfFixtures.h"
#include "player/Player.h"
#include "player/movie/MemoryBudget.h"

#include <QImage>
#include <QPainter>
#include <QtTest>
#include <sstream>

using namespace quorvane;
using namespace quorvane::player;
using quorvane::testing::StandardErrorCapture;

namespace {

std::vector<std::uint8_t> zlib(const QByteArray& raw)
{
    // qCompress writes the length in four bytes before the zlib stream.
    const QByteArray packed = qCompress(raw).mid(4);
    return {packed.begin(), packed.end()};
}

// An opaque width x height bitmap of one colour: width * height * 4 bytes decoded.
swf::DefineBitsLossless solidBitmap(std::uint16_t id, int width, int height, QRgb color)
{
    QByteArray pixels;
    for (int i = 0; i < width * height; ++i) {
        pixels.append(char(0xff)).append(char(qRed(color))).append(char(qGreen(color)));
        pixels.append(char(qBlue(color)));
    }
    return swf::DefineBitsLossless{
        2, id,          swf::LosslessFormat::Rgb32, std::uint16_t(width), std::uint16_t(height),
        0, zlib(pixels)};
}

// A 40 x 40 square at (x, 0) filled with the bitmap, one bitmap pixel a stage pixel.
swf::DefineShape bitmapSquare(std::uint16_t id, std::uint16_t bitmapId, int x)
{
    swf::DefineShape shape = fixtures::rectangle(id, x, 0, 40, 40, fixtures::kRed);
    swf::FillStyle fill;
    fill.type = swf::FillStyle::Type::ClippedBitmap;
    fill.bitmapId = bitmapId;
    fill.bitmapMatrix = swf::Matrix{
        swf::kTwipsPerPixel << 16, swf::kTwipsPerPixel << 16, 0, 0, x * swf::kTwipsPerPixel, 0};
    shape.shape.styles.fillStyles = {fill};
    return shape;
}

QRgb pixelAt(const Player& player, int x, int y)
{
    QImage image(80, 40, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    player.render(painter, QTransform());
    painter.end();
    return image.pixel(x, y);
}

std::vector<std::int16_t> mixLeft(Player& player, std::size_t frames)
{
    std::vector<std::int16_t> stereo(frames * 2);
    player.mixAudio(stereo);
    std::vector<std::int16_t> left;
    for (std::size_t i = 0; i < stereo.size(); i += 2) {
        left.push_back(stereo[i]);
    }
    return left;
}

Player::Limits memoryOf(std::size_t bytes)
{
    Player::Limits limits;
    limits.memory = bytes;
    return limits;
}

} // namespace

class TestMemoryBudget : public QObject {
    Q_OBJECT

private slots:
    void claimsAddUpAndGiveTheirBytesBack()
    {
        std::ostringstream log;
        std::optional<MemoryBudget::Claim> kept;
        {
            MemoryBudget budget(1000, &log);
            auto first = budget.claim(600, "the first part");
            QVERIFY(first.has_value());
            QCOMPARE(budget.used(), std::size_t(600));
            QVERIFY(!budget.claim(401, "the second part").has_value());
            QVERIFY(log.str().find("quorvane: the second part left out") == 0);
            QCOMPARE(budget.used(), std::size_t(600));
            QVERIFY(budget.claim(400, "what just fits").has_value());
            // The claim above went at once; a moved claim keeps its bytes once.
            MemoryBudget::Claim moved = std::move(*first);
            QCOMPARE(budget.used(), std::size_t(600));
            first.reset();
            QCOMPARE(budget.used(), std::size_t(600));
            moved = MemoryBudget::Claim();
            QCOMPARE(budget.used(), std::size_t(0));
            // A copy of the budget is the same budget.
            MemoryBudget shared = budget;
            kept = shared.claim(1000, "everything");
            QVERIFY(kept.has_value());
            QCOMPARE(budget.remaining(), std::size_t(0));
        }
        // A claim may outlive its budget.
        kept.reset();
    }

    void refusalsAreReportedWithoutFloodingTheTerminal()
    {
        std::ostringstream log;
        MemoryBudget budget(std::size_t(3) << 20, &log);
        auto most = budget.claim(std::size_t(2) << 20, "most");
        for (int i = 0; i < 20; ++i) {
            QVERIFY(!budget.claim(std::size_t(2) << 20, "a picture").has_value());
        }
        const std::string text = log.str();
        QCOMPARE(std::count(text.begin(), text.end(), '\n'), 6);
        QVERIFY2(text.find("quorvane: a picture left out: it needs 2 MB, and the movie has 1 MB "
                           "left of the 3 MB a movie may use\n") == 0,
                 text.c_str());
        QVERIFY(text.find("more parts of this movie left out") != std::string::npos);
    }

    void aMovieLeavesOutTheBitmapsPastItsMemoryAndPlaysOn()
    {
        // Two 512 x 512 bitmaps (1 MB each decoded) where a movie may use 1.5 MB.
        std::vector<swf::Tag> tags{{swf::SetBackgroundColor{swf::Rgba{255, 255, 255, 255}}},
                                   {solidBitmap(1, 512, 512, qRgb(255, 0, 0))},
                                   {solidBitmap(2, 512, 512, qRgb(0, 0, 255))},
                                   {bitmapSquare(3, 1, 0)},
                                   {bitmapSquare(4, 2, 40)},
                                   {fixtures::place(1, 3)},
                                   {fixtures::place(2, 4)},
                                   {swf::ShowFrame{}},
                                   {swf::ShowFrame{}}};
        const auto movie =
            fixtures::bytes(fixtures::movie(fixtures::header(80, 40, 12, 2), std::move(tags)));

        StandardErrorCapture standardError;
        Player player(memoryOf(std::size_t(3) << 19));
        QVERIFY(!player.loadBytes(movie).has_value());
        QCOMPARE(pixelAt(player, 20, 20), qRgb(255, 0, 0));
        QVERIFY(pixelAt(player, 60, 20) != qRgb(0, 0, 255));
        player.advanceFrame();
        QCOMPARE(player.currentFrame(), 1);
        QVERIFY2(standardError.text().find("bitmap 2 left out") != std::string::npos,
                 standardError.text().c_str());

        // The next movie starts with a whole budget of its own.
        QVERIFY(!player.loadBytes(movie).has_value());
        QCOMPARE(pixelAt(player, 20, 20), qRgb(255, 0, 0));
        // With room for both, both show.
        Player roomy;
        QVERIFY(!roomy.loadBytes(movie).has_value());
        QCOMPARE(pixelAt(roomy, 60, 20), qRgb(0, 0, 255));
    }

    void aSoundTooLongForTheMemoryStaysSilentAndTheOthersPlay()
    {
        // One second of level 500 (176 kB decoded) and two of level 300
        // (353 kB) where a movie may use 300 kB: the long one is cut off
        // as it decodes and left out.
        std::vector<swf::Tag> tags{{fixtures::pcmSound(5, std::vector<std::int16_t>(44100, 500))},
                                   {fixtures::pcmSound(6, std::vector<std::int16_t>(88200, 300))},
                                   {swf::StartSound{5, {}}},
                                   {swf::StartSound{6, {}}},
                                   {swf::ShowFrame{}}};
        const auto movie =
            fixtures::bytes(fixtures::movie(fixtures::header(100, 100, 10, 1), std::move(tags)));

        StandardErrorCapture standardError;
        Player player(memoryOf(300u << 10));
        QVERIFY(!player.loadBytes(movie).has_value());
        const std::vector<std::int16_t> left = mixLeft(player, 4410);
        QVERIFY(std::all_of(left.begin(), left.end(), [](std::int16_t s) { return s == 500; }));
        QVERIFY2(standardError.text().find("sound 6 left out") != std::string::npos,
                 standardError.text().c_str());

        Player roomy;
        QVERIFY(!roomy.loadBytes(movie).has_value());
        QCOMPARE(mixLeft(roomy, 10).front(), std::int16_t(800));
    }
};

QTEST_MAIN(TestMemoryBudget)
#include "tst_memorybudget.moc"
