#pragma once

#include "swf/SoundTags.h"

#include <cstdint>

namespace quorvane::player::avm1 {

// Where the sounds that scripts and buttons start are heard: the player's
// mixer. Every call has a do-nothing default for a movie nobody listens to.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;

    virtual void startSound(const swf::DefineSound& /*sound*/, const swf::SoundInfo& /*info*/) {}
    virtual void stopSound(std::uint16_t /*soundId*/) {}
    virtual void stopAllSounds() {}
};

// How long a defined sound plays once, in milliseconds.
inline double soundMilliseconds(const swf::DefineSound& sound)
{
    const double rate = 44100.0 / double(1 << (3 - (sound.format.rateCode & 3)));
    return double(sound.sampleCount) * 1000.0 / rate;
}

} // namespace quorvane::player::avm1
