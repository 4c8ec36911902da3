#include "swf/BitWriter.h"

namespace quorvane::swf {

void BitWriter::writeBits(std::uint32_t value, int count)
{
    for (int bit = count - 1; bit >= 0; --bit) {
        if (m_bitsInLastByte == 8) {
            m_bytes.push_back(0);
            m_bitsInLastByte = 0;
        }
        if ((value >> bit) & 1u) {
            m_bytes.back() |= static_cast<std::uint8_t>(0x80u >> m_bitsInLastByte);
        }
        ++m_bitsInLastByte;
    }
}

void BitWriter::writeSignedBits(std::int32_t value, int count)
{
    writeBits(static_cast<std::uint32_t>(value), count);
}

void BitWriter::align()
{
    m_bitsInLastByte = 8;
}

void BitWriter::writeU8(std::uint8_t value)
{
    align();
    m_bytes.push_back(value);
}

void BitWriter::writeU16(std::uint16_t value)
{
    writeU8(static_cast<std::uint8_t>(value & 0xFF));
    writeU8(static_cast<std::uint8_t>(value >> 8));
}

void BitWriter::writeU32(std::uint32_t value)
{
    writeU16(static_cast<std::uint16_t>(value & 0xFFFF));
    writeU16(static_cast<std::uint16_t>(value >> 16));
}

void BitWriter::writeString(std::string_view text)
{
    align();
    m_bytes.insert(m_bytes.end(), text.begin(), text.end());
    m_bytes.push_back(0);
}

void BitWriter::writeBytes(std::span<const std::uint8_t> bytes)
{
    align();
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
}

std::vector<std::uint8_t> BitWriter::take()
{
    align();
    return std::move(m_bytes);
}

int BitWriter::signedBitsFor(std::int32_t value)
{
    if (value == 0) {
        return 0;
    }
    // One sign bit plus the magnitude bits of the value or of its complement.
    const std::uint32_t magnitude =
        value < 0 ? ~static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    return unsignedBitsFor(magnitude) + 1;
}

int BitWriter::unsignedBitsFor(std::uint32_t value)
{
    int bits = 0;
    while (value != 0) {
        ++bits;
        value >>= 1;
    }
    return bits;
}

} // namespace quorvane::swf
