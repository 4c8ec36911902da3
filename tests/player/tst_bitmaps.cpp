// Bitmap characters: every lossless format, JPEG in its three storage
// forms, and bitmap fills drawn clipped and repeating under colour transforms.

#include "StageRendering.h"
#include "SwfFixtures.h"
#include "player/Player.h"
#include "player/movie/Bitmaps.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QtTest>

using namespace quorvane;
using namespace quorvane::player;

namespace {

std::vector<std::uint8_t> zlib(const QByteArray& raw)
{
    // qCompress writes the length in four bytes before the zlib stream.
    const QByteArray packed = qCompress(raw).mid(4);
    return {packed.begin(), packed.end()};
}

QByteArray jpegOf(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 95);
    return bytes;
}

std::vector<std::uint8_t> toVector(const QByteArray& bytes)
{
    return {bytes.begin(), bytes.end()};
}

// Splits a JPEG the way DefineBits stores it: quantisation and Huffman
// tables in JPEGTables, the rest in the character.
std::pair<std::vector<std::uint8_t>, std::vector<std::uint8_t>> splitJpeg(const QByteArray& jpeg)
{
    std::vector<std::uint8_t> tables{0xFF, 0xD8};
    std::vector<std::uint8_t> image{0xFF, 0xD8};
    int at = 2;
    while (at + 4 <= jpeg.size()) {
        const auto marker = std::uint8_t(jpeg[at + 1]);
        if (marker == 0xDA) {
            image.insert(image.end(), jpeg.begin() + at, jpeg.end());
            break;
        }
        const int length = (std::uint8_t(jpeg[at + 2]) << 8 | std::uint8_t(jpeg[at + 3])) + 2;
        auto& target = marker == 0xDB || marker == 0xC4 ? tables : image;
        target.insert(target.end(), jpeg.begin() + at, jpeg.begin() + at + length);
        at += length;
    }
    tables.insert(tables.end(), {0xFF, 0xD9});
    return {tables, image};
}

QImage quadrants()
{
    QImage image(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            image.setPixel(x, y,
                           x < 4 ? (y < 4 ? qRgb(255, 0, 0) : qRgb(0, 255, 0))
                                 : (y < 4 ? qRgb(0, 0, 255) : qRgb(255, 255, 255)));
        }
    }
    return image;
}

bool near(QRgb actual, QRgb expected, int tolerance)
{
    return std::abs(qRed(actual) - qRed(expected)) <= tolerance &&
           std::abs(qGreen(actual) - qGreen(expected)) <= tolerance &&
           std::abs(qBlue(actual) - qBlue(expected)) <= tolerance &&
           std::abs(qAlpha(actual) - qAlpha(expected)) <= tolerance;
}

#define QCOMPARE_PIXEL(actual, expected, tolerance)                                                \
    QVERIFY2(near(actual, expected, tolerance),                                                    \
             qPrintable(QStringLiteral("pixel %1 expected %2")                                     \
                            .arg(QColor::fromRgba(actual).name(QColor::HexArgb),                   \
                                 QColor::fromRgba(expected).name(QColor::HexArgb))))

// A 4 x 2 Lossless2 bitmap: opaque red, half-transparent green (stored
// premultiplied), transparent, opaque blue; then the same row again.
swf::DefineBitsLossless argbBitmap(std::uint16_t id)
{
    QByteArray pixels;
    for (int row = 0; row < 2; ++row) {
        pixels.append(QByteArray::fromHex("ffff0000"
                                          "80008000"
                                          "00000000"
                                          "ff0000ff"));
    }
    return swf::DefineBitsLossless{2, id, swf::LosslessFormat::Rgb32, 4, 2, 0, zlib(pixels)};
}

// A shape filling width x height pixels at (x, y) with the bitmap, one
// bitmap pixel to `scale` stage pixels.
swf::DefineShape bitmapSquare(std::uint16_t id, std::uint16_t bitmapId, swf::FillStyle::Type type,
                              int x, int y, int width, int height, int scale)
{
    swf::DefineShape shape = fixtures::rectangle(id, x, y, width, height, fixtures::kRed);
    swf::FillStyle fill;
    fill.type = type;
    fill.bitmapId = bitmapId;
    fill.bitmapMatrix = swf::Matrix{scale * swf::kTwipsPerPixel << 16,
                                    scale * swf::kTwipsPerPixel << 16,
                                    0,
                                    0,
                                    x * swf::kTwipsPerPixel,
                                    y * swf::kTwipsPerPixel};
    shape.shape.styles.fillStyles = {fill};
    return shape;
}

