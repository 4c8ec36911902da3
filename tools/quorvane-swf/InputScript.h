#pragma once

#include <QPointF>
#include <optional>
#include <string>
#include <vector>

namespace quorvane::player {
class Player;
}

namespace quorvane::tools {

// One event of the corpus' input.json.
struct InputEvent {
    enum class Kind { MouseMove, MouseDown, MouseUp, KeyDown, KeyUp, TextInput };
    Kind kind = Kind::MouseMove;
    QPointF position;
    // Flash's key code for key events, the character for text input.
    int keyCode = 0;
    int character = 0;
};

// The events between two Waits, delivered after one frame.
using InputStep = std::vector<InputEvent>;

std::optional<std::vector<InputStep>> readInputScript(const std::string& path);
void deliverInput(player::Player& player, const InputStep& step);

} // namespace quorvane::tools
