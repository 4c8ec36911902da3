#include "player/avm1/Stage.h"

#include "player/avm1/Interpreter.h"
#include "player/avm1/TextField.h"
#include "player/avm1/TextFieldVariable.h"
#include "player/graphics/QtConversions.h"
#include "swf/BitReader.h"

#include <algorithm>
#include <cmath>

namespace quorvane::player::avm1 {

namespace {

// Parts a clip from the mask a script gave it, on both sides.
void dropScriptMask(Clip* maskee)
{
    if (maskee->scriptMask) {
        maskee->scriptMask->maskedClip = nullptr;
        maskee->scriptMask = nullptr;
    }
}

// Clips a frame may make, so that a self-placing sprite cannot fill memory.
constexpr int kMaxNesting = 64;
// Clips one frame (or one input event) may create: scripts that duplicate
// clips whose scripts duplicate them again stop here.
constexpr int kMaxClipsPerFrame = 50000;
// What running one queued script costs against the frame's action budget
// besides its actions: a chain of scripts queuing scripts ends too.
constexpr int kActionsPerQueuedScript = 100;

void collectSprites(const std::vector<swf::Tag>& tags,
                    std::unordered_map<std::uint16_t, ScriptTimeline>& sprites)
{
    for (const swf::Tag& tag : tags) {
        if (const auto* sprite = std::get_if<swf::DefineSprite>(&tag.value)) {
            sprites.try_emplace(sprite->id, sprite->tags, sprite->frameCount);
        }
    }
}

// How deep a new character would sit under parent; past the limit when
// it is one of parent's own ancestors, since a character drawn inside
// itself (a button among its own states, a sprite placing itself) would
// nest without end.
int nestingOf(const Clip* parent, std::uint16_t characterId)
{
    int nesting = 0;
    for (const Clip* ancestor = parent; ancestor; ancestor = ancestor->parent) {
        if (ancestor->parent && ancestor->characterId == characterId &&
            ancestor->movie == parent->movie) {
            return kMaxNesting;
        }
        ++nesting;
    }
    return nesting;
}

// The shared placement rules, and what a clip keeps beside them: the scale
// and rotation scripts read follow a new matrix, and filters a tag sets
// replace those a script set.
void applyPlacement(Clip& clip, const swf::PlaceObject& tag)
{
    const bool takesMatrix = tag.matrix && !clip.movedByScript;
    player::applyPlacement(clip, tag, PlacementRules{.keepTransform = clip.movedByScript});
    if (takesMatrix) {
        clip.takeMatrix(*tag.matrix);
    }
    if (tag.filters) {
        clip.scriptFilters.reset();
    }
}

} // namespace

Stage::Stage(std::shared_ptr<const MovieDefinition> movie, ScriptHost& host, Machine::Limits limits)
    : Stage(std::move(movie), host, limits, Surroundings{})
{
}

Stage::Stage(std::shared_ptr<const MovieDefinition> movie, ScriptHost& host, Machine::Limits limits,
             Surroundings surroundings)
    : m_movie(std::move(movie)), m_surroundings(std::move(surroundings)),
      m_machine(std::make_unique<Machine>(m_movie->header().version, host, limits)),
      m_rootTimeline(m_movie->tags(), m_movie->header().frameCount)
{
    collectSprites(m_movie->tags(), m_sprites);
    m_exports = exportedCharacters(m_movie->tags(), m_movie->header().version);
    for (const swf::Tag& tag : m_movie->tags()) {
        if (const auto* unknown = std::get_if<swf::Unknown>(&tag.value)) {
            if (auto button = readButton(*unknown)) {
                m_buttons.try_emplace(button->id, std::move(*button));
            } else if (unknown->code == kDefineButtonCxform && unknown->data.size() >= 2) {
                const std::uint16_t id = std::uint16_t(unknown->data[0] | unknown->data[1] << 8);
                if (auto found = m_buttons.find(id); found != m_buttons.end()) {
                    applyButtonCxform(*unknown, found->second);
                }
            }
        } else if (const auto* sounds = std::get_if<swf::DefineButtonSound>(&tag.value)) {
            m_buttonSounds.try_emplace(sounds->buttonId, sounds);
        }
    }
    for (const swf::Tag& tag : m_movie->tags()) {
        if (const swf::Unknown* imports = unknownTag(tag, kImportAssets)) {
            importAssets(*imports);
        } else if (const swf::Unknown* imports2 = unknownTag(tag, kImportAssets2)) {
            importAssets(*imports2);
        }
    }
    m_initDone.assign(std::size_t(m_rootTimeline.frameCount), false);
    m_machine->setStage(this);
    m_root = m_machine->make<Clip>(m_machine->movieClipPrototype, *this, nullptr);
    m_root->timeline = &m_rootTimeline;
    m_levels[0] = m_root;
    runFrameTags(m_root, 0, true);
    runQueue();
}

Stage::~Stage() = default;

Clip* Stage::level(int number) const
{
    const auto found = m_levels.find(number);
    return found == m_levels.end() ? nullptr : found->second;
}

const ScriptTimeline* Stage::timelineOf(const LoadedMovie* movie, std::uint16_t characterId) const
{
    const auto& sprites = movie ? movie->sprites : m_sprites;
    const auto found = sprites.find(characterId);
    return found == sprites.end() ? nullptr : &found->second;
}

const MovieDefinition& Stage::definitionOf(const LoadedMovie* movie) const
{
    return movie ? *movie->definition : *m_movie;
}

void Stage::collectExecutionOrder(Clip* clip, std::vector<Clip*>& order)
{
    for (auto it = clip->children.rbegin(); it != clip->children.rend(); ++it) {
        if ((*it)->timeline) {
            collectExecutionOrder(*it, order);
        }
    }
    order.push_back(clip);
}

void Stage::advance()
{
    m_machine->beginFrame();
    m_machine->advanceClock(1000.0 / std::max(m_movie->header().frameRatePerSecond(), 0.01));
    const std::vector<Clip*> newlyLoaded = startPendingLoads();
    std::vector<Clip*> order;
    for (const auto& [number, level] : m_levels) {
        collectExecutionOrder(level, order);
    }
    // Flash keeps its clips in one list, each new one put first: they step
    // newest first, whatever their place in the tree, so a child made after
    // its parent's sibling steps before that sibling.
    // Each clip hears its enterFrame and then steps, before the next clip
    // does either: what its step places loads ahead of the next clip's event.
    std::ranges::stable_sort(order, std::ranges::greater{}, &Clip::serial);
    for (Clip* clip : order) {
        if (!clip->removed) {
            queueEvent(clip, kEventEnterFrame, "onEnterFrame");
        }
        if (clip->removed || !clip->playing || clip->totalFrames() <= 1 ||
            std::ranges::find(newlyLoaded, clip) != newlyLoaded.end()) {
            continue;
        }
        if (clip->frame + 1 < clip->totalFrames()) {
            ++clip->frame;
            runFrameTags(clip, clip->frame, true);
        } else if (clip->timeline->loops) {
            gotoFrame(clip, 0, true);
        }
    }
    runQueue();
    runIntervals();
    finishSounds();
    announceLoadedContent();
    runQueue();
}

void Stage::gotoRootFrame(int frame)
{
    m_machine->beginFrame();
    gotoFrame(m_root, frame, false);
    runQueue();
}

void Stage::gotoFrame(Clip* clip, int target, bool play)
{
    if (!clip->timeline || clip->removed) {
        return;
    }
    target = std::clamp(target, 0, clip->totalFrames() - 1);
    clip->playing = play;
    if (target == clip->frame) {
        return;
    }
    // A goto runs the target frame's own scripts before the first frames
    // of the children it places: those wait until the frame's tags are done.
    GotoChildren children(*this, clip);
    if (target == clip->frame + 1) {
        clip->frame = target;
        runFrameTags(clip, target, true);
        children.runFirstFrames();
        return;
    }
    // What the timeline alone shows at the target: each depth's character,
    // the frame that placed it and its placement with later moves folded in.
    struct Placement {
        std::uint16_t characterId = 0;
        int placedFrame = 0;
        swf::PlaceObject tag;
        const swf::ClipActions* actions = nullptr;
    };
    std::map<int, Placement> wanted;
    for (int frame = 0; frame <= target; ++frame) {
        for (const swf::Tag* tag : clip->timeline->frames[std::size_t(frame)]) {
            if (const auto* place = std::get_if<swf::PlaceObject>(&tag->value)) {
                const auto found = wanted.find(place->depth);
                if (place->characterId &&
                    (found == wanted.end() || (place->move && place->version >= 2))) {
                    if (found != wanted.end() && found->second.characterId == *place->characterId) {
                        foldPlacement(found->second.tag, *place);
                    } else {
                        wanted[place->depth] =
                            Placement{*place->characterId, frame, *place,
                                      place->clipActions ? &*place->clipActions : nullptr};
                    }
                } else if (!place->characterId && found != wanted.end()) {
                    foldPlacement(found->second.tag, *place);
                }
            } else if (const auto* remove = std::get_if<swf::RemoveObject>(&tag->value)) {
                wanted.erase(remove->depth);
            }
        }
    }
    // Going back rebuilds the timeline's depths: clips that scripts made
    // there go. A clip of the same character and ratio as the target
    // frame's stays, under the name it was given, wherever on the way it
    // was placed; any other is replaced. Going forward keeps only what the
    // frames between leave in place. Clips above and far below the
    // timeline's depths stay.
    const bool backwards = target < clip->frame;
    std::vector<Clip*> current = clip->children;
    for (Clip* child : current) {
        if (child->depth >= 0 || child->depth < Clip::kTimelineDepthOffset ||
            (child->placedFrame < 0 && !backwards)) {
            continue;
        }
        const auto found = wanted.find(child->depth - Clip::kTimelineDepthOffset);
        // Going back, a clip a script made here goes. One the timeline
        // placed and swapDepths moved stays where the target frame has
        // something at its depth, and the timeline's placement there is
        // dropped; where it has nothing, the clip goes.
        if (child->placedFrame < 0) {
            if (!child->swapped || found == wanted.end()) {
                detach(child);
            } else {
                wanted.erase(found);
            }
            continue;
        }
        // Going back, Flash knows a timeline object again by its depth and
        // ratio, which the authoring tool sets to the frame that made it: a
        // placement that gives a ratio keeps the clip of that ratio whatever
        // its character; one without keeps only the same character.
        const auto same = [&] {
            if (found == wanted.end()) {
                return false;
            }
            const Placement& placement = found->second;
            const bool sameCharacter = placement.characterId == child->characterId;
            if (!backwards) {
                return sameCharacter && placement.placedFrame == child->placedFrame;
            }
            return placement.tag.ratio.value_or(0) == child->ratio &&
                   (placement.tag.ratio || sameCharacter);
        }();
        if (!same) {
            detach(child);
            continue;
        }
        swf::PlaceObject kept = found->second.tag;
        kept.name.reset();
        applyPlacement(*child, kept);
        wanted.erase(found);
    }
    for (auto& [depth, placement] : wanted) {
        instantiate(clip, placement.characterId, depth + Clip::kTimelineDepthOffset,
                    placement.placedFrame, &placement.tag, placement.actions);
    }
    clip->frame = target;
    queueFrameScripts(clip, target);
    children.runFirstFrames();
}

Stage::GotoChildren::GotoChildren(Stage& stage, Clip* parent)
    : m_stage(stage), m_outer(stage.m_gotoChildren), m_parent(parent)
{
    stage.m_gotoChildren = this;
}

Stage::GotoChildren::~GotoChildren()
{
    m_stage.m_gotoChildren = m_outer;
}

bool Stage::GotoChildren::takes(const Clip* child) const
{
    return m_active && child->parent == m_parent;
}

void Stage::GotoChildren::runFirstFrames()
{
    m_active = false;
    const auto placed = std::move(m_placed);
    m_placed.clear();
    for (const auto& [child, constructor] : placed) {
        if (!child->removed) {
            m_stage.enterFirstFrame(child, constructor);
        }
    }
}

void Stage::enterFirstFrame(Clip* clip, Object* constructor)
{
    // Its load comes before those of the children its first frame places;
    // its constructors run once they are there, so that they can use them.
    queueEvent(clip, kEventLoad, "onLoad");
    if (clip->timeline) {
        runFrameTags(clip, 0, true);
    }
    if (constructor) {
        m_initQueue.push_back(QueuedScript{clip, {}, nullptr, constructor});
    }
    queueEvent(clip, kEventConstruct, nullptr);
}

void Stage::runFrameTags(Clip* clip, int frame, bool queueScripts)
{
    if (!clip->timeline || frame >= clip->timeline->frameCount) {
        return;
    }
    for (const swf::Tag* tag : clip->timeline->frames[std::size_t(frame)]) {
        if (clip->removed) {
            return;
        }
        if (const auto* place = std::get_if<swf::PlaceObject>(&tag->value)) {
            this->place(clip, *place, frame);
        } else if (const auto* remove = std::get_if<swf::RemoveObject>(&tag->value)) {
            // Whatever sits at the depth goes, even a clip a script put there.
            removeAtDepth(clip, remove->depth + Clip::kTimelineDepthOffset);
        } else if (const swf::Unknown* action = unknownTag(*tag, kDoAction);
                   action && queueScripts) {
            m_queue.push_back(QueuedScript{clip, action->data, nullptr, nullptr});
        }
    }
    // Initialising scripts see the frame's objects in place, and run
    // before the frame's own scripts.
    if (clip == m_root) {
        runInitActions(*clip->timeline, frame);
    }
}

void Stage::queueFrameScripts(Clip* clip, int frame)
{
    if (clip == m_root) {
        runInitActions(*clip->timeline, frame);
    }
    for (const swf::Tag* tag : clip->timeline->frames[std::size_t(frame)]) {
        if (const swf::Unknown* action = unknownTag(*tag, kDoAction)) {
            m_queue.push_back(QueuedScript{clip, action->data, nullptr, nullptr});
        }
    }
}

void Stage::runInitActions(const ScriptTimeline& timeline, int frame)
{
    if (std::size_t(frame) >= m_initDone.size() || m_initDone[std::size_t(frame)]) {
        return;
    }
    m_initDone[std::size_t(frame)] = true;
    for (const swf::Tag* tag : timeline.frames[std::size_t(frame)]) {
        if (const swf::Unknown* init = unknownTag(*tag, kDoInitAction);
            init && init->data.size() > 2) {
            runScript(*m_machine, m_root, std::span(init->data).subspan(2));
        }
    }
}

void Stage::place(Clip* clip, const swf::PlaceObject& tag, int frame)
{
    const int depth = tag.depth + Clip::kTimelineDepthOffset;
    Clip* existing = clip->childAtDepth(depth);
    // A clip a script made or swapped here is no longer the timeline's:
    // its tags neither move nor replace it, even back at its old depth
    // (though RemoveObject takes it away).
    if (existing && existing->placedFrame < 0) {
        return;
    }
    if (!tag.characterId) {
        if (tag.move && existing) {
            applyPlacement(*existing, tag);
        }
        return;
    }
    if (existing) {
        if (!tag.move || tag.version < 2) {
            return;
        }
        if (existing->characterId == *tag.characterId) {
            applyPlacement(*existing, tag);
            return;
        }
        if (!definitionOf(existing->movie)
                 .dictionary()
                 .canReplace(existing->characterId, *tag.characterId)) {
            // A character that cannot take the object's place (a sprite
            // never does, nor one of another kind): the object stays, under
            // its own name, and only takes the tag's placement.
            swf::PlaceObject moved = tag;
            moved.name.reset();
            applyPlacement(*existing, moved);
            return;
        }
        // A replace keeps the old object's place where the tag says nothing.
        swf::PlaceObject replacement = tag;
        if (!replacement.matrix) {
            replacement.matrix = existing->matrix;
        }
        if (!replacement.colorTransform) {
            replacement.colorTransform = existing->colorTransform;
        }
        if (!replacement.name && !existing->name.empty()) {
            replacement.name = existing->name;
        }
        if (!replacement.blendMode) {
            replacement.blendMode = existing->blendMode;
        }
        if (!replacement.filters) {
            replacement.filters = existing->filters;
        }
        if (!replacement.bitmapCache) {
            replacement.bitmapCache = std::uint8_t(existing->cacheAsBitmap);
        }
        detach(existing);
        instantiate(clip, *tag.characterId, depth, frame, &replacement,
                    tag.clipActions ? &*tag.clipActions : nullptr);
        return;
    }
    instantiate(clip, *tag.characterId, depth, frame, &tag,
                tag.clipActions ? &*tag.clipActions : nullptr);
}

Clip* Stage::instantiate(Clip* parent, std::uint16_t characterId, int depth, int placedFrame,
                         const swf::PlaceObject* place, const swf::ClipActions* actions)
{
    if (nestingOf(parent, characterId) >= kMaxNesting || ++m_clipsThisFrame > kMaxClipsPerFrame) {
        return nullptr;
    }
    // Loaded movies bring no buttons or classes of their own here.
    const LoadedMovie* origin = parent->movie;
    const ScriptTimeline* timeline = timelineOf(origin, characterId);
    const auto button = origin ? m_buttons.end() : m_buttons.find(characterId);
    Object* prototype = timeline ? m_machine->movieClipPrototype : m_machine->objectPrototype;
    if (button != m_buttons.end()) {
        prototype = m_machine->buttonPrototype;
    }
    const swf::DefineEditText* editText = editTextDefinition(definitionOf(origin), characterId);
    if (editText) {
        prototype = m_machine->textFieldPrototype;
    }
    Object* constructor = nullptr;
    for (const auto& [name, id] : m_exports) {
        if (id == characterId && !origin) {
            if (const auto found = m_registeredClasses.find(name);
                found != m_registeredClasses.end()) {
                constructor = found->second;
                if (Object* classPrototype = constructor->get(*m_machine, "prototype").asObject()) {
                    prototype = classPrototype;
                }
            }
        }
    }
    Clip* clip = m_machine->make<Clip>(prototype, *this, parent);
    clip->timeline = timeline;
    clip->characterId = characterId;
    clip->movie = origin;
    clip->depth = depth;
    clip->placedFrame = placedFrame;
    // Only script objects take instance names, and only when the movie
    // leaves them unnamed; shapes are out of scripts' reach.
    const bool scriptable = timeline || button != m_buttons.end() || editText;
    clip->isScriptless = !scriptable;
    if (scriptable && (!place || !place->name)) {
        clip->name = "instance" + std::to_string(++m_instanceCounter);
    }
    if (place) {
        applyPlacement(*clip, *place);
    }
    // Clip events are for movie clips: a button placed with them ignores them.
    clip->clipActions = button == m_buttons.end() ? actions : nullptr;
    if (editText) {
        clip->textField = std::make_shared<TextField>(*editText, definitionOf(origin));
    }
    insertChild(parent, clip);
    if (editText) {
        bindTextFieldVariable(*m_machine, *clip);
    }
    if (button != m_buttons.end()) {
        clip->isButton = true;
        clip->button = &button->second;
        showButtonState(clip, kButtonUp);
    }
    queueEvent(clip, kEventInitialize, nullptr);
    if (m_gotoChildren && m_gotoChildren->takes(clip)) {
        m_gotoChildren->defer(clip, constructor);
    } else {
        enterFirstFrame(clip, constructor);
    }
    return clip;
}

void Stage::insertChild(Clip* parent, Clip* child)
{
    const auto at = std::lower_bound(parent->children.begin(), parent->children.end(), child->depth,
                                     [](const Clip* c, int d) { return c->depth < d; });
    parent->children.insert(at, child);
}

void Stage::detach(Clip* clip)
{
    if (Clip* parent = clip->parent) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), clip), siblings.end());
        // However it goes, timeline or script, a removed clip waits for its
        // unload handlers below every depth in use, where getDepth shows it.
        if (clip->depth >= Clip::kTimelineDepthOffset) {
            clip->depth = -32769 - clip->depth;
        }
    }
    unloadTree(clip);
}

