#pragma once

#include "player/avm1/ButtonDefinition.h"
#include "player/avm1/Clip.h"
#include "player/avm1/KeyboardFocus.h"
#include "player/avm1/LoadedMovie.h"
#include "player/avm1/Machine.h"
#include "player/avm1/ScriptTimeline.h"
#include "player/avm1/SoundOutput.h"
#include "player/movie/DisplayList.h"
#include "player/movie/MovieDefinition.h"

#include <QPointF>
#include <QRectF>
#include <QTransform>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace quorvane::player::avm1 {

// Clip event flags of PlaceObject2's clip actions, as the format numbers them.
enum ClipEvent : std::uint32_t {
    kEventLoad = 1u << 0,
    kEventEnterFrame = 1u << 1,
    kEventUnload = 1u << 2,
    kEventMouseMove = 1u << 3,
    kEventMouseDown = 1u << 4,
    kEventMouseUp = 1u << 5,
    kEventKeyDown = 1u << 6,
    kEventKeyUp = 1u << 7,
    kEventData = 1u << 8,
    kEventInitialize = 1u << 9,
    kEventPress = 1u << 10,
    kEventRelease = 1u << 11,
    kEventReleaseOutside = 1u << 12,
    kEventRollOver = 1u << 13,
    kEventRollOut = 1u << 14,
    kEventDragOver = 1u << 15,
    kEventDragOut = 1u << 16,
    kEventKeyPress = 1u << 17,
    kEventConstruct = 1u << 18,
};

// A scripted movie as Flash plays it: clips with identity in a tree, their
// timelines run frame by frame with the frame scripts, clip events and
// timers in Flash's order, and the script engine they share. The plain
// display list the renderer draws is made from the tree on request.
class Stage {
public:
    // What lies outside the movie: the folder its own files load from
    // (empty: none do), and where its sounds are heard (null: nowhere).
    struct Surroundings {
        std::string folder;
        SoundOutput* sound = nullptr;
        // What the movie's pictures, sounds and script bitmaps may take.
        MemoryBudget budget;
    };

    Stage(std::shared_ptr<const MovieDefinition> movie, ScriptHost& host,
          Machine::Limits limits = {});
    Stage(std::shared_ptr<const MovieDefinition> movie, ScriptHost& host, Machine::Limits limits,
          Surroundings surroundings);
    ~Stage();

    Machine& machine() { return *m_machine; }
    Clip* root() const { return m_root; }
    Clip* level(int number) const;
    const MovieDefinition& movie() const { return *m_movie; }
    MemoryBudget& budget() { return m_surroundings.budget; }

    // One frame interval: every clip moves on, scripts run.
    void advance();
    // The host's seek: gotoAndStop on the root, with that frame's scripts run.
    void gotoRootFrame(int frame);
    DisplayList displayList() const;

    // Scripts' view of the tree.
    Clip* resolvePath(Clip* base, const std::string& path);
    Clip* duplicate(Clip* source, const std::string& name, int depth);
    Clip* attach(Clip* parent, std::uint16_t characterId, const std::string& name, int depth);
    Clip* createEmpty(Clip* parent, const std::string& name, int depth);
    Clip* createTextField(Clip* parent, const std::string& name, int depth,
                          const swf::DefineEditText& definition);
    void removeByScript(Clip* clip);
    void swapDepths(Clip* clip, int depth);
    void startDrag(Clip* clip, bool lockCenter);
    void stopDrag();
    void callFrame(Clip* clip, const std::string& frame);
    // getURL towards _levelN or a clip (GetURL2's flags say which, and
    // whether variables are meant): loading from the movie's folder.
    bool loadInto(Clip* base, const std::string& url, const std::string& window, int flags);
    // loadMovie, loadMovieNum and MovieClipLoader.loadClip. The file is
    // looked for on the next frame, as Flash's loads never finish in the
    // script that starts them; the loader (null for none) then hears how it
    // went through its broadcastMessage.
    void loadMovie(Clip* target, const std::string& url, Object* loader = nullptr);
    void loadMovieNum(int level, const std::string& url, Object* loader = nullptr);
    // The target keeps its place and transform; what was loaded into it goes.
    void unloadMovie(Clip* target);
    void unloadMovieNum(int level);
    // url-encoded name=value pairs from a file, set on the target as strings.
    void loadVariables(Clip* target, const std::string& url);
    // XML.load: the file's text, on the next frame, to the receiver's
    // onData; undefined when there is no such file.
    void loadData(Object* receiver, const std::string& url);
    // A bitmap character exported under that name (BitmapData.loadBitmap).
    const QImage* exportedBitmap(const std::string& name) const;
    // attachBitmap: a child showing the pixels as they are at each frame.
    Clip* attachBitmap(Clip* parent, std::shared_ptr<QImage> pixels, int depth, bool smoothing);

