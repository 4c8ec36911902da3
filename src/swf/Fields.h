#pragma once

#include "swf/BitReader.h"
#include "swf/Types.h"

namespace quorvane::swf {

// The bit-packed records shared by many tags; each starts on a byte boundary.
Rect readRect(BitReader& reader);
Matrix readMatrix(BitReader& reader);
ColorTransform readColorTransform(BitReader& reader, bool withAlpha);
Rgba readRgb(BitReader& reader);
Rgba readRgba(BitReader& reader);

} // namespace quorvane::swf