void Stage::unloadTree(Clip* clip)
{
    // Children hear their unload before their parent does, in depth order.
    for (Clip* child : clip->children) {
        unloadTree(child);
    }
    queueEvent(clip, kEventUnload, "onUnload");
    clip->removed = true;
    dropScriptMask(clip);
    if (clip->maskedClip) {
        dropScriptMask(clip->maskedClip);
    }
    if (m_dragged == clip) {
        m_dragged = nullptr;
    }
    if (m_hovered == clip) {
        m_hovered = nullptr;
    }
    if (m_pressed == clip) {
        m_pressed = nullptr;
    }
    if (clip == m_keyboardFocus.focus()) {
        // The focus lets go once the removal is over, so that no handler
        // runs while the tree is half taken apart.
        queueTask([this, clip] { m_keyboardFocus.letGo(clip); });
    }
}

void Stage::removeAtDepth(Clip* clip, int depth)
{
    if (Clip* child = clip->childAtDepth(depth)) {
        detach(child);
    }
}

void Stage::queueEvent(Clip* clip, ClipEvent event, const char* handlerName)
{
    if (clip->clipActions) {
        for (const swf::ClipActionRecord& record : clip->clipActions->records) {
            if (record.events & event) {
                const bool first = event == kEventInitialize || event == kEventConstruct;
                auto& queue = first ? m_initQueue : m_queue;
                queue.push_back(QueuedScript{clip, record.actions, nullptr, nullptr});
                queue.back().unload = event == kEventUnload;
            }
        }
    }
    if (handlerName) {
        m_queue.push_back(QueuedScript{clip, {}, handlerName, nullptr});
        m_queue.back().unload = event == kEventUnload;
    }
}

