#pragma once

#include "player/render/Renderer.h"

#include <QString>
#include <QStringList>
#include <QTransform>

namespace quorvane::fixtures {

// Writes down what the engine asks to draw, one line per call, with the
// device position of what is drawn: the order of the walk without pixels.
class RecordingRenderer : public player::Renderer {
public:
    QStringList calls;

    void drawShape(const player::ShapeGeometry& shape, const QTransform& transform,
                   const player::ColorTransform&) override
    {
        const QPointF corner = transform.map(QPointF(shape.bounds.xMin, shape.bounds.yMin));
        calls << QStringLiteral("shape %1,%2").arg(corner.x()).arg(corner.y());
    }
    void drawText(const player::DeviceTextRun&, const QTransform&,
                  const player::ColorTransform&) override
    {
        calls << QStringLiteral("text");
    }
    void setBitmapSource(const player::Dictionary&) override {}
    void drawBitmap(const QImage& image, const QTransform&, const player::ColorTransform&,
                    bool) override
    {
        calls << QStringLiteral("bitmap %1x%2").arg(image.width()).arg(image.height());
    }
    void beginMask() override { calls << QStringLiteral("beginMask"); }
    void endMask() override { calls << QStringLiteral("endMask"); }
    void popMask() override { calls << QStringLiteral("popMask"); }
    void beginLayer() override { calls << QStringLiteral("beginLayer"); }
    void endLayer(player::BlendMode mode, const std::vector<swf::Filter>& filters) override
    {
        calls << QStringLiteral("endLayer %1 %2").arg(int(mode)).arg(filters.size());
    }
};

} // namespace quorvane::fixtures
