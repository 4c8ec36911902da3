#include "player/render/RenderWalk.h"

#include "player/graphics/QtConversions.h"

#include <algorithm>
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

// A clip-depth mask in force over the objects of a list up to its depth.
struct DepthMask {
    const DisplayObject* object;
    QTransform transform;
    ColorTransform colors;
};

void pushMask(const Dictionary& dictionary, const DisplayObject& object,
              const QTransform& transform, const ColorTransform& colors, Renderer& renderer)
{
    renderer.beginMask();
    drawObject(dictionary, object, transform, colors, renderer, true);
    renderer.endMask();
}

void drawUnmasked(const Dictionary& dictionary, const DisplayObject& object,
                  const QTransform& transform, const ColorTransform& colors, Renderer& renderer)
{
    if (!needsLayer(object)) {
        drawObject(dictionary, object, transform, colors, renderer, false);
        return;
    }
    renderer.beginLayer();
    drawObject(dictionary, object, transform, colors, renderer, false);
    const auto mode = object.blendMode <= static_cast<std::uint8_t>(BlendMode::HardLight)
                          ? static_cast<BlendMode>(std::max<std::uint8_t>(1, object.blendMode))
                          : BlendMode::Normal;
    renderer.endLayer(mode, object.filters);
}

// A mask set by script takes the place of the list's clip-depth masks for
// its object: they are lifted while it draws, then put back.
void drawScriptMasked(const Dictionary& dictionary, const DisplayObject& object,
                      const QTransform& parentTransform, const ColorTransform& parentColors,
                      const std::vector<DepthMask>& depthMasks, Renderer& renderer)
{
    for (std::size_t i = 0; i < depthMasks.size(); ++i) {
        renderer.popMask();
    }
    const DisplayObject& mask = *object.scriptMask;
    pushMask(dictionary, mask, toQTransform(mask.matrix) * parentTransform,
             ColorTransform::fromSwf(mask.colorTransform).then(parentColors), renderer);
    drawUnmasked(dictionary, object, toQTransform(object.matrix) * parentTransform,
                 ColorTransform::fromSwf(object.colorTransform).then(parentColors), renderer);
    renderer.popMask();
    for (const DepthMask& depthMask : depthMasks) {
        pushMask(dictionary, *depthMask.object, depthMask.transform, depthMask.colors, renderer);
    }
}

void drawList(const Dictionary& dictionary, std::span<const DisplayObject> list,
              const QTransform& transform, const ColorTransform& colors, Renderer& renderer,
              bool buildingMask)
{
    std::vector<DepthMask> depthMasks;
    for (const DisplayObject& object : list) {
        while (!depthMasks.empty() && object.depth > depthMasks.back().object->clipDepth) {
            renderer.popMask();
            depthMasks.pop_back();
        }
        const QTransform objectTransform = toQTransform(object.matrix) * transform;
        const ColorTransform objectColors =
            ColorTransform::fromSwf(object.colorTransform).then(colors);
        // Inside a mask, nested masks only add their shapes to it.
        if (buildingMask) {
            drawObject(dictionary, object, objectTransform, objectColors, renderer, true);
        } else if (object.clipDepth != 0) {
            pushMask(dictionary, object, objectTransform, objectColors, renderer);
            depthMasks.push_back(DepthMask{&object, objectTransform, objectColors});
        } else if (object.scriptMask) {
            drawScriptMasked(dictionary, object, transform, colors, depthMasks, renderer);
        } else {
            drawUnmasked(dictionary, object, objectTransform, objectColors, renderer);
        }
    }
    for (std::size_t i = 0; i < depthMasks.size(); ++i) {
        renderer.popMask();
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
    if (object.drawing) {
        renderer.drawShape(*object.drawing, transform, colors);
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

void renderDisplayList(const Dictionary& dictionary, std::span<const DisplayObject> objects,
                       const QTransform& transform, const ColorTransform& colors,
                       Renderer& renderer)
{
    drawList(dictionary, objects, transform, colors, renderer, false);
}

} // namespace quorvane::player
