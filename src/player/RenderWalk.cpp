#include "player/RenderWalk.h"

#include "player/QtConversions.h"

#include <cmath>
#include <vector>

namespace quorvane::player {

namespace {

void drawObject(const Dictionary& dictionary, const DisplayObject& object,
                const QTransform& transform, const ColorTransform& colors, Renderer& renderer,
                bool buildingMask);

// Glyphs are filled black; their colour comes as a transform, so that the
// object's own colour transform applies on top.
ColorTransform solidColor(swf::Rgba color)
{
    ColorTransform transform;
    transform.multiply = {0, 0, 0, 0};
    transform.add = {float(color.r), float(color.g), float(color.b), float(color.a)};
    return transform;
}

// Flash puts an edit text's background and border on whole pixels; an
// unrotated box is moved and stretched onto the nearest ones.
QTransform onWholePixels(const swf::Rect& bounds, const QTransform& transform)
{
    const QRectF box = transform.mapRect(
        QRectF(QPointF(bounds.xMin, bounds.yMin), QPointF(bounds.xMax, bounds.yMax)));
    if (transform.isRotating() || box.width() <= 0 || box.height() <= 0) {
        return transform;
    }
    const QRectF snapped(QPointF(std::round(box.left()), std::round(box.top())),
                         QPointF(std::round(box.right()), std::round(box.bottom())));
    const double xScale = snapped.width() / box.width();
    const double yScale = snapped.height() / box.height();
    return transform * QTransform(xScale, 0, 0, yScale, snapped.left() - box.left() * xScale,
                                  snapped.top() - box.top() * yScale);
}

void drawText(const TextBlock& text, const QTransform& transform, const ColorTransform& colors,
              Renderer& renderer, bool buildingMask)
{
    if (text.box && !buildingMask) {
        renderer.drawShape(*text.box, onWholePixels(text.box->bounds, transform), colors);
    }
    for (const GlyphDraw& glyph : text.glyphs) {
        renderer.drawShape(*glyph.glyph, glyph.transform * transform,
                           solidColor(glyph.color).then(colors));
    }
    for (const DeviceTextRun& run : text.runs) {
        renderer.drawText(run, transform, colors);
    }
}

bool needsLayer(const DisplayObject& object)
{
    const bool blends = object.blendMode > static_cast<std::uint8_t>(BlendMode::Normal);
    return blends || !object.filters.empty() || object.cacheAsBitmap;
}

void drawList(const Dictionary& dictionary, const DisplayList& list, const QTransform& transform,
              const ColorTransform& colors, Renderer& renderer, bool buildingMask)
{
    std::vector<std::uint16_t> maskEnds;
    for (const DisplayObject& object : list) {
        while (!maskEnds.empty() && object.depth > maskEnds.back()) {
            renderer.popMask();
            maskEnds.pop_back();
        }
        const QTransform objectTransform = toQTransform(object.matrix) * transform;
        const ColorTransform objectColors =
            ColorTransform::fromSwf(object.colorTransform).then(colors);
        // Inside a mask, nested masks only add their shapes to it.
        if (object.clipDepth != 0 && !buildingMask) {
            renderer.beginMask();
            drawObject(dictionary, object, objectTransform, objectColors, renderer, true);
            renderer.endMask();
            maskEnds.push_back(object.clipDepth);
            continue;
        }
        if (!buildingMask && needsLayer(object)) {
            renderer.beginLayer();
            drawObject(dictionary, object, objectTransform, objectColors, renderer, false);
            const auto mode =
                object.blendMode <= static_cast<std::uint8_t>(BlendMode::HardLight)
                    ? static_cast<BlendMode>(std::max<std::uint8_t>(1, object.blendMode))
                    : BlendMode::Normal;
            renderer.endLayer(mode, object.filters);
            continue;
        }
        drawObject(dictionary, object, objectTransform, objectColors, renderer, buildingMask);
    }
    while (!maskEnds.empty()) {
        renderer.popMask();
        maskEnds.pop_back();
    }
}

void drawObject(const Dictionary& dictionary, const DisplayObject& object,
                const QTransform& transform, const ColorTransform& colors, Renderer& renderer,
                bool buildingMask)
{
    if (object.dictionary && object.dictionary != &dictionary) {
        renderer.setBitmapSource(*object.dictionary);
        drawObject(*object.dictionary, object, transform, colors, renderer, buildingMask);
        renderer.setBitmapSource(dictionary);
        return;
    }
    if (object.bitmap) {
        if (!object.bitmap->isNull()) {
            renderer.drawBitmap(*object.bitmap, transform, colors, object.smoothBitmap);
        }
        drawList(dictionary, object.children, transform, colors, renderer, buildingMask);
    } else if (object.text) {
        drawText(*object.text, transform, colors, renderer, buildingMask);
    } else if (const ShapeGeometry* shape = dictionary.shape(object.characterId)) {
        renderer.drawShape(*shape, transform, colors);
    } else if (const MorphShape* morph = dictionary.morph(object.characterId)) {
        renderer.drawShape(morph->at(object.ratio), transform, colors);
    } else if (const TextBlock* text = dictionary.text(object.characterId)) {
        drawText(*text, transform, colors, renderer, buildingMask);
    } else if (!object.children.empty()) {
        drawList(dictionary, object.children, transform, colors, renderer, buildingMask);
    }
}

} // namespace

void renderDisplayList(const Dictionary& dictionary, const DisplayList& list,
                       const QTransform& transform, const ColorTransform& colors,
                       Renderer& renderer)
{
    drawList(dictionary, list, transform, colors, renderer, false);
}

} // namespace quorvane::player
