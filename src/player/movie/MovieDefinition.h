#pragma once

#include "player/movie/Dictionary.h"
#include "player/movie/MemoryBudget.h"
#include "player/movie/Soundtrack.h"
#include "player/movie/Timeline.h"
#include "swf/Reader.h"

#include <memory>
#include <vector>

namespace quorvane::player {

// Everything a loaded movie defines, fixed once loaded: the header, the
// characters and the root timeline. Timelines point into the tags held here.
class MovieDefinition {
public:
    // Its pictures are decoded here, each within the budget: one that does
    // not fit is left out.
    static std::shared_ptr<const MovieDefinition> create(swf::ReadMovie read, MemoryBudget& budget);

    const swf::Header& header() const { return m_movie.header; }
    // Every tag as read; the script engine reads the frames' actions from them.
    const std::vector<swf::Tag>& tags() const { return m_movie.tags; }
    // The length the file declares, as getBytesTotal reports it.
    std::uint32_t byteLength() const { return m_declaredLength; }
    const Dictionary& dictionary() const { return m_dictionary; }
    const Timeline& rootTimeline() const { return m_root; }
    const Soundtrack& soundtrack() const { return m_soundtrack; }
    // The movie's first SetBackgroundColor, white without one.
    swf::Rgba backgroundColor() const { return m_background; }
    const std::vector<swf::Error>& warnings() const { return m_warnings; }

private:
    MovieDefinition() = default;

    swf::Movie m_movie;
    Dictionary m_dictionary;
    Timeline m_root;
    Soundtrack m_soundtrack;
    swf::Rgba m_background{255, 255, 255, 255};
    std::vector<swf::Error> m_warnings;
    std::uint32_t m_declaredLength = 0;
    std::vector<MemoryBudget::Claim> m_claims;
};

} // namespace quorvane::player
