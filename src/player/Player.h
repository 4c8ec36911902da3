#pragma once

#include "player/Playback.h"
#include "player/avm1/Machine.h"
#include "player/avm1/ScriptHost.h"
#include "player/avm1/SoundOutput.h"
#include "player/movie/DisplayList.h"
#include "player/movie/MovieDefinition.h"
#include "player/render/PainterRenderer.h"
#include "player/render/StillBottom.h"
#include "player/sound/SoundPlayback.h"

#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QSizeF>
#include <QTransform>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace quorvane::player {

// Plays one movie: its timeline at the movie's frame rate, looping, seeks
// to any frame, and draws the frame shown. No window of its own; whoever
// shows it calls advanceTo regularly and render when advanceTo says so.
class Player {
public:
    using Clock = std::chrono::steady_clock;

    // Bounds on the work hostile movies can cause; the defaults leave
    // ordinary lessons untouched.
    struct Limits {
        TimelineRunner::Limits timeline;
        // The most objects one seek may step through: a few hundred
        // thousand frames of an ordinary lesson, a fraction of a second.
        std::size_t maxSeekWork = 5000000;
        // What scripts may spend in one frame.
        avm1::Machine::Limits scripts;
        // What one movie's pictures, sounds, script bitmaps and loaded
        // movies may take together.
        std::size_t memory = MemoryBudget::kPerMovie;
    };

    Player();
    explicit Player(Limits limits);
    ~Player();

    // Where scripted movies' trace, fscommand, getURL and halts go; set it
    // before loading. Without one, fscommand and halts are written to
    // standard error and the rest is dropped.
    void setScriptHost(avm1::ScriptHost* host) { m_scriptHost = host; }
    // True when the loaded movie runs scripts (actions, clip events, buttons).
    bool isScripted() const { return m_scripted; }

    // Loads a movie file; on failure the player is empty and the returned
    // text says why. A loaded movie shows its first frame and is playing.
    [[nodiscard]] std::optional<std::string> load(const std::string& path);
    // The same from bytes in memory.
    [[nodiscard]] std::optional<std::string> loadBytes(std::span<const std::uint8_t> bytes,
                                                       const swf::ReadOptions& options = {});
    void unload();
    bool isLoaded() const { return m_movie != nullptr; }
    // What reading the movie had to skip or repair, one message each.
    std::vector<std::string> warnings() const;

    int totalFrames() const;  // 0 when empty
    int currentFrame() const; // 0-based, 0 when empty
    bool isPlaying() const { return m_playing; }
    void play();
    void stop();
    // To the first frame as a fresh load shows it, running or halted as it was.
    void rewind();
    // A scripted movie takes a seek as its root timeline's gotoAndStop: the
    // frame's scripts run, the skipped frames' do not.
    // Otherwise: shows the frame exactly as playing from the first frame up to it
    // shows it; clamps to the movie; leaves a halted movie halted and a
    // playing one playing. The frame already shown stays as it is, at no cost.
    // In a movie so crowded that getting there would take seconds (only
    // hostile files are), the seek stops short and shows the frame it reached.
    void gotoFrame(int frame);
    // One frame interval of playback, whether playing or not: the next frame,
    // or the first after the last, with every sprite moving on.
    void advanceFrame();

    // Moves a playing movie on by wall time at its own frame rate, looping.
    // Call it often (every few milliseconds, or at least once per frame
    // interval), halted or not: time spent halted does not count, so
    // stop(), gotoFrame(currentFrame()) and play() between two calls
    // neither restart nor delay the rhythm. Returns true when it moved the
    // movie on, so that the picture may have changed (a one-frame movie's
    // sprites run while its frame number stays 0).
    bool advanceTo(Clock::time_point now);

    double frameRate() const;       // frames per second, 0 when empty
    QSizeF stageSize() const;       // pixels, empty when empty
    QColor backgroundColor() const; // white when empty

