#pragma once

#include "player/graphics/ColorTransform.h"
#include "player/movie/Dictionary.h"
#include "player/movie/DisplayList.h"
#include "player/render/Renderer.h"

#include <QTransform>
#include <span>

namespace quorvane::player {

// Hands every visible shape of a display list, sprites' included, to the
// renderer in painting order, with its accumulated transform and colours;
// objects with a clip depth become masks over the depths they cover.
void renderDisplayList(const Dictionary& dictionary, std::span<const DisplayObject> objects,
                       const QTransform& transform, const ColorTransform& colors,
                       Renderer& renderer);

} // namespace quorvane::player