void Stage::runQueue()
{
    // Scripts queue more scripts (gotos, new clips); a runaway chain of
    // them is bounded by the action budget, checked per script run.
    while (!m_initQueue.empty() || !m_queue.empty()) {
        auto& queue = m_initQueue.empty() ? m_queue : m_initQueue;
        const QueuedScript script = queue.front();
        queue.pop_front();
        try {
            for (int i = 0; i < kActionsPerQueuedScript; ++i) {
                m_machine->spendAction();
            }
        } catch (const ScriptHalt& halt) {
            m_machine->reportHalt(halt);
        }
        runQueued(script);
    }
    m_clipsThisFrame = 0;
}

void Stage::runQueued(const QueuedScript& script)
{
    if (m_machine->halted()) {
        return;
    }
    if (script.task) {
        try {
            script.task();
        } catch (const ScriptThrow&) {
        } catch (const ScriptHalt& halt) {
            m_machine->reportHalt(halt);
        }
        return;
    }
    Clip* clip = script.clip;
    const bool unloading = clip->removed;
    if (unloading && !script.unload) {
        return;
    }
    // Its unload handlers still see the clip where it was, path and all.
    clip->removed = false;
    runQueuedOn(clip, script);
    clip->removed = unloading;
}

void Stage::runQueuedOn(Clip* clip, const QueuedScript& script)
{
    if (!script.code.empty()) {
        runScript(*m_machine, clip, script.code);
        return;
    }
    try {
        Arguments none;
        if (script.constructor) {
            m_machine->call(script.constructor, Value(static_cast<Object*>(clip)), none);
        } else if (script.handler) {
            Object* handler = clip->get(*m_machine, script.handler).asObject();
            if (handler && handler->isFunction()) {
                m_machine->call(handler, Value(static_cast<Object*>(clip)), none);
            }
        }
    } catch (const ScriptThrow&) {
    } catch (const ScriptHalt& halt) {
        m_machine->reportHalt(halt);
    }
}

