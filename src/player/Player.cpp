#include "player/Player.h"

#include "player/ScriptedPlayback.h"
#include "player/TimelinePlayback.h"
#include "player/graphics/QtConversions.h"
#include "player/render/RenderWalk.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>

namespace quorvane::player {

namespace {

// A stall longer than this (a busy machine, a debugger) is not caught up
// frame by frame: playback resumes from now.
constexpr auto kMaxCatchUp = std::chrono::milliseconds(500);

// What a movie's scripts say to a player nobody listens to: commands and
// halts still reach standard error, where a developer can see them.
class StandardErrorHost : public avm1::ScriptHost {
public:
    void fscommand(const std::string& command, const std::string& arguments) override
    {
        std::cerr << "fscommand: " << command << ' ' << arguments << '\n';
    }
    void scriptsHalted(const std::string& reason) override
    {
        std::cerr << "scripts halted: " << reason << '\n';
    }
};

// The sounds scripts and buttons start, into the player's mix.
class PlaybackSoundOutput : public avm1::SoundOutput {
public:
    explicit PlaybackSoundOutput(SoundPlayback& playback) : m_playback(playback) {}

    void startSound(const swf::DefineSound& sound, const swf::SoundInfo& info) override
    {
        m_playback.startSound(sound, info);
    }
    void stopSound(std::uint16_t soundId) override { m_playback.stopSound(soundId); }
    void stopAllSounds() override { m_playback.stopAllSounds(); }

private:
    SoundPlayback& m_playback;
};

} // namespace

Player::Player() : Player(Limits{}) {}
Player::Player(Limits limits)
    : m_limits(limits), m_defaultScriptHost(std::make_unique<StandardErrorHost>()),
      m_scriptSound(std::make_unique<PlaybackSoundOutput>(m_sound))
{
}
Player::~Player() = default;

std::optional<std::string> Player::load(const std::string& path)
{
    unload();
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    m_folder = folder.empty() ? std::string(".") : folder.string();
    return start(swf::readMovieFile(path));
}

std::optional<std::string> Player::loadBytes(std::span<const std::uint8_t> bytes,
                                             const swf::ReadOptions& options)
{
    unload();
    return start(swf::readMovie(bytes, options));
}

std::optional<std::string> Player::start(swf::Result<swf::ReadMovie> read)
{
    if (!read) {
        return read.error().message;
    }
    ++m_movieShown;
    m_budget = MemoryBudget(m_limits.memory);
    m_movie = MovieDefinition::create(std::move(read).value(), m_budget);
    m_playing = true;
    m_sound.follow(&m_movie->soundtrack(), m_budget);
    m_sound.frameEntered(0);
    m_scripted = avm1::hasScripts(m_movie->tags());
    if (m_scripted) {
        m_playback = std::make_unique<ScriptedPlayback>(
            m_movie, m_scriptHost ? *m_scriptHost : *m_defaultScriptHost, m_limits.scripts,
            avm1::Stage::Surroundings{m_folder, m_scriptSound.get(), m_budget});
    } else {
        m_playback = std::make_unique<TimelinePlayback>(
            m_movie, TimelinePlayback::Limits{m_limits.timeline, m_limits.maxSeekWork});
    }
    return std::nullopt;
}

void Player::unload()
{
    m_sound.follow(nullptr);
    // The clips point into the movie's tags: they go first.
    m_playback.reset();
    m_scripted = false;
    m_movie.reset();
    m_folder.clear();
    m_playing = false;
    m_nextAdvance.reset();
    m_lastCall.reset();
    m_paintCache.clear();
    ++m_movieShown;
}

std::vector<std::string> Player::warnings() const
{
    std::vector<std::string> messages;
    if (m_movie) {
        for (const swf::Error& warning : m_movie->warnings()) {
            messages.push_back(warning.message);
        }
    }
    return messages;
}

int Player::totalFrames() const
{
    return m_movie ? m_movie->rootTimeline().frameCount() : 0;
}

int Player::currentFrame() const
{
    return m_playback ? m_playback->frame() : 0;
}

const DisplayList& Player::displayList() const
{
    static const DisplayList nothing;
    return m_playback ? m_playback->displayList() : nothing;
}

void Player::play()
{
    m_playing = isLoaded();
}

void Player::stop()
{
    m_playing = false;
}

void Player::mouseMove(QPointF stagePosition)
{
    if (m_playback) {
        m_playback->mouseMove(stagePosition);
    }
}

void Player::mouseDown()
{
    if (m_playback) {
        m_playback->mouseButton(true);
    }
}

void Player::mouseUp()
{
    if (m_playback) {
        m_playback->mouseButton(false);
    }
}

void Player::keyDown(int keyCode, int character)
{
    if (m_playback) {
        m_playback->key(true, keyCode, character);
    }
}

void Player::keyUp(int keyCode, int character)
{
    if (m_playback) {
        m_playback->key(false, keyCode, character);
    }
}

void Player::rewind()
{
    if (m_playback) {
        m_playback->rewind();
        m_sound.seekedTo(0);
    }
}

void Player::gotoFrame(int frame)
{
    if (!m_playback) {
        return;
    }
    frame = std::clamp(frame, 0, totalFrames() - 1);
    if (frame != currentFrame()) {
        m_playback->gotoFrame(frame);
        m_sound.seekedTo(currentFrame());
    }
}

void Player::advanceFrame()
{
    if (!m_playback) {
        return;
    }
    const int before = currentFrame();
    m_playback->advance();
    // The root moving on plays its next frame's sounds; a script's jump
    // elsewhere restarts the stream there; a halted root, or a one-frame
    // timeline staying on its frame, stays quiet.
    const int now = currentFrame();
    if (totalFrames() > 1 && now == (before + 1) % totalFrames()) {
        m_sound.frameEntered(now);
    } else if (now != before) {
        m_sound.seekedTo(now);
    }
}

Player::Clock::duration Player::frameInterval() const
{
    const double rate = std::max(frameRate(), 0.01);
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / rate));
}

