// Benchmarks of the program as a whole: start-up to the first movie frame,
// and how faithfully playback keeps the movie's own frame rate while the
// progress tick re-seats the movie ten times a second.
#include "SwfFixtures.h"
#include "animation/SWF1.h"
#include "app/Tmainfrm.h"
#include "platform/GuardedApplication.h"
#include "platform/QtPlatform.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>

namespace {

// A lesson folder whose first animation lesson plays a generated movie.
class BenchCourse {
public:
    BenchCourse(int frames, double frameRate)
    {
        QDir().mkpath(m_dir.filePath("fyf"));
        QDir().mkpath(m_dir.filePath("wyf"));
        QFile list(m_dir.filePath("fyf/list.txt"));
        list.open(QIODevice::WriteOnly);
        list.write("m.swf#\xC3\xFB\xB4\xCA\r\n"); // the first lesson's title
        const auto data =
            quorvane::fixtures::bytes(quorvane::fixtures::animatedMovie(frames, frameRate));
        QFile movie(m_dir.filePath("fyf/m.swf"));
        movie.open(QIODevice::WriteOnly);
        movie.write(reinterpret_cast<const char*>(data.data()), static_cast<qint64>(data.size()));
    }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

void startToFirstFrame(benchmark::State& state)
{
    BenchCourse course(120, 12);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QUORVANE_WINDIR", course.path());
    if (!environment.contains("QT_QPA_PLATFORM") && !environment.contains("DISPLAY"))
        environment.insert("QT_QPA_PLATFORM", "offscreen");
    for (auto _ : state) {
        QProcess probe;
        probe.setProcessEnvironment(environment);
        QElapsedTimer clock;
        clock.start();
        probe.start(QStringLiteral(QUORVANE_STARTUP_PROBE), {});
        bool painted = false;
        while (!painted && probe.waitForReadyRead(10000))
            painted = probe.readAll().contains("painted");
        const double seconds = clock.nsecsElapsed() / 1e9;
        probe.waitForFinished(5000);
        if (!painted) {
            state.SkipWithError("the probe painted no frame");
            break;
        }
        state.SetIterationTime(seconds);
    }
}

// Plays for the given time with the main window's progress tick running and
// counts the frames shown.
void playback(benchmark::State& state, double frameRate)
{
    const double seconds = static_cast<double>(state.range(0));
    BenchCourse course(100000, frameRate);
    qputenv("QUORVANE_WINDIR", course.path().toUtf8());
    quorvane::QtPlatform platform;
    for (auto _ : state) {
        quorvane::Tmainfrm window(platform);
        window.show();
        quorvane::SWF1* player = window.SWF1;
        player->Stop();
        player->GotoFrame(0);
        player->Play();
        int shownChanges = 0;
        int lastFrame = player->FrameNum();
        QElapsedTimer clock;
        clock.start();
        // Samples the frame shown far more often than it changes.
        QTimer sampler;
        sampler.setTimerType(Qt::PreciseTimer);
        QObject::connect(&sampler, &QTimer::timeout, [&] {
            const int frame = player->FrameNum();
            if (frame != lastFrame) {
                ++shownChanges;
                lastFrame = frame;
            }
            if (clock.elapsed() >= seconds * 1000)
                QCoreApplication::exit(0);
        });
        sampler.start(1);
        QApplication::exec();
        const double elapsed = clock.nsecsElapsed() / 1e9;
        // The frame due at a moment is the whole number of intervals since
        // the start; anything else is drift.
        const double expected = std::floor(elapsed * frameRate);
        state.SetIterationTime(elapsed);
        state.counters["frames_per_second"] = lastFrame / elapsed;
        state.counters["rate_error_percent"] =
            100.0 * (lastFrame / elapsed - frameRate) / frameRate;
        state.counters["drift_frames"] = lastFrame - expected;
        state.counters["shown_changes"] = shownChanges;
    }
    qunsetenv("QUORVANE_WINDIR");
}

void playback12(benchmark::State& state)
{
    playback(state, 12.0);
}

void playback30(benchmark::State& state)
{
    playback(state, 30.0);
}

} // namespace

BENCHMARK(startToFirstFrame)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(playback12)->Arg(60)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(playback30)->Arg(60)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

int main(int argc, char** argv)
{
    quorvane::GuardedApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
