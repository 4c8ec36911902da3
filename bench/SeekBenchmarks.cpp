// gotoFrame in a generated 1,000-frame movie. Goals: the frame already
// shown under 0.05 ms (the main window re-seats the movie ten times a
// second), any backward seek under 10 ms.

#include "BenchMovies.h"
#include "SwfFixtures.h"
#include "player/Player.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>
#include <random>

using namespace quorvane;

namespace {

constexpr int kFrames = 1000;

player::Player& thousandFrames()
{
    static const std::unique_ptr<player::Player> player = [] {
        auto loaded = std::make_unique<player::Player>();
        if (loaded->loadBytes(fixtures::bytes(bench::busyMovie(kFrames)))) {
            std::abort();
        }
        return loaded;
    }();
    return *player;
}

void SameFrame(benchmark::State& state)
{
    player::Player& player = thousandFrames();
    player.gotoFrame(500);
    for (auto _ : state) {
        player.stop();
        player.gotoFrame(player.currentFrame());
        player.play();
    }
}

void OneForward(benchmark::State& state)
{
    player::Player& player = thousandFrames();
    for (auto _ : state) {
        state.PauseTiming();
        player.gotoFrame(500);
        state.ResumeTiming();
        player.gotoFrame(501);
    }
}

void BackwardToStart(benchmark::State& state)
{
    player::Player& player = thousandFrames();
    for (auto _ : state) {
        state.PauseTiming();
        player.gotoFrame(kFrames - 1);
        state.ResumeTiming();
        player.gotoFrame(0);
    }
}

// The worst backward seek: the frame before a snapshot, replayed from the
// snapshot below it.
void BackwardOne(benchmark::State& state)
{
    player::Player& player = thousandFrames();
    for (auto _ : state) {
        state.PauseTiming();
        player.gotoFrame(kFrames - 1);
        state.ResumeTiming();
        player.gotoFrame(kFrames - 2);
    }
}

void RandomFrame(benchmark::State& state)
{
    player::Player& player = thousandFrames();
    std::mt19937 random(42);
    for (auto _ : state) {
        player.gotoFrame(int(random() % kFrames));
    }
}

void RandomBackward(benchmark::State& state)
{
    player::Player& player = thousandFrames();
    std::mt19937 random(43);
    for (auto _ : state) {
        state.PauseTiming();
        const int from = 1 + int(random() % (kFrames - 1));
        player.gotoFrame(from);
        const int to = int(random() % from);
        state.ResumeTiming();
        player.gotoFrame(to);
    }
}

// Loading the movie and playing it through once; later seeks find their
// snapshots made.
void FirstSeekToTheEnd(benchmark::State& state)
{
    const std::vector<std::uint8_t> bytes = fixtures::bytes(bench::busyMovie(kFrames));
    for (auto _ : state) {
        player::Player player;
        if (player.loadBytes(bytes)) {
            state.SkipWithError("movie did not load");
            break;
        }
        player.gotoFrame(kFrames - 1);
    }
}

} // namespace

BENCHMARK(SameFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(OneForward)->Unit(benchmark::kMicrosecond);
BENCHMARK(BackwardToStart)->Unit(benchmark::kMicrosecond);
BENCHMARK(BackwardOne)->Unit(benchmark::kMicrosecond);
BENCHMARK(RandomFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(RandomBackward)->Unit(benchmark::kMicrosecond);
BENCHMARK(FirstSeekToTheEnd)->Unit(benchmark::kMillisecond);