void Stage::runIntervals()
{
    const double now = m_machine->millisecondsSinceStart();
    auto& intervals = m_machine->intervals();
    for (std::size_t i = 0; i < intervals.size() && !m_machine->halted(); ++i) {
        if (intervals[i].due > now) {
            continue;
        }
        const int id = intervals[i].id;
        intervals[i].due = now + std::max(intervals[i].period, 1.0);
        Machine::Interval interval = intervals[i];
        try {
            Arguments arguments = interval.arguments;
            if (interval.methodName.empty()) {
                m_machine->call(interval.function.asObject(), Value(), arguments);
            } else {
                m_machine->callMethod(interval.target, interval.methodName, arguments);
            }
        } catch (const ScriptThrow&) {
        } catch (const ScriptHalt& halt) {
            m_machine->reportHalt(halt);
        }
        if (interval.once) {
            intervals.erase(
                std::remove_if(intervals.begin(), intervals.end(),
                               [id](const Machine::Interval& each) { return each.id == id; }),
                intervals.end());
        }
        // The callback may have cleared intervals, this one included.
        const auto still =
            std::find_if(intervals.begin(), intervals.end(),
                         [id](const Machine::Interval& each) { return each.id == id; });
        i = still == intervals.end() ? i - 1 : std::size_t(still - intervals.begin());
    }
}

