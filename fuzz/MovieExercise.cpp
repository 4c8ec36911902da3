#include "MovieExercise.h"

#include "player/Player.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <vector>

namespace quorvane::fuzz {

bool exerciseMovie(std::span<const std::uint8_t> bytes)
{
    swf::ReadOptions options;
    // Small enough that bombs (of bytes, tags or shape records) cost
    // milliseconds, not seconds.
    options.maxMovieBytes = 4u << 20;
    options.maxTags = 100000;
    options.maxShapeRecords = 400000;
    // The engine's own limits, scaled down alike: instrumented code runs
    // some fifty times slower.
    player::Player::Limits limits;
    limits.timeline.maxObjectsPerCall = 5000;
    limits.maxSeekWork = 200000;
    limits.scripts.actionsPerFrame = 200000;
    limits.scripts.maxObjects = 100000;
    player::Player player(limits);
    if (player.loadBytes(bytes, options)) {
        return false;
    }
    std::vector<std::int16_t> sound(2 * 1024);
    for (int frame = 0; frame < 3; ++frame) {
        player.advanceFrame();
        player.mixAudio(sound);
    }
    player.gotoFrame(player.totalFrames() - 1);
    player.gotoFrame(1);

    QImage image(48, 36, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    const QSizeF stage = player.stageSize();
    const double scale = std::clamp(48.0 / std::max(stage.width(), 1.0), 1e-4, 1e4);
    QPainter painter(&image);
    player.render(painter, QTransform::fromScale(scale, scale));
    return true;
}

} // namespace quorvane::fuzz
