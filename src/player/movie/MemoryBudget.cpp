#include "player/movie/MemoryBudget.h"

#include <iostream>
#include <utility>

namespace quorvane::player {

namespace {

// Enough to tell what went wrong; a script making bitmaps in a loop must not
// flood the terminal.
constexpr int kReportedRefusals = 5;

std::size_t megabytes(std::size_t bytes)
{
    return (bytes + (std::size_t{1} << 20) - 1) >> 20;
}

} // namespace

MemoryBudget::Claim::Claim(std::shared_ptr<Ledger> ledger, std::size_t bytes)
    : m_ledger(std::move(ledger)), m_bytes(bytes)
{
}

MemoryBudget::Claim::Claim(Claim&& other) noexcept
    : m_ledger(std::move(other.m_ledger)), m_bytes(std::exchange(other.m_bytes, 0))
{
}

MemoryBudget::Claim& MemoryBudget::Claim::operator=(Claim&& other) noexcept
{
    if (this != &other) {
        release();
        m_ledger = std::move(other.m_ledger);
        m_bytes = std::exchange(other.m_bytes, 0);
    }
    return *this;
}

MemoryBudget::Claim::~Claim()
{
    release();
}

void MemoryBudget::Claim::release()
{
    if (m_ledger) {
        m_ledger->used -= m_bytes;
    }
    m_ledger.reset();
    m_bytes = 0;
}

MemoryBudget::MemoryBudget(std::size_t limit, std::ostream* log)
    : m_ledger(std::make_shared<Ledger>())
{
    m_ledger->limit = limit;
    m_ledger->log = log ? log : &std::cerr;
}

std::optional<MemoryBudget::Claim> MemoryBudget::claim(std::size_t bytes, const std::string& what)
{
    std::size_t used = m_ledger->used.load();
    do {
        if (bytes > m_ledger->limit - used) {
            leaveOut(bytes, what);
            return std::nullopt;
        }
    } while (!m_ledger->used.compare_exchange_weak(used, used + bytes));
    return Claim(m_ledger, bytes);
}

std::size_t MemoryBudget::remaining() const
{
    return m_ledger->limit - m_ledger->used;
}

void MemoryBudget::leaveOut(std::size_t bytes, const std::string& what)
{
    const int reported = m_ledger->reported++;
    std::ostream& log = *m_ledger->log;
    if (reported < kReportedRefusals) {
        log << "quorvane: " << what << " left out: it needs " << megabytes(bytes)
            << " MB, and the movie has " << (remaining() >> 20) << " MB left of the "
            << megabytes(m_ledger->limit) << " MB a movie may use\n";
    } else if (reported == kReportedRefusals) {
        log << "quorvane: more parts of this movie left out for want of memory\n";
    }
}

} // namespace quorvane::player
