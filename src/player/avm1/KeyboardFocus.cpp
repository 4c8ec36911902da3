#include "player/avm1/KeyboardFocus.h"

#include "player/avm1/Stage.h"
#include "player/avm1/TextField.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace quorvane::player::avm1 {

namespace {

// tabIndex holds an unsigned 32-bit number; the order reads it signed, and
// the all-ones value (what -1 becomes) leaves the object out of it.
std::optional<std::int32_t> tabIndexOf(Machine& machine, Clip* clip)
{
    const Value index = clip->get(machine, "tabIndex");
    if (index.isUndefined()) {
        return std::nullopt;
    }
    const std::int32_t number = machine.toInt32(index);
    if (number == -1) {
        return std::nullopt;
    }
    return number;
}

// Where the object stands for the automatic order: rows top to bottom,
// left to right within a row, by the top left corner of its bounds in
// whole twips. Objects with the same corner are one stop of the ring.
using Position = KeyboardFocus::Position;

Position positionOf(Stage& stage, Clip* clip)
{
    const QRectF bounds = stage.boundsIn(clip, nullptr);
    return {std::lround(bounds.top() * 20), std::lround(bounds.left() * 20)};
}

} // namespace

KeyboardFocus::KeyboardFocus(Stage& stage) : m_stage(stage) {}

bool KeyboardFocus::accepts(Clip* clip)
{
    if (!clip || clip->removed) {
        return false;
    }
    if (clip->textField || clip->isButton) {
        return true;
    }
    // A movie clip takes the focus when it asks for it or acts as a button.
    Machine& machine = m_stage.machine();
    return machine.toBoolean(clip->get(machine, "focusEnabled")) || m_stage.actsAsButton(clip);
}

void KeyboardFocus::setFocus(Clip* clip)
{
    if (clip == m_focus) {
        if (clip && !clip->textField) {
            highlight(clip);
        }
        return;
    }
    highlight(clip);
    changeFocus(clip);
}

void KeyboardFocus::changeFocus(Clip* clip)
{
    Machine& machine = m_stage.machine();
    Clip* old = m_focus;
    m_focus = clip;
    if (old) {
        Arguments arguments{Value(clip)};
        machine.callMethod(Value(old), "onKillFocus", arguments);
    }
    if (clip) {
        Arguments arguments{Value(old)};
        machine.callMethod(Value(clip), "onSetFocus", arguments);
    }
    if (const Value selection = machine.global()->get(machine, "Selection"); selection.isObject()) {
        Arguments arguments{Value(std::string("onSetFocus")), Value(old), Value(clip)};
        machine.callMethod(selection, "broadcastMessage", arguments);
    }
}

void KeyboardFocus::highlight(Clip* clip)
{
    // A focused button shows its over state and hears a roll over, as
    // though the mouse had come to it; text fields show no highlight.
    if (m_highlighted && !m_highlighted->removed) {
        m_stage.showFocusHighlight(m_highlighted, false);
    }
    m_highlighted = nullptr;
    if (clip && !clip->textField) {
        m_stage.showFocusHighlight(clip, true);
        m_highlighted = clip;
    }
}

void KeyboardFocus::tab(bool backwards)
{
    // After the key's own handlers and listeners: the highlight moves,
    // then the focus with its handlers.
    m_stage.queueTask([this, backwards] {
        const std::vector<Stop> stops = tabStops();
        if (stops.empty()) {
            return;
        }
        const bool custom = stops.front().index.has_value();
        Clip* next = nullptr;
        const std::optional<std::int32_t> index =
            m_focus ? tabIndexOf(m_stage.machine(), m_focus) : std::nullopt;
        if (m_focus && !m_focus->removed && (!custom || index)) {
            const Stop current{custom ? index : std::nullopt, positionOf(m_stage, m_focus),
                               m_focus};
            if (backwards) {
                const auto before = std::find_if(stops.rbegin(), stops.rend(),
                                                 [&](const Stop& stop) { return stop < current; });
                next = before != stops.rend() ? before->clip : nullptr;
            } else {
                const auto after = std::find_if(stops.begin(), stops.end(),
                                                [&](const Stop& stop) { return current < stop; });
                next = after != stops.end() ? after->clip : nullptr;
            }
        }
        if (!next) {
            next = backwards ? stops.back().clip : stops.front().clip;
        }
        if (next == m_focus) {
            return;
        }
        highlight(next);
        m_stage.queueTask([this, next] {
            if (!next->removed) {
                changeFocus(next);
            }
        });
    });
}

void KeyboardFocus::letGo(Clip* clip)
{
    if (clip == m_highlighted) {
        m_highlighted = nullptr;
    }
    if (clip == m_focus) {
        changeFocus(nullptr);
    }
}

std::vector<KeyboardFocus::Stop> KeyboardFocus::tabStops()
{
    std::vector<Clip*> found;
    for (const auto& [number, level] : m_stage.levels()) {
        collectTabbable(level, found);
    }
    Machine& machine = m_stage.machine();
    std::vector<Stop> stops;
    for (Clip* clip : found) {
        stops.push_back(Stop{tabIndexOf(machine, clip), positionOf(m_stage, clip), clip});
    }
    // Once any object has a tab index, only those with one are visited, by
    // their index; the rest go by position.
    if (std::any_of(stops.begin(), stops.end(), [](const Stop& stop) { return stop.index; })) {
        std::erase_if(stops, [](const Stop& stop) { return !stop.index; });
    }
    // Among objects at one stop the first met in depth order stands for them all.
    std::stable_sort(stops.begin(), stops.end());
    stops.erase(std::unique(stops.begin(), stops.end(),
                            [](const Stop& a, const Stop& b) { return !(a < b) && !(b < a); }),
                stops.end());
    return stops;
}

void KeyboardFocus::collectTabbable(Clip* clip, std::vector<Clip*>& found)
{
    if (clip->removed || !clip->visible) {
        return;
    }
    if (tabbable(clip)) {
        found.push_back(clip);
    }
    if (clip->isButton || clip->textField) {
        return;
    }
    Machine& machine = m_stage.machine();
    const Value tabChildren = clip->get(machine, "tabChildren");
    if (!tabChildren.isUndefined() && !machine.toBoolean(tabChildren)) {
        return;
    }
    for (Clip* child : clip->children) {
        collectTabbable(child, found);
    }
}

bool KeyboardFocus::tabbable(Clip* clip)
{
    Machine& machine = m_stage.machine();
    const Value tabEnabled = clip->get(machine, "tabEnabled");
    if (!tabEnabled.isUndefined() && !machine.toBoolean(tabEnabled)) {
        return false;
    }
    if (clip->textField) {
        // Only fields the user can type into; tabEnabled cannot add others.
        return !clip->textField->definition().readOnly;
    }
    if (clip->isButton) {
        return true;
    }
    if (clip->isScriptless) {
        return false;
    }
    return !tabEnabled.isUndefined() || tabIndexOf(machine, clip).has_value() ||
           m_stage.actsAsButton(clip);
}

} // namespace quorvane::player::avm1
