#include "player/render/Filters.h"

#include "swf/Filters.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace quorvane::player {

namespace {

// Blurs, shadows and glows work on one channel at a time.
using Plane = std::vector<float>;

// Flash's blur averages a box as wide as the blur, centred on the pixel:
// one pixel is no blur, two take half of each neighbour. Each pass blurs
// again.
void blurLine(float* data, int count, int stride, double width, std::vector<float>& scratch)
{
    const double half = width / 2;
    const int full = std::max(0, int(std::floor(half - 0.5)));
    const auto edge = float(half - (full + 0.5));
    const auto scale = float(1.0 / width);
    const auto at = [&](int i) { return i >= 0 && i < count ? data[i * stride] : 0.0f; };
    scratch.resize(std::size_t(count));
    float sum = 0;
    for (int i = -full; i <= full; ++i) {
        sum += at(i);
    }
    for (int i = 0; i < count; ++i) {
        scratch[std::size_t(i)] = (sum + edge * (at(i - full - 1) + at(i + full + 1))) * scale;
        sum += at(i + full + 1) - at(i - full);
    }
    for (int i = 0; i < count; ++i) {
        data[i * stride] = scratch[std::size_t(i)];
    }
}

void boxBlur(Plane& plane, int width, int height, double blurX, double blurY, int passes)
{
    // Flash caps blurs at 255 pixels.
    const double boxX = std::clamp(blurX, 1.0, 255.0);
    const double boxY = std::clamp(blurY, 1.0, 255.0);
    std::vector<float> scratch;
    // No passes, as a quality of 0 asks, leave the picture unblurred.
    for (int pass = 0; pass < std::clamp(passes, 0, 15); ++pass) {
        if (boxX > 1.0) {
            for (int y = 0; y < height; ++y) {
                blurLine(plane.data() + std::size_t(y) * std::size_t(width), width, 1, boxX,
                         scratch);
            }
        }
        if (boxY > 1.0) {
            for (int x = 0; x < width; ++x) {
                blurLine(plane.data() + x, height, width, boxY, scratch);
            }
        }
    }
}

Plane alphaPlane(const QImage& image)
{
    Plane plane(std::size_t(image.width()) * std::size_t(image.height()));
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            plane[std::size_t(y) * std::size_t(image.width()) + std::size_t(x)] =
                qAlpha(line[x]) / 255.0f;
        }
    }
    return plane;
}

float at(const Plane& plane, int width, int height, int x, int y)
{
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return 0;
    }
    return plane[std::size_t(y) * std::size_t(width) + std::size_t(x)];
}

QImage blurImage(const QImage& image, const swf::BlurFilter& blur)
{
    const int width = image.width();
    const int height = image.height();
    std::array<Plane, 4> planes;
    for (Plane& plane : planes) {
        plane.resize(std::size_t(width) * std::size_t(height));
    }
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const std::size_t i = std::size_t(y) * std::size_t(width) + std::size_t(x);
            planes[0][i] = float(qRed(line[x]));
            planes[1][i] = float(qGreen(line[x]));
            planes[2][i] = float(qBlue(line[x]));
            planes[3][i] = float(qAlpha(line[x]));
        }
    }
    for (Plane& plane : planes) {
        boxBlur(plane, width, height, blur.blurX, blur.blurY, blur.passes);
    }
    QImage result(image.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const std::size_t i = std::size_t(y) * std::size_t(width) + std::size_t(x);
            const int alpha = std::clamp(int(planes[3][i] + 0.5f), 0, 255);
            const auto channel = [&](const Plane& plane) {
                return std::clamp(int(plane[i] + 0.5f), 0, alpha);
            };
            line[x] = qRgba(channel(planes[0]), channel(planes[1]), channel(planes[2]), alpha);
        }
    }
    return result;
}