    // Draws the current frame on its background with the given
    // stage-to-device transform.
    void render(QPainter& painter, const QTransform& stageToDevice) const;
    // Hands the current frame's shapes, texts and pictures to the renderer
    // in painting order, with masks and layers; the background is the
    // caller's to draw.
    void render(Renderer& renderer, const QTransform& stageToDevice) const;
    // The same on the whole device, filled with the background first, as a
    // window showing the movie paints it. Keeps a picture of the frame's
    // background and lowest objects while they stay unchanged, and copies
    // it instead of drawing them again; the pixels are the same.
    void renderWhole(QPainter& painter, const QTransform& stageToDevice) const;
    // How many of the lowest objects the last renderWhole copied.
    std::size_t copiedObjects() const { return m_copiedObjects; }
    // Whether a render now would draw other than the last one did: some
    // object moved, came, went, was recoloured, morphed, retexted, redrawn
    // or repainted, or another movie came in. A frame that changed nothing
    // needs no painting: a page waiting for its narration costs nothing.
    bool pictureChanged() const;

    // The movie's sound from where the last call left off, interleaved
    // stereo at the mixer rate (kMixRate): event sounds play on while the
    // movie is halted; its stream sound only while it plays. Call it as the
    // audio output asks for more; a stop, a seek to the frame shown and a
    // play between two calls leave the stream unbroken.
    void mixAudio(std::span<std::int16_t> stereo);
    // True while no sound is playing or queued.
    bool isSilent() const { return m_sound.isSilent(); }
    // With pacing on, a playing stream sound sets the pace: advanceTo holds
    // the next frame until the sound of the frame shown has been mixed, so
    // the pictures wait for a slow output, and a late caller still catches
    // up every frame whose sound was due. Only for a caller that mixes the
    // sound as it is heard; otherwise the movie would wait for ever.
    void setPacedBySound(bool paced) { m_pacedBySound = paced; }
    // Mouse (stage pixels) and keys (Flash key codes, and the character
    // typed) for buttons and scripts; nothing happens in unscripted movies.
    void mouseMove(QPointF stagePosition);
    void mouseDown();
    void mouseUp();
    void keyDown(int keyCode, int character);
    void keyUp(int keyCode, int character);

    // The root timeline's objects as the current frame shows them.
    const DisplayList& displayList() const;

private:
    std::optional<std::string> start(swf::Result<swf::ReadMovie> read);
    Clock::duration frameInterval() const;
    // True while more than a frame's stream sound waits to be mixed.
    bool waitingForSound() const;
    // Remembers what the render about to happen shows, for pictureChanged.
    void noteRendered() const;
    // The stage's background and the objects, and the objects alone.
    void drawFrame(QPainter& painter, const QTransform& base,
                   std::span<const DisplayObject> objects) const;
    void drawObjects(QPainter& painter, const QTransform& base,
                     std::span<const DisplayObject> objects) const;
    void walk(Renderer& renderer, const QTransform& base,
              std::span<const DisplayObject> objects) const;

    Limits m_limits;
    // Each movie loaded starts with a whole budget of its own.
    MemoryBudget m_budget;
    std::shared_ptr<const MovieDefinition> m_movie;

    bool m_playing = false;
    std::optional<Clock::time_point> m_nextAdvance;
    std::optional<Clock::time_point> m_lastCall;
    bool m_pacedBySound = false;

    mutable PaintCache m_paintCache;
    // What the last render drew: the movie it showed (each load and unload
    // is a new one), its objects and the contents of the pixels they show,
    // which scripts change in place.
    int m_movieShown = 0;
    mutable int m_movieRendered = 0;
    mutable DisplayList m_renderedList;
    mutable std::vector<qint64> m_renderedPixels;
    mutable StillBottom m_stillBottom;
    mutable std::size_t m_copiedObjects = 0;
    SoundPlayback m_sound;

    // What scripted movies' scripts talk to.
    avm1::ScriptHost* m_scriptHost = nullptr;
    std::unique_ptr<avm1::ScriptHost> m_defaultScriptHost;
    // The folder of the movie file, where its scripts load their files from.
    std::string m_folder;
    std::unique_ptr<avm1::SoundOutput> m_scriptSound;
    // Replays the timelines, or runs the scripts' clip tree; last, for its
    // clips hear their sounds through the members above.
    std::unique_ptr<Playback> m_playback;
    bool m_scripted = false;
};

} // namespace quorvane::player
