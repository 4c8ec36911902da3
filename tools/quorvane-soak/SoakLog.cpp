#include "SoakLog.h"

#include <cstdio>

namespace quorvane::soak {

SoakLog::SoakLog(const QString& path, bool echo) : m_file(path), m_echo(echo)
{
    m_clock.start();
    if (!path.isEmpty() && !m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::fprintf(stderr, "soak: cannot write the log %s\n", qPrintable(path));
}

void SoakLog::note(const QString& line)
{
    const QByteArray stamped = QStringLiteral("%1 %2\n")
                                   .arg(double(m_clock.elapsed()) / 1000.0, 9, 'f', 1)
                                   .arg(line)
                                   .toUtf8();
    if (m_echo)
        std::fputs(stamped.constData(), stderr);
    if (m_file.isOpen()) {
        m_file.write(stamped);
        m_file.flush();
    }
}

void SoakLog::fail(const QString& reason)
{
    m_failures << reason;
    note(QStringLiteral("FAIL ") + reason);
}

} // namespace quorvane::soak