    // Sounds scripts start, heard through the sound output and timed by the
    // movie's clock, so that positions and onSoundComplete follow frames.
    const swf::DefineSound* exportedSound(const std::string& name) const;
    void startSound(Object* owner, const swf::DefineSound& sound, double offsetSeconds, int loops);
    // Every sound of that id, or every sound when none is given.
    void stopSounds(std::optional<std::uint16_t> soundId);
    void stopAllSounds() { stopSounds(std::nullopt); }
    // Milliseconds into the sound the owner last started; 0 before it did.
    double soundPosition(const Object* owner) const;
    // A clip's sound settings; the movie's own for none.
    SoundTransform& soundTransform(Clip* target);
    // An id no character or sound of the movie has, for what is made at run
    // time (loaded sounds, imported sprites); counted down from the top, as
    // movies number theirs from 1 up.
    std::uint16_t unusedCharacterId();
    // A file in the movie's folder or below it; nothing for other addresses.
    std::optional<std::vector<std::uint8_t>> readLocalFile(const std::string& url) const;
    // Native work that runs in turn after the scripts queued so far, such
    // as the callbacks of a file that finished loading.
    void queueTask(std::function<void()> task);
    // The character an ExportAssets name gives, for attachMovie.
    std::optional<std::uint16_t> exportedCharacter(const std::string& name) const;
    // Object.registerClass: clips of that export name get that prototype.
    void registerClass(const std::string& name, Object* constructor);

    // Geometry in pixels. A clip's bounds in another clip's space (the
    // stage when space is null); its parent's space for _width and _height.
    QRectF boundsIn(Clip* clip, Clip* space) const;
    QRectF boundsOf(Clip* clip, bool inParent) const;
    QTransform transformToStage(const Clip* clip) const;
    // Whether what the clip and its visible children paint covers the point
    // (stage pixels); a clip masking another by script covers nothing.
    bool hitsShapes(const Clip* clip, QPointF stagePixels) const;
    // setMask: the mask (null for none) clips what the clip paints.
    void setMask(Clip* clip, Clip* mask);
    // _width and _height set: the scale that gives that size.
    void setSize(Clip* clip, bool width, double pixels);
    // The player-wide settings scripts read and write as _quality,
    // _highquality, _focusrect and _soundbuftime; they only report here.
    struct Settings {
        // 0 low, 1 medium, 2 high, 3 best.
        int quality = 2;
        bool focusRect = true;
        int soundBufferSeconds = 5;
    };
    Settings& settings() { return m_settings; }
    std::string url() const { return m_url; }
    void setUrl(std::string url) { m_url = std::move(url); }
    std::size_t movieBytes() const;

    // Input, as the host delivers it.
    QPointF mouseIn(const Clip* clip) const;
    void mouseMove(QPointF stagePixels);
    void mouseButton(bool down);
    void key(bool down, int code, int character);
    bool isKeyDown(int code) const;
    int lastKeyCode() const { return m_lastKeyCode; }
    int lastKeyAscii() const { return m_lastKeyAscii; }
    KeyboardFocus& keyboardFocus() { return m_keyboardFocus; }
    const std::map<int, Clip*>& levels() const { return m_levels; }
    // Buttons, and clips with button handlers acting as buttons.
    bool actsAsButton(Clip* clip);
    // The over state and roll over a focused button shows, or their end.
    void showFocusHighlight(Clip* button, bool shown);

    // Used by Clip.
    void gotoFrame(Clip* clip, int target, bool play);
    void queueEvent(Clip* clip, ClipEvent event, const char* handlerName);

private:
    // ImportAssets: another movie of the folder lends its exported sprites.
    void importAssets(const swf::Unknown& tag);

