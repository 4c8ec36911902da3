#pragma once

#include <QString>

namespace quorvane {

// The file a lesson folder holds under a name written for Windows, which took
// "\" for "/" and ignored letter case, so lesson folders copied from it carry
// names such as "Fyf01\\Lesson1.SWF" for "fyf01/lesson1.swf". The name is
// joined to the folder as it stands (a "../" in it still leaves the folder);
// that path wins when it exists. Otherwise each component within the folder
// is matched as Windows would, and the single file found is returned. When
// nothing matches, or two names differ only in case (no Windows folder holds
// both, so neither is the one meant), the joined path comes back unchanged
// and the caller reports the lesson as missing.
QString findLessonFile(const QString& folder, const QString& name);

} // namespace quorvane
