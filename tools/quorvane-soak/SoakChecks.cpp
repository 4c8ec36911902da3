#include "SoakChecks.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace quorvane::soak {

namespace {

QByteArray hashOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("unreadable");
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result().toHex();
}

FileState stateOf(const QFileInfo& info)
{
    FileState state;
    state.folder = info.isDir() && !info.isSymLink();
    if (state.folder)
        return state;
    state.size = info.size();
    state.modifiedMs = info.lastModified().toMSecsSinceEpoch();
    state.sha256 = info.isSymLink() ? info.symLinkTarget().toUtf8() : hashOf(info.filePath());
    return state;
}

QString describe(const FileState& state)
{
    if (state.folder)
        return QStringLiteral("folder");
    return QStringLiteral("%1 bytes, modified %2, sha256 %3")
        .arg(state.size)
        .arg(QDateTime::fromMSecsSinceEpoch(state.modifiedMs).toString(Qt::ISODateWithMs))
        .arg(QString::fromLatin1(state.sha256.left(12)));
}

} // namespace

Snapshot takeSnapshot(const QStringList& roots)
{
    Snapshot snapshot;
    for (const QString& root : roots) {
        const QFileInfo rootInfo(root);
        if (!rootInfo.exists())
            continue;
        snapshot[rootInfo.absoluteFilePath()] = stateOf(rootInfo);
        QDirIterator entries(rootInfo.absoluteFilePath(),
                             QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                             QDirIterator::Subdirectories);
        while (entries.hasNext()) {
            entries.next();
            const QFileInfo info = entries.fileInfo();
            snapshot[info.absoluteFilePath()] = stateOf(info);
        }
    }
    return snapshot;
}

QStringList changesBetween(const Snapshot& before, const Snapshot& after,
                           const QStringList& allowed)
{
    QStringList allowedPaths;
    for (const QString& path : allowed)
        allowedPaths << QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const auto isAllowed = [&](const QString& path) { return allowedPaths.contains(path); };

    QStringList changes;
    for (const auto& [path, state] : before) {
        if (isAllowed(path))
            continue;
        const auto now = after.find(path);
        if (now == after.end())
            changes << QStringLiteral("removed: %1 (%2)").arg(path, describe(state));
        else if (!(now->second == state))
            changes << QStringLiteral("changed: %1 (%2 -> %3)")
                           .arg(path, describe(state), describe(now->second));
    }
    for (const auto& [path, state] : after) {
        if (!isAllowed(path) && !before.contains(path))
            changes << QStringLiteral("added: %1 (%2)").arg(path, describe(state));
    }
    std::sort(changes.begin(), changes.end(), [](const QString& a, const QString& b) {
        return a.section(u' ', 1) < b.section(u' ', 1);
    });
    return changes;
}

long residentKib()
{
    // A /proc file has no size, so it is read to its end rather than by atEnd().
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

std::vector<RssSample> samplesAbove(long baselineKib, const std::vector<RssSample>& samples,
                                    double limit)
{
    std::vector<RssSample> above;
    for (const RssSample& sample : samples) {
        if (double(sample.kib) > double(baselineKib) * (1.0 + limit))
            above.push_back(sample);
    }
    return above;
}

Watchdog::Watchdog(std::chrono::milliseconds threshold,
                   std::function<void(std::chrono::milliseconds)> onHang)
    : m_threshold(threshold), m_onHang(std::move(onHang)),
      m_lastBeat(Clock::now().time_since_epoch().count())
{
    m_thread = std::thread([this] { watch(); });
}

Watchdog::~Watchdog()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void Watchdog::beat()
{
    m_lastBeat.store(Clock::now().time_since_epoch().count());
}

void Watchdog::watch()
{
    // Looks often enough that a hang is seen soon after the threshold.
    const auto interval =
        std::clamp(m_threshold / 10, std::chrono::milliseconds(10), std::chrono::milliseconds(500));
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        m_wake.wait_for(lock, interval, [this] { return m_stopping; });
        if (m_stopping || m_fired)
            continue;
        const Clock::time_point last{Clock::duration(m_lastBeat.load())};
        const auto silence =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - last);
        if (silence > m_threshold) {
            m_fired = true;
            lock.unlock();
            m_onHang(silence);
            lock.lock();
        }
    }
}

} // namespace quorvane::soak
