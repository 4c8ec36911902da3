#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QStringList>

namespace quorvane::soak {

// The run's event log: every line stamped with the seconds since the start,
// written at once (a crash must not lose the lines before it) to the file
// and, when echoing, to standard error. Failures are kept for the verdict at the end.
class SoakLog {
public:
    explicit SoakLog(const QString& path, bool echo = true);

    void note(const QString& line);
    void fail(const QString& reason);
    const QStringList& failures() const { return m_failures; }
    qint64 elapsedMs() const { return m_clock.elapsed(); }

private:
    QFile m_file;
    bool m_echo;
    QElapsedTimer m_clock;
    QStringList m_failures;
};

} // namespace quorvane::soak
