// libFuzzer entry: any bytes are read as a movie, played, seeked and drawn.
// Nothing may crash, leak, hang or misbehave.

#include "MovieExercise.h"

#include <QGuiApplication>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Device text is laid out with system fonts, which need a GUI application.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    quorvane::fuzz::exerciseMovie(std::span(data, size));
    return 0;
}
