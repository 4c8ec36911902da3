#include "player/movie/Placement.h"

namespace quorvane::player {

namespace {

template <typename Value> void takeIfSet(Value& into, const std::optional<Value>& value)
{
    if (value) {
        into = *value;
    }
}

template <typename Value>
void foldIfSet(std::optional<Value>& into, const std::optional<Value>& value)
{
    if (value) {
        into = value;
    }
}

} // namespace

void applyPlacement(PlacedProperties& object, const swf::PlaceObject& tag, PlacementRules rules)
{
    if (!rules.keepTransform) {
        takeIfSet(object.matrix, tag.matrix);
        takeIfSet(object.colorTransform, tag.colorTransform);
    }
    takeIfSet(object.ratio, tag.ratio);
    takeIfSet(object.name, tag.name);
    takeIfSet(object.clipDepth, tag.clipDepth);
    takeIfSet(object.blendMode, tag.blendMode);
    takeIfSet(object.filters, tag.filters);
    if (tag.bitmapCache) {
        object.cacheAsBitmap = *tag.bitmapCache != 0;
    }
}

void foldPlacement(swf::PlaceObject& into, const swf::PlaceObject& move)
{
    foldIfSet(into.matrix, move.matrix);
    foldIfSet(into.colorTransform, move.colorTransform);
    foldIfSet(into.ratio, move.ratio);
    foldIfSet(into.name, move.name);
    foldIfSet(into.clipDepth, move.clipDepth);
    foldIfSet(into.blendMode, move.blendMode);
    foldIfSet(into.filters, move.filters);
    foldIfSet(into.bitmapCache, move.bitmapCache);
}

} // namespace quorvane::player