// Shadows, glows and bevels: a coloured, blurred copy of the picture's
// alpha, moved by the distance along the angle, outside the picture or
// (inner) inside it. colorAt picks the colour for an effect strength.
template <typename ColorAt>
QImage shadowImage(const QImage& image, const swf::FilterShadowParameters& shadow,
                   double offsetSign, ColorAt colorAt, bool bevel)
{
    const int width = image.width();
    const int height = image.height();
    const Plane source = alphaPlane(image);
    Plane plane = source;
    if (shadow.inner && !bevel) {
        for (float& value : plane) {
            value = 1.0f - value;
        }
    }
    boxBlur(plane, width, height, shadow.blurX, shadow.blurY, shadow.passes);
    const int dx = int(std::lround(std::cos(shadow.angle) * shadow.distance * offsetSign));
    const int dy = int(std::lround(std::sin(shadow.angle) * shadow.distance * offsetSign));
    QImage effect(image.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(effect.scanLine(y));
        for (int x = 0; x < width; ++x) {
            float strength = at(plane, width, height, x - dx, y - dy);
            if (bevel) {
                strength = std::max(0.0f, strength - at(plane, width, height, x + dx, y + dy));
            }
            strength = std::clamp(float(strength * shadow.strength), 0.0f, 1.0f);
            const float own = source[std::size_t(y) * std::size_t(width) + std::size_t(x)];
            // Inner effects show only inside the picture; outer ones end up
            // under it when composed.
            if (shadow.inner) {
                strength *= own;
            }
            const QRgb color = colorAt(strength);
            const int alpha = std::clamp(int(qAlpha(color) * strength + 0.5f), 0, 255);
            line[x] = qRgba(qRed(color) * alpha / 255, qGreen(color) * alpha / 255,
                            qBlue(color) * alpha / 255, alpha);
        }
    }
    return effect;
}

QImage compose(const QImage& picture, const QImage& effect,
               const swf::FilterShadowParameters& shadow)
{
    QImage result(picture.size(), QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    if (shadow.knockout) {
        // Only the effect, cut out where the picture was (outer) or kept
        // only there (inner).
        painter.drawImage(0, 0, effect);
        painter.setCompositionMode(shadow.inner ? QPainter::CompositionMode_DestinationIn
                                                : QPainter::CompositionMode_DestinationOut);
        painter.drawImage(0, 0, picture);
        return result;
    }
    if (shadow.inner || shadow.onTop) {
        if (shadow.compositeSource) {
            painter.drawImage(0, 0, picture);
        }
        painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        painter.drawImage(0, 0, effect);
        return result;
    }
    painter.drawImage(0, 0, effect);
    if (shadow.compositeSource) {
        painter.drawImage(0, 0, picture);
    }
    return result;
}

QRgb toRgb(swf::Rgba color)
{
    return qRgba(color.r, color.g, color.b, color.a);
}

QRgb gradientAt(const std::vector<swf::GradientRecord>& gradient, float position)
{
    if (gradient.empty()) {
        return qRgba(0, 0, 0, 0);
    }
    const float ratio = position * 255.0f;
    if (ratio <= gradient.front().ratio) {
        return toRgb(gradient.front().color);
    }
    for (std::size_t i = 1; i < gradient.size(); ++i) {
        if (ratio <= gradient[i].ratio) {
            const float span = std::max(1.0f, float(gradient[i].ratio - gradient[i - 1].ratio));
            const float t = (ratio - gradient[i - 1].ratio) / span;
            const swf::Rgba a = gradient[i - 1].color;
            const swf::Rgba b = gradient[i].color;
            const auto mix = [t](int from, int to) { return int(from + (to - from) * t + 0.5f); };
            return qRgba(mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b), mix(a.a, b.a));
        }
    }
    return toRgb(gradient.back().color);
}

QImage colorMatrix(QImage image, const swf::ColorMatrixFilter& filter)
{
    const auto& m = filter.matrix;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = qUnpremultiply(line[x]);
            const float in[4] = {float(qRed(pixel)), float(qGreen(pixel)), float(qBlue(pixel)),
                                 float(qAlpha(pixel))};
            int out[4];
            for (int row = 0; row < 4; ++row) {
                const float* r = &m[std::size_t(row) * 5];
                out[row] = std::clamp(
                    int(r[0] * in[0] + r[1] * in[1] + r[2] * in[2] + r[3] * in[3] + r[4] + 0.5f), 0,
                    255);
            }
            line[x] = qPremultiply(qRgba(out[0], out[1], out[2], out[3]));
        }
    }
    return image;
}

