#include "LessonDirectories.h"

namespace quorvane {

LessonDirectories buildLessonDirectories(const QString& windowsDirectory)
{
    return {windowsDirectory + QStringLiteral("/fyf/"), windowsDirectory + QStringLiteral("/wyf/")};
}

} // namespace quorvane
