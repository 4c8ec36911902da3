#include "ShownOffsets.h"

#include <bit>

namespace quorvane {

void ShownOffsets::add(qsizetype byteLength)
{
    const int bit = static_cast<int>(m_count % kGroup);
    if (bit == 0) {
        m_twoBytes.push_back(0);
        m_groupStarts.push_back(m_bytes);
    }
    if (byteLength == 2)
        m_twoBytes.back() |= quint64(1) << bit;
    ++m_count;
    m_bytes += byteLength;
}

qsizetype ShownOffsets::at(qsizetype position) const
{
    if (position >= m_count)
        return m_bytes;
    const auto group = static_cast<size_t>(position / kGroup);
    const int bit = static_cast<int>(position % kGroup);
    const quint64 before = bit == 0 ? 0 : m_twoBytes[group] & (~quint64(0) >> (kGroup - bit));
    return m_groupStarts[group] + bit + std::popcount(before);
}

} // namespace quorvane
