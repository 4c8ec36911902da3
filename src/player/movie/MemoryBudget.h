#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>

namespace quorvane::player {

// The memory one movie may hold of its own making: decoded pictures and
// sounds, its scripts' bitmaps and texts, and the movies and images it
// loads. A part that would take the movie past its limit is left out, with
// a line on standard error saying what and why, and the movie plays on
// without it: a hostile or broken file cannot take the learner's machine.
class MemoryBudget {
    struct Ledger {
        std::size_t limit;
        std::atomic<std::size_t> used = 0;
        std::atomic<int> reported = 0;
        std::ostream* log;
    };

public:
    // Far above any lesson (its pictures and narration take a few tens of
    // megabytes), far below what would slow the learner's machine down.
    static constexpr std::size_t kPerMovie = std::size_t{1} << 30;

    // Bytes counted against the budget until the claim goes; it may
    // outlive the budget it came from.
    class Claim {
    public:
        Claim() = default;
        Claim(Claim&& other) noexcept;
        Claim& operator=(Claim&& other) noexcept;
        Claim(const Claim&) = delete;
        Claim& operator=(const Claim&) = delete;
        ~Claim();

        std::size_t bytes() const { return m_bytes; }

    private:
        friend class MemoryBudget;
        Claim(std::shared_ptr<Ledger> ledger, std::size_t bytes);
        void release();

        std::shared_ptr<Ledger> m_ledger;
        std::size_t m_bytes = 0;
    };

    MemoryBudget() : MemoryBudget(kPerMovie) {}
    // Refusals go to the log, standard error without one.
    explicit MemoryBudget(std::size_t limit, std::ostream* log = nullptr);

    // A claim for the bytes `what` needs, or none when they would pass the
    // limit; the refusal is reported (the first few of them, then once that
    // more were left out).
    std::optional<Claim> claim(std::size_t bytes, const std::string& what);
    // Reports a part that was left out because it needs `bytes`, found
    // before claiming them (a sound whose decoding ran out of room).
    void leaveOut(std::size_t bytes, const std::string& what);
    // What a part may still take.
    std::size_t remaining() const;
    std::size_t used() const { return m_ledger->used; }
    std::size_t limit() const { return m_ledger->limit; }

private:
    std::shared_ptr<Ledger> m_ledger;
};

// A value shared by whoever shows it, its claim given back with the last of them.
template <typename T> std::shared_ptr<T> sharedWithClaim(T value, MemoryBudget::Claim claim)
{
    auto both =
        std::make_shared<std::pair<T, MemoryBudget::Claim>>(std::move(value), std::move(claim));
    return std::shared_ptr<T>(both, &both->first);
}

} // namespace quorvane::player
