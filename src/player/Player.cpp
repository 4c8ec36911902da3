#include "player/Player.h"

#include "player/avm1/Stage.h"
#include "player/graphics/QtConversions.h"
#include "player/render/RenderWalk.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>

namespace quorvane::player {

namespace {

// Snapshots of the display list let a backward seek replay a few frames
// instead of the whole movie. Their total size is held to this many objects
// by spacing them further apart in movies with crowded frames.
constexpr std::size_t kMaxSnapshotObjects = 200000;
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
    m_runner = std::make_unique<TimelineRunner>(m_movie->dictionary(), m_limits.timeline);
    m_frame = 0;
    m_playing = true;
    m_sound.follow(&m_movie->soundtrack(), m_budget);
    m_sound.frameEntered(0);
    if (avm1::hasScripts(m_movie->tags())) {
        m_scripts = makeStage();
        syncFromScripts();
        return std::nullopt;
    }
    m_list = m_runner->firstFrame(m_movie->rootTimeline());
    m_canonical = true;
    storeSnapshot();
    return std::nullopt;
}

std::unique_ptr<avm1::Stage> Player::makeStage()
{
    return std::make_unique<avm1::Stage>(
        m_movie, m_scriptHost ? *m_scriptHost : *m_defaultScriptHost, m_limits.scripts,
        avm1::Stage::Surroundings{m_folder, m_scriptSound.get(), m_budget});
}

void Player::unload()
{
    m_sound.follow(nullptr);
    // The clips point into the movie's tags: they go first.
    m_scripts.reset();
    m_movie.reset();
    m_runner.reset();
    m_folder.clear();
    m_frame = 0;
    m_list.clear();
    m_canonical = false;
    m_snapshots.clear();
    m_snapshotInterval = 8;
    m_snapshotObjects = 0;
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
    return m_frame;
}

void Player::play()
{
    m_playing = isLoaded();
}

void Player::stop()
{
    m_playing = false;
}

void Player::syncFromScripts()
{
    m_frame = m_scripts->root()->frame;
    m_list = m_scripts->displayList();
}

void Player::mouseMove(QPointF stagePosition)
{
    if (m_scripts) {
        m_scripts->mouseMove(stagePosition);
        syncFromScripts();
    }
}

void Player::mouseDown()
{
    if (m_scripts) {
        m_scripts->mouseButton(true);
        syncFromScripts();
    }
}

void Player::mouseUp()
{
    if (m_scripts) {
        m_scripts->mouseButton(false);
        syncFromScripts();
    }
}

void Player::keyDown(int keyCode, int character)
{
    if (m_scripts) {
        m_scripts->key(true, keyCode, character);
        syncFromScripts();
    }
}

void Player::keyUp(int keyCode, int character)
{
    if (m_scripts) {
        m_scripts->key(false, keyCode, character);
        syncFromScripts();
    }
}

void Player::rewind()
{
    if (!isLoaded()) {
        return;
    }
    if (m_scripts) {
        // Scripts leave state everywhere; only a fresh start undoes it.
        m_scripts.reset();
        m_scripts = makeStage();
        syncFromScripts();
        m_sound.seekedTo(0);
        return;
    }
    m_frame = 0;
    m_list = m_snapshots.at(0).list;
    m_canonical = true;
    m_sound.seekedTo(0);
}

void Player::gotoFrame(int frame)
{
    if (!isLoaded()) {
        return;
    }
    frame = std::clamp(frame, 0, totalFrames() - 1);
    if (frame == m_frame) {
        return;
    }
    if (m_scripts) {
        m_scripts->gotoRootFrame(frame);
        syncFromScripts();
        m_sound.seekedTo(m_frame);
        return;
    }
    const auto base = std::prev(m_snapshots.upper_bound(frame));
    const bool currentIsCloser = m_canonical && m_frame < frame && m_frame >= base->first;
    if (!currentIsCloser) {
        m_frame = base->first;
        m_list = base->second.list;
        m_canonical = true;
    }
    std::size_t work = 0;
    while (m_frame < frame && work < m_limits.maxSeekWork) {
        stepForward();
        work += m_runner->lastCallWork();
    }
    m_sound.seekedTo(m_frame);
}

void Player::stepForward()
{
    m_runner->advance(m_movie->rootTimeline(), m_frame, m_list);
    if (m_canonical && m_frame % m_snapshotInterval == 0 && !m_snapshots.contains(m_frame)) {
        storeSnapshot();
    }
}

void Player::advanceFrame()
{
    if (!isLoaded()) {
        return;
    }
    if (m_scripts) {
        const int before = m_frame;
        m_scripts->advance();
        syncFromScripts();
        // The root moving on plays its next frame's sounds; a script's jump
        // elsewhere restarts the stream there; a halted root stays quiet.
        if (m_frame == (before + 1) % std::max(totalFrames(), 1) && totalFrames() > 1) {
            m_sound.frameEntered(m_frame);
        } else if (m_frame != before) {
            m_sound.seekedTo(m_frame);
        }
        return;
    }
    // Going round to the first frame, or running a one-frame movie's
    // sprites, leaves sprites where a fresh start would not have them.
    if (m_frame + 1 >= totalFrames()) {
        m_runner->advance(m_movie->rootTimeline(), m_frame, m_list);
        m_canonical = false;
    } else {
        stepForward();
    }
    // A one-frame timeline stays on its frame rather than entering it again.
    if (totalFrames() > 1) {
        m_sound.frameEntered(m_frame);
    }
}

void Player::storeSnapshot()
{
    Snapshot snapshot{m_list, objectCount(m_list)};
    m_snapshotObjects += snapshot.objects;
    m_snapshots[m_frame] = std::move(snapshot);
    trimSnapshots();
}

void Player::trimSnapshots()
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
    return m_list != m_renderedList || pixelKeys(m_list) != m_renderedPixels;
}

void Player::render(QPainter& painter, const QTransform& stageToDevice) const
{
    noteRendered();
    if (!isLoaded()) {
        return;
    }
    drawFrame(painter, stageToDevice * painter.worldTransform(), m_list);
}

void Player::render(Renderer& renderer, const QTransform& stageToDevice) const
{
    noteRendered();
    if (isLoaded()) {
        walk(renderer, stageToDevice, m_list);
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
    const std::size_t copied = m_stillBottom.paint(
        painter, view, m_list, m_movieRendered == m_movieShown ? m_renderedList : DisplayList{},
        [&](QPainter& onto, std::span<const DisplayObject> objects) {
            fillDevice(onto);
            drawFrame(onto, base, objects);
        });
    noteRendered();
    if (copied == 0) {
        fillDevice(painter);
        drawFrame(painter, base, m_list);
    } else {
        drawObjects(painter, base, std::span(m_list).subspan(copied));
    }
    m_copiedObjects = copied;
}

void Player::noteRendered() const
{
    m_movieRendered = m_movieShown;
    m_renderedList = m_list;
    m_renderedPixels = pixelKeys(m_list);
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
