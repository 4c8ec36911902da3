#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace quorvane::soak {

// What is known of one entry of a watched folder. Folders carry no size or
// hash: their appearing or disappearing is what counts.
struct FileState {
    bool folder = false;
    qint64 size = 0;
    qint64 modifiedMs = 0;
    QByteArray sha256;

    bool operator==(const FileState&) const = default;
};

// Every entry under the given roots, hidden ones included, keyed by absolute
// path. Links are recorded but not followed.
using Snapshot = std::map<QString, FileState>;
Snapshot takeSnapshot(const QStringList& roots);

// One line per entry added, removed or changed between two snapshots, in
// path order; the paths in allowed (a save the driver asked for) are not
// reported.
QStringList changesBetween(const Snapshot& before, const Snapshot& after,
                           const QStringList& allowed = {});

// The resident set of this process (VmRSS), in KiB; 0 where it cannot be read.
long residentKib();

struct RssSample {
    int minute = 0;
    long kib = 0;
};

// The samples more than limit (0.10 for 10%) above the baseline.
std::vector<RssSample> samplesAbove(long baselineKib, const std::vector<RssSample>& samples,
                                    double limit);

// Sees that a thread keeps beating. When no beat has come for longer than
// the threshold, onHang runs once, on the watchdog's own thread, with the
// time since the last beat. Counting starts at construction.
class Watchdog {
public:
    using Clock = std::chrono::steady_clock;

    Watchdog(std::chrono::milliseconds threshold,
             std::function<void(std::chrono::milliseconds silence)> onHang);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    void beat();
    bool fired() const { return m_fired.load(); }

private:
    void watch();

    const std::chrono::milliseconds m_threshold;
    const std::function<void(std::chrono::milliseconds)> m_onHang;
    std::atomic<Clock::rep> m_lastBeat;
    std::atomic<bool> m_fired{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace quorvane::soak
