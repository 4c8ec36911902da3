#include "player/graphics/ContourPaths.h"

namespace quorvane::player {

QPainterPath pathOfContours(const std::vector<Contour>& contours, bool closeContours)
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

} // namespace quorvane::player
