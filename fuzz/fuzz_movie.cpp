// libFuzzer entry: any bytes are read as a movie, played, seeked and drawn.
// Nothing may crash, leak, hang or misbehave.

#include "MovieExercise.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    quorvane::fuzz::exerciseMovie(std::span(data, size));
    return 0;
}
