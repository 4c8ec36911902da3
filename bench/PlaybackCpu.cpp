// What playing a movie costs the learner's machine: CPU seconds the whole
// program spends per 10 s of real-time playback through the player widget,
// in the main window's size (569 x 430) and full screen (1920 x 1080).
// The narrated lesson plays its sound into a private sound server's null
// sink, so mixing and the audio output count too; the server's own process
// does not. Run it with QT_QPA_PLATFORM=offscreen (the default here).

#include "BenchMovies.h"
#include "PrivateSoundServer.h"
#include "SwfFixtures.h"
#include "animation/SWF1.h"
#include "platform/GuardedApplication.h"
#include "platform/QtPlatform.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>
#include <memory>

using namespace quorvane;

namespace {

constexpr int kSeconds = 10;

// Process CPU time, every thread of it.
double cpuSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

// The application's quit would close the player's window too.
void runEventsFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

void playInRealTime(benchmark::State& state, QString moviePath, QSize size)
{
    QtPlatform platform;
    for (auto _ : state) {
        SWF1 player;
        player.setPlatform(&platform);
        player.resize(size);
        player.show();
        player.setMovie(moviePath);
        if (player.TotalFrames() == 0) {
            state.SkipWithError("the movie did not load");
            break;
        }
        player.Play();
        // The first frame's painting and the sound's start are start-up,
        // measured elsewhere.
        runEventsFor(500);

        const int firstFrame = player.FrameNum();
        PaintCounter counter;
        player.installEventFilter(&counter);
        const double cpuAtStart = cpuSeconds();
        QElapsedTimer clock;
        clock.start();
        bool heard = false;
        QTimer listener;
        QObject::connect(&listener, &QTimer::timeout,
                         [&] { heard = heard || !player.engine().isSilent(); });
        listener.start(200);
        runEventsFor(kSeconds * 1000);
        const double wall = double(clock.nsecsElapsed()) / 1e9;
        const double cpu = cpuSeconds() - cpuAtStart;

        state.SetIterationTime(wall);
        state.counters["cpu_s_per_10s"] = cpu * 10.0 / wall;
        state.counters["frames_played"] = player.FrameNum() - firstFrame;
        state.counters["frames_painted"] = counter.paints;
        state.counters["sound_playing"] = heard ? 1 : 0;
    }
}

// The generated movies are written where the widget can open them.
class MovieFolder {
public:
    QString write(const QString& name, const swf::Movie& movie)
    {
        const auto bytes = fixtures::bytes(movie);
        QFile file(m_dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        return file.fileName();
    }

private:
    QTemporaryDir m_dir;
};

void registerMovie(const std::string& name, const QString& path)
{
    for (const QSize size : {QSize(569, 430), QSize(1920, 1080)}) {
        const std::string label = "PlaybackCpu/" + name + "/" + std::to_string(size.width()) + "x" +
                                  std::to_string(size.height());
        benchmark::RegisterBenchmark(label.c_str(), playInRealTime, path, size)
            ->UseManualTime()
            ->Iterations(1)
            ->Unit(benchmark::kSecond);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Before the application, which reads the environment the server sets.
    testing::PrivateSoundServer soundServer;
    GuardedApplication application(argc, argv);
    MovieFolder generated;
    registerMovie("lesson-c01-01-narrated",
                  QDir(QStringLiteral(QUORVANE_COURSE_DIR)).filePath("fyf/c01-01.swf"));
    registerMovie("busy-gradient", generated.write("busy.swf", bench::busyMovie(600)));
    registerMovie("chinese-text", generated.write("text.swf", bench::chineseTextMovie(600)));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    if (!soundServer.isRunning()) {
        std::fprintf(stderr, "no private sound server: the narrated lesson plays silent\n");
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
