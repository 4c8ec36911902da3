#include "ShownOffsets.h"

#include <bit>

namespace quorvane {

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
