#pragma once

#include "player/movie/DisplayList.h"

#include <QImage>
#include <QPainter>
#include <QSize>
#include <QTransform>
#include <cstddef>
#include <functional>
#include <span>
#include <vector>

namespace quorvane::player {

// A picture of a frame's background and of its lowest objects, kept while
// they stay as they were: a frame that changes only what lies above them
// (an animation over a lesson's backdrop, shapes moving over a full-stage
// gradient) copies the picture instead of drawing them again. A copy is the
// very pixels drawing would give, so the picture is used only on the device
// size, transforms and painter settings it was made with.
class StillBottom {
public:
    // Everything besides the objects that decides the pixels.
    struct View {
        QSize pixels;
        qreal devicePixelRatio = 1;
        QTransform world;
        QTransform stageToDevice;
        QPainter::RenderHints hints;
        int movie = 0;
        bool operator==(const View&) const = default;
    };
    // Fills the whole device with the background and draws the objects on it.
    using Draw = std::function<void(QPainter&, std::span<const DisplayObject>)>;

    // Paints the bottom of the frame and returns how many of the list's
    // lowest objects that was; the caller draws the ones above. The picture
    // is remade from the objects that stayed as `previous` (the last frame
    // drawn) had them; with none, nothing is painted and 0 returned.
    std::size_t paint(QPainter& painter, const View& view, const DisplayList& list,
                      const DisplayList& previous, const Draw& draw);
    void clear();

    // The device, transform and settings the painter draws with; the
    // caller adds the stage transform and the movie.
    static View deviceView(const QPainter& painter);

private:
    bool holdsBottomOf(const View& view, const DisplayList& list) const;

    View m_view;
    QImage m_picture;
    // The objects the picture shows and the contents of their run-time pixels.
    DisplayList m_objects;
    std::vector<qint64> m_pixels;
};

// How many of the lowest objects both lists share, cut back so that no
// clip-depth mask among them covers an object above them.
std::size_t stillObjectCount(const DisplayList& list, const DisplayList& previous);

} // namespace quorvane::player
