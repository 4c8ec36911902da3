#pragma once

#include "player/Renderer.h"

#include <QPainter>
#include <QPainterPath>

#include <unordered_map>
#include <vector>

namespace quorvane::player {

// Shapes converted to painter paths once, for as long as their movie lives.
class PaintCache {
public:
    // One path per item of the shape, in the shape's twips.
    const std::vector<QPainterPath>& paths(const ShapeGeometry& shape);
    void clear() { m_paths.clear(); }

private:
    std::unordered_map<const ShapeGeometry*, std::vector<QPainterPath>> m_paths;
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