QImage convolve(const QImage& image, const swf::ConvolutionFilter& filter)
{
    if (filter.columns <= 0 || filter.rows <= 0 || filter.divisor == 0.0f) {
        return image;
    }
    const int width = image.width();
    const int height = image.height();
    QImage result(image.size(), QImage::Format_ARGB32_Premultiplied);
    const QRgb outside = qPremultiply(toRgb(filter.defaultColor));
    const auto pixel = [&](int x, int y) -> QRgb {
        if (x < 0 || y < 0 || x >= width || y >= height) {
            if (!filter.clamp) {
                return outside;
            }
            x = std::clamp(x, 0, width - 1);
            y = std::clamp(y, 0, height - 1);
        }
        return qUnpremultiply(reinterpret_cast<const QRgb*>(image.constScanLine(y))[x]);
    };
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < width; ++x) {
            float sum[4] = {0, 0, 0, 0};
            for (int row = 0; row < filter.rows; ++row) {
                for (int column = 0; column < filter.columns; ++column) {
                    const float weight =
                        filter.matrix[std::size_t(row) * std::size_t(filter.columns) +
                                      std::size_t(column)];
                    const QRgb p =
                        pixel(x + column - filter.columns / 2, y + row - filter.rows / 2);
                    sum[0] += weight * float(qRed(p));
                    sum[1] += weight * float(qGreen(p));
                    sum[2] += weight * float(qBlue(p));
                    sum[3] += weight * float(qAlpha(p));
                }
            }
            const auto channel = [&](int i) {
                return std::clamp(int(sum[i] / filter.divisor + filter.bias + 0.5f), 0, 255);
            };
            const int alpha = filter.preserveAlpha ? qAlpha(pixel(x, y)) : channel(3);
            line[x] = qPremultiply(qRgba(channel(0), channel(1), channel(2), alpha));
        }
    }
    return result;
}

struct FilterApplier {
    QImage picture;

    void operator()(const swf::BlurFilter& blur) { picture = blurImage(picture, blur); }
    void operator()(const swf::DropShadowFilter& drop)
    {
        const QRgb color = toRgb(drop.color);
        picture = compose(picture,
                          shadowImage(
                              picture, drop.shadow, 1.0, [color](float) { return color; }, false),
                          drop.shadow);
    }
    void operator()(const swf::GlowFilter& glow)
    {
        swf::FilterShadowParameters shadow = glow.shadow;
        shadow.distance = 0;
        const QRgb color = toRgb(glow.color);
        picture = compose(picture,
                          shadowImage(
                              picture, shadow, 1.0, [color](float) { return color; }, false),
                          shadow);
    }
    void operator()(const swf::BevelFilter& bevel)
    {
        swf::FilterShadowParameters shadow = bevel.shadow;
        const QRgb highlight = toRgb(bevel.highlightColor);
        const QRgb dark = toRgb(bevel.shadowColor);
        QImage effect = shadowImage(
            picture, shadow, -1.0, [highlight](float) { return highlight; }, true);
        {
            QPainter painter(&effect);
            painter.drawImage(0, 0,
                              shadowImage(
                                  picture, shadow, 1.0, [dark](float) { return dark; }, true));
        }
        shadow.inner = shadow.inner || !shadow.onTop;
        picture = compose(picture, effect, shadow);
    }
    void operator()(const swf::GradientFilter& gradient)
    {
        const auto& records = gradient.gradient;
        swf::FilterShadowParameters shadow = gradient.shadow;
        if (!gradient.bevel) {
            shadow.distance = 0;
        }
        picture = compose(picture,
                          shadowImage(
                              picture, shadow, 1.0,
                              [&records](float strength) { return gradientAt(records, strength); },
                              gradient.bevel),
                          shadow);
    }
    void operator()(const swf::ConvolutionFilter& convolution)
    {
        picture = convolve(picture, convolution);
    }
    void operator()(const swf::ColorMatrixFilter& matrix)
    {
        picture = colorMatrix(std::move(picture), matrix);
    }
};

} // namespace

QImage applyFilters(QImage picture, const std::vector<swf::Filter>& filters)
{
    FilterApplier applier{std::move(picture)};
    for (const swf::Filter& filter : filters) {
        if (const auto value = swf::decodeFilter(filter)) {
            std::visit(applier, *value);
        }
    }
    return std::move(applier.picture);
}

} // namespace quorvane::player
