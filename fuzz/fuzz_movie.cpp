// libFuzzer entry: any bytes are read as a movie, played for a few frames,
// seeked and drawn small. Nothing may crash, leak, hang or misbehave.

#include "player/Player.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    quorvane::swf::ReadOptions options;
    // Small enough that a decompression bomb costs milliseconds, not seconds.
    options.maxMovieBytes = 4u << 20;
    quorvane::player::Player player;
    if (player.loadBytes(std::span(data, size), options)) {
        return 0;
    }
    for (int frame = 0; frame < 3; ++frame) {
        player.advanceFrame();
    }
    player.gotoFrame(player.totalFrames() - 1);
    player.gotoFrame(1);

    QImage image(48, 36, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    const QSizeF stage = player.stageSize();
    const double scale = std::clamp(48.0 / std::max(stage.width(), 1.0), 1e-4, 1e4);
    QPainter painter(&image);
    player.render(painter, QTransform::fromScale(scale, scale));
    return 0;
}
