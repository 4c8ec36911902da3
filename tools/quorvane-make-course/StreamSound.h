#pragma once

#include "swf/SoundTags.h"

#include <cstdint>
#include <span>
#include <vector>

namespace quorvane::course {

// A timeline's sound as a movie streams it: MP3 (through libmp3lame) in
// one block per frame, so that a seek anywhere restarts the voice with the
// picture.
struct StreamSound {
    swf::SoundStreamHead head;
    std::vector<swf::SoundStreamBlock> blocks; // one for each frame
};

// The samples (kNarrationRate, one channel) as `frames` blocks of
// samplesPerFrame each; samples beyond the last frame are dropped, frames
// beyond the samples are silent. Throws std::runtime_error when the
// encoder is missing.
StreamSound encodeStreamSound(std::span<const std::int16_t> samples, int samplesPerFrame,
                              int frames);

} // namespace quorvane::course
