// libFuzzer entry: any bytes are run as action bytecode. Nothing may crash,
// leak or hang.

#include "ActionExercise.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    quorvane::fuzz::exerciseActions(std::span(data, size));
    return 0;
}
