#pragma once

#include "player/Renderer.h"

#include <QPainter>
#include <QPainterPath>
#include <optional>
#include <unordered_map>
#include <vector>

namespace quorvane::player {

// One item of a shape as the painter draws it, in the shape's twips.
struct PaintedItem {
    // The area of a fill; the centre line of a stroke.
    QPainterPath path;
    // A stroke's outline at its own width, made on first use: filling it
    // under the object's transform scales the line as Flash does and spares
    // stroking the line again every frame.
    std::optional<QPainterPath> outline;
};

// Shapes converted to painter paths once, for as long as their movie lives.
class PaintCache {
public:
    // One entry per item of the shape.
    std::vector<PaintedItem>& items(const ShapeGeometry& shape);
    void clear() { m_items.clear(); }

private:
    std::unordered_map<const ShapeGeometry*, std::vector<PaintedItem>> m_items;
};

// Draws with QPainter: anti-aliased fills and strokes, gradients through
// QGradient, masks as clip paths.
class PainterRenderer : public Renderer {
public:
    PainterRenderer(QPainter& painter, PaintCache& cache);
    ~PainterRenderer() override;

    void drawShape(const ShapeGeometry& shape, const QTransform& transform,
                   const ColorTransform& colors) override;
    void beginMask() override;
    void endMask() override;
    void popMask() override;

private:
    QPainter& m_painter;
    PaintCache& m_cache;
    int m_maskBuilding = 0;
    int m_masksActive = 0;
    QPainterPath m_mask;
};

} // namespace quorvane::player
