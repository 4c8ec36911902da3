#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvane::swf {

// How a sound's samples are coded, by the format's numbers.
enum class SoundCoding : std::uint8_t {
    NativeEndianPcm = 0,
    Adpcm = 1,
    Mp3 = 2,
    LittleEndianPcm = 3,
    Nellymoser16k = 4,
    Nellymoser8k = 5,
    Nellymoser = 6,
    G711ALaw = 7,
    G711MuLaw = 8,
    Speex = 11,
};

// The sample layout shared by DefineSound and the stream heads.
struct SoundFormat {
    SoundCoding coding = SoundCoding::LittleEndianPcm;
    // 0 to 3: 5512.5, 11025, 22050 and 44100 samples per second.
    std::uint8_t rateCode = 3;
    bool sixteenBit = true;
    bool stereo = false;

    // Samples per second the rate code stands for (5512 for 5512.5).
    int sampleRate() const;
    bool operator==(const SoundFormat&) const = default;
};

struct DefineSound {
    std::uint16_t id = 0;
    SoundFormat format;
    // Samples per channel, as the movie declares them.
    std::uint32_t sampleCount = 0;
    // For MP3 the data starts with the seek samples (SI16), then frames.
    std::vector<std::uint8_t> data;

    bool operator==(const DefineSound&) const = default;
};

struct SoundEnvelopePoint {
    // Position in samples at 44,100 per second from the sound's start.
    std::uint32_t position44 = 0;
    // 0 to 32768.
    std::uint16_t leftLevel = 32768;
    std::uint16_t rightLevel = 32768;

    bool operator==(const SoundEnvelopePoint&) const = default;
};

// How StartSound, StartSound2 and button sounds play their sound.
struct SoundInfo {
    bool syncStop = false;
    bool syncNoMultiple = false;
    std::optional<std::uint32_t> inPoint;
    std::optional<std::uint32_t> outPoint;
    std::optional<std::uint16_t> loopCount;
    std::optional<std::vector<SoundEnvelopePoint>> envelope;

    bool operator==(const SoundInfo&) const = default;
};

struct StartSound {
    std::uint16_t soundId = 0;
    SoundInfo info;

    bool operator==(const StartSound&) const = default;
};

// StartSound2 names its sound by the class a SymbolClass tag gave it.
struct StartSound2 {
    std::string className;
    SoundInfo info;

    bool operator==(const StartSound2&) const = default;
};

// SoundStreamHead (version 1) and SoundStreamHead2 (version 2).
struct SoundStreamHead {
    std::uint8_t version = 2;
    SoundFormat playback;
    SoundFormat stream;
    // Samples per channel in each frame's block.
    std::uint16_t samplesPerBlock = 0;
    // MP3 streams only.
    std::optional<std::int16_t> latencySeek;

    bool operator==(const SoundStreamHead&) const = default;
};

// One frame's share of the timeline's stream sound, coded as the head says;
// MP3 blocks start with their sample count (UI16) and seek samples (SI16).
struct SoundStreamBlock {
    std::vector<std::uint8_t> data;

    bool operator==(const SoundStreamBlock&) const = default;
};

// The sounds a button makes on its state changes, in the order the tag
// stores them. A zero id plays nothing.
struct DefineButtonSound {
    struct Transition {
        std::uint16_t soundId = 0;
        SoundInfo info;

        bool operator==(const Transition&) const = default;
    };

    std::uint16_t buttonId = 0;
    Transition overUpToIdle;
    Transition idleToOverUp;
    Transition overUpToOverDown;
    Transition overDownToOverUp;

    bool operator==(const DefineButtonSound&) const = default;
};

} // namespace quorvane::swf
