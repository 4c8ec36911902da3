#include "player/PainterRenderer.h"

#include "player/QtConversions.h"

#include <QLinearGradient>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

namespace quorvane::player {

namespace {

QPainterPath toPath(const std::vector<Contour>& contours, bool closeContours)
{
    QPainterPath path;
    for (const Contour& contour : contours) {
        path.moveTo(contour.start.x, contour.start.y);
        for (const Segment& segment : contour.segments) {
            if (segment.control) {
                path.quadTo(segment.control->x, segment.control->y, segment.end.x, segment.end.y);
            } else {
                path.lineTo(segment.end.x, segment.end.y);
            }
        }
        if (closeContours && contour.isClosed() && !contour.segments.empty()) {
            path.closeSubpath();
        }
    }
    return path;
}

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

QBrush brushFor(const swf::FillStyle& style, const ColorTransform& colors)
{
    if (style.type == swf::FillStyle::Type::Solid) {
        return QBrush(toQColor(colors.apply(style.color)));
    }
    if (!style.isGradient() || style.gradient.records.empty()) {
        // Bitmap fills come with the bitmaps; until then they show nothing.
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

QPen penFor(const swf::LineStyle& style, const ColorTransform& colors, const QTransform& transform)
{
    QPen pen(style.fill ? brushFor(*style.fill, colors)
                        : QBrush(toQColor(colors.apply(style.color))),
             style.width);
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
    auto found = m_items.find(&shape);
    if (found != m_items.end()) {
        return found->second;
    }
    std::vector<PaintedItem> items;
    items.reserve(shape.items.size());
    for (const DrawItem& item : shape.items) {
        if (const auto* fill = std::get_if<FillArea>(&item)) {
            QPainterPath path = toPath(fill->contours, true);
            path.setFillRule(shape.windingFill ? Qt::WindingFill : Qt::OddEvenFill);
            items.push_back(PaintedItem{std::move(path), std::nullopt});
        } else {
            const auto& stroke = std::get<Stroke>(item);
            items.push_back(
                PaintedItem{toPath(stroke.contours, !stroke.style.noClose), std::nullopt});
        }
    }
    return m_items.emplace(&shape, std::move(items)).first->second;
}

PainterRenderer::PainterRenderer(QPainter& painter, PaintCache& cache)
    : m_painter(painter), m_cache(cache)
{
    m_painter.save();
    m_painter.setRenderHint(QPainter::Antialiasing, true);
}

PainterRenderer::~PainterRenderer()
{
    while (m_masksActive > 0) {
        popMask();
    }
    m_painter.restore();
}

void PainterRenderer::drawShape(const ShapeGeometry& shape, const QTransform& transform,
                                const ColorTransform& colors)
{
    std::vector<PaintedItem>& items = m_cache.items(shape);
    if (m_maskBuilding > 0) {
        for (std::size_t i = 0; i < shape.items.size(); ++i) {
            if (std::holds_alternative<FillArea>(shape.items[i])) {
                m_mask = m_mask.united(transform.map(items[i].path));
            }
        }
        return;
    }
    m_painter.setTransform(transform);
    for (std::size_t i = 0; i < shape.items.size(); ++i) {
        PaintedItem& item = items[i];
        if (const auto* fill = std::get_if<FillArea>(&shape.items[i])) {
            const QBrush brush = brushFor(fill->style, colors);
            if (brush.style() != Qt::NoBrush) {
                m_painter.fillPath(item.path, brush);
            }
            continue;
        }
        const auto& stroke = std::get<Stroke>(shape.items[i]);
        const QPen pen = penFor(stroke.style, colors, transform);
        if (pen.isCosmetic()) {
            // Flash puts a one-pixel line on the pixels right of and below
            // its coordinates, not astride them.
            m_painter.setTransform(transform * QTransform::fromTranslate(0.5, 0.5));
            m_painter.strokePath(item.path, pen);
            m_painter.setTransform(transform);
            continue;
        }
        if (!item.outline) {
            QPainterPathStroker stroker(pen);
            item.outline = stroker.createStroke(item.path);
        }
        m_painter.fillPath(*item.outline, pen.brush());
    }
}

void PainterRenderer::beginMask()
{
    if (m_maskBuilding++ == 0) {
        m_mask = QPainterPath();
    }
}

void PainterRenderer::endMask()
{
    if (m_maskBuilding == 0 || --m_maskBuilding > 0) {
        return;
    }
    m_painter.save();
    m_painter.resetTransform();
    m_painter.setClipPath(m_mask, Qt::IntersectClip);
    ++m_masksActive;
}

void PainterRenderer::popMask()
{
    if (m_masksActive > 0) {
        m_painter.restore();
        --m_masksActive;
    }
}

} // namespace quorvane::player
