#pragma once

#include "swf/Shape.h"
#include "swf/Types.h"

#include <cstdint>
#include <vector>

namespace quorvane::swf {

// A morph's fill at its start (ratio 0) and its end (ratio 65535); both
// ends share the type.
struct MorphFillStyle {
    FillStyle start;
    FillStyle end;

    bool operator==(const MorphFillStyle&) const = default;
};

// A morph's line at both ends. DefineMorphShape2's line flags (caps, join,
// scaling) are kept in start and copied to end.
struct MorphLineStyle {
    LineStyle start;
    LineStyle end;

    bool operator==(const MorphLineStyle&) const = default;
};

// DefineMorphShape (version 1) and DefineMorphShape2 (version 2). The start
// and end edges pair up record by record; only the start edges change
// styles.
struct DefineMorphShape {
    std::uint8_t version = 1;
    std::uint16_t id = 0;
    Rect startBounds;
    Rect endBounds;
    // Version 2 only.
    Rect startEdgeBounds;
    Rect endEdgeBounds;
    bool usesNonScalingStrokes = false;
    bool usesScalingStrokes = false;
    std::vector<MorphFillStyle> fillStyles;
    std::vector<MorphLineStyle> lineStyles;
    std::vector<ShapeRecord> startEdges;
    std::vector<ShapeRecord> endEdges;

    bool operator==(const DefineMorphShape&) const = default;
};

} // namespace quorvane::swf