    struct PendingLoad {
        enum class Kind { Movie, Variables, Data };
        Kind kind = Kind::Movie;
        Clip* target = nullptr;
        // loadMovieNum's level, which may not exist yet; -1 when a clip is the target.
        int level = -1;
        std::string url;
        Object* loader = nullptr;
    };
    // Loads asked for before this frame: the files are read and their
    // content put in place, the loaders told. Gives the clips that now
    // play a loaded movie, which show its first frame this frame.
    std::vector<Clip*> startPendingLoads();
    // The clip that took the content; null when the load failed.
    Clip* finishLoad(const PendingLoad& load);
    void setVariables(Clip* target, const std::vector<std::uint8_t>& bytes);
    // The loaded movie's first frame in the target, its scripts queued.
    void startLoadedMovie(Clip* target, const LoadedMovie& movie);
    // The movie a file holds; null when it cannot be read.
    const LoadedMovie* loadedMovie(const std::string& url, const std::vector<std::uint8_t>& bytes);
    // onLoadInit comes once the frame that showed the new content ran.
    void announceLoadedContent();
    void broadcastLoad(Object* loader, const char* event, std::vector<Value> arguments);
    // Empties the clip as loading into it does: children, picture and
    // script properties go; place and transform stay.
    void clearContent(Clip* clip);
    std::string addressOf(const std::string& url) const;

    Settings m_settings;
    // The movies imports came from, kept for the timelines that point into them.
    std::vector<std::unique_ptr<swf::Movie>> m_importedMovies;
    std::uint16_t m_lastFreeId = 0xffff;
    struct QueuedScript {
        QueuedScript(Clip* clip, std::span<const std::uint8_t> code, const char* handler,
                     Object* constructor)
            : clip(clip), code(code), handler(handler), constructor(constructor)
        {
        }
        explicit QueuedScript(std::function<void()> task) : task(std::move(task)) {}

        Clip* clip = nullptr;
        std::span<const std::uint8_t> code;
        // A handler method instead of code: onEnterFrame, onLoad and the like.
        const char* handler = nullptr;
        // A constructor to run on a clip that attachMovie made of a registered class.
        Object* constructor = nullptr;
        std::function<void()> task;
        // An unload event: it runs on a clip already off the display list.
        bool unload = false;
    };
    struct PlayingSound {
        Object* owner = nullptr;
        std::uint16_t soundId = 0;
        // On the movie's clock, in milliseconds.
        double startedAt = 0;
        double offset = 0;
        double length = 0;
        int loops = 1;
    };

    // A character's timeline in the movie that defined it (null: the stage's own).
    const ScriptTimeline* timelineOf(const LoadedMovie* movie, std::uint16_t characterId) const;
    const MovieDefinition& definitionOf(const LoadedMovie* movie) const;
    // `place` may be a copy made for the occasion; `actions` are the clip
    // actions of the movie's own placing tag, which scripts queued here
    // still read after a copy is gone.
    Clip* instantiate(Clip* parent, std::uint16_t characterId, int depth, int placedFrame,
                      const swf::PlaceObject* place, const swf::ClipActions* actions = nullptr);
    void insertChild(Clip* parent, Clip* child);
    void detach(Clip* clip);
    void runFrameTags(Clip* clip, int frame, bool queueScripts);
    // A new clip's first frame: its load event, its tags and scripts, then
    // its constructors (the registered class's, when it has one).
    void enterFirstFrame(Clip* clip, Object* constructor);
    // The children a goto places, whose first frames wait for the goto's
    // own frame scripts to be queued. Gotos nest (a child's first frame may
    // go to another frame of its own), each with its own list.
    class GotoChildren {
    public:
        GotoChildren(Stage& stage, Clip* parent);
        ~GotoChildren();
        GotoChildren(const GotoChildren&) = delete;
        GotoChildren& operator=(const GotoChildren&) = delete;
        bool takes(const Clip* child) const;
        void defer(Clip* child, Object* constructor) { m_placed.emplace_back(child, constructor); }
        void runFirstFrames();

