#include "player/avm1/Drawing.h"

#include <algorithm>
#include <atomic>

namespace quorvane::player::avm1 {

namespace {

// Contours start lazily, at the first segment after the pen moved, so that
// moveTo alone draws nothing.
void extend(std::vector<Contour>& contours, swf::Point from, const Segment& segment)
{
    if (contours.empty() || contours.back().finish() != from) {
        contours.push_back(Contour{from, {}});
    }
    contours.back().segments.push_back(segment);
}

void closeContours(std::vector<Contour>& contours)
{
    for (Contour& contour : contours) {
        if (!contour.isClosed()) {
            contour.segments.push_back(Segment{contour.start, std::nullopt});
        }
    }
}

// The extremes of a quadratic curve on one axis lie at its ends or where
// its derivative is zero.
void includeCurve(QRectF& box, QPointF from, QPointF control, QPointF to)
{
    const auto extremum = [](double a, double b, double c) -> std::optional<double> {
        const double denominator = a - 2 * b + c;
        if (denominator == 0) {
            return std::nullopt;
        }
        const double t = (a - b) / denominator;
        if (t <= 0 || t >= 1) {
            return std::nullopt;
        }
        return (1 - t) * (1 - t) * a + 2 * t * (1 - t) * b + t * t * c;
    };
    if (const auto x = extremum(from.x(), control.x(), to.x())) {
        box.setLeft(std::min(box.left(), *x));
        box.setRight(std::max(box.right(), *x));
    }
    if (const auto y = extremum(from.y(), control.y(), to.y())) {
        box.setTop(std::min(box.top(), *y));
        box.setBottom(std::max(box.bottom(), *y));
    }
}

QRectF contourBox(const Contour& contour)
{
    QPointF previous(contour.start.x, contour.start.y);
    QRectF box(previous, previous);
    for (const Segment& segment : contour.segments) {
        const QPointF end(segment.end.x, segment.end.y);
        box.setLeft(std::min(box.left(), end.x()));
        box.setRight(std::max(box.right(), end.x()));
        box.setTop(std::min(box.top(), end.y()));
        box.setBottom(std::max(box.bottom(), end.y()));
        if (segment.control) {
            includeCurve(box, previous, QPointF(segment.control->x, segment.control->y), end);
        }
        previous = end;
    }
    return box;
}

} // namespace

void Drawing::beginFill(std::optional<swf::FillStyle> style)
{
    endFill();
    if (style) {
        m_fill = FillArea{std::move(*style), {}};
    }
}

void Drawing::endFill()
{
    finishStroke();
    if (m_fill) {
        closeContours(m_fill->contours);
        if (!m_fill->contours.empty()) {
            m_items.emplace_back(std::move(*m_fill));
        }
        m_fill.reset();
    }
    for (Stroke& stroke : m_strokesOverFill) {
        m_items.emplace_back(std::move(stroke));
    }
    m_strokesOverFill.clear();
    changed();
}

void Drawing::lineStyle(std::optional<swf::LineStyle> style)
{
    finishStroke();
    m_line = std::move(style);
}

void Drawing::moveTo(swf::Point to)
{
    m_pen = to;
}

void Drawing::lineTo(swf::Point to)
{
    addSegment(Segment{to, std::nullopt});
}

void Drawing::curveTo(swf::Point control, swf::Point to)
{
    addSegment(Segment{to, control});
}

void Drawing::clear()
{
    *this = Drawing();
}

void Drawing::addSegment(const Segment& segment)
{
    if (m_fill) {
        extend(m_fill->contours, m_pen, segment);
    }
    if (m_line) {
        if (!m_stroke) {
            m_stroke = Stroke{*m_line, {}};
        }
        extend(m_stroke->contours, m_pen, segment);
    }
    m_pen = segment.end;
    changed();
}

void Drawing::finishStroke()
{
    if (!m_stroke) {
        return;
    }
    if (m_fill) {
        m_strokesOverFill.push_back(std::move(*m_stroke));
    } else {
        m_items.emplace_back(std::move(*m_stroke));
    }
    m_stroke.reset();
    changed();
}

bool Drawing::isEmpty() const
{
    return m_items.empty() && (!m_fill || m_fill->contours.empty()) && m_strokesOverFill.empty() &&
           !m_stroke;
}

std::shared_ptr<const ShapeGeometry> Drawing::geometry() const
{
    if (m_geometry) {
        return m_geometry;
    }
    auto geometry = std::make_shared<ShapeGeometry>();
    static std::atomic<std::uint64_t> drawingsMade = 0;
    geometry->scriptDrawing = ++drawingsMade;
    geometry->items = m_items;
    if (m_fill && !m_fill->contours.empty()) {
        FillArea open = *m_fill;
        closeContours(open.contours);
        geometry->items.emplace_back(std::move(open));
    }
    geometry->items.insert(geometry->items.end(), m_strokesOverFill.begin(),
                           m_strokesOverFill.end());
    if (m_stroke) {
        geometry->items.emplace_back(*m_stroke);
    }
    if (const auto box = bounds()) {
        geometry->bounds = swf::Rect{swf::Twips(box->left()), swf::Twips(box->right()),
                                     swf::Twips(box->top()), swf::Twips(box->bottom())};
    }
    m_geometry = std::move(geometry);
    return m_geometry;
}

std::optional<QRectF> Drawing::bounds() const
{
    std::optional<QRectF> result;
    const auto include = [&result](const QRectF& box) {
        result = result ? result->united(box) : box;
    };
    const auto includeFill = [&](const FillArea& fill) {
        for (const Contour& contour : fill.contours) {
            include(contourBox(contour));
        }
    };
    const auto includeStroke = [&](const Stroke& stroke) {
        const double half = stroke.style.width / 2.0;
        for (const Contour& contour : stroke.contours) {
            include(contourBox(contour).adjusted(-half, -half, half, half));
        }
    };
    for (const DrawItem& item : m_items) {
        if (const auto* fill = std::get_if<FillArea>(&item)) {
            includeFill(*fill);
        } else {
            includeStroke(std::get<Stroke>(item));
        }
    }
    if (m_fill) {
        includeFill(*m_fill);
    }
    for (const Stroke& stroke : m_strokesOverFill) {
        includeStroke(stroke);
    }
    if (m_stroke) {
        includeStroke(*m_stroke);
    }
    return result;
}

} // namespace quorvane::player::avm1