swf::Movie stageWith(std::vector<swf::Tag> tags)
{
    tags.insert(tags.begin(), swf::Tag{swf::SetBackgroundColor{swf::Rgba{255, 255, 255, 255}}});
    tags.push_back({swf::ShowFrame{}});
    return fixtures::movie(fixtures::header(80, 40, 12, 1), std::move(tags));
}

} // namespace

class TestBitmaps : public QObject {
    Q_OBJECT

private slots:
    void losslessFormatsDecode()
    {
        // Colour-mapped: a three-entry table, rows padded to four bytes.
        QByteArray mapped = QByteArray::fromHex("ff0000"
                                                "00ff00"
                                                "0000ff");
        mapped.append(QByteArray::fromHex("00010200"
                                          "02010000"));
        const QImage table = decodeBitmap(swf::DefineBitsLossless{
            1, 1, swf::LosslessFormat::ColorMapped8, 3, 2, 2, zlib(mapped)});
        QCOMPARE(table.size(), QSize(3, 2));
        QCOMPARE_PIXEL(table.pixel(1, 0), qRgb(0, 255, 0), 0);
        QCOMPARE_PIXEL(table.pixel(0, 1), qRgb(0, 0, 255), 0);

        // Colour-mapped with alpha: the table's colours are premultiplied.
        QByteArray mappedAlpha = QByteArray::fromHex("80000080"
                                                     "00000000");
        mappedAlpha.append(QByteArray::fromHex("00010000"));
        const QImage translucent =
            decodeBitmap(swf::DefineBitsLossless{2, 1, swf::LosslessFormat::ColorMapped8, 2, 1, 1,
                                                 zlib(mappedAlpha)})
                .convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(qAlpha(translucent.pixel(0, 0)), 0x80);
        QCOMPARE(qRed(translucent.pixel(0, 0)), 255);
        QCOMPARE(qAlpha(translucent.pixel(1, 0)), 0);

        // Fifteen-bit: x RRRRR GGGGG BBBBB, big-endian, rows padded.
        const QByteArray fifteen = QByteArray::fromHex("7c00"
                                                       "03e0"
                                                       "001f"
                                                       "0000");
        const QImage rgb15 = decodeBitmap(
            swf::DefineBitsLossless{1, 1, swf::LosslessFormat::Rgb15, 3, 1, 0, zlib(fifteen)});
        QCOMPARE_PIXEL(rgb15.pixel(0, 0), qRgb(255, 0, 0), 0);
        QCOMPARE_PIXEL(rgb15.pixel(1, 0), qRgb(0, 255, 0), 0);
        QCOMPARE_PIXEL(rgb15.pixel(2, 0), qRgb(0, 0, 255), 0);

        // Thirty-two-bit with premultiplied alpha.
        const QImage argb = decodeBitmap(argbBitmap(1)).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE_PIXEL(argb.pixel(0, 0), qRgba(255, 0, 0, 255), 0);
        QCOMPARE_PIXEL(argb.pixel(1, 0), qRgba(0, 255, 0, 128), 2);
        QCOMPARE(qAlpha(argb.pixel(2, 0)), 0);
        QCOMPARE_PIXEL(argb.pixel(3, 1), qRgba(0, 0, 255, 255), 0);
    }

    void damagedBitmapsDecodeToNothing()
    {
        QVERIFY(decodeBitmap(
                    swf::DefineBitsLossless{1, 1, swf::LosslessFormat::Rgb32, 4, 4, 0, {1, 2, 3}})
                    .isNull());
        QVERIFY(decodeBitmap(swf::DefineBitsLossless{1, 1, swf::LosslessFormat::Rgb32, 65535, 65535,
                                                     0, zlib("x")})
                    .isNull());
        QVERIFY(decodeBitmap(swf::DefineBitsJpeg{2, 1, {0xFF, 0xD8, 0, 1}, {}, 0}, {}).isNull());
    }

