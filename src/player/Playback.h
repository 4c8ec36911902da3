#pragma once

#include "player/movie/DisplayList.h"

#include <QPointF>

namespace quorvane::player {

// How a loaded movie moves from frame to frame: by replaying its timelines,
// or, in a scripted movie, by running the clip tree its scripts act on. The
// player keeps the rhythm, the sound and the drawing; this keeps the frame.
class Playback {
public:
    virtual ~Playback() = default;

    // The root timeline's frame (0-based) and the objects it shows.
    virtual int frame() const = 0;
    virtual const DisplayList& displayList() const = 0;

    // To the first frame as a fresh load shows it.
    virtual void rewind() = 0;
    // To another frame of the root timeline, within the movie.
    virtual void gotoFrame(int frame) = 0;
    // One frame interval: the next frame, or the first after the last.
    virtual void advance() = 0;

    // Mouse (stage pixels) and keys; a movie without scripts ignores them.
    virtual void mouseMove(QPointF) {}
    virtual void mouseButton(bool) {}
    virtual void key(bool, int, int) {}
};

} // namespace quorvane::player
