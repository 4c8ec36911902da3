// The script engine's speed: a generated movie whose first frame runs a
// loop of a million simple actions (register reads and writes, a compare,
// a branch, an increment). Goal: well under Flash's 15-second limit for
// lesson scripts, which run thousands of actions a frame.

#include "ActionFixtures.h"
#include "SwfFixtures.h"
#include "player/Player.h"

#include <benchmark/benchmark.h>
#include <cstdlib>

using namespace quorvane;
using namespace quorvane::fixtures;

namespace {

// Ten actions an iteration.
constexpr int kIterations = 100000;
constexpr int kActions = kIterations * 10;

std::vector<std::uint8_t> loopMovie()
{
    ActionScript script;
    script.push(0.0).storeRegister(1).op(kPop);
    const std::size_t top = script.here();
    script.pushRegister(1).push(double(kIterations)).op(kLess2).op(kNot);
    const std::size_t exit = script.jumpSite(0x9D);
    script.pushRegister(1).op(kIncrement).storeRegister(1).op(kPop);
    script.jumpBack(0x99, top);
    script.land(exit);
    script.pushRegister(1).op(kTrace);
    return bytes(movie(header(100, 100, 12, 1), {doAction(script), swf::Tag{swf::ShowFrame{}}}));
}

void MillionActionLoop(benchmark::State& state)
{
    const std::vector<std::uint8_t> movieBytes = loopMovie();
    for (auto _ : state) {
        player::Player player;
        if (player.loadBytes(movieBytes)) {
            std::abort();
        }
        benchmark::DoNotOptimize(player.currentFrame());
    }
    state.counters["actions/s"] =
        benchmark::Counter(double(kActions), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(MillionActionLoop)->Unit(benchmark::kMillisecond);

} // namespace