    void jpegDecodesInEachForm()
    {
        const QByteArray jpeg = jpegOf(quadrants());
        // The marker pair Flash writes before JPEG2 data.
        std::vector<std::uint8_t> withPrefix{0xFF, 0xD9, 0xFF, 0xD8};
        withPrefix.insert(withPrefix.end(), jpeg.begin(), jpeg.end());
        const QImage jpeg2 = decodeBitmap(swf::DefineBitsJpeg{2, 1, withPrefix, {}, 0}, {});
        QCOMPARE(jpeg2.size(), QSize(8, 8));
        QCOMPARE_PIXEL(jpeg2.pixel(1, 1), qRgb(255, 0, 0), 24);
        QCOMPARE_PIXEL(jpeg2.pixel(6, 6), qRgb(255, 255, 255), 24);

        const auto [tables, image] = splitJpeg(jpeg);
        QVERIFY(decodeBitmap(swf::DefineBitsJpeg{1, 1, image, {}, 0}, {}).isNull());
        const QImage bits = decodeBitmap(swf::DefineBitsJpeg{1, 1, image, {}, 0}, tables);
        QCOMPARE(bits.size(), QSize(8, 8));
        QCOMPARE_PIXEL(bits.pixel(1, 6), qRgb(0, 255, 0), 24);

        // JPEG3: one alpha byte per pixel, left half opaque, right half clear.
        QByteArray alpha;
        for (int i = 0; i < 64; ++i) {
            alpha.append(char(i % 8 < 4 ? 0xFF : 0x00));
        }
        const QImage jpeg3 =
            decodeBitmap(swf::DefineBitsJpeg{3, 1, toVector(jpeg), zlib(alpha), 0}, {});
        QCOMPARE(qAlpha(jpeg3.pixel(1, 1)), 255);
        QCOMPARE(jpeg3.pixel(6, 1), qRgba(0, 0, 0, 0));
    }

    void bitmapFillsClipAndRepeat()
    {
        // Bitmap pixels of 5 stage pixels: clipped, the shape beyond the
        // bitmap shows nothing; repeating, it starts over.
        const QImage clipped = fixtures::renderFirstFrame(
            stageWith({swf::Tag{argbBitmap(1)},
                       swf::Tag{bitmapSquare(2, 1, swf::FillStyle::Type::NonSmoothedClippedBitmap,
                                             0, 0, 40, 10, 5)},
                       swf::Tag{fixtures::place(1, 2)}}));
        QCOMPARE_PIXEL(clipped.pixel(2, 2), qRgb(255, 0, 0), 0);
        QCOMPARE_PIXEL(clipped.pixel(7, 2), qRgb(127, 255, 127), 2);
        QCOMPARE_PIXEL(clipped.pixel(12, 2), qRgb(255, 255, 255), 0);
        QCOMPARE_PIXEL(clipped.pixel(17, 7), qRgb(0, 0, 255), 0);
        QCOMPARE_PIXEL(clipped.pixel(22, 2), qRgb(255, 255, 255), 0);

        const QImage repeated = fixtures::renderFirstFrame(
            stageWith({swf::Tag{argbBitmap(1)},
                       swf::Tag{bitmapSquare(2, 1, swf::FillStyle::Type::NonSmoothedRepeatingBitmap,
                                             0, 0, 40, 20, 5)},
                       swf::Tag{fixtures::place(1, 2)}}));
        QCOMPARE_PIXEL(repeated.pixel(22, 2), qRgb(255, 0, 0), 0);
        QCOMPARE_PIXEL(repeated.pixel(37, 12), qRgb(0, 0, 255), 0);
    }

    void colourTransformsReachBitmapPixels()
    {
        swf::PlaceObject place = fixtures::place(1, 2);
        // Red to half, blue added, alpha unchanged.
        place.colorTransform = swf::ColorTransform{128, 256, 256, 256, 0, 0, 100, 0};
        const QImage image = fixtures::renderFirstFrame(
            stageWith({swf::Tag{argbBitmap(1)},
                       swf::Tag{bitmapSquare(2, 1, swf::FillStyle::Type::NonSmoothedClippedBitmap,
                                             0, 0, 20, 10, 5)},
                       swf::Tag{place}}));
        QCOMPARE_PIXEL(image.pixel(2, 2), qRgb(128, 0, 100), 1);
        QCOMPARE_PIXEL(image.pixel(17, 2), qRgb(0, 0, 255), 0);
        // A fully transparent pixel stays transparent whatever is added.
        QCOMPARE_PIXEL(image.pixel(12, 2), qRgb(255, 255, 255), 0);
    }
};

QTEST_GUILESS_MAIN(TestBitmaps)
#include "tst_bitmaps.moc"
