#include "player/movie/Soundtrack.h"

namespace quorvane::player {

Soundtrack::Soundtrack(const std::vector<swf::Tag>& rootTags)
{
    int frame = 0;
    for (const swf::Tag& tag : rootTags) {
        if (std::holds_alternative<swf::ShowFrame>(tag.value)) {
            ++frame;
        } else if (const auto* sound = std::get_if<swf::DefineSound>(&tag.value)) {
            m_sounds.try_emplace(sound->id, sound);
        } else if (const auto* start = std::get_if<swf::StartSound>(&tag.value)) {
            m_starts[frame].push_back(start);
        } else if (const auto* head = std::get_if<swf::SoundStreamHead>(&tag.value)) {
            // One stream per timeline: the first head describes it.
            if (!m_streamHead) {
                m_streamHead = *head;
            }
        } else if (const auto* block = std::get_if<swf::SoundStreamBlock>(&tag.value)) {
            m_streamBlocks.try_emplace(frame, block);
        }
    }
}

const swf::DefineSound* Soundtrack::sound(std::uint16_t id) const
{
    const auto found = m_sounds.find(id);
    return found == m_sounds.end() ? nullptr : found->second;
}

const std::vector<const swf::StartSound*>& Soundtrack::startsAt(int frame) const
{
    static const std::vector<const swf::StartSound*> none;
    const auto found = m_starts.find(frame);
    return found == m_starts.end() ? none : found->second;
}

const swf::SoundStreamBlock* Soundtrack::streamBlockAt(int frame) const
{
    const auto found = m_streamBlocks.find(frame);
    return found == m_streamBlocks.end() ? nullptr : found->second;
}

} // namespace quorvane::player