DisplayList Stage::displayList() const
{
    DisplayList list;
    for (const auto& [number, level] : m_levels) {
        // A level has no object of its own in the list unless it shows a
        // loaded image; what it drew goes under its children.
        DisplayList* into = &list;
        if (level->bitmap) {
            DisplayObject picture;
            picture.matrix = level->matrix;
            picture.colorTransform = level->colorTransform;
            picture.bitmap = level->bitmap;
            picture.smoothBitmap = level->smoothBitmap;
            list.push_back(std::move(picture));
            into = &list.back().children;
        }
        if (level->drawing && !level->drawing->isEmpty()) {
            DisplayObject drawing;
            drawing.drawing = level->drawing->geometry();
            into->push_back(std::move(drawing));
        }
        exportList(level, *into, false);
    }
    return list;
}

void Stage::exportList(const Clip* clip, DisplayList& list, bool insideMask) const
{
    for (const Clip* child : clip->children) {
        if (!child->visible || child->maskedClip) {
            continue;
        }
        DisplayObject object = exportObject(child, insideMask);
        // Inside a mask only shapes count, so masks there are left out;
        // that also ends clips masking each other's parents.
        if (child->scriptMask && !insideMask) {
            auto mask = std::make_shared<DisplayObject>(exportObject(child->scriptMask, true));
            mask->matrix =
                toSwfMatrix(matrixToLevel(child->scriptMask) * matrixToLevel(clip).inverted());
            object.scriptMask = std::move(mask);
        }
        list.push_back(std::move(object));
    }
}

