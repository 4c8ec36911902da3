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

// The help page that comes with the program, help/index.html: from the
// installed data folder when it holds one, else from the course the build
// assembled. QUORVANE_WINDIR is not asked, since it may name the learner's
// own lesson folders, which have no help page.
QString resolveHelpPage(const QString& installedDataDir, const QString& buildCourseDir);

// The same, for this build.
QString helpPage();

} // namespace quorvane
