#include "WindowsDirectory.h"

#include <QDir>
#include <QFileInfo>

namespace quorvane {

namespace {

QString withoutTrailingSeparator(QString path)
{
    while (path.size() > 1 && (path.endsWith(u'/') || path.endsWith(u'\\')))
        path.chop(1);
    return path;
}

} // namespace

QString resolveWindowsDirectory(const QString& environmentValue, const QString& installedDataDir,
                                const QString& buildCourseDir)
{
    if (!environmentValue.isEmpty())
        return withoutTrailingSeparator(environmentValue);
    if (!installedDataDir.isEmpty() && QFileInfo(installedDataDir).isDir())
        return withoutTrailingSeparator(installedDataDir);
    return withoutTrailingSeparator(buildCourseDir);
}

QString windowsDirectory()
{
    return resolveWindowsDirectory(qEnvironmentVariable("QUORVANE_WINDIR"),
                                   QStringLiteral(QUORVANE_INSTALLED_DATA_DIR),
                                   QStringLiteral(QUORVANE_COURSE_DIR));
}

QString resolveHelpPage(const QString& installedDataDir, const QString& buildCourseDir)
{
    const QString page = QStringLiteral("/help/index.html");
    const QString installed = withoutTrailingSeparator(installedDataDir) + page;
    if (!installedDataDir.isEmpty() && QFileInfo(installed).isFile())
        return installed;
    return withoutTrailingSeparator(buildCourseDir) + page;
}

QString helpPage()
{
    return resolveHelpPage(QStringLiteral(QUORVANE_INSTALLED_DATA_DIR),
                           QStringLiteral(QUORVANE_COURSE_DIR));
}

} // namespace quorvane
