#pragma once

#include "player/graphics/ColorTransform.h"
#include "player/graphics/ShapeGeometry.h"
#include "player/text/TextLayout.h"
#include "swf/Tags.h"

#include <QImage>
#include <QTransform>
#include <cstdint>
#include <vector>

namespace quorvane::player {

class Dictionary;

// SWF 8's blend modes by their PlaceObject3 numbers; 0 reads as Normal.
enum class BlendMode : std::uint8_t {
    Normal = 1,
    Layer = 2,
    Multiply = 3,
    Screen = 4,
    Lighten = 5,
    Darken = 6,
    Difference = 7,
    Add = 8,
    Subtract = 9,
    Invert = 10,
    Alpha = 11,
    Erase = 12,
    Overlay = 13,
    HardLight = 14,
};

// Where the engine draws a frame. Transforms map a shape's twips to the
// device.
class Renderer {
public:
    virtual ~Renderer() = default;

    virtual void drawShape(const ShapeGeometry& shape, const QTransform& transform,
                           const ColorTransform& colors) = 0;
    virtual void drawText(const DeviceTextRun& run, const QTransform& transform,
                          const ColorTransform& colors) = 0;
    // Where the bitmaps that bitmap fills name come from, from now on: a
    // movie loaded at run time numbers its bitmaps its own way.
    virtual void setBitmapSource(const Dictionary& dictionary) = 0;
    // A picture made at run time (a loaded image, a BitmapData), one twip
    // per twentieth of its pixels, its top-left at the transform's origin.
    virtual void drawBitmap(const QImage& image, const QTransform& transform,
                            const ColorTransform& colors, bool smoothing) = 0;

    // Shapes drawn between beginMask and endMask form a mask instead of
    // being painted; from endMask until the matching popMask only what lies
    // inside that mask (and any mask pushed before it) is painted.
    virtual void beginMask() = 0;
    virtual void endMask() = 0;
    virtual void popMask() = 0;

    // What is drawn between beginLayer and endLayer becomes one picture,
    // which the filters change and the blend mode then composes onto what
    // lies below.
    virtual void beginLayer() = 0;
    virtual void endLayer(BlendMode mode, const std::vector<swf::Filter>& filters) = 0;
};

} // namespace quorvane::player
