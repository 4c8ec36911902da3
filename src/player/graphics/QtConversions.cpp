#include "player/graphics/QtConversions.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quorvane::player {

QTransform toQTransform(const swf::Matrix& matrix)
{
    constexpr double one = swf::kFixed16One;
    return QTransform(matrix.scaleX / one, matrix.rotateSkew0 / one, matrix.rotateSkew1 / one,
                      matrix.scaleY / one, matrix.translateX, matrix.translateY);
}

swf::Matrix toSwfMatrix(const QTransform& transform)
{
    const auto fixed = [](double value) {
        constexpr double limit =
            std::numeric_limits<swf::Fixed16>::max() / double(swf::kFixed16One);
        return swf::Fixed16(std::lround(std::clamp(value, -limit, limit) * swf::kFixed16One));
    };
    const auto twips = [](double value) {
        constexpr double limit = std::numeric_limits<swf::Twips>::max();
        return swf::Twips(std::lround(std::clamp(value, -limit, limit)));
    };
    return swf::Matrix{fixed(transform.m11()), fixed(transform.m22()), fixed(transform.m12()),
                       fixed(transform.m21()), twips(transform.dx()),  twips(transform.dy())};
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
