#include "LessonFile.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

namespace quorvane {

namespace {

// The entry of directory that a Windows name component denotes: the exact
// name when present, else the one entry equal to it but for letter case.
std::optional<QString> matchComponent(const QString& directory, const QString& component)
{
    if (component == u'.' || component == QStringLiteral("..") ||
        QFileInfo::exists(directory + u'/' + component))
        return component;
    std::optional<QString> match;
    const QStringList entries = QDir(directory).entryList(QDir::AllEntries | QDir::Hidden |
                                                          QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry.compare(component, Qt::CaseInsensitive) != 0)
            continue;
        if (match)
            return std::nullopt;
        match = entry;
    }
    return match;
}

} // namespace

QString findLessonFile(const QString& folder, const QString& name)
{
    const QString joined = folder + name;
    if (QFileInfo(joined).isFile())
        return joined;
    QString path = folder;
    if (path.endsWith(u'/'))
        path.chop(1);
    const QStringList components =
        QString(name).replace(u'\\', u'/').split(u'/', Qt::SkipEmptyParts);
    for (const QString& component : components) {
        const std::optional<QString> found = matchComponent(path, component);
        if (!found)
            return joined;
        path += u'/' + *found;
    }
    return QFileInfo(path).isFile() ? path : joined;
}

} // namespace quorvane
