#pragma once

#include <cstdint>
#include <vector>

extern "C" {
#include <libavcodec/codec_id.h>
}

// Sounds made for tests and benchmarks, coded by libavcodec's own encoders.
namespace quorvane::fixtures {

// Mono samples of a sine tone.
std::vector<std::int16_t> sine(int rate, double frequency, int frames, double amplitude = 12000);

struct Coded {
    std::vector<std::uint8_t> bytes;
    // Samples of the encoder's delay ahead of the first sample coded.
    int delay = 0;
};

// Codes samples (interleaved when stereo) with the codec's encoder,
// packets back to back.
Coded encode(AVCodecID id, int rate, const std::vector<std::int16_t>& samples, int channels = 1);

} // namespace quorvane::fixtures
