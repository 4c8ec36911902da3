#pragma once

#include <cstdint>
#include <vector>

namespace quorvane::swf {

// DefineBits (version 1, whose JPEG data leaves its tables to the movie's
// JPEGTables), DefineBitsJPEG2 (2), DefineBitsJPEG3 (3, with a zlib alpha
// channel) and DefineBitsJPEG4 (4, alpha and a deblocking strength). The
// image data may also be PNG or GIF from SWF 8 on; it stays as stored.
struct DefineBitsJpeg {
    std::uint8_t version = 2;
    std::uint16_t id = 0;
    std::vector<std::uint8_t> imageData;
    // Versions 3 and 4: one zlib-compressed alpha byte per pixel.
    std::vector<std::uint8_t> alphaData;
    // Version 4 only, 8.8 fixed point.
    std::uint16_t deblocking = 0;

    bool operator==(const DefineBitsJpeg&) const = default;
};

// The encoding tables every DefineBits of the movie shares.
struct JpegTables {
    std::vector<std::uint8_t> data;

    bool operator==(const JpegTables&) const = default;
};

enum class LosslessFormat : std::uint8_t { ColorMapped8 = 3, Rgb15 = 4, Rgb32 = 5 };

// DefineBitsLossless (version 1, opaque) and DefineBitsLossless2 (version 2,
// premultiplied alpha). The pixels stay zlib-compressed as stored.
struct DefineBitsLossless {
    std::uint8_t version = 1;
    std::uint16_t id = 0;
    LosslessFormat format = LosslessFormat::Rgb32;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    // ColorMapped8 only: the number of colour table entries minus one.
    std::uint8_t colorTableSize = 0;
    std::vector<std::uint8_t> zlibData;

    bool operator==(const DefineBitsLossless&) const = default;
};

} // namespace quorvane::swf
