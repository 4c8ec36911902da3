#pragma once

#include "player/Playback.h"
#include "player/movie/MovieDefinition.h"

#include <cstddef>
#include <map>
#include <memory>

namespace quorvane::player {

// Plays a movie without scripts by replaying its timelines. Snapshots of
// the display list every few frames let a backward seek replay a few
// frames instead of the whole movie.
class TimelinePlayback : public Playback {
public:
    struct Limits {
        TimelineRunner::Limits timeline;
        // The most objects one seek may step through.
        std::size_t maxSeekWork;
    };

    TimelinePlayback(std::shared_ptr<const MovieDefinition> movie, Limits limits);

    int frame() const override { return m_frame; }
    const DisplayList& displayList() const override { return m_list; }
    void rewind() override;
    // Shows the frame exactly as playing from the first frame up to it
    // shows it. In a movie so crowded that getting there would take seconds
    // (only hostile files are), the seek stops short at the frame it reached.
    void gotoFrame(int frame) override;
    void advance() override;

private:
    struct Snapshot {
        DisplayList list;
        std::size_t objects = 0;
    };

    // Steps the current frame forward, keeping snapshots of the frames that
    // fall on the snapshot grid while the state is still the canonical one.
    void stepForward();
    void storeSnapshot();
    void trimSnapshots();

    std::shared_ptr<const MovieDefinition> m_movie;
    std::size_t m_maxSeekWork;
    TimelineRunner m_runner;
    int m_frame = 0;
    DisplayList m_list;
    // True while m_list is what a fresh play from the first frame shows at
    // m_frame; looping makes it false (sprites keep running through it).
    bool m_canonical = true;
    std::map<int, Snapshot> m_snapshots;
    int m_snapshotInterval = 8;
    std::size_t m_snapshotObjects = 0;
};

} // namespace quorvane::player
