#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace quorvane::player {

// What a movie needs to know of an MP3 file it loads as a sound: where its
// frames are, how long it plays and the text of its ID3 tag.
struct Mp3File {
    // Where the first frame starts, past an ID3v2 tag.
    std::size_t framesOffset = 0;
    int sampleRate = 0;
    // Samples per channel in all frames.
    std::uint64_t samples = 0;
    // The tag's text frames in file order, as (frame id, UTF-8 text); a
    // comment frame gives its text without its language and description.
    std::vector<std::pair<std::string, std::string>> tagFrames;

    bool hasFrames() const { return sampleRate > 0 && samples > 0; }
    double durationMilliseconds() const
    {
        return sampleRate > 0 ? double(samples) * 1000.0 / sampleRate : 0.0;
    }
};

// Reads as much as the bytes give; a file that is not MP3 has no frames.
Mp3File readMp3File(std::span<const std::uint8_t> bytes);

} // namespace quorvane::player
