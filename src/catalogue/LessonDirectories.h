#pragma once

#include <QString>

namespace quorvane {

// The two lesson folders, each ending in a separator: movies and list.txt
// under fyf/, numbered text lessons under wyf/.
struct LessonDirectories {
    QString animationDir;
    QString textDir;
};

LessonDirectories buildLessonDirectories(const QString& windowsDirectory);

} // namespace quorvane
