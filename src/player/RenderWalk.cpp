#include "player/RenderWalk.h"

#include "player/QtConversions.h"

#include <vector>

namespace quorvane::player {

namespace {

void drawObject(const Dictionary& dictionary, const DisplayObject& object,
                const QTransform& transform, const ColorTransform& colors, Renderer& renderer,
                bool buildingMask);

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
    if (const ShapeGeometry* shape = dictionary.shape(object.characterId)) {
        renderer.drawShape(*shape, transform, colors);
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
