#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace quorvane::swf {

// Writes what BitReader reads: little-endian bytes and bit fields packed
// most-significant bit first, padded with zeros to byte boundaries.
class BitWriter {
public:
    void writeBits(std::uint32_t value, int count);
    void writeSignedBits(std::int32_t value, int count);
    void writeFlag(bool flag) { writeBits(flag ? 1 : 0, 1); }
    void align();

    void writeU8(std::uint8_t value);
    void writeU16(std::uint16_t value);
    void writeU32(std::uint32_t value);
    // The bytes and a terminating NUL.
    void writeString(std::string_view text);
    void writeBytes(std::span<const std::uint8_t> bytes);

    // Aligns, then hands over everything written.
    std::vector<std::uint8_t> take();

    // The fewest bits SB[n] needs to hold value (0 for 0).
    static int signedBitsFor(std::int32_t value);
    // The fewest bits UB[n] needs to hold value (0 for 0).
    static int unsignedBitsFor(std::uint32_t value);

private:
    std::vector<std::uint8_t> m_bytes;
    int m_bitsInLastByte = 8;
};

} // namespace quorvane::swf
