#pragma once

#include "swf/Reader.h"

#include <ostream>

namespace quorvane::tools {

// The summary `quorvane-swf info` prints: five fixed lines, then the count of
// every tag code (sprites' own tags included), in code order.
void printInfo(std::ostream& out, const swf::ReadMovie& movie);

} // namespace quorvane::tools
