#include "player/movie/DisplayList.h"

#include <algorithm>

namespace quorvane::player {

namespace {

void collectPixelKeys(std::span<const DisplayObject> objects, std::vector<qint64>& keys)
{
    for (const DisplayObject& object : objects) {
        if (object.bitmap) {
            keys.push_back(object.bitmap->cacheKey());
        }
        collectPixelKeys(object.children, keys);
    }
}

DisplayList::iterator findDepth(DisplayList& list, std::uint16_t depth)
{
    return std::lower_bound(
        list.begin(), list.end(), depth,
        [](const DisplayObject& object, std::uint16_t value) { return object.depth < value; });
}

} // namespace

std::size_t objectCount(const DisplayList& list)
{
    std::size_t count = list.size();
    for (const DisplayObject& object : list) {
        count += objectCount(object.children);
    }
    return count;
}

std::vector<qint64> pixelKeys(std::span<const DisplayObject> objects)
{
    std::vector<qint64> keys;
    collectPixelKeys(objects, keys);
    return keys;
}

DisplayList TimelineRunner::firstFrame(const Timeline& timeline)
{
    m_spent = 0;
    DisplayList list;
    runActions(timeline, 0, list, 0, nullptr, nullptr);
    return list;
}

void TimelineRunner::advance(const Timeline& timeline, int& frame, DisplayList& list)
{
    m_spent = 0;
    advanceAt(timeline, frame, list, 0);
}

bool TimelineRunner::spend()
{
    if (m_spent >= m_limits.maxObjectsPerCall) {
        return false;
    }
    ++m_spent;
    return true;
}

void TimelineRunner::advanceAt(const Timeline& timeline, int& frame, DisplayList& list, int nesting)
{
    std::vector<std::uint16_t> created;
    if (timeline.frameCount() > 1) {
        if (frame + 1 < timeline.frameCount()) {
            ++frame;
            runActions(timeline, frame, list, nesting, &created, nullptr);
        } else {
            DisplayList previous = std::move(list);
            list.clear();
            frame = 0;
            runActions(timeline, 0, list, nesting, &created, &previous);
        }
    }
    std::sort(created.begin(), created.end());
    if (nesting + 1 >= m_limits.maxNesting) {
        return;
    }
    for (DisplayObject& object : list) {
        if (!spend()) {
            return;
        }
        if (std::binary_search(created.begin(), created.end(), object.depth)) {
            continue;
        }
        if (const Timeline* sprite = m_dictionary.sprite(object.characterId)) {
            advanceAt(*sprite, object.frame, object.children, nesting + 1);
        }
    }
}

void TimelineRunner::runActions(const Timeline& timeline, int frame, DisplayList& list, int nesting,
                                std::vector<std::uint16_t>* created, DisplayList* previous)
{
    for (const FrameAction& action : timeline.actions(frame)) {
        if (const auto* const* placeTag = std::get_if<const swf::PlaceObject*>(&action)) {
            place(**placeTag, frame, list, nesting, created, previous);
        } else {
            const swf::RemoveObject& remove = *std::get<const swf::RemoveObject*>(action);
            const auto found = findDepth(list, remove.depth);
            if (found != list.end() && found->depth == remove.depth) {
                list.erase(found);
            }
        }
    }
}

void TimelineRunner::place(const swf::PlaceObject& tag, int frame, DisplayList& list, int nesting,
                           std::vector<std::uint16_t>* created, DisplayList* previous)
{
    const auto found = findDepth(list, tag.depth);
    const bool occupied = found != list.end() && found->depth == tag.depth;
    if (!tag.characterId) {
        if (tag.move && occupied) {
            applyPlacement(*found, tag);
        }
        return;
    }
    const std::uint16_t characterId = *tag.characterId;
    if (occupied) {
        // A depth already in use takes a new character only by a replace;
        // a plain placement there is ignored.
        if (tag.move && tag.version >= 2) {
            applyPlacement(*found, tag);
            if (found->characterId != characterId &&
                m_dictionary.canReplace(found->characterId, characterId)) {
                found->characterId = characterId;
                found->placedFrame = frame;
                construct(*found, nesting);
                if (created) {
                    created->push_back(tag.depth);
                }
            }
        }
        return;
    }
    if (!spend()) {
        return;
    }
    DisplayObject object;
    object.depth = tag.depth;
    object.characterId = characterId;
    object.placedFrame = frame;
    applyPlacement(object, tag);

    bool kept = false;
    if (previous) {
        const auto old = findDepth(*previous, tag.depth);
        if (old != previous->end() && old->depth == tag.depth && old->characterId == characterId &&
            old->placedFrame == frame) {
            object.frame = old->frame;
            object.children = std::move(old->children);
            kept = true;
        }
    }
    if (!kept) {
        construct(object, nesting);
        if (created) {
            created->push_back(tag.depth);
        }
    }
    list.insert(found, std::move(object));
}

void TimelineRunner::construct(DisplayObject& object, int nesting)
{
    object.frame = 0;
    object.children.clear();
    const Timeline* sprite = m_dictionary.sprite(object.characterId);
    if (sprite && nesting + 1 < m_limits.maxNesting) {
        runActions(*sprite, 0, object.children, nesting + 1, nullptr, nullptr);
    }
}

} // namespace quorvane::player
