#pragma once

#include "player/render/Renderer.h"

#include <QImage>
#include <QPainter>

namespace quorvane::player {

// Draws a layer, the size of the painter's device, onto what the painter
// holds with Flash's blend mode. Modes QPainter has are its composition
// modes; subtract and invert are done on the pixels. Alpha and erase change
// only the alpha of what lies below.
void composeLayer(QPainter& painter, const QImage& layer, BlendMode mode);

} // namespace quorvane::player
