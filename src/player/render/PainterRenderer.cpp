#include "player/render/PainterRenderer.h"

#include "player/graphics/ContourPaths.h"
#include "player/graphics/QtConversions.h"
#include "player/render/BlendModes.h"
#include "player/render/Filters.h"

#include <QLinearGradient>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

namespace quorvane::player {

namespace {

double toLinear(double channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double fromLinear(double linear)
{
    const double c =
        linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
    return std::clamp(c * 255.0, 0.0, 255.0);
}

QGradientStops gradientStops(const swf::Gradient& gradient, const ColorTransform& colors)
{
    QGradientStops stops;
    double lastPosition = -1.0;
    for (const swf::GradientRecord& record : gradient.records) {
        // Equal ratios make a hard edge; QGradient needs rising positions.
        const double position = std::max(record.ratio / 255.0, lastPosition + 1e-6);
        stops.append({std::min(position, 1.0), toQColor(colors.apply(record.color))});
        lastPosition = position;
    }
    if (gradient.interpolation != swf::InterpolationMode::LinearRgb || stops.size() < 2) {
        return stops;
    }
    // QGradient blends in sRGB; blending in linear light is approximated
    // by extra stops between each pair.
    constexpr int kSteps = 8;
    QGradientStops linear;
    for (qsizetype i = 0; i + 1 < stops.size(); ++i) {
        const auto& [from, fromColor] = stops[i];
        const auto& [to, toColor] = stops[i + 1];
        for (int step = 0; step < kSteps; ++step) {
            const double t = double(step) / kSteps;
            const auto mix = [&](int a, int b) {
                return int(std::lround(fromLinear(toLinear(a) * (1 - t) + toLinear(b) * t)));
            };
            linear.append(
                {from + (to - from) * t,
                 QColor(mix(fromColor.red(), toColor.red()),
                        mix(fromColor.green(), toColor.green()),
                        mix(fromColor.blue(), toColor.blue()),
                        int(std::lround(fromColor.alpha() * (1 - t) + toColor.alpha() * t)))});
        }
    }
    linear.append(stops.back());
    return linear;
}

QBrush gradientBrush(const swf::FillStyle& style, const ColorTransform& colors)
{
    if (style.type == swf::FillStyle::Type::Solid) {
        return QBrush(toQColor(colors.apply(style.color)));
    }
    if (!style.isGradient() || style.gradient.records.empty()) {
        return QBrush(Qt::NoBrush);
    }
    const swf::Gradient& gradient = style.gradient;
    const QTransform matrix = toQTransform(gradient.matrix);
    const QGradientStops stops = gradientStops(gradient, colors);
    if (stops.size() == 1 || !matrix.isInvertible()) {
        return QBrush(stops.back().second);
    }
    constexpr double half = swf::kGradientSquareHalf;
    QGradient qgradient;
    if (style.type == swf::FillStyle::Type::LinearGradient) {
        qgradient = QLinearGradient(-half, 0, half, 0);
    } else {
        const double focus = style.type == swf::FillStyle::Type::FocalRadialGradient
                                 ? std::clamp(gradient.focalPoint / 256.0, -0.998, 0.998)
                                 : 0.0;
        qgradient = QRadialGradient(QPointF(0, 0), half, QPointF(focus * half, 0));
    }
    qgradient.setStops(stops);
    switch (gradient.spread) {
    case swf::SpreadMode::Reflect:
        qgradient.setSpread(QGradient::ReflectSpread);
        break;
    case swf::SpreadMode::Repeat:
        qgradient.setSpread(QGradient::RepeatSpread);
        break;
    default:
        qgradient.setSpread(QGradient::PadSpread);
        break;
    }
    QBrush brush(qgradient);
    brush.setTransform(matrix);
    return brush;
}

Qt::PenCapStyle capFor(swf::CapStyle cap)
{
    switch (cap) {
    case swf::CapStyle::None:
        return Qt::FlatCap;
    case swf::CapStyle::Square:
        return Qt::SquareCap;
    default:
        return Qt::RoundCap;
    }
}

QPen penFor(const swf::LineStyle& style, const QBrush& brush, const QTransform& transform)
{
    QPen pen(brush, style.width);
    pen.setCapStyle(capFor(style.startCap));
    switch (style.join) {
    case swf::JoinStyle::Bevel:
        pen.setJoinStyle(Qt::BevelJoin);
        break;
    case swf::JoinStyle::Miter:
        pen.setJoinStyle(Qt::MiterJoin);
        pen.setMiterLimit(std::max(1.0, style.miterLimitFactor / 256.0));
        break;
    default:
        pen.setJoinStyle(Qt::RoundJoin);
        break;
    }
    // Flash never draws a line thinner than one device pixel; hairlines
    // (width 0) and scaled-down lines become one-pixel lines.
    const double scale = std::sqrt(std::abs(transform.determinant()));
    if (style.width * scale < 1.0) {
        pen.setCosmetic(true);
        pen.setWidthF(1.0);
    }
    return pen;
}

} // namespace

std::vector<PaintedItem>& PaintCache::items(const ShapeGeometry& shape)
{
    if (shape.scriptDrawing != 0) {
        auto drawing = m_scriptDrawings.find(shape.scriptDrawing);
        if (drawing != m_scriptDrawings.end()) {
            drawing->second.used = true;
            return drawing->second.items;
        }
    } else if (auto found = m_items.find(&shape); found != m_items.end()) {
        return found->second;
    }
    std::vector<PaintedItem> items;
    items.reserve(shape.items.size());
    for (const DrawItem& item : shape.items) {
        if (const auto* fill = std::get_if<FillArea>(&item)) {
            QPainterPath path = pathOfContours(fill->contours, true);
            path.setFillRule(shape.windingFill ? Qt::WindingFill : Qt::OddEvenFill);
            items.push_back(PaintedItem{std::move(path), std::nullopt});
        } else {
            const auto& stroke = std::get<Stroke>(item);
            items.push_back(
                PaintedItem{pathOfContours(stroke.contours, !stroke.style.noClose), std::nullopt});
        }
    }
    if (shape.scriptDrawing != 0) {
        return (m_scriptDrawings[shape.scriptDrawing] = ScriptDrawingItems{std::move(items)}).items;
    }
    return m_items.emplace(&shape, std::move(items)).first->second;
}

const QImage& PaintCache::transformedBitmap(const QImage& bitmap, const ColorTransform& colors)
{
    std::string key(reinterpret_cast<const char*>(&colors), sizeof colors);
    const qint64 image = bitmap.cacheKey();
    key.append(reinterpret_cast<const char*>(&image), sizeof image);
    auto found = m_bitmaps.find(key);
    if (found != m_bitmaps.end()) {
        return found->second;
    }
    // A movie fading a picture in makes a new transform every frame; past a
    // few dozen the old ones go.
    constexpr std::size_t kMaxTransformedBitmaps = 64;
    if (m_bitmaps.size() >= kMaxTransformedBitmaps) {
        m_bitmaps.clear();
    }
    QImage result = bitmap.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            // Flash leaves a bitmap's fully transparent pixels transparent,
            // whatever the transform adds.
            if (qAlpha(line[x]) == 0) {
                continue;
            }
            const swf::Rgba color = colors.apply(
                swf::Rgba{std::uint8_t(qRed(line[x])), std::uint8_t(qGreen(line[x])),
                          std::uint8_t(qBlue(line[x])), std::uint8_t(qAlpha(line[x]))});
            line[x] = qRgba(color.r, color.g, color.b, color.a);
        }
    }
    result.convertTo(QImage::Format_ARGB32_Premultiplied);
    return m_bitmaps.emplace(std::move(key), std::move(result)).first->second;
}

