#include "ShapeBuilder.h"

#include <QLineF>
#include <algorithm>
#include <cmath>

namespace quorvane::course {

namespace {

constexpr double kTwips = swf::kTwipsPerPixel;
// A cubic is split until a quadratic stays within this many twips of it.
constexpr double kTolerance = 1.0;
constexpr int kMaxSplits = 6;

swf::Point toTwips(QPointF point)
{
    return swf::Point{int(std::lround(point.x() * kTwips)), int(std::lround(point.y() * kTwips))};
}

} // namespace

swf::Rgba toRgba(QColor color)
{
    return swf::Rgba{std::uint8_t(color.red()), std::uint8_t(color.green()),
                     std::uint8_t(color.blue()), std::uint8_t(color.alpha())};
}

ShapeBuilder::ShapeBuilder(std::uint16_t id)
{
    m_shape.version = 4;
    m_shape.id = id;
    m_shape.usesFillWindingRule = true;
}

swf::FillStyle ShapeBuilder::solid(QColor color)
{
    swf::FillStyle style;
    style.color = toRgba(color);
    return style;
}

swf::FillStyle ShapeBuilder::linearGradient(const QRectF& area, QColor from, QColor to,
                                            bool vertical)
{
    swf::FillStyle style;
    style.type = swf::FillStyle::Type::LinearGradient;
    // The gradient square's x axis (-16384..16384 twips) is laid along the
    // area's width, or turned a quarter to run down its height.
    const double length = (vertical ? area.height() : area.width()) * kTwips;
    const auto scale = swf::Fixed16(std::lround(length / 32768.0 * swf::kFixed16One));
    swf::Matrix matrix;
    if (vertical) {
        matrix.scaleX = 0;
        matrix.scaleY = 0;
        matrix.rotateSkew0 = scale;
        matrix.rotateSkew1 = -scale;
    } else {
        matrix.scaleX = scale;
        matrix.scaleY = scale;
    }
    const swf::Point centre = toTwips(area.center());
    matrix.translateX = centre.x;
    matrix.translateY = centre.y;
    style.gradient.matrix = matrix;
    style.gradient.records = {{0, toRgba(from)}, {255, toRgba(to)}};
    return style;
}

std::uint32_t ShapeBuilder::addFill(const QPainterPath& path, const swf::FillStyle& style)
{
    m_shape.shape.styles.fillStyles.push_back(style);
    const auto index = std::uint32_t(m_shape.shape.styles.fillStyles.size());
    addEdges(path, index);
    return index;
}

void ShapeBuilder::addEdges(const QPainterPath& path, std::uint32_t fill)
{
    std::optional<swf::Point> subpathStart;
    const auto closeSubpath = [&] {
        if (subpathStart && m_position != *subpathStart) {
            lineTo(*subpathStart);
        }
    };
    QPointF current;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element element = path.elementAt(i);
        switch (element.type) {
        case QPainterPath::MoveToElement: {
            closeSubpath();
            swf::StyleChangeRecord change;
            change.moveTo = toTwips(element);
            change.fillStyle1 = fill;
            m_shape.shape.records.push_back(change);
            m_position = *change.moveTo;
            subpathStart = m_position;
            growBounds(m_position);
            current = element;
            break;
        }
        case QPainterPath::LineToElement:
            lineTo(toTwips(element));
            current = element;
            break;
        case QPainterPath::CurveToElement: {
            const QPointF control2 = path.elementAt(i + 1);
            const QPointF end = path.elementAt(i + 2);
            cubicTo(current, element, control2, end, 0);
            current = end;
            i += 2;
            break;
        }
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
    closeSubpath();
}

void ShapeBuilder::lineTo(swf::Point to)
{
    if (to == m_position) {
        return;
    }
    m_shape.shape.records.emplace_back(
        std::in_place_type<swf::StraightEdgeRecord>,
        swf::StraightEdgeRecord{to.x - m_position.x, to.y - m_position.y});
    m_position = to;
    growBounds(to);
}

void ShapeBuilder::quadTo(swf::Point control, swf::Point to)
{
    if (control == m_position || control == to) {
        lineTo(to);
        return;
    }
    m_shape.shape.records.emplace_back(std::in_place_type<swf::CurvedEdgeRecord>,
                                       swf::CurvedEdgeRecord{control.x - m_position.x,
                                                             control.y - m_position.y,
                                                             to.x - control.x, to.y - control.y});
    m_position = to;
    growBounds(control);
    growBounds(to);
}

void ShapeBuilder::cubicTo(QPointF start, QPointF control1, QPointF control2, QPointF end,
                           int depth)
{
    // The quadratic through the cubic's ends whose control point best fits
    // both of its control points; its error is bounded by sqrt(3)/36 of the
    // cubic's third difference.
    const QPointF thirdDifference = end - 3 * control2 + 3 * control1 - start;
    const double error =
        std::hypot(thirdDifference.x(), thirdDifference.y()) * kTwips * std::sqrt(3.0) / 36.0;
    if (error <= kTolerance || depth >= kMaxSplits) {
        const QPointF control = (3 * (control1 + control2) - start - end) / 4;
        quadTo(toTwips(control), toTwips(end));
        return;
    }
    const QPointF a = (start + control1) / 2;
    const QPointF b = (control1 + control2) / 2;
    const QPointF c = (control2 + end) / 2;
    const QPointF ab = (a + b) / 2;
    const QPointF bc = (b + c) / 2;
    const QPointF middle = (ab + bc) / 2;
    cubicTo(start, a, ab, middle, depth + 1);
    cubicTo(middle, bc, c, end, depth + 1);
}

void ShapeBuilder::growBounds(swf::Point point)
{
    swf::Rect& bounds = m_shape.bounds;
    if (m_empty) {
        bounds = swf::Rect{point.x, point.x, point.y, point.y};
        m_empty = false;
    } else {
        bounds.xMin = std::min(bounds.xMin, point.x);
        bounds.xMax = std::max(bounds.xMax, point.x);
        bounds.yMin = std::min(bounds.yMin, point.y);
        bounds.yMax = std::max(bounds.yMax, point.y);
    }
    m_shape.edgeBounds = bounds;
}

} // namespace quorvane::course
