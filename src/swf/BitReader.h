#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace quorvane::swf {

// Reads SWF's little-endian bytes and its most-significant-first bit fields
// from one buffer. Reading past the end yields zeros and sets overflowed(),
// so a record parser reads its whole record and checks once at its end.
class BitReader {
public:
    explicit BitReader(std::span<const std::uint8_t> data) : m_data(data) {}

    std::uint32_t readBits(int count);
    std::int32_t readSignedBits(int count);
    bool readFlag() { return readBits(1) != 0; }
    // Moves to the next byte boundary unless already on one.
    void align();

    // Byte reads align first.
    std::uint8_t readU8();
    std::uint16_t readU16();
    std::uint32_t readU32();
    std::int16_t readS16() { return static_cast<std::int16_t>(readU16()); }
    // A NUL-terminated string without its NUL. An unterminated one takes the
    // rest of the data and counts as overflow.
    std::string readString();
    // Up to count bytes; fewer (and overflow) when the data ends first.
    std::span<const std::uint8_t> readBytes(std::size_t count);
    std::span<const std::uint8_t> readRest();

    std::size_t bytePosition() const { return (m_bitPosition + 7) / 8; }
    std::size_t bytesLeft() const;
    bool atEnd() const { return bytesLeft() == 0; }
    bool overflowed() const { return m_overflowed; }

private:
    std::span<const std::uint8_t> m_data;
    std::size_t m_bitPosition = 0;
    bool m_overflowed = false;
};

} // namespace quorvane::swf
