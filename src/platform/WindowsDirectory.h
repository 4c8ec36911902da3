#pragma once

#include <QString>

namespace quorvane {

// Where the lesson folders fyf/ and wyf/ live on this machine. In order: the
// folder named by QUORVANE_WINDIR when it is set and not empty; the installed
// data folder when it exists; else the course the build assembled.
// No trailing separator.
QString resolveWindowsDirectory(const QString& environmentValue, const QString& installedDataDir,
                                const QString& buildCourseDir);

// The same, for this process and this build.
QString windowsDirectory();

} // namespace quorvane