void PaintCache::dropUnusedDrawings()
{
    std::erase_if(m_scriptDrawings, [](const auto& entry) { return !entry.second.used; });
    for (auto& [number, drawing] : m_scriptDrawings) {
        drawing.used = false;
    }
}

void PaintCache::clear()
{
    m_items.clear();
    m_scriptDrawings.clear();
    m_bitmaps.clear();
}

PainterRenderer::PainterRenderer(QPainter& painter, PaintCache& cache, const Dictionary& dictionary)
    : m_outer(painter), m_painter(&painter), m_cache(cache), m_dictionary(&dictionary)
{
    m_painter->save();
    m_painter->setRenderHint(QPainter::Antialiasing, true);
}

PainterRenderer::~PainterRenderer()
{
    while (!m_layers.empty()) {
        endLayer(BlendMode::Normal, {});
    }
    while (m_masksActive > 0) {
        popMask();
    }
    m_painter->restore();
    m_cache.dropUnusedDrawings();
}

QBrush PainterRenderer::brushFor(const swf::FillStyle& style, const ColorTransform& colors)
{
    if (!style.isBitmap()) {
        return gradientBrush(style, colors);
    }
    const QImage* bitmap = m_dictionary->bitmap(style.bitmapId);
    if (!bitmap) {
        // Flash fills with a missing bitmap show nothing.
        return QBrush(Qt::NoBrush);
    }
    QBrush brush(m_cache.transformedBitmap(*bitmap, colors));
    brush.setTransform(toQTransform(style.bitmapMatrix));
    return brush;
}

