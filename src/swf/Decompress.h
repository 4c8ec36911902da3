#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quorvane::swf {

// What a decompressor got out of its input: every byte it could decode, at
// most the limit, and a description of what stopped it early, if anything did.
struct Decompressed {
    std::vector<std::uint8_t> bytes;
    std::string problem;
};

// A zlib stream, as CWS movies carry after their first eight bytes.
Decompressed inflateZlib(std::span<const std::uint8_t> input, std::size_t limit);

// Raw LZMA data after its five property bytes, as ZWS movies carry it.
Decompressed decompressLzma(std::span<const std::uint8_t> properties,
                            std::span<const std::uint8_t> input, std::size_t limit);

} // namespace quorvane::swf
