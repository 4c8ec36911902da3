#include "player/graphics/ShapeHitTest.h"

#include "player/graphics/ContourPaths.h"

#include <QPainterPath>
#include <QPainterPathStroker>
#include <algorithm>

namespace quorvane::player {

bool shapeContains(const ShapeGeometry& shape, QPointF twips)
{
    const swf::Rect& box = shape.bounds;
    if (twips.x() < box.xMin || twips.x() > box.xMax || twips.y() < box.yMin ||
        twips.y() > box.yMax) {
        return false;
    }
    for (const DrawItem& item : shape.items) {
        if (const auto* fill = std::get_if<FillArea>(&item)) {
            QPainterPath path = pathOfContours(fill->contours, true);
            path.setFillRule(shape.windingFill ? Qt::WindingFill : Qt::OddEvenFill);
            if (path.contains(twips)) {
                return true;
            }
            continue;
        }
        const auto& stroke = std::get<Stroke>(item);
        QPainterPathStroker stroker;
        // A hairline is still a pixel wide on screen.
        stroker.setWidth(std::max<double>(stroke.style.width, swf::kTwipsPerPixel));
        stroker.setCapStyle(Qt::RoundCap);
        stroker.setJoinStyle(Qt::RoundJoin);
        if (stroker.createStroke(pathOfContours(stroke.contours, !stroke.style.noClose))
                .contains(twips)) {
            return true;
        }
    }
    return false;
}

} // namespace quorvane::player
