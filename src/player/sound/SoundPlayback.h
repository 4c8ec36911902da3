#pragma once

#include "player/movie/MemoryBudget.h"
#include "player/movie/Soundtrack.h"
#include "player/sound/SoundDecoder.h"
#include "player/sound/SoundMixer.h"

#include <memory>
#include <span>
#include <unordered_map>

namespace quorvane::player {

// A playing movie's sound: starts the event sounds its frames name, feeds
// its stream sound frame by frame, and mixes both for whoever plays them.
// Sounds are decoded the first time they start and kept while the movie is,
// within the movie's memory budget: a sound that does not fit stays silent.
class SoundPlayback {
public:
    // Forgets everything playing and follows this soundtrack (none: silence).
    void follow(const Soundtrack* soundtrack, MemoryBudget budget = MemoryBudget());

    // Playback has moved on to this frame of the main timeline.
    void frameEntered(int frame);
    // A seek showed this frame: the stream starts again from it.
    void seekedTo(int frame);
    // The timeline halted: its stream falls silent; event sounds play on.
    void haltStream() { m_mixer.clearStream(); }

    // Sounds that scripts and buttons start and stop.
    void startSound(const swf::DefineSound& sound, const swf::SoundInfo& info);
    void stopSound(std::uint16_t soundId) { m_mixer.stopEvents(soundId); }
    void stopAllSounds() { m_mixer.stopAllEvents(); }

    void mix(std::span<std::int16_t> stereo) { m_mixer.mix(stereo); }
    bool isSilent() const { return m_mixer.isSilent(); }
    const SoundMixer& mixer() const { return m_mixer; }

private:
    void startEvents(int frame);
    void queueStreamBlock(int frame);
    std::shared_ptr<const DecodedSound> decoded(const swf::DefineSound& sound);
    DecodedSound withinBudget(const swf::DefineSound& sound, MemoryBudget::Claim& claim);

    const Soundtrack* m_soundtrack = nullptr;
    SoundMixer m_mixer;
    std::unique_ptr<SoundDecoder> m_streamDecoder;
    MemoryBudget m_budget;
    struct Kept {
        std::shared_ptr<const DecodedSound> sound;
        MemoryBudget::Claim claim;
    };
    std::unordered_map<std::uint16_t, Kept> m_decoded;
};

} // namespace quorvane::player
