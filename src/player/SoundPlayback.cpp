#include "player/SoundPlayback.h"

namespace quorvane::player {

namespace {

// An MP3 stream block starts with its sample count and seek samples.
constexpr std::size_t kMp3BlockHeader = 4;

} // namespace

void SoundPlayback::follow(const Soundtrack* soundtrack)
{
    m_soundtrack = soundtrack;
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
    auto& cached = m_decoded[sound.id];
    if (!cached) {
        cached = std::make_shared<const DecodedSound>(decodeDefinedSound(sound));
    }
    return cached;
}

} // namespace quorvane::player
