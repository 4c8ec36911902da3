#pragma once

#include "player/SoundDecoder.h"
#include "player/SoundMixer.h"
#include "player/Soundtrack.h"

#include <memory>
#include <span>
#include <unordered_map>

namespace quorvane::player {

// A playing movie's sound: starts the event sounds its frames name, feeds
// its stream sound frame by frame, and mixes both for whoever plays them.
// Sounds are decoded the first time they start and kept while the movie is.
class SoundPlayback {
public:
    // Forgets everything playing and follows this soundtrack (none: silence).
    void follow(const Soundtrack* soundtrack);

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

    const Soundtrack* m_soundtrack = nullptr;
    SoundMixer m_mixer;
    std::unique_ptr<SoundDecoder> m_streamDecoder;
    std::unordered_map<std::uint16_t, std::shared_ptr<const DecodedSound>> m_decoded;
};

} // namespace quorvane::player
