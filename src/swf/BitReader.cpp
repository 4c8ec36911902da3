#include "swf/BitReader.h"

#include <algorithm>

namespace quorvane::swf {

std::uint32_t BitReader::readBits(int count)
{
    std::uint32_t value = 0;
    const std::size_t totalBits = m_data.size() * 8;
    while (count > 0) {
        if (m_bitPosition >= totalBits) {
            m_overflowed = true;
            // Past the end every bit is zero: shift in what is still wanted.
            value = count >= 32 ? 0 : value << count;
            m_bitPosition += static_cast<std::size_t>(count);
            return value;
        }
        const std::uint8_t byte = m_data[m_bitPosition / 8];
        const int bitInByte = static_cast<int>(m_bitPosition % 8);
        const int available = 8 - bitInByte;
        const int taken = std::min(available, count);
        const std::uint32_t bits =
            (static_cast<std::uint32_t>(byte) >> (available - taken)) & ((1u << taken) - 1u);
        value = (value << taken) | bits;
        m_bitPosition += static_cast<std::size_t>(taken);
        count -= taken;
    }
    return value;
}

std::int32_t BitReader::readSignedBits(int count)
{
    if (count <= 0) {
        return 0;
    }
    const std::uint32_t raw = readBits(count);
    if (count >= 32) {
        return static_cast<std::int32_t>(raw);
    }
    const std::uint32_t signBit = 1u << (count - 1);
    // Sign-extend through unsigned arithmetic to stay clear of shifts of negatives.
    return static_cast<std::int32_t>((raw ^ signBit) - signBit);
}

void BitReader::align()
{
    m_bitPosition = (m_bitPosition + 7) / 8 * 8;
}

std::uint8_t BitReader::readU8()
{
    align();
    return static_cast<std::uint8_t>(readBits(8));
}

std::uint16_t BitReader::readU16()
{
    const std::uint16_t low = readU8();
    const std::uint16_t high = readU8();
    return static_cast<std::uint16_t>(low | (high << 8));
}

std::uint32_t BitReader::readU32()
{
    const std::uint32_t low = readU16();
    const std::uint32_t high = readU16();
    return low | (high << 16);
}

std::string BitReader::readString()
{
    align();
    const std::size_t start = bytePosition();
    if (start >= m_data.size()) {
        m_overflowed = true;
        return {};
    }
    const auto begin = m_data.begin() + static_cast<std::ptrdiff_t>(start);
    const auto nul = std::find(begin, m_data.end(), std::uint8_t{0});
    std::string text(begin, nul);
    if (nul == m_data.end()) {
        m_overflowed = true;
        m_bitPosition = m_data.size() * 8;
    } else {
        m_bitPosition = (start + text.size() + 1) * 8;
    }
    return text;
}

std::span<const std::uint8_t> BitReader::readBytes(std::size_t count)
{
    align();
    const std::size_t start = std::min(bytePosition(), m_data.size());
    const std::size_t available = m_data.size() - start;
    if (count > available) {
        m_overflowed = true;
        count = available;
    }
    m_bitPosition = (start + count) * 8;
    return m_data.subspan(start, count);
}

std::span<const std::uint8_t> BitReader::readRest()
{
    return readBytes(bytesLeft());
}

std::size_t BitReader::bytesLeft() const
{
    const std::size_t position = bytePosition();
    return position >= m_data.size() ? 0 : m_data.size() - position;
}

} // namespace quorvane::swf