    private:
        Stage& m_stage;
        GotoChildren* m_outer;
        Clip* m_parent;
        bool m_active = true;
        std::vector<std::pair<Clip*, Object*>> m_placed;
    };
    GotoChildren* m_gotoChildren = nullptr;
    void place(Clip* clip, const swf::PlaceObject& tag, int frame);
    void removeAtDepth(Clip* clip, int depth);
    void queueFrameScripts(Clip* clip, int frame);
    void runInitActions(const ScriptTimeline& timeline, int frame);
    void runQueue();
    void runQueued(const QueuedScript& script);
    void runQueuedOn(Clip* clip, const QueuedScript& script);
    void runIntervals();
    // The order Flash steps timelines in: the newest (topmost) child first,
    // each child's own children before it, the parent last.
    void collectExecutionOrder(Clip* clip, std::vector<Clip*>& order);
    // insideMask: for a script mask, whose own script masks do not count.
    void exportList(const Clip* clip, DisplayList& list, bool insideMask) const;
    DisplayObject exportObject(const Clip* clip, bool insideMask) const;
    // The product of its and its parents' matrices: its twips to its level's.
    static QTransform matrixToLevel(const Clip* clip);
    void unloadTree(Clip* clip);
    // Buttons, and clips with button handlers acting as buttons: the state
    // shown, what lies under the mouse, transitions.
    void showButtonState(Clip* button, std::uint8_t state);
    Clip* buttonUnderMouse();
    void collectButtons(Clip* clip, std::vector<Clip*>& buttons);
    bool buttonHit(Clip* button) const;
    bool tracksAsMenu(const Clip* button) const;
    // Shows the state the transition leads to, then runs its actions and handlers.
    void buttonTransition(Clip* button, std::uint16_t condition, std::uint8_t state);
    // DefineButtonSound's sound for the transition, into the sound output.
    void playButtonSound(const Clip* button, std::uint16_t condition);
    // Buttons' key conditions: the key in the button numbering. Whether a
    // button took it.
    bool pressButtonKey(int code, int character);
    void broadcastMouse(ClipEvent event, const char* handler);
    // Queues the message to the listeners of Key or Mouse.
    void queueBroadcast(const char* source, const char* message);
    // Twips, in the clip's own space.
    QRectF localBounds(const Clip* clip) const;
    // Sounds whose time is up call their owners' onSoundComplete.
    void finishSounds();
    double playedMilliseconds(const PlayingSound& sound) const;

    std::shared_ptr<const MovieDefinition> m_movie;
    Surroundings m_surroundings;
    std::unique_ptr<Machine> m_machine;
    std::unordered_map<std::uint16_t, ScriptTimeline> m_sprites;
    ScriptTimeline m_rootTimeline;
    std::unordered_map<std::string, std::uint16_t> m_exports;
    std::unordered_map<std::string, Object*> m_registeredClasses;
    std::map<int, Clip*> m_levels;
    Clip* m_root = nullptr;
    std::deque<QueuedScript> m_queue;
    // Initialize and construct events and class constructors of new clips:
    // they run before anything else queued.
    std::deque<QueuedScript> m_initQueue;
    // DoInitAction runs once per sprite, the first time its frame comes.
    std::vector<bool> m_initDone;
    int m_instanceCounter = 0;
    int m_clipsThisFrame = 0;
    Clip* m_dragged = nullptr;
    std::unordered_map<std::uint16_t, ButtonDefinition> m_buttons;
    std::unordered_map<std::uint16_t, const swf::DefineButtonSound*> m_buttonSounds;
    Clip* m_hovered = nullptr;
    Clip* m_pressed = nullptr;
    bool m_mouseDown = false;
    KeyboardFocus m_keyboardFocus{*this};
    std::string m_url;
    QPointF m_mouse;
    std::vector<int> m_keysDown;
    int m_lastKeyCode = 0;
    int m_lastKeyAscii = 0;
    std::vector<PlayingSound> m_playingSounds;
    std::vector<PendingLoad> m_pendingLoads;
    // By the address scripts loaded them from.
    std::unordered_map<std::string, std::unique_ptr<LoadedMovie>> m_loadedMovies;
    std::vector<std::pair<Object*, Clip*>> m_awaitingInit;
    // Where each owner's last sound stopped, for its position afterwards.
    std::unordered_map<const Object*, double> m_stoppedAt;
    SoundTransform m_movieSoundTransform;
};

} // namespace quorvane::player::avm1