bool Player::advanceTo(Clock::time_point now)
{
    if (!isLoaded()) {
        return false;
    }
    const std::optional<Clock::time_point> lastCall = m_lastCall;
    m_lastCall = now;
    if (!m_playing) {
        // Halted time does not count: the next frame stays as far away as
        // it was when the movie halted.
        if (m_nextAdvance && lastCall && now > *lastCall) {
            *m_nextAdvance += now - *lastCall;
        }
        return false;
    }
    const Clock::duration interval = frameInterval();
    if (!m_nextAdvance) {
        m_nextAdvance = now + interval;
        return false;
    }
    if (now < *m_nextAdvance) {
        return false;
    }
    if (now - *m_nextAdvance > kMaxCatchUp) {
        advanceFrame();
        m_nextAdvance = now + interval;
        return true;
    }
    bool moved = false;
    while (now >= *m_nextAdvance) {
        if (waitingForSound()) {
            // The frame is due but its sound is not: try again next call.
            *m_nextAdvance = now;
            return moved;
        }
        advanceFrame();
        moved = true;
        *m_nextAdvance += interval;
    }
    return moved;
}

bool Player::waitingForSound() const
{
    const double samplesPerFrame = kMixRate / std::max(frameRate(), 0.01);
    return m_pacedBySound && double(m_sound.mixer().streamQueued()) > samplesPerFrame;
}

void Player::mixAudio(std::span<std::int16_t> stereo)
{
    // Halting drops the stream only when sound is next wanted, so that a
    // halt undone before then costs nothing.
    if (!m_playing) {
        m_sound.haltStream();
    }
    m_sound.mix(stereo);
}

double Player::frameRate() const
{
    return m_movie ? m_movie->header().frameRatePerSecond() : 0.0;
}

QSizeF Player::stageSize() const
{
    return m_movie ? toQRectF(m_movie->header().stage).size() : QSizeF();
}

QColor Player::backgroundColor() const
{
    return m_movie ? toQColor(m_movie->backgroundColor()) : QColor(Qt::white);
}

bool Player::pictureChanged() const
{
    if (m_movieRendered != m_movieShown) {
        return true;
    }
    return displayList() != m_renderedList || pixelKeys(displayList()) != m_renderedPixels;
}

void Player::render(QPainter& painter, const QTransform& stageToDevice) const
{
    noteRendered();
    if (!isLoaded()) {
        return;
    }
    drawFrame(painter, stageToDevice * painter.worldTransform(), displayList());
}

void Player::render(Renderer& renderer, const QTransform& stageToDevice) const
{
    noteRendered();
    if (isLoaded()) {
        walk(renderer, stageToDevice, displayList());
    }
}

void Player::renderWhole(QPainter& painter, const QTransform& stageToDevice) const
{
    StillBottom::View view = StillBottom::deviceView(painter);
    const QRectF device(QPointF(0, 0), QSizeF(view.pixels) / view.devicePixelRatio);
    const QColor background = backgroundColor();
    const auto fillDevice = [&](QPainter& onto) {
        onto.save();
        onto.resetTransform();
        onto.fillRect(device, background);
        onto.restore();
    };
    if (!isLoaded()) {
        noteRendered();
        m_stillBottom.clear();
        m_copiedObjects = 0;
        fillDevice(painter);
        return;
    }
    const QTransform base = stageToDevice * painter.worldTransform();
    view.stageToDevice = stageToDevice;
    view.movie = m_movieShown;
    const std::size_t copied =
        m_stillBottom.paint(painter, view, displayList(),
                            m_movieRendered == m_movieShown ? m_renderedList : DisplayList{},
                            [&](QPainter& onto, std::span<const DisplayObject> objects) {
                                fillDevice(onto);
                                drawFrame(onto, base, objects);
                            });
    noteRendered();
    if (copied == 0) {
        fillDevice(painter);
        drawFrame(painter, base, displayList());
    } else {
        drawObjects(painter, base, std::span(displayList()).subspan(copied));
    }
    m_copiedObjects = copied;
}

void Player::noteRendered() const
{
    m_movieRendered = m_movieShown;
    m_renderedList = displayList();
    m_renderedPixels = pixelKeys(displayList());
}

void Player::drawFrame(QPainter& painter, const QTransform& base,
                       std::span<const DisplayObject> objects) const
{
    painter.save();
    painter.setWorldTransform(base);
    painter.fillRect(QRectF(QPointF(0, 0), stageSize()), backgroundColor());
    painter.restore();
    drawObjects(painter, base, objects);
}

void Player::drawObjects(QPainter& painter, const QTransform& base,
                         std::span<const DisplayObject> objects) const
{
    PainterRenderer renderer(painter, m_paintCache, m_movie->dictionary());
    walk(renderer, base, objects);
}

void Player::walk(Renderer& renderer, const QTransform& base,
                  std::span<const DisplayObject> objects) const
{
    const swf::Rect& stage = m_movie->header().stage;
    constexpr double pixelsPerTwip = 1.0 / swf::kTwipsPerPixel;
    const QTransform twipsToStage(pixelsPerTwip, 0, 0, pixelsPerTwip, -stage.xMin * pixelsPerTwip,
                                  -stage.yMin * pixelsPerTwip);
    renderDisplayList(m_movie->dictionary(), objects, twipsToStage * base, ColorTransform{},
                      renderer);
}

} // namespace quorvane::player
