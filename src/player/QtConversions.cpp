#include "player/QtConversions.h"

namespace quorvane::player {

QTransform toQTransform(const swf::Matrix& matrix)
{
    constexpr double one = swf::kFixed16One;
    return QTransform(matrix.scaleX / one, matrix.rotateSkew0 / one, matrix.rotateSkew1 / one,
                      matrix.scaleY / one, matrix.translateX, matrix.translateY);
}

QColor toQColor(swf::Rgba color)
{
    return QColor(color.r, color.g, color.b, color.a);
}

QRectF toQRectF(const swf::Rect& rect)
{
    constexpr double twips = swf::kTwipsPerPixel;
    return QRectF(rect.xMin / twips, rect.yMin / twips, (rect.xMax - rect.xMin) / twips,
                  (rect.yMax - rect.yMin) / twips);
}

} // namespace quorvane::player