void PainterRenderer::fillBitmap(const QPainterPath& path, const swf::FillStyle& style,
                                 const QTransform& transform, const ColorTransform& colors)
{
    const QImage* bitmap = m_dictionary->bitmap(style.bitmapId);
    if (!bitmap) {
        return;
    }
    const QImage& image = m_cache.transformedBitmap(*bitmap, colors);
    const bool smooth = style.type == swf::FillStyle::Type::RepeatingBitmap ||
                        style.type == swf::FillStyle::Type::ClippedBitmap;
    const bool clipped = style.type == swf::FillStyle::Type::ClippedBitmap ||
                         style.type == swf::FillStyle::Type::NonSmoothedClippedBitmap;
    m_painter->save();
    m_painter->setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    if (!clipped) {
        QBrush brush(image);
        brush.setTransform(toQTransform(style.bitmapMatrix));
        m_painter->fillPath(path, brush);
    } else {
        // A clipped fill draws the bitmap once, inside the shape.
        m_painter->setClipPath(path, Qt::IntersectClip);
        m_painter->setTransform(toQTransform(style.bitmapMatrix) * transform);
        m_painter->drawImage(QPointF(0, 0), image);
    }
    m_painter->restore();
}

void PainterRenderer::drawShape(const ShapeGeometry& shape, const QTransform& transform,
                                const ColorTransform& colors)
{
    std::vector<PaintedItem>& items = m_cache.items(shape);
    if (m_maskBuilding > 0) {
        for (std::size_t i = 0; i < shape.items.size(); ++i) {
            if (std::holds_alternative<FillArea>(shape.items[i]) && !items[i].path.isEmpty()) {
                m_maskParts.push_back(transform.map(items[i].path));
            }
        }
        return;
    }
    m_painter->setTransform(transform);
    for (std::size_t i = 0; i < shape.items.size(); ++i) {
        PaintedItem& item = items[i];
        if (const auto* fill = std::get_if<FillArea>(&shape.items[i])) {
            if (fill->style.isBitmap()) {
                fillBitmap(item.path, fill->style, transform, colors);
                continue;
            }
            const QBrush brush = brushFor(fill->style, colors);
            if (brush.style() != Qt::NoBrush) {
                m_painter->fillPath(item.path, brush);
            }
            continue;
        }
        const auto& stroke = std::get<Stroke>(shape.items[i]);
        const QPen pen =
            penFor(stroke.style,
                   stroke.style.fill ? brushFor(*stroke.style.fill, colors)
                                     : QBrush(toQColor(colors.apply(stroke.style.color))),
                   transform);
        if (pen.isCosmetic()) {
            // Flash puts a one-pixel line on the pixels right of and below
            // its coordinates, not astride them.
            // A pixel-hinted one is snapped to whole pixels: not smoothed.
            m_painter->setTransform(transform * QTransform::fromTranslate(0.5, 0.5));
            m_painter->setRenderHint(QPainter::Antialiasing, !stroke.style.pixelHinting);
            m_painter->strokePath(item.path, pen);
            m_painter->setRenderHint(QPainter::Antialiasing, true);
            m_painter->setTransform(transform);
            continue;
        }
        if (!item.outline) {
            QPainterPathStroker stroker(pen);
            item.outline = stroker.createStroke(item.path);
        }
        m_painter->fillPath(*item.outline, pen.brush());
    }
}

