#include "Render.h"

#include "player/Player.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace quorvane::tools {

std::optional<std::string> renderMovie(const RenderRequest& request)
{
    player::Player player;
    if (auto error = player.load(request.moviePath.toStdString())) {
        return error;
    }
    for (int frame = 1; frame < request.frames; ++frame) {
        player.advanceFrame();
    }
    const QSizeF stage = player.stageSize();
    // A fractional stage (101.3 pixels) keeps only its whole pixels.
    const int nativeWidth = std::max(1, int(stage.width()));
    const int nativeHeight = std::max(1, int(stage.height()));
    const int width = request.width.value_or(nativeWidth);
    const int height = request.height.value_or(nativeHeight);
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
        return "image size out of range";
    }
    QTransform stageToImage;
    if (request.width || request.height) {
        const double scale =
            std::min(width / std::max(stage.width(), 1.0), height / std::max(stage.height(), 1.0));
        stageToImage.translate((width - stage.width() * scale) / 2,
                               (height - stage.height() * scale) / 2);
        stageToImage.scale(scale, scale);
    }
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(player.backgroundColor());
    {
        QPainter painter(&image);
        player.render(painter, stageToImage);
    }
    if (!image.save(request.outputPath, "PNG")) {
        return "cannot write " + request.outputPath.toStdString();
    }
    return std::nullopt;
}

} // namespace quorvane::tools
