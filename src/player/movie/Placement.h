#pragma once

#include "swf/Tags.h"
#include "swf/Types.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quorvane::player {

// What PlaceObject, PlaceObject2 and PlaceObject3 set on the object they
// place or move: the same on a timeline's plain objects and on the clips of
// the scripted stage, so that both draw a placement alike.
struct PlacedProperties {
    swf::Matrix matrix;
    swf::ColorTransform colorTransform;
    std::uint16_t ratio = 0;
    std::string name;
    // Non-zero for a mask: it clips the objects above it up to this depth.
    std::uint16_t clipDepth = 0;
    // PlaceObject3's: how the object composes with what lies below it, the
    // filters on its picture, and whether it is drawn as one bitmap.
    std::uint8_t blendMode = 0;
    std::vector<swf::Filter> filters;
    bool cacheAsBitmap = false;

    bool operator==(const PlacedProperties&) const = default;
};

struct PlacementRules {
    // A script took over the object's transform: the tag's matrix and
    // colour transform are not applied.
    bool keepTransform = false;
};

// Each property the tag carries replaces the object's; what it leaves out
// stays as it was.
void applyPlacement(PlacedProperties& object, const swf::PlaceObject& tag,
                    PlacementRules rules = {});

// Folds a later move into the placement it moves, so that one tag says
// what both did (for the picture a jump between frames rebuilds).
void foldPlacement(swf::PlaceObject& into, const swf::PlaceObject& move);

} // namespace quorvane::player
