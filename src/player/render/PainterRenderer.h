#pragma once

#include "player/movie/Dictionary.h"
#include "player/render/Renderer.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <memory>
#include <optional>
#include <string>
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
    // A bitmap with a colour transform applied to its pixels, made once per
    // bitmap and transform.
    const QImage& transformedBitmap(const QImage& bitmap, const ColorTransform& colors);
    void clear();
    // Forgets the drawings scripts made that no render drew since the last
    // call: a drawing that stays is converted once, one redrawn every frame
    // does not pile up.
    void dropUnusedDrawings();

private:
    struct ScriptDrawingItems {
        std::vector<PaintedItem> items;
        bool used = true;
    };

    std::unordered_map<const ShapeGeometry*, std::vector<PaintedItem>> m_items;
    std::unordered_map<std::uint64_t, ScriptDrawingItems> m_scriptDrawings;
    std::unordered_map<std::string, QImage> m_bitmaps;
};

// Draws with QPainter: anti-aliased fills and strokes, gradients through
// QGradient, bitmaps as textures, masks as clip paths, layers as images
// composed by blend mode after their filters.
class PainterRenderer : public Renderer {
public:
    // The dictionary gives the bitmaps that bitmap fills name.
    PainterRenderer(QPainter& painter, PaintCache& cache, const Dictionary& dictionary);
    ~PainterRenderer() override;

    void drawShape(const ShapeGeometry& shape, const QTransform& transform,
                   const ColorTransform& colors) override;
    void drawText(const DeviceTextRun& run, const QTransform& transform,
                  const ColorTransform& colors) override;
    void setBitmapSource(const Dictionary& dictionary) override;
    void drawBitmap(const QImage& image, const QTransform& transform, const ColorTransform& colors,
                    bool smoothing) override;
    void beginMask() override;
    void endMask() override;
    void popMask() override;
    void beginLayer() override;
    void endLayer(BlendMode mode, const std::vector<swf::Filter>& filters) override;

private:
    // The image is held by pointer: its painter keeps its address.
    struct Layer {
        std::unique_ptr<QImage> image;
        std::unique_ptr<QPainter> painter;
        int masksActive = 0;
    };

    QBrush brushFor(const swf::FillStyle& style, const ColorTransform& colors);
    void fillBitmap(const QPainterPath& path, const swf::FillStyle& style,
                    const QTransform& transform, const ColorTransform& colors);

    QPainter& m_outer;
    // The outer painter or the innermost layer's.
    QPainter* m_painter;
    PaintCache& m_cache;
    const Dictionary* m_dictionary;
    std::vector<Layer> m_layers;
    int m_maskBuilding = 0;
    int m_masksActive = 0;
    // The fills of the mask being built, in device coordinates.
    std::vector<QPainterPath> m_maskParts;
};

} // namespace quorvane::player
