#pragma once

#include "swf/Tags.h"

#include <cstdint>
#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

namespace quorvane::player {

// What the main timeline says about sound, by frame: the event sounds each
// frame starts and the stream sound's block for each frame. Points into the
// movie's tags, which the movie definition keeps.
class Soundtrack {
public:
    Soundtrack() = default;
    explicit Soundtrack(const std::vector<swf::Tag>& rootTags);

    // The first definition of an id stands.
    const swf::DefineSound* sound(std::uint16_t id) const;
    // Empty for frames that start none.
    const std::vector<const swf::StartSound*>& startsAt(int frame) const;

    const std::optional<swf::SoundStreamHead>& streamHead() const { return m_streamHead; }
    // Null for frames without a block.
    const swf::SoundStreamBlock* streamBlockAt(int frame) const;

private:
    std::unordered_map<std::uint16_t, const swf::DefineSound*> m_sounds;
    std::map<int, std::vector<const swf::StartSound*>> m_starts;
    std::optional<swf::SoundStreamHead> m_streamHead;
    std::map<int, const swf::SoundStreamBlock*> m_streamBlocks;
};

} // namespace quorvane::player
