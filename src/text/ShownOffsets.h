#pragma once

#include <QtGlobal>
#include <vector>

namespace quorvane {

// Where each shown character of a text pane begins in its GBK bytes. Every
// character takes one byte or two (a double-byte character, or CR LF shown
// as one line end), so one bit per character says which, and a running
// count of bytes every 64 characters finds an offset at once: a lesson of
// many megabytes costs a fraction of its size rather than eight times over.
class ShownOffsets {
public:
    // The next character, of one byte or two.
    void add(qsizetype byteLength)
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
    // The byte offset of the character at position; a position at or past
    // the last character gives the length of the text.
    qsizetype at(qsizetype position) const;
    qsizetype count() const { return m_count; }

private:
    static constexpr int kGroup = 64;

    std::vector<quint64> m_twoBytes;
    // Bytes before the first character of each group.
    std::vector<qsizetype> m_groupStarts;
    qsizetype m_count = 0;
    qsizetype m_bytes = 0;
};

} // namespace quorvane
