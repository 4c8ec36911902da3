// Frames rendered per second, playing and drawing each frame as the widget
// does, at the lesson window's size and at full HD. The goal is 20 times the
// movie's own frame rate at 569 x 430 and 6 times at 1920 x 1080; each
// benchmark reports the ratio it reached as "x_own_rate". Besides the
// corpus and course movies, generated ones stand for the heavy lessons: a
// page of Chinese text in a device font and a full-HD photograph under a
// moving mask.

#include "BenchMovies.h"
#include "SwfFixtures.h"
#include "player/Player.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>

using namespace quorvane;

namespace {

struct Size {
    int width;
    int height;
};

void renderFrames(benchmark::State& state, std::shared_ptr<player::Player> player, Size size)
{
    QImage image(size.width, size.height, QImage::Format_ARGB32_Premultiplied);
    const QSizeF stage = player->stageSize();
    const double scale = std::min(size.width / stage.width(), size.height / stage.height());
    QTransform stageToDevice;
    stageToDevice.translate((size.width - stage.width() * scale) / 2,
                            (size.height - stage.height() * scale) / 2);
    stageToDevice.scale(scale, scale);
    for (auto _ : state) {
        player->advanceFrame();
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        player->renderWhole(painter, stageToDevice);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["movie_fps"] = player->frameRate();
    state.counters["x_own_rate"] =
        benchmark::Counter(double(state.iterations()) / std::max(player->frameRate(), 1.0),
                           benchmark::Counter::kIsRate);
}

void registerMovie(const std::string& name, std::shared_ptr<player::Player> player)
{
    for (const Size size : {Size{569, 430}, Size{1920, 1080}}) {
        const std::string label =
            "Render/" + name + "/" + std::to_string(size.width) + "x" + std::to_string(size.height);
        benchmark::RegisterBenchmark(label.c_str(), renderFrames, player, size)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(1.0)
            // Qt spreads large fills over worker threads: only wall time
            // counts them.
            ->UseRealTime();
    }
}

std::shared_ptr<player::Player> loaded(const std::vector<std::uint8_t>& bytes)
{
    auto player = std::make_shared<player::Player>();
    return player->loadBytes(bytes) ? nullptr : player;
}

std::shared_ptr<player::Player> loaded(const QString& path)
{
    auto player = std::make_shared<player::Player>();
    return player->load(path.toStdString()) ? nullptr : player;
}

} // namespace

// Called from main before the benchmarks run: the corpus and the course
// are found at run time, and missing ones are skipped.
void registerRenderBenchmarks()
{
    registerMovie("generated-busy", loaded(fixtures::bytes(bench::busyMovie(240))));
    registerMovie("generated-simple", loaded(fixtures::bytes(fixtures::animatedMovie(60))));
    registerMovie("generated-chinese-text", loaded(fixtures::bytes(bench::chineseTextMovie(120))));
    registerMovie("generated-masked-photo", loaded(fixtures::bytes(bench::maskedPhotoMovie(120))));

    const QString corpus = QStringLiteral(QUORVANE_SWF_CORPUS);
    for (const char* id :
         {"shapes/gnash-shape_test", "shapes/gnash-sample-subshapes",
          "shapes/gnash-sample-gradient-tests", "shapes/swfdec-fillstyle-order",
          "timeline/swfdec-clip-change-forward-8", "shapes/shumway-gradientTransform"}) {
        if (auto player = loaded(corpus + u'/' + QLatin1String(id) + QStringLiteral("/test.swf"))) {
            registerMovie(std::string("corpus:") + id, player);
        }
    }
    const QDir course(QStringLiteral(QUORVANE_COURSE_DIR "/fyf"));
    for (const QString& file : course.entryList({QStringLiteral("c01-0[1-3].swf")}, QDir::Files)) {
        if (auto player = loaded(course.filePath(file))) {
            registerMovie("course:" + file.toStdString(), player);
        }
    }
}
