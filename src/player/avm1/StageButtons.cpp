// The buttons of a scripted movie: the state each shows, what lies under
// the mouse, and the transitions that run their actions and handlers.

#include "player/QtConversions.h"
#include "player/avm1/Interpreter.h"
#include "player/avm1/Stage.h"

#include <algorithm>

namespace quorvane::player::avm1 {

void Stage::showButtonState(Clip* button, std::uint8_t state)
{
    if (button->buttonState == state || !button->button) {
        return;
    }
    button->buttonState = state;
    const std::vector<Clip*> shown = button->children;
    for (Clip* child : shown) {
        detach(child);
    }
    for (const ButtonRecord& record : button->button->records) {
        if (!(record.states & state)) {
            continue;
        }
        Clip* part = instantiate(button, record.characterId,
                                 record.depth + Clip::kTimelineDepthOffset, -1, nullptr);
        if (part) {
            part->takeMatrix(record.matrix);
            part->colors = record.colors;
        }
    }
}

std::uint8_t Stage::buttonStateFor(Clip* button) const
{
    if (m_pressed == button) {
        return m_hovered == button ? kButtonDown : kButtonOver;
    }
    return m_hovered == button && !m_pressed ? kButtonOver : kButtonUp;
}

void Stage::updateButtonStates()
{
    std::vector<Clip*> buttons;
    for (const auto& [number, level] : m_levels) {
        collectButtons(level, buttons);
    }
    for (Clip* button : buttons) {
        showButtonState(button, buttonStateFor(button));
    }
}

void Stage::collectButtons(Clip* clip, std::vector<Clip*>& buttons)
{
    for (Clip* child : clip->children) {
        if (!child->visible) {
            continue;
        }
        if (child->isButton) {
            buttons.push_back(child);
        } else {
            collectButtons(child, buttons);
        }
    }
}

bool Stage::buttonHit(Clip* button) const
{
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

void Stage::buttonTransition(Clip* button, std::uint16_t condition, const char* handler)
{
    if (button->button) {
        for (const ButtonAction& action : button->button->actions) {
            if ((action.conditions & condition) && !action.code.empty() && button->parent) {
                // Button actions speak to the timeline the button is on.
                m_queue.push_back(QueuedScript{button->parent, action.code, nullptr, nullptr});
            }
        }
    }
    m_queue.push_back(QueuedScript{button, {}, handler, nullptr});
}

void Stage::pressButtonKey(int code, int character)
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
        return;
    }
    std::vector<Clip*> buttons;
    for (const auto& [number, level] : m_levels) {
        collectButtons(level, buttons);
    }
    for (Clip* button : buttons) {
        for (const ButtonAction& action : button->button->actions) {
            if (action.key == key && !action.code.empty() && button->parent) {
                m_queue.push_back(QueuedScript{button->parent, action.code, nullptr, nullptr});
            }
        }
    }
}

} // namespace quorvane::player::avm1
