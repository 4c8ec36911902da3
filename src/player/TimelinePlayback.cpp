#include "player/TimelinePlayback.h"

#include <iterator>

namespace quorvane::player {

namespace {

// The snapshots' total size is held to this many objects by spacing them
// further apart in movies with crowded frames.
constexpr std::size_t kMaxSnapshotObjects = 200000;

} // namespace

TimelinePlayback::TimelinePlayback(std::shared_ptr<const MovieDefinition> movie, Limits limits)
    : m_movie(std::move(movie)), m_maxSeekWork(limits.maxSeekWork),
      m_runner(m_movie->dictionary(), limits.timeline)
{
    m_list = m_runner.firstFrame(m_movie->rootTimeline());
    storeSnapshot();
}

void TimelinePlayback::rewind()
{
    m_frame = 0;
    m_list = m_snapshots.at(0).list;
    m_canonical = true;
}

void TimelinePlayback::gotoFrame(int frame)
{
    const auto base = std::prev(m_snapshots.upper_bound(frame));
    const bool currentIsCloser = m_canonical && m_frame < frame && m_frame >= base->first;
    if (!currentIsCloser) {
        m_frame = base->first;
        m_list = base->second.list;
        m_canonical = true;
    }
    std::size_t work = 0;
    while (m_frame < frame && work < m_maxSeekWork) {
        stepForward();
        work += m_runner.lastCallWork();
    }
}

void TimelinePlayback::advance()
{
    // Going round to the first frame, or running a one-frame movie's
    // sprites, leaves sprites where a fresh start would not have them.
    if (m_frame + 1 >= m_movie->rootTimeline().frameCount()) {
        m_runner.advance(m_movie->rootTimeline(), m_frame, m_list);
        m_canonical = false;
    } else {
        stepForward();
    }
}

void TimelinePlayback::stepForward()
{
    m_runner.advance(m_movie->rootTimeline(), m_frame, m_list);
    if (m_canonical && m_frame % m_snapshotInterval == 0 && !m_snapshots.contains(m_frame)) {
        storeSnapshot();
    }
}

void TimelinePlayback::storeSnapshot()
{
    Snapshot snapshot{m_list, objectCount(m_list)};
    m_snapshotObjects += snapshot.objects;
    m_snapshots[m_frame] = std::move(snapshot);
    trimSnapshots();
}

void TimelinePlayback::trimSnapshots()
{
    while (m_snapshotObjects > kMaxSnapshotObjects && m_snapshots.size() > 1) {
        m_snapshotInterval *= 2;
        for (auto it = m_snapshots.begin(); it != m_snapshots.end();) {
            if (it->first % m_snapshotInterval != 0) {
                m_snapshotObjects -= it->second.objects;
                it = m_snapshots.erase(it);
            } else {
                ++it;
            }
        }
    }
}

} // namespace quorvane::player
