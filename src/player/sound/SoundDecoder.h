#pragma once

#include "swf/SoundTags.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct AVFrame;

namespace quorvane::player {

// The rate the mixer works at, samples per second per channel.
constexpr int kMixRate = 44100;

// Decoded sound: interleaved stereo, signed 16 bits. Sounds at a rate that
// divides the mixer's (5512.5, 11025 and 22050 per second) stay at their
// own rate and each sample is held for holdFactor mixer samples, as Flash
// played them; other rates are resampled to the mixer's.
struct DecodedSound {
    std::vector<std::int16_t> samples;
    int holdFactor = 1;

    std::size_t frames() const { return samples.size() / 2; }
    // Length in mixer samples.
    std::size_t mixFrames() const { return frames() * std::size_t(holdFactor); }
};

// Turns a sound's coded bytes into samples through libavcodec. One decoder
// serves one sound or one stream: MP3 stream blocks go through the same
// decoder so that frames spanning two blocks decode whole. Damaged data
// yields what decoded before the damage; a coding libavcodec lacks yields
// silence.
class SoundDecoder {
public:
    explicit SoundDecoder(const swf::SoundFormat& format);
    ~SoundDecoder();
    SoundDecoder(const SoundDecoder&) = delete;
    SoundDecoder& operator=(const SoundDecoder&) = delete;

    // Decodes the next piece and appends its samples. MP3 pieces are bare
    // frames: the caller strips DefineSound's seek samples and a stream
    // block's counts. Stops appending once `out` holds maxFrames frames.
    void decode(std::span<const std::uint8_t> data, DecodedSound& out,
                std::size_t maxFrames = kMaxFrames);
    // Forgets what was decoded, as before a seek in a stream.
    void reset();

    // A bound on one sound: half an hour at the mixer's rate. A lesson's
    // narration fits; a hostile header claiming more does not take memory.
    static constexpr std::size_t kMaxFrames = std::size_t(kMixRate) * 60 * 30;

private:
    struct Codec;

    void receiveFrames(DecodedSound& out, std::size_t maxFrames);
    void appendConverted(const AVFrame& frame, DecodedSound& out, std::size_t maxFrames);

    swf::SoundFormat m_format;
    std::unique_ptr<Codec> m_codec;
};

// A whole DefineSound, cut to the sample count it declares and to maxFrames.
DecodedSound decodeDefinedSound(const swf::DefineSound& sound,
                                std::size_t maxFrames = SoundDecoder::kMaxFrames);

} // namespace quorvane::player
