#include "player/sound/SoundPlayback.h"

namespace quorvane::player {

namespace {

// An MP3 stream block starts with its sample count and seek samples.
constexpr std::size_t kMp3BlockHeader = 4;

} // namespace

DecodedSound SoundPlayback::withinBudget(const swf::DefineSound& sound, MemoryBudget::Claim& claim)
{
    constexpr std::size_t kFrameBytes = 2 * sizeof(std::int16_t);
    // Decoding stops where the budget would, so a sound too long for it
    // takes no more than what is left before it is let go.
    const std::size_t room = std::min(SoundDecoder::kMaxFrames, m_budget.remaining() / kFrameBytes);
    DecodedSound decoded = decodeDefinedSound(sound, room);
    decoded.samples.shrink_to_fit();
    const std::string name = "sound " + std::to_string(sound.id);
    if (room < SoundDecoder::kMaxFrames && decoded.frames() >= room) {
        m_budget.leaveOut(room * kFrameBytes + 1, name);
        return {};
    }
    auto granted = m_budget.claim(decoded.samples.size() * sizeof(std::int16_t), name);
    if (!granted) {
        return {};
    }
    claim = std::move(*granted);
    return decoded;
}

void SoundPlayback::follow(const Soundtrack* soundtrack, MemoryBudget budget)
{
    m_soundtrack = soundtrack;
    m_budget = std::move(budget);
    m_mixer.stopAllEvents();
    m_mixer.clearStream();
    m_decoded.clear();
    m_streamDecoder.reset();
    if (soundtrack && soundtrack->streamHead()) {
        m_streamDecoder = std::make_unique<SoundDecoder>(soundtrack->streamHead()->stream);
    }
}

void SoundPlayback::frameEntered(int frame)
{
    if (!m_soundtrack) {
        return;
    }
    startEvents(frame);
    queueStreamBlock(frame);
}

void SoundPlayback::seekedTo(int frame)
{
    if (!m_soundtrack) {
        return;
    }
    m_mixer.clearStream();
    if (m_streamDecoder) {
        m_streamDecoder->reset();
    }
    startEvents(frame);
    queueStreamBlock(frame);
}

void SoundPlayback::startEvents(int frame)
{
    for (const swf::StartSound* start : m_soundtrack->startsAt(frame)) {
        const swf::DefineSound* sound = m_soundtrack->sound(start->soundId);
        if (!sound) {
            continue;
        }
        // A stop needs no samples; do not decode a sound only to silence it.
        m_mixer.startEvent(start->soundId, start->info.syncStop ? nullptr : decoded(*sound),
                           start->info);
    }
}

void SoundPlayback::startSound(const swf::DefineSound& sound, const swf::SoundInfo& info)
{
    m_mixer.startEvent(sound.id, info.syncStop ? nullptr : decoded(sound), info);
}

void SoundPlayback::queueStreamBlock(int frame)
{
    const swf::SoundStreamBlock* block = m_soundtrack->streamBlockAt(frame);
    if (!block || !m_streamDecoder) {
        return;
    }
    std::span<const std::uint8_t> data(block->data);
    if (m_soundtrack->streamHead()->stream.coding == swf::SoundCoding::Mp3) {
        data = data.subspan(std::min(kMp3BlockHeader, data.size()));
    }
    DecodedSound piece;
    m_streamDecoder->decode(data, piece);
    m_mixer.queueStream(piece);
}

std::shared_ptr<const DecodedSound> SoundPlayback::decoded(const swf::DefineSound& sound)
{
    Kept& kept = m_decoded[sound.id];
    if (!kept.sound) {
        kept.sound = std::make_shared<const DecodedSound>(withinBudget(sound, kept.claim));
    }
    return kept.sound;
}

} // namespace quorvane::player
