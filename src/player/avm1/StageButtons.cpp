// The buttons of a scripted movie, and the clips whose button handlers make
// them act as buttons: what lies under the mouse, the transitions between
// their states with the actions and handlers each runs, and the state a
// button shows.

#include "player/avm1/Interpreter.h"
#include "player/avm1/Stage.h"
#include "player/graphics/QtConversions.h"
#include "player/graphics/ShapeHitTest.h"

#include <algorithm>

namespace quorvane::player::avm1 {

namespace {

// The handlers that make a clip act as a button.
constexpr const char* kButtonHandlers[] = {"onPress",    "onRelease", "onReleaseOutside",
                                           "onRollOver", "onRollOut", "onDragOver",
                                           "onDragOut"};
constexpr std::uint32_t kButtonEvents = kEventPress | kEventRelease | kEventReleaseOutside |
                                        kEventRollOver | kEventRollOut | kEventDragOver |
                                        kEventDragOut;

struct Transition {
    std::uint16_t condition;
    ClipEvent event;
    const char* handler;
};

constexpr Transition kTransitions[] = {
    {kIdleToOverUp, kEventRollOver, "onRollOver"},
    {kOverUpToIdle, kEventRollOut, "onRollOut"},
    {kOverUpToOverDown, kEventPress, "onPress"},
    {kOverDownToOverUp, kEventRelease, "onRelease"},
    {kOverDownToOutDown, kEventDragOut, "onDragOut"},
    {kOutDownToOverDown, kEventDragOver, "onDragOver"},
    {kOutDownToIdle, kEventReleaseOutside, "onReleaseOutside"},
    {kIdleToOverDown, kEventDragOver, "onDragOver"},
    {kOverDownToIdle, kEventDragOut, "onDragOut"},
};

} // namespace

void Stage::showButtonState(Clip* button, std::uint8_t state)
{
    if (button->buttonState == state || !button->button) {
        return;
    }
    button->buttonState = state;
    const auto& records = button->button->records;
    // Parts the new state shares with the old stay as they are; the rest
    // go, then the new state's own parts come.
    // In the order of their records, not of their depths.
    std::vector<Clip*> shown = button->children;
    std::stable_sort(shown.begin(), shown.end(), [](const Clip* a, const Clip* b) {
        return a->buttonRecord < b->buttonRecord;
    });
    std::vector<bool> kept(records.size(), false);
    for (Clip* child : shown) {
        const std::size_t record = std::size_t(child->buttonRecord);
        if (child->buttonRecord >= 0 && record < records.size() &&
            (records[record].states & state)) {
            kept[record] = true;
        } else {
            detach(child);
        }
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        const ButtonRecord& record = records[i];
        if (!(record.states & state) || kept[i]) {
            continue;
        }
        Clip* part = instantiate(button, record.characterId,
                                 record.depth + Clip::kTimelineDepthOffset, -1, nullptr);
        if (part) {
            part->buttonRecord = int(i);
            part->takeMatrix(record.matrix);
            part->colorTransform = record.colors;
        }
    }
}

bool Stage::actsAsButton(Clip* clip)
{
    if (clip->isButton) {
        return true;
    }
    if (!clip->timeline) {
        return false;
    }
    if (clip->clipActions) {
        for (const swf::ClipActionRecord& record : clip->clipActions->records) {
            if (record.events & kButtonEvents) {
                return true;
            }
        }
    }
    return std::any_of(std::begin(kButtonHandlers), std::end(kButtonHandlers),
                       [&](const char* handler) {
                           const Object* found = clip->get(*m_machine, handler).asObject();
                           return found && found->isFunction();
                       });
}

void Stage::collectButtons(Clip* clip, std::vector<Clip*>& buttons)
{
    for (Clip* child : clip->children) {
        if (!child->visible || child->maskedClip) {
            continue;
        }
        // A clip acting as a button takes the mouse for everything in it.
        if (actsAsButton(child)) {
            // Only an enabled set to something false turns it off.
            const Value enabled = child->get(*m_machine, "enabled");
            if (enabled.isUndefined() || m_machine->toBoolean(enabled)) {
                buttons.push_back(child);
            }
        } else {
            collectButtons(child, buttons);
        }
    }
}

bool Stage::hitsShapes(const Clip* clip, QPointF stagePixels) const
{
    if (clip->maskedClip) {
        return false;
    }
    bool invertible = false;
    const QTransform toLocal = transformToStage(clip).inverted(&invertible);
    if (invertible) {
        const QPointF twips = toLocal.map(stagePixels) * swf::kTwipsPerPixel;
        const ShapeGeometry* shape =
            definitionOf(clip->movie).dictionary().shape(clip->characterId);
        if (shape && shapeContains(*shape, twips)) {
            return true;
        }
        if (clip->drawing && !clip->drawing->isEmpty() &&
            shapeContains(*clip->drawing->geometry(), twips)) {
            return true;
        }
    }
    return std::any_of(clip->children.begin(), clip->children.end(), [&](const Clip* child) {
        return child->visible && hitsShapes(child, stagePixels);
    });
}

bool Stage::buttonHit(Clip* button) const
{
    if (!button->button) {
        return hitsShapes(button, m_mouse);
    }
    const QTransform toStage = transformToStage(button);
    for (const ButtonRecord& record : button->button->records) {
        if (!(record.states & kButtonHit)) {
            continue;
        }
        const ShapeGeometry* shape = m_movie->dictionary().shape(record.characterId);
        if (!shape) {
            continue;
        }
        const swf::Rect& rect = shape->bounds;
        const QRectF twips(QPointF(rect.xMin, rect.yMin), QPointF(rect.xMax, rect.yMax));
        const QRectF local = toQTransform(record.matrix).mapRect(twips);
        const QRectF pixels(local.topLeft() / 20, local.bottomRight() / 20);
        if (toStage.map(QPolygonF(pixels)).containsPoint(m_mouse, Qt::OddEvenFill)) {
            return true;
        }
    }
    return false;
}

Clip* Stage::buttonUnderMouse()
{
    std::vector<Clip*> buttons;
    for (const auto& [number, level] : m_levels) {
        collectButtons(level, buttons);
    }
    // The last drawn is on top.
    for (auto it = buttons.rbegin(); it != buttons.rend(); ++it) {
        if (buttonHit(*it)) {
            return *it;
        }
    }
    return nullptr;
}

bool Stage::tracksAsMenu(const Clip* button) const
{
    return button && button->button && button->button->trackAsMenu;
}

void Stage::playButtonSound(const Clip* button, std::uint16_t condition)
{
    const auto sounds = m_buttonSounds.find(button->characterId);
    if (!button->isButton || sounds == m_buttonSounds.end() || !m_surroundings.sound) {
        return;
    }
    const swf::DefineButtonSound& tag = *sounds->second;
    const std::pair<std::uint16_t, const swf::DefineButtonSound::Transition*> transitions[] = {
        {kOverUpToIdle, &tag.overUpToIdle},
        {kIdleToOverUp, &tag.idleToOverUp},
        {kOverUpToOverDown, &tag.overUpToOverDown},
        {kOverDownToOverUp, &tag.overDownToOverUp}};
    for (const auto& [bit, transition] : transitions) {
        if (bit != condition || !transition->soundId) {
            continue;
        }
        if (const swf::DefineSound* sound = m_movie->soundtrack().sound(transition->soundId)) {
            m_surroundings.sound->startSound(*sound, transition->info);
        }
    }
}

void Stage::buttonTransition(Clip* button, std::uint16_t condition, std::uint8_t state)
{
    showButtonState(button, state);
    playButtonSound(button, condition);
    if (button->button) {
        for (const ButtonAction& action : button->button->actions) {
            if ((action.conditions & condition) && !action.code.empty() && button->parent) {
                // Button actions speak to the timeline the button is on.
                m_queue.push_back(QueuedScript{button->parent, action.code, nullptr, nullptr});
            }
        }
    }
    for (const Transition& transition : kTransitions) {
        if (transition.condition == condition) {
            queueEvent(button, transition.event, transition.handler);
        }
    }
}

void Stage::showFocusHighlight(Clip* button, bool shown)
{
    if (shown) {
        buttonTransition(button, kIdleToOverUp, kButtonOver);
    } else {
        buttonTransition(button, kOverUpToIdle, kButtonUp);
    }
}

void Stage::mouseMove(QPointF stagePixels)
{
    m_mouse = stagePixels;
    broadcastMouse(kEventMouseMove, "onMouseMove");
    Clip* under = buttonUnderMouse();
    if (m_pressed && !tracksAsMenu(m_pressed)) {
        // A pushed button follows the mouse until it is released.
        if (under == m_pressed && m_hovered != m_pressed) {
            m_hovered = m_pressed;
            buttonTransition(m_pressed, kOutDownToOverDown, kButtonDown);
        } else if (under != m_pressed && m_hovered == m_pressed) {
            m_hovered = nullptr;
            buttonTransition(m_pressed, kOverDownToOutDown, kButtonOver);
        }
    } else if (under != m_hovered) {
        Clip* left = m_hovered;
        m_hovered = under;
        if (m_mouseDown) {
            // A menu lets go of the mouse: the item it leaves goes idle and
            // the one it comes to takes the press.
            if (left) {
                buttonTransition(left, kOverDownToIdle, kButtonUp);
            }
            m_pressed = tracksAsMenu(under) ? under : nullptr;
            if (m_pressed) {
                buttonTransition(under, kIdleToOverDown, kButtonDown);
            }
        } else {
            if (left) {
                buttonTransition(left, kOverUpToIdle, kButtonUp);
            }
            if (under) {
                buttonTransition(under, kIdleToOverUp, kButtonOver);
            }
        }
    }
    runQueue();
}

void Stage::mouseButton(bool down)
{
    m_mouseDown = down;
    broadcastMouse(down ? kEventMouseDown : kEventMouseUp, down ? "onMouseDown" : "onMouseUp");
    if (down && m_hovered) {
        m_pressed = m_hovered;
        buttonTransition(m_pressed, kOverUpToOverDown, kButtonDown);
    } else if (!down && m_pressed) {
        Clip* released = m_pressed;
        m_pressed = nullptr;
        if (m_hovered == released) {
            buttonTransition(released, kOverDownToOverUp, kButtonOver);
        } else {
            buttonTransition(released, kOutDownToIdle, kButtonUp);
            m_hovered = buttonUnderMouse();
            if (m_hovered) {
                buttonTransition(m_hovered, kIdleToOverUp, kButtonOver);
            }
        }
    }
    runQueue();
}

bool Stage::pressButtonKey(int code, int character)
{
    // Buttons number the keys without characters 1 to 19, and the rest by
    // their character.
    static const std::pair<int, int> special[] = {{37, 1},  {39, 2},  {36, 3},  {35, 4},  {45, 5},
                                                  {46, 6},  {8, 8},   {13, 13}, {38, 14}, {40, 15},
                                                  {33, 16}, {34, 17}, {9, 18},  {27, 19}};
    int key = character;
    for (const auto& [flashCode, buttonKey] : special) {
        if (flashCode == code) {
            key = buttonKey;
        }
    }
    if (key <= 0 || key > 127) {
        return false;
    }
    std::vector<Clip*> buttons;
    for (const auto& [number, level] : m_levels) {
        collectButtons(level, buttons);
    }
    // The first button that answers the key takes it.
    for (Clip* button : buttons) {
        if (!button->button || !button->parent) {
            continue;
        }
        bool answered = false;
        for (const ButtonAction& action : button->button->actions) {
            if (action.key == key && !action.code.empty()) {
                m_queue.push_back(QueuedScript{button->parent, action.code, nullptr, nullptr});
                answered = true;
            }
        }
        if (answered) {
            return true;
        }
    }
    return false;
}

} // namespace quorvane::player::avm1
