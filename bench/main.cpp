#include <QGuiApplication>
#include <benchmark/benchmark.h>

void registerRenderBenchmarks();

int main(int argc, char** argv)
{
    // Device fonts need a GUI application; nothing is shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int applicationArgc = 1;
    QGuiApplication application(applicationArgc, argv);
    registerRenderBenchmarks();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
