#include "player/render/BlendModes.h"

#include <algorithm>

namespace quorvane::player {

namespace {

// Subtract and invert read the destination, which a painter cannot hand
// out; the layer is turned into what, drawn over the destination with
// source-over, gives the blended result.
QImage pixelBlend(const QImage& below, const QImage& layer, BlendMode mode)
{
    QImage result(layer.size(), QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    const QImage destination = below.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < layer.height() && y < destination.height(); ++y) {
        const auto* source = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        const auto* under = reinterpret_cast<const QRgb*>(destination.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < layer.width() && x < destination.width(); ++x) {
            const int alpha = qAlpha(source[x]);
            if (alpha == 0) {
                continue;
            }
            const auto blend = [&](int s, int d) {
                // s is premultiplied; the blended colour replaces d where
                // the layer is opaque.
                const int value =
                    mode == BlendMode::Subtract ? std::max(0, d - s * 255 / alpha) : 255 - d;
                return value;
            };
            const QRgb d = under[x];
            out[x] = qRgba(blend(qRed(source[x]), qRed(d)) * alpha / 255,
                           blend(qGreen(source[x]), qGreen(d)) * alpha / 255,
                           blend(qBlue(source[x]), qBlue(d)) * alpha / 255, alpha);
        }
    }
    return result;
}

QPainter::CompositionMode compositionFor(BlendMode mode)
{
    switch (mode) {
    case BlendMode::Multiply:
        return QPainter::CompositionMode_Multiply;
    case BlendMode::Screen:
        return QPainter::CompositionMode_Screen;
    case BlendMode::Lighten:
        return QPainter::CompositionMode_Lighten;
    case BlendMode::Darken:
        return QPainter::CompositionMode_Darken;
    case BlendMode::Difference:
        return QPainter::CompositionMode_Difference;
    case BlendMode::Add:
        return QPainter::CompositionMode_Plus;
    case BlendMode::Alpha:
        return QPainter::CompositionMode_DestinationIn;
    case BlendMode::Erase:
        return QPainter::CompositionMode_DestinationOut;
    case BlendMode::Overlay:
        return QPainter::CompositionMode_Overlay;
    case BlendMode::HardLight:
        return QPainter::CompositionMode_HardLight;
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

} // namespace

void composeLayer(QPainter& painter, const QImage& layer, BlendMode mode)
{
    painter.save();
    painter.resetTransform();
    painter.setOpacity(1.0);
    if (mode == BlendMode::Subtract || mode == BlendMode::Invert) {
        auto* below = dynamic_cast<QImage*>(painter.device());
        if (below) {
            painter.drawImage(0, 0, pixelBlend(*below, layer, mode));
        } else {
            painter.drawImage(0, 0, layer);
        }
    } else {
        painter.setCompositionMode(compositionFor(mode));
        painter.drawImage(0, 0, layer);
    }
    painter.restore();
}

} // namespace quorvane::player
