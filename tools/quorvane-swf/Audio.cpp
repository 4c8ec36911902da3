#include "Audio.h"

#include "player/Player.h"

#include <QFile>
#include <QtEndian>
#include <cmath>
#include <vector>

namespace quorvane::tools {

std::optional<std::string> recordAudio(const std::string& moviePath, int frames,
                                       const std::string& outputPath)
{
    player::Player player;
    if (auto error = player.load(moviePath)) {
        return error;
    }
    QFile output(QString::fromStdString(outputPath));
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return "cannot write " + outputPath;
    }
    const double samplesPerFrame = player::kMixRate / std::max(player.frameRate(), 0.01);
    std::vector<std::int16_t> interval;
    double due = 0;
    std::int64_t written = 0;
    for (int frame = 0; frame < frames; ++frame) {
        // Whole samples only: a rate like 24 fps leaves half a sample over,
        // which the next interval takes.
        due += samplesPerFrame;
        const auto count = std::int64_t(std::floor(due)) - written;
        interval.assign(std::size_t(count) * 2, 0);
        player.mixAudio(interval);
        written += count;
        for (std::int16_t& sample : interval) {
            sample = qToLittleEndian(sample);
        }
        const auto bytes = qint64(interval.size() * sizeof(std::int16_t));
        if (output.write(reinterpret_cast<const char*>(interval.data()), bytes) != bytes) {
            return "cannot write " + outputPath;
        }
        player.advanceFrame();
    }
    return std::nullopt;
}

} // namespace quorvane::tools
