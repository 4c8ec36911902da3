#pragma once

#include "LessonTree.h"

namespace quorvane {

// The animation lessons (tv1): 15 chapters, 139 lessons.
const LessonTree& animationTree();
// The text lessons (TV2): 20 chapters, 183 lessons, every caption distinct.
const LessonTree& textTree();

} // namespace quorvane