void PainterRenderer::drawText(const DeviceTextRun& run, const QTransform& transform,
                               const ColorTransform& colors)
{
    if (m_maskBuilding > 0) {
        QPainterPath path;
        path.addText(run.origin, run.font, run.text);
        m_maskParts.push_back(transform.map(path));
        return;
    }
    m_painter->setTransform(transform);
    QFont font = run.font;
    font.setUnderline(run.underline);
    m_painter->setFont(font);
    m_painter->setPen(toQColor(colors.apply(run.color)));
    m_painter->drawText(run.origin, run.text);
}

void PainterRenderer::setBitmapSource(const Dictionary& dictionary)
{
    m_dictionary = &dictionary;
}

void PainterRenderer::drawBitmap(const QImage& image, const QTransform& transform,
                                 const ColorTransform& colors, bool smoothing)
{
    const QTransform pixels = QTransform::fromScale(20, 20) * transform;
    if (m_maskBuilding > 0) {
        QPainterPath area;
        area.addRect(QRectF(QPointF(0, 0), QSizeF(image.size())));
        m_maskParts.push_back(pixels.map(area));
        return;
    }
    m_painter->save();
    m_painter->setRenderHint(QPainter::SmoothPixmapTransform, smoothing);
    m_painter->setTransform(pixels);
    m_painter->drawImage(QPointF(0, 0), m_cache.transformedBitmap(image, colors));
    m_painter->restore();
}

void PainterRenderer::beginMask()
{
    if (m_maskBuilding++ == 0) {
        m_maskParts.clear();
    }
}

void PainterRenderer::endMask()
{
    if (m_maskBuilding == 0 || --m_maskBuilding > 0) {
        return;
    }
    // Uniting paths costs more the more there are; past a few dozen parts
    // (never seen in real masks) the rest are only added, which is exact
    // unless they overlap.
    constexpr std::size_t kMaxUnited = 32;
    QPainterPath mask = m_maskParts.empty() ? QPainterPath() : m_maskParts.front();
    for (std::size_t i = 1; i < m_maskParts.size(); ++i) {
        if (i < kMaxUnited) {
            mask = mask.united(m_maskParts[i]);
        } else {
            mask.addPath(m_maskParts[i]);
        }
    }
    m_maskParts.clear();
    m_painter->save();
    m_painter->resetTransform();
    m_painter->setClipPath(mask, Qt::IntersectClip);
    ++m_masksActive;
}

void PainterRenderer::popMask()
{
    const int outerMasks = m_layers.empty() ? 0 : m_layers.back().masksActive;
    if (m_masksActive > outerMasks) {
        m_painter->restore();
        --m_masksActive;
    }
}

void PainterRenderer::beginLayer()
{
    const QSize size(m_painter->device()->width(), m_painter->device()->height());
    Layer layer;
    layer.image = std::make_unique<QImage>(size, QImage::Format_ARGB32_Premultiplied);
    layer.image->fill(Qt::transparent);
    layer.painter = std::make_unique<QPainter>(layer.image.get());
    layer.painter->setRenderHint(QPainter::Antialiasing, true);
    layer.masksActive = m_masksActive;
    m_painter = layer.painter.get();
    m_layers.push_back(std::move(layer));
}

void PainterRenderer::endLayer(BlendMode mode, const std::vector<swf::Filter>& filters)
{
    if (m_layers.empty()) {
        return;
    }
    while (m_masksActive > m_layers.back().masksActive) {
        m_painter->restore();
        --m_masksActive;
    }
    Layer layer = std::move(m_layers.back());
    m_layers.pop_back();
    layer.painter->end();
    m_painter = m_layers.empty() ? &m_outer : m_layers.back().painter.get();
    QImage picture = applyFilters(std::move(*layer.image), filters);
    composeLayer(*m_painter, picture, mode);
}

} // namespace quorvane::player