DisplayObject Stage::exportObject(const Clip* child, bool insideMask) const
{
    DisplayObject object;
    object.depth = std::uint16_t(std::clamp(child->depth - Clip::kTimelineDepthOffset, 0, 65535));
    object.characterId = child->characterId;
    object.placedFrame = std::max(child->placedFrame, 0);
    static_cast<PlacedProperties&>(object) = *child;
    object.frame = child->frame;
    object.bitmap = child->bitmap;
    object.smoothBitmap = child->smoothBitmap;
    if (child->movie) {
        object.dictionary = &child->movie->definition->dictionary();
    }
    if (child->textField && child->textField->changed()) {
        object.text = std::make_shared<const TextBlock>(child->textField->layout());
    }
    if (child->drawing && !child->drawing->isEmpty()) {
        object.drawing = child->drawing->geometry();
    }
    exportList(child, object.children, insideMask);
    return object;
}

Clip* Stage::resolvePath(Clip* base, const std::string& path)
{
    if (!base) {
        base = m_root;
    }
    Clip* clip = base;
    std::size_t start = 0;
    if (!path.empty() && path[0] == '/') {
        clip = base->root();
        start = 1;
    }
    while (start < path.size() && clip) {
        std::size_t end = path.find_first_of("/.", start);
        if (end == std::string::npos) {
            end = path.size();
        }
        std::string segment = path.substr(start, end - start);
        // ".." is a segment of its own, not two separators.
        if (segment.empty() && path.compare(start, 2, "..") == 0) {
            segment = "..";
            end = start + 2;
        }
        start = end + 1;
        if (segment.empty()) {
            continue;
        }
        if (segment == ".." || m_machine->sameName(segment, "_parent")) {
            clip = clip->parent;
        } else if (m_machine->sameName(segment, "_root")) {
            clip = clip->root();
        } else if (m_machine->sameName(segment, "this")) {
            continue;
        } else if (segment.size() > 6 && m_machine->sameName(segment.substr(0, 6), "_level")) {
            clip = level(std::atoi(segment.c_str() + 6));
        } else {
            clip = dynamic_cast<Clip*>(clip->get(*m_machine, segment).asObject());
        }
    }
    return clip && !clip->removed ? clip : nullptr;
}

namespace {

// attachMovie and duplicateMovieClip make nothing outside the depths
// scripts may use: from the first timeline depth to the last below the
// reserved top.
bool scriptMayPlaceAt(int depth)
{
    return depth >= Clip::kTimelineDepthOffset && depth <= 2130690044;
}

} // namespace

Clip* Stage::duplicate(Clip* source, const std::string& name, int depth)
{
    Clip* parent = source->parent;
    if (!parent || source->removed || !scriptMayPlaceAt(depth)) {
        return nullptr;
    }
    removeAtDepth(parent, depth);
    // A clip createEmptyMovieClip made has no character to instantiate.
    const bool madeEmpty = source->characterId == 0 && source->timeline;
    // The copy takes the source's clip events, and hears its own
    // initialize, construct and load as a placed clip does.
    Clip* copy = madeEmpty ? createEmpty(parent, name, depth)
                           : instantiate(parent, source->characterId, depth, -1, nullptr,
                                         source->clipActions);
    if (copy) {
        copy->name = name;
        copy->matrix = source->matrix;
        copy->colorTransform = source->colorTransform;
        copy->xScale = source->xScale;
        copy->yScale = source->yScale;
        copy->rotation = source->rotation;
        copy->clipActions = source->clipActions;
        copy->visible = source->visible;
        copy->movedByScript = true;
        if (source->drawing) {
            copy->drawing = std::make_unique<Drawing>(*source->drawing);
        }
    }
    return copy;
}

Clip* Stage::attach(Clip* parent, std::uint16_t characterId, const std::string& name, int depth)
{
    if (!scriptMayPlaceAt(depth)) {
        return nullptr;
    }
    removeAtDepth(parent, depth);
    Clip* clip = instantiate(parent, characterId, depth, -1, nullptr);
    if (clip) {
        clip->name = name;
    }
    return clip;
}

Clip* Stage::createEmpty(Clip* parent, const std::string& name, int depth)
{
    removeAtDepth(parent, depth);
    Clip* clip = m_machine->make<Clip>(m_machine->movieClipPrototype, *this, parent);
    clip->depth = depth;
    clip->name = name;
    clip->movie = parent->movie;
    static const ScriptTimeline empty;
    clip->timeline = &empty;
    ++m_instanceCounter;
    insertChild(parent, clip);
    return clip;
}

Clip* Stage::createTextField(Clip* parent, const std::string& name, int depth,
                             const swf::DefineEditText& definition)
{
    removeAtDepth(parent, depth);
    Clip* clip = m_machine->make<Clip>(m_machine->textFieldPrototype, *this, parent);
    clip->depth = depth;
    clip->name = name;
    clip->textField = std::make_shared<TextField>(definition, *m_movie, true);
    ++m_instanceCounter;
    insertChild(parent, clip);
    return clip;
}

