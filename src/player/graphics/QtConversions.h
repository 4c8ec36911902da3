#pragma once

#include "swf/Types.h"

#include <QColor>
#include <QRectF>
#include <QTransform>

// The one place where format values become Qt values.
namespace quorvane::player {

QTransform toQTransform(const swf::Matrix& matrix);
// Rounded to the format's fixed point and whole twips.
swf::Matrix toSwfMatrix(const QTransform& transform);
QColor toQColor(swf::Rgba color);
// In pixels.
QRectF toQRectF(const swf::Rect& rect);

} // namespace quorvane::player
