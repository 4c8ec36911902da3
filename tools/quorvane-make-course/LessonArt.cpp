#include "LessonArt.h"

#include <QPainterPathStroker>

namespace quorvane::course::art {

namespace {

QPainterPath stroked(const QPainterPath& line, double width)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(line).simplified();
}

} // namespace

QPainterPath circle(double radius)
{
    QPainterPath path;
    path.addEllipse(QPointF(0, 0), radius, radius);
    return path;
}

QPainterPath roundedRect(const QRectF& area, double radius)
{
    QPainterPath path;
    path.addRoundedRect(area, radius, radius);
    return path;
}

QPainterPath rim(const QRectF& area, double radius, double width)
{
    // Shapes fill by the winding rule: the inner outline runs the other way
    // round to cut the hole.
    const QRectF inner = area.adjusted(width, width, -width, -width);
    QPainterPath path = roundedRect(area, radius);
    path.addPath(roundedRect(inner, radius - width).toReversed());
    return path;
}

QPainterPath tick(double size)
{
    QPainterPath line;
    line.moveTo(-size * 0.45, 0);
    line.lineTo(-size * 0.12, size * 0.32);
    line.lineTo(size * 0.48, -size * 0.36);
    return stroked(line, size * 0.18);
}

QPainterPath cross(double size)
{
    QPainterPath line;
    line.moveTo(-size * 0.38, -size * 0.38);
    line.lineTo(size * 0.38, size * 0.38);
    line.moveTo(size * 0.38, -size * 0.38);
    line.lineTo(-size * 0.38, size * 0.38);
    return stroked(line, size * 0.18);
}

QPainterPath arrow(double length)
{
    QPainterPath line;
    line.moveTo(0, 0);
    line.lineTo(length, 0);
    line.moveTo(length - 7, -6);
    line.lineTo(length, 0);
    line.lineTo(length - 7, 6);
    return stroked(line, 3);
}

QPainterPath replaySign(double radius)
{
    QPainterPath line;
    line.arcMoveTo(QRectF(-radius, -radius, 2 * radius, 2 * radius), 60);
    line.arcTo(QRectF(-radius, -radius, 2 * radius, 2 * radius), 60, 290);
    QPainterPath sign = stroked(line, radius * 0.3);
    QPainterPath head;
    const QPointF tip = line.pointAtPercent(1.0);
    head.moveTo(tip + QPointF(radius * 0.55, -radius * 0.05));
    head.lineTo(tip + QPointF(-radius * 0.2, -radius * 0.5));
    head.lineTo(tip + QPointF(-radius * 0.25, radius * 0.45));
    head.closeSubpath();
    return sign.united(head);
}

} // namespace quorvane::course::art
