#include <benchmark/benchmark.h>

void registerRenderBenchmarks();

int main(int argc, char** argv)
{
    registerRenderBenchmarks();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
