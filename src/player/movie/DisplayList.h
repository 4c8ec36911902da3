#pragma once

#include "player/movie/Dictionary.h"
#include "player/movie/Placement.h"
#include "player/movie/Timeline.h"
#include "swf/Tags.h"
#include "swf/Types.h"

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace quorvane::player {

struct DisplayObject;

// A timeline's objects in depth order, lowest (drawn first) first.
using DisplayList = std::vector<DisplayObject>;

// What the renderer draws of one object: its placement's properties and
// what the timeline or scripts made of it since.
struct DisplayObject : PlacedProperties {
    std::uint16_t depth = 0;
    std::uint16_t characterId = 0;
    // The frame of the parent timeline whose tags created this object.
    int placedFrame = 0;
    // An edit text as scripts left it, drawn instead of its character.
    std::shared_ptr<const TextBlock> text;
    // Pixels made at run time (a loaded image, a BitmapData), shared with
    // their owner so that its later changes show; drawn under the children.
    std::shared_ptr<const QImage> bitmap;
    bool smoothBitmap = false;
    // The characters of a movie loaded at run time, for it and its
    // children; null for the player's own movie's.
    const Dictionary* dictionary = nullptr;
    // What a clip's drawing methods drew, painted under its children.
    std::shared_ptr<const ShapeGeometry> drawing;
    // The clip a script set as this one's mask, placed in this object's
    // parent space; it replaces any clip-depth mask over this object.
    std::shared_ptr<const DisplayObject> scriptMask;
    // A sprite's own timeline: its frame and its objects.
    int frame = 0;
    DisplayList children;

    bool operator==(const DisplayObject&) const = default;
};

// Counts every object in the list and below.
std::size_t objectCount(const DisplayList& list);
// The contents of every run-time picture the objects show, in drawing
// order: scripts change those pixels in place, behind the same object.
std::vector<qint64> pixelKeys(std::span<const DisplayObject> objects);

// Runs timelines the way playback does. Damaged or hostile movies (a sprite
// that places itself, thousands of objects per frame) are bounded by the
// limits: past them, placements are ignored rather than letting one frame
// take unbounded time or memory.
class TimelineRunner {
public:
    struct Limits {
        int maxNesting = 32;
        // Objects one call may visit or create.
        std::size_t maxObjectsPerCall = 50000;
    };

    explicit TimelineRunner(const Dictionary& dictionary) : m_dictionary(dictionary) {}
    TimelineRunner(const Dictionary& dictionary, Limits limits)
        : m_dictionary(dictionary), m_limits(limits)
    {
    }

    // A timeline's first frame as a new instance shows it, sprites included.
    DisplayList firstFrame(const Timeline& timeline);

    // One frame interval: the timeline moves to its next frame, or back to
    // its first after its last (a one-frame timeline stays), and every
    // sprite already on it moves on by one of its own frames. Sprites the
    // step creates show their first frame until the next interval. Going
    // round to the first frame keeps each sprite that the first frame
    // places where the same placement made it, still running.
    void advance(const Timeline& timeline, int& frame, DisplayList& list);

    // Objects the last call visited or created.
    std::size_t lastCallWork() const { return m_spent; }

private:
    void advanceAt(const Timeline& timeline, int& frame, DisplayList& list, int nesting);
    void runActions(const Timeline& timeline, int frame, DisplayList& list, int nesting,
                    std::vector<std::uint16_t>* created, DisplayList* previous);
    void place(const swf::PlaceObject& tag, int frame, DisplayList& list, int nesting,
               std::vector<std::uint16_t>* created, DisplayList* previous);
    void construct(DisplayObject& object, int nesting);
    bool spend();

    const Dictionary& m_dictionary;
    Limits m_limits;
    std::size_t m_spent = 0;
};

} // namespace quorvane::player
