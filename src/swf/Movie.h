#pragma once

#include "swf/Tags.h"
#include "swf/Types.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quorvane::swf {

enum class Compression : std::uint8_t { None, Zlib, Lzma };

// "FWS", "CWS" or "ZWS".
std::string signatureName(Compression compression);

struct Header {
    Compression compression = Compression::None;
    std::uint8_t version = 10;
    Rect stage;
    // 8.8 fixed point, unsigned.
    std::uint16_t frameRate = 12 << 8;
    std::uint16_t frameCount = 1;

    double frameRatePerSecond() const { return frameRate / 256.0; }
    bool operator==(const Header&) const = default;
};

struct Movie {
    Header header;
    std::vector<Tag> tags;

    bool operator==(const Movie&) const = default;
};

} // namespace quorvane::swf
