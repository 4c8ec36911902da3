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
using A = swf::ActionCode;

namespace {

// Ten actions an iteration.
constexpr int kIterations = 100000;
constexpr int kActions = kIterations * 10;

std::vector<std::uint8_t> loopMovie()
{
    ActionScript script;
    script.push(0.0).storeRegister(1).op(A::Pop);
    const std::size_t top = script.here();
    script.pushRegister(1).push(double(kIterations)).op(A::Less2).op(A::Not);
    const std::size_t exit = script.jumpSite(A::If);
    script.pushRegister(1).op(A::Increment).storeRegister(1).op(A::Pop);
    script.jumpBack(A::Jump, top);
    script.land(exit);
    script.pushRegister(1).op(A::Trace);
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
