#pragma once

#include <cstdint>
#include <span>

namespace quorvane {

struct AudioFormat {
    int sampleRate = 22050;
    int channels = 1;
};

// A stream of signed 16-bit PCM that the engines push and the platform plays.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // Queues interleaved samples behind those not yet played.
    virtual void write(std::span<const std::int16_t> samples) = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    // Silences the output at once and discards what was queued.
    virtual void stop() = 0;
    // Samples per channel queued but not yet heard.
    virtual std::int64_t pendingFrames() const = 0;
};

} // namespace quorvane
