#include "player/render/StillBottom.h"

#include <QPaintDevice>
#include <algorithm>

namespace quorvane::player {

std::size_t stillObjectCount(const DisplayList& list, const DisplayList& previous)
{
    const auto shared = static_cast<std::size_t>(
        std::mismatch(list.begin(), list.end(), previous.begin(), previous.end()).first -
        list.begin());
    // A mask is drawn before the objects it covers; splitting the list
    // inside its depth range would leave the ones above it unmasked.
    std::size_t still = 0;
    std::uint16_t maskReach = 0;
    for (std::size_t count = 1; count <= shared; ++count) {
        maskReach = std::max(maskReach, list[count - 1].clipDepth);
        if (count == list.size() || list[count].depth > maskReach) {
            still = count;
        }
    }
    return still;
}

StillBottom::View StillBottom::deviceView(const QPainter& painter)
{
    const QPaintDevice& device = *painter.device();
    const qreal ratio = device.devicePixelRatio();
    // Images and pixmaps give their size in pixels, windows in their own
    // coordinates.
    const bool inPixels =
        device.devType() == QInternal::Image || device.devType() == QInternal::Pixmap;
    const QSize size(device.width(), device.height());
    View view;
    view.pixels = inPixels ? size : (QSizeF(size) * ratio).toSize();
    view.devicePixelRatio = ratio;
    view.world = painter.worldTransform();
    view.hints = painter.renderHints();
    return view;
}

bool StillBottom::holdsBottomOf(const View& view, const DisplayList& list) const
{
    const std::size_t count = m_objects.size();
    if (count == 0 || !(view == m_view) || list.size() < count ||
        !std::equal(m_objects.begin(), m_objects.end(), list.begin())) {
        return false;
    }
    // An object come since inside the range of a mask in the picture.
    std::uint16_t maskReach = 0;
    for (const DisplayObject& object : m_objects) {
        maskReach = std::max(maskReach, object.clipDepth);
    }
    if (list.size() > count && list[count].depth <= maskReach) {
        return false;
    }
    return pixelKeys(std::span(list).first(count)) == m_pixels;
}

std::size_t StillBottom::paint(QPainter& painter, const View& view, const DisplayList& list,
                               const DisplayList& previous, const Draw& draw)
{
    if (!holdsBottomOf(view, list)) {
        const std::size_t still = stillObjectCount(list, previous);
        if (still == 0) {
            clear();
            return 0;
        }
        const std::span bottom = std::span(list).first(still);
        if (m_picture.size() != view.pixels) {
            m_picture = QImage(view.pixels, QImage::Format_ARGB32_Premultiplied);
        }
        m_picture.setDevicePixelRatio(view.devicePixelRatio);
        {
            QPainter picturePainter(&m_picture);
            picturePainter.setRenderHints(view.hints);
            picturePainter.setWorldTransform(view.world);
            draw(picturePainter, bottom);
        }
        m_view = view;
        m_objects.assign(bottom.begin(), bottom.end());
        m_pixels = pixelKeys(bottom);
    }
    painter.save();
    painter.resetTransform();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPointF(0, 0), m_picture);
    painter.restore();
    return m_objects.size();
}

void StillBottom::clear()
{
    m_objects.clear();
    m_pixels.clear();
    m_picture = QImage();
}

} // namespace quorvane::player
