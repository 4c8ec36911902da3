#include "StageRendering.h"

#include "SwfFixtures.h"
#include "player/Player.h"

#include <QPainter>
#include <QtGlobal>

namespace quorvane::fixtures {

QImage renderFirstFrame(const swf::Movie& movie, double scale)
{
    player::Player player;
    if (const auto error = player.loadBytes(bytes(movie))) {
        qWarning("%s", error->c_str());
        return {};
    }
    QImage image((player.stageSize() * scale).toSize(), QImage::Format_ARGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    player.render(painter, QTransform::fromScale(scale, scale));
    painter.end();
    return image;
}

} // namespace quorvane::fixtures
