// The sounds scripts start and the movie's own files they load: what is
// playing, for how long, and where the files may come from.

#include "player/avm1/LocalFiles.h"
#include "player/avm1/Stage.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

namespace quorvane::player::avm1 {

namespace {

// A lesson's sound file is a few megabytes; anything far larger is not one.
constexpr std::uintmax_t kMaxLocalFile = 64u << 20;

} // namespace

const swf::DefineSound* Stage::exportedSound(const std::string& name) const
{
    const std::optional<std::uint16_t> id = exportedCharacter(name);
    return id ? m_movie->soundtrack().sound(*id) : nullptr;
}

void Stage::startSound(Object* owner, const swf::DefineSound& sound, double offsetSeconds,
                       int loops)
{
    PlayingSound playing;
    playing.owner = owner;
    playing.soundId = sound.id;
    playing.startedAt = m_machine->millisecondsSinceStart();
    playing.length = soundMilliseconds(sound);
    playing.offset = std::clamp(offsetSeconds * 1000.0, 0.0, playing.length);
    playing.loops = std::max(loops, 1);
    // A sound started again by its owner starts over; its first play is forgotten.
    std::erase_if(m_playingSounds, [&](const PlayingSound& each) { return each.owner == owner; });
    m_stoppedAt.erase(owner);
    m_playingSounds.push_back(playing);

    if (m_surroundings.sound) {
        swf::SoundInfo info;
        if (playing.offset > 0) {
            info.inPoint = std::uint32_t(playing.offset / 1000.0 * 44100);
        }
        info.loopCount = std::uint16_t(std::min(playing.loops, 65535));
        m_surroundings.sound->startSound(sound, info);
    }
}

void Stage::stopSounds(std::optional<std::uint16_t> soundId)
{
    for (auto it = m_playingSounds.begin(); it != m_playingSounds.end();) {
        if (!soundId || it->soundId == *soundId) {
            m_stoppedAt[it->owner] = playedMilliseconds(*it);
            it = m_playingSounds.erase(it);
        } else {
            ++it;
        }
    }
    if (m_surroundings.sound) {
        if (soundId) {
            m_surroundings.sound->stopSound(*soundId);
        } else {
            m_surroundings.sound->stopAllSounds();
        }
    }
}

double Stage::playedMilliseconds(const PlayingSound& sound) const
{
    const double elapsed = m_machine->millisecondsSinceStart() - sound.startedAt;
    const double loop = sound.length - sound.offset;
    if (loop <= 0) {
        return sound.offset;
    }
    return sound.offset + std::fmod(std::max(elapsed, 0.0), loop);
}

double Stage::soundPosition(const Object* owner) const
{
    for (const PlayingSound& sound : m_playingSounds) {
        if (sound.owner == owner) {
            return playedMilliseconds(sound);
        }
    }
    const auto stopped = m_stoppedAt.find(owner);
    return stopped == m_stoppedAt.end() ? 0.0 : stopped->second;
}

void Stage::finishSounds()
{
    const double now = m_machine->millisecondsSinceStart();
    std::vector<Object*> finished;
    std::erase_if(m_playingSounds, [&](const PlayingSound& sound) {
        const double playing = (sound.length - sound.offset) * sound.loops;
        if (now - sound.startedAt < playing) {
            return false;
        }
        m_stoppedAt[sound.owner] = sound.length;
        finished.push_back(sound.owner);
        return true;
    });
    for (Object* owner : finished) {
        queueTask([this, owner] {
            Arguments none;
            m_machine->callMethod(Value(owner), "onSoundComplete", none);
        });
    }
}

SoundTransform& Stage::soundTransform(Clip* target)
{
    return target ? target->sound : m_movieSoundTransform;
}

std::optional<std::vector<std::uint8_t>> Stage::readLocalFile(const std::string& url) const
{
    const auto path = localFile(m_surroundings.folder, url);
    if (!path) {
        return std::nullopt;
    }
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(*path, error);
    if (error || size > kMaxLocalFile) {
        return std::nullopt;
    }
    std::ifstream in(*path, std::ios::binary);
    std::vector<std::uint8_t> bytes(size);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(size))) {
        return std::nullopt;
    }
    return bytes;
}

void Stage::queueTask(std::function<void()> task)
{
    m_queue.emplace_back(std::move(task));
}

} // namespace quorvane::player::avm1