void Stage::removeByScript(Clip* clip)
{
    // Timeline objects and the levels stay; only script depths go.
    if (clip->parent && clip->depth >= 0 && clip->depth < 2130690045) {
        detach(clip);
        // A script that removes the focus sees it gone when it carries on.
        if (Clip* focus = m_keyboardFocus.focus(); focus && focus->removed) {
            m_keyboardFocus.letGo(focus);
        }
    }
}

void Stage::swapDepths(Clip* clip, int depth)
{
    Clip* parent = clip->parent;
    if (!parent || depth == clip->depth) {
        return;
    }
    auto& siblings = parent->children;
    Clip* other = clip->parent->childAtDepth(depth);
    siblings.erase(std::remove(siblings.begin(), siblings.end(), clip), siblings.end());
    if (other) {
        siblings.erase(std::remove(siblings.begin(), siblings.end(), other), siblings.end());
        other->depth = clip->depth;
        // The clip swapped with is moved by the script as much as the caller.
        other->swapped = other->swapped || other->placedFrame >= 0;
        other->placedFrame = -1;
        insertChild(parent, other);
    }
    clip->depth = depth;
    // Moved by a script, the timeline no longer owns it.
    clip->swapped = clip->swapped || clip->placedFrame >= 0;
    clip->placedFrame = -1;
    insertChild(parent, clip);
}

void Stage::startDrag(Clip* clip, bool)
{
    m_dragged = clip;
}

void Stage::stopDrag()
{
    m_dragged = nullptr;
}

void Stage::callFrame(Clip* clip, const std::string& frame)
{
    Clip* target = clip;
    std::string name = frame;
    if (const std::size_t colon = frame.rfind(':'); colon != std::string::npos) {
        target = resolvePath(clip, frame.substr(0, colon));
        name = frame.substr(colon + 1);
    }
    if (!target || !target->timeline) {
        return;
    }
    std::optional<int> number = target->frameOfLabel(*m_machine, name);
    if (!number) {
        // Frames count from 1; a number beyond the timeline names none.
        const double parsed = stringToNumber(name, m_machine->version());
        if (!(parsed >= 1 && parsed < double(target->totalFrames()) + 1)) {
            return;
        }
        number = int(parsed) - 1;
    }
    if (*number < 0 || *number >= target->totalFrames()) {
        return;
    }
    // A frame that calls itself recurses like a function that does.
    const Machine::CallLevel level(*m_machine);
    for (const swf::Tag* tag : target->timeline->frames[std::size_t(*number)]) {
        if (const swf::Unknown* action = unknownTag(*tag, kDoAction)) {
            runScript(*m_machine, target, action->data);
        }
    }
}

std::optional<std::uint16_t> Stage::exportedCharacter(const std::string& name) const
{
    for (const auto& [exported, id] : m_exports) {
        if (m_machine->sameName(exported, name)) {
            return id;
        }
    }
    return std::nullopt;
}

void Stage::registerClass(const std::string& name, Object* constructor)
{
    if (constructor) {
        m_registeredClasses[name] = constructor;
    } else {
        m_registeredClasses.erase(name);
    }
}

QRectF Stage::localBounds(const Clip* clip) const
{
    QRectF bounds;
    if (const ShapeGeometry* shape =
            definitionOf(clip->movie).dictionary().shape(clip->characterId)) {
        const swf::Rect& rect = shape->bounds;
        bounds = QRectF(QPointF(rect.xMin, rect.yMin), QPointF(rect.xMax, rect.yMax));
    } else if (clip->textField) {
        const swf::Rect& rect = clip->textField->definition().bounds;
        bounds = QRectF(QPointF(rect.xMin, rect.yMin), QPointF(rect.xMax, rect.yMax));
    } else if (clip->bitmap && !clip->bitmap->isNull()) {
        bounds = QRectF(QPointF(0, 0), QSizeF(clip->bitmap->size()) * 20);
    }
    if (clip->drawing) {
        if (const auto drawn = clip->drawing->bounds()) {
            bounds = bounds.isNull() ? *drawn : bounds.united(*drawn);
        }
    }
    for (const Clip* child : clip->children) {
        const QRectF inner = localBounds(child);
        if (!inner.isNull()) {
            const QRectF mapped = toQTransform(child->matrix).mapRect(inner);
            bounds = bounds.isNull() ? mapped : bounds.united(mapped);
        }
    }
    return bounds;
}

void Stage::setMask(Clip* clip, Clip* mask)
{
    // Flash ends a clip's part in clip-depth masking once a script sets its
    // mask, even to none.
    clip->clipDepth = 0;
    dropScriptMask(clip);
    if (!mask || mask == clip) {
        return;
    }
    if (mask->maskedClip) {
        dropScriptMask(mask->maskedClip);
    }
    mask->maskedClip = clip;
    clip->scriptMask = mask;
}

QTransform Stage::matrixToLevel(const Clip* clip)
{
    QTransform transform;
    for (const Clip* c = clip; c && c->parent; c = c->parent) {
        transform = transform * toQTransform(c->matrix);
    }
    return transform;
}

QTransform Stage::transformToStage(const Clip* clip) const
{
    // Twips to pixels on both sides: the matrices are in twips.
    return QTransform::fromScale(20, 20) * matrixToLevel(clip) * QTransform::fromScale(0.05, 0.05);
}

