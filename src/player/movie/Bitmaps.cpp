#include "player/movie/Bitmaps.h"

#include "swf/Decompress.h"

#include <QByteArray>
#include <algorithm>

namespace quorvane::player {

namespace {

// Flash accepts JPEG data that image decoders reject: DefineBits split from
// the tables it shares, and streams with an end-of-image and start-of-image
// pair before or inside them. Dropping every such pair joins the parts into
// one plain stream; in entropy-coded data 0xFF is always followed by 0x00,
// so the pair cannot occur there by accident.
QByteArray plainJpeg(const std::vector<std::uint8_t>& tables, const std::vector<std::uint8_t>& data)
{
    std::vector<std::uint8_t> joined = tables;
    joined.insert(joined.end(), data.begin(), data.end());
    QByteArray result;
    result.reserve(qsizetype(joined.size()));
    for (std::size_t i = 0; i < joined.size(); ++i) {
        if (i + 3 < joined.size() && joined[i] == 0xFF && joined[i + 1] == 0xD9 &&
            joined[i + 2] == 0xFF && joined[i + 3] == 0xD8) {
            i += 3;
            continue;
        }
        result.append(char(joined[i]));
    }
    return result;
}

std::vector<std::uint8_t> inflate(const std::vector<std::uint8_t>& data, std::size_t expected)
{
    return swf::inflateZlib(data, expected).bytes;
}

QImage decodeLossless(const swf::DefineBitsLossless& tag, const std::vector<std::uint8_t>& pixels)
{
    const int width = tag.width;
    const int height = tag.height;
    const bool withAlpha = tag.version >= 2;
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return {};
    }
    image.fill(Qt::transparent);
    const auto byteAt = [&](std::size_t index) -> std::uint8_t {
        return index < pixels.size() ? pixels[index] : 0;
    };
    switch (tag.format) {
    case swf::LosslessFormat::ColorMapped8: {
        const std::size_t entries = std::size_t{tag.colorTableSize} + 1;
        const std::size_t entrySize = withAlpha ? 4 : 3;
        std::vector<QRgb> table(256, qRgba(0, 0, 0, withAlpha ? 0 : 255));
        for (std::size_t i = 0; i < entries; ++i) {
            const std::size_t at = i * entrySize;
            // Lossless2 colours are stored premultiplied already.
            table[i] =
                qRgba(byteAt(at), byteAt(at + 1), byteAt(at + 2), withAlpha ? byteAt(at + 3) : 255);
        }
        const std::size_t stride = (std::size_t(width) + 3) & ~std::size_t{3};
        const std::size_t start = entries * entrySize;
        for (int y = 0; y < height; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                line[x] = table[byteAt(start + std::size_t(y) * stride + std::size_t(x))];
            }
        }
        break;
    }
    case swf::LosslessFormat::Rgb15: {
        const std::size_t stride = (std::size_t(width) * 2 + 3) & ~std::size_t{3};
        for (int y = 0; y < height; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                const std::size_t at = std::size_t(y) * stride + std::size_t(x) * 2;
                const int value = byteAt(at) << 8 | byteAt(at + 1);
                const auto scale = [](int five) { return (five << 3) | (five >> 2); };
                line[x] = qRgb(scale((value >> 10) & 0x1F), scale((value >> 5) & 0x1F),
                               scale(value & 0x1F));
            }
        }
        break;
    }
    case swf::LosslessFormat::Rgb32:
        for (int y = 0; y < height; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                const std::size_t at = (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4;
                const int alpha = withAlpha ? byteAt(at) : 255;
                // Premultiplied colours above their alpha are damaged data;
                // clamping keeps the image valid for the painter.
                line[x] = qRgba(std::min<int>(byteAt(at + 1), alpha),
                                std::min<int>(byteAt(at + 2), alpha),
                                std::min<int>(byteAt(at + 3), alpha), alpha);
            }
        }
        break;
    default:
        return {};
    }
    if (tag.format == swf::LosslessFormat::ColorMapped8 && withAlpha) {
        for (int y = 0; y < height; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                const int alpha = qAlpha(line[x]);
                line[x] = qRgba(std::min(qRed(line[x]), alpha), std::min(qGreen(line[x]), alpha),
                                std::min(qBlue(line[x]), alpha), alpha);
            }
        }
    }
    return image;
}

} // namespace

QImage decodeBitmap(const swf::DefineBitsJpeg& tag, const std::vector<std::uint8_t>& jpegTables)
{
    const QByteArray data =
        plainJpeg(tag.version == 1 ? jpegTables : std::vector<std::uint8_t>{}, tag.imageData);
    QImage decoded;
    if (!decoded.loadFromData(data)) {
        return {};
    }
    if (qint64(decoded.width()) * decoded.height() > kMaxBitmapPixels) {
        return {};
    }
    QImage image = decoded.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (tag.version < 3 || tag.alphaData.empty()) {
        return image;
    }
    const std::size_t pixels = std::size_t(image.width()) * std::size_t(image.height());
    const std::vector<std::uint8_t> alpha = inflate(tag.alphaData, pixels);
    if (alpha.size() < pixels) {
        return image;
    }
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int a = alpha[std::size_t(y) * std::size_t(image.width()) + std::size_t(x)];
            // Flash takes the JPEG's colours as premultiplied by the alpha.
            const QRgb pixel = line[x];
            line[x] = qRgba(std::min(qRed(pixel), a), std::min(qGreen(pixel), a),
                            std::min(qBlue(pixel), a), a);
        }
    }
    return image;
}

QImage decodeBitmap(const swf::DefineBitsLossless& tag)
{
    if (tag.width == 0 || tag.height == 0 || qint64(tag.width) * tag.height > kMaxBitmapPixels) {
        return {};
    }
    const std::size_t width = tag.width;
    const std::size_t height = tag.height;
    std::size_t expected = 0;
    switch (tag.format) {
    case swf::LosslessFormat::ColorMapped8:
        expected =
            (std::size_t{tag.colorTableSize} + 1) * 4 + ((width + 3) & ~std::size_t{3}) * height;
        break;
    case swf::LosslessFormat::Rgb15:
        expected = ((width * 2 + 3) & ~std::size_t{3}) * height;
        break;
    case swf::LosslessFormat::Rgb32:
        expected = width * height * 4;
        break;
    default:
        return {};
    }
    const std::vector<std::uint8_t> pixels = inflate(tag.zlibData, expected);
    if (pixels.empty()) {
        return {};
    }
    return decodeLossless(tag, pixels);
}

QRgb premultiplyAsFlash(QRgb color)
{
    const int alpha = qAlpha(color);
    return qRgba(qRed(color) * alpha / 255, qGreen(color) * alpha / 255, qBlue(color) * alpha / 255,
                 alpha);
}

QImage premultipliedAsFlash(const QImage& image)
{
    QImage straight = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < straight.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(straight.scanLine(y));
        std::transform(line, line + straight.width(), line, premultiplyAsFlash);
    }
    // The pixels already are premultiplied; only the format's name changes.
    straight.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    return straight;
}

} // namespace quorvane::player
