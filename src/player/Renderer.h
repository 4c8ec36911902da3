#pragma once

#include "player/ColorTransform.h"
#include "player/ShapeGeometry.h"

#include <QTransform>

namespace quorvane::player {

// Where the engine draws a frame. Transforms map a shape's twips to the
// device.
class Renderer {
public:
    virtual ~Renderer() = default;

    virtual void drawShape(const ShapeGeometry& shape, const QTransform& transform,
                           const ColorTransform& colors) = 0;

    // Shapes drawn between beginMask and endMask form a mask instead of
    // being painted; from endMask until the matching popMask only what lies
    // inside that mask (and any mask pushed before it) is painted.
    virtual void beginMask() = 0;
    virtual void endMask() = 0;
    virtual void popMask() = 0;
};

} // namespace quorvane::player