QRectF Stage::boundsIn(Clip* clip, Clip* space) const
{
    const QRectF local = localBounds(clip);
    if (local.isNull()) {
        return QRectF();
    }
    const QRectF pixels(local.topLeft() / 20, local.bottomRight() / 20);
    QTransform transform = transformToStage(clip);
    if (space) {
        transform = transform * transformToStage(space).inverted();
    }
    return transform.mapRect(pixels);
}

QRectF Stage::boundsOf(Clip* clip, bool inParent) const
{
    const QRectF local = localBounds(clip);
    if (local.isNull()) {
        return QRectF();
    }
    if (!inParent) {
        return QRectF(local.topLeft() / 20, local.bottomRight() / 20);
    }
    // Flash keeps bounds in whole twips: each corner lands on one.
    const QTransform matrix = toQTransform(clip->matrix);
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
    bool first = true;
    for (const QPointF corner :
         {local.topLeft(), local.topRight(), local.bottomLeft(), local.bottomRight()}) {
        const QPointF point = matrix.map(corner);
        const double x = std::round(point.x());
        const double y = std::round(point.y());
        left = first ? x : std::min(left, x);
        right = first ? x : std::max(right, x);
        top = first ? y : std::min(top, y);
        bottom = first ? y : std::max(bottom, y);
        first = false;
    }
    const QRectF mapped(QPointF(left, top), QPointF(right, bottom));
    return QRectF(mapped.topLeft() / 20, mapped.bottomRight() / 20);
}

void Stage::setSize(Clip* clip, bool width, double pixels)
{
    // A text field's box takes the size, in its own units, and its scale
    // stays.
    if (clip->textField) {
        swf::Rect& rect = clip->textField->definition().bounds;
        if (pixels >= 0) {
            const auto twips = swf::Twips(std::round(pixels * 20));
            (width ? rect.xMax : rect.yMax) = (width ? rect.xMin : rect.yMin) + twips;
        }
        return;
    }
    const QRectF local = localBounds(clip);
    const double extent = (width ? local.width() : local.height()) / 20;
    if (extent <= 0) {
        return;
    }
    (width ? clip->xScale : clip->yScale) = pixels / extent * 100;
    clip->applyScaleAndRotation();
    clip->movedByScript = true;
}

std::size_t Stage::movieBytes() const
{
    return m_movie->byteLength();
}

QPointF Stage::mouseIn(const Clip* clip) const
{
    return transformToStage(clip).inverted().map(m_mouse);
}

void Stage::key(bool down, int code, int character)
{
    if (down) {
        m_lastKeyCode = code;
        m_lastKeyAscii = character;
        if (!isKeyDown(code)) {
            m_keysDown.push_back(code);
        }
    } else {
        m_keysDown.erase(std::remove(m_keysDown.begin(), m_keysDown.end(), code), m_keysDown.end());
    }
    std::vector<Clip*> order;
    for (const auto& [number, level] : m_levels) {
        collectExecutionOrder(level, order);
    }
    for (Clip* clip : order) {
        queueEvent(clip, down ? kEventKeyDown : kEventKeyUp, nullptr);
    }
    // A focused button or clip hears the key before the listeners do.
    const char* handler = down ? "onKeyDown" : "onKeyUp";
    Clip* focus = m_keyboardFocus.focus();
    if (focus && !focus->removed && !focus->textField) {
        m_queue.push_back(QueuedScript{focus, {}, handler, nullptr});
    }
    queueBroadcast("Key", handler);
    // Enter and Space no button asked for push the highlighted button as a
    // click would.
    constexpr int kEnter = 13;
    constexpr int kSpace = 32;
    if (down && !pressButtonKey(code, character) && (code == kEnter || code == kSpace) && focus &&
        m_settings.focusRect && m_keyboardFocus.highlighted() == focus) {
        buttonTransition(focus, kOverUpToOverDown, kButtonDown);
        buttonTransition(focus, kOverDownToOverUp, kButtonOver);
    }
    constexpr int kTab = 9;
    constexpr int kShift = 16;
    if (down && code == kTab) {
        m_keyboardFocus.tab(isKeyDown(kShift));
    }
    runQueue();
}

void Stage::queueBroadcast(const char* source, const char* message)
{
    // AsBroadcaster's way: every listener in the source's _listeners hears it.
    Object* broadcaster = m_machine->global()->get(*m_machine, source).asObject();
    auto* listeners =
        broadcaster
            ? dynamic_cast<ArrayObject*>(broadcaster->get(*m_machine, "_listeners").asObject())
            : nullptr;
    if (!listeners) {
        return;
    }
    for (const Value& listener : listeners->elements) {
        queueTask([this, listener, message] {
            Arguments none;
            m_machine->callMethod(listener, message, none);
        });
    }
}

void Stage::broadcastMouse(ClipEvent event, const char* handler)
{
    queueBroadcast("Mouse", handler);
    std::vector<Clip*> order;
    for (const auto& [number, level] : m_levels) {
        collectExecutionOrder(level, order);
    }
    for (Clip* clip : order) {
        queueEvent(clip, event, handler);
    }
    runQueue();
}

bool Stage::isKeyDown(int code) const
{
    return std::find(m_keysDown.begin(), m_keysDown.end(), code) != m_keysDown.end();
}

} // namespace quorvane::player::avm1
