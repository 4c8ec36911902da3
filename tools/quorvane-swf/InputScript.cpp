#include "InputScript.h"

#include "player/Player.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace quorvane::tools {

namespace {

// Flash's key codes for the named keys input.json uses; characters use
// their upper-case code, as Flash's Key.getCode gives them.
int keyCodeOf(const QJsonValue& key, int& character)
{
    if (key.isObject()) {
        const QString text = key.toObject().value(QStringLiteral("Char")).toString();
        if (text.isEmpty()) {
            return 0;
        }
        character = text.at(0).unicode();
        return text.at(0).toUpper().unicode();
    }
    static const std::pair<const char*, int> named[] = {
        {"Tab", 9},           {"Enter", 13},     {"Return", 13},     {"Shift", 16},
        {"Control", 17},      {"LeftShift", 16}, {"RightShift", 16}, {"LeftControl", 17},
        {"RightControl", 17}, {"Alt", 18},       {"Escape", 27},     {"Space", 32},
        {"PageUp", 33},       {"PageDown", 34},  {"End", 35},        {"Home", 36},
        {"Left", 37},         {"Up", 38},        {"Right", 39},      {"Down", 40},
        {"ArrowLeft", 37},    {"ArrowUp", 38},   {"ArrowRight", 39}, {"ArrowDown", 40},
        {"Insert", 45},       {"Delete", 46},    {"Backspace", 8}};
    const QString name = key.toString();
    for (const auto& [keyName, code] : named) {
        if (name == QLatin1String(keyName)) {
            character = code == 9 || code == 13 || code == 32 || code == 8 || code == 27 ? code : 0;
            return code;
        }
    }
    return 0;
}

} // namespace

std::optional<std::vector<InputStep>> readInputScript(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isArray()) {
        return std::nullopt;
    }
    std::vector<InputStep> steps(1);
    for (const QJsonValue& entry : document.array()) {
        const QJsonObject event = entry.toObject();
        const QString type = event.value(QStringLiteral("type")).toString();
        if (type == u"Wait") {
            steps.emplace_back();
            continue;
        }
        InputEvent input;
        const QJsonArray position = event.value(QStringLiteral("pos")).toArray();
        input.position = QPointF(position.at(0).toDouble(), position.at(1).toDouble());
        if (type == u"MouseMove") {
            input.kind = InputEvent::Kind::MouseMove;
        } else if (type == u"MouseDown") {
            input.kind = InputEvent::Kind::MouseDown;
        } else if (type == u"MouseUp") {
            input.kind = InputEvent::Kind::MouseUp;
        } else if (type == u"KeyDown" || type == u"KeyUp") {
            input.kind = type == u"KeyDown" ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp;
            input.keyCode = keyCodeOf(event.value(QStringLiteral("key")), input.character);
        } else if (type == u"TextInput") {
            input.kind = InputEvent::Kind::TextInput;
            const QString text = event.value(QStringLiteral("codepoint")).toString();
            input.character = text.isEmpty() ? 0 : text.at(0).unicode();
        } else {
            continue;
        }
        steps.back().push_back(input);
    }
    return steps;
}

void deliverInput(player::Player& player, const InputStep& step)
{
    for (const InputEvent& event : step) {
        switch (event.kind) {
        case InputEvent::Kind::MouseMove:
            player.mouseMove(event.position);
            break;
        case InputEvent::Kind::MouseDown:
            player.mouseMove(event.position);
            player.mouseDown();
            break;
        case InputEvent::Kind::MouseUp:
            player.mouseMove(event.position);
            player.mouseUp();
            break;
        case InputEvent::Kind::KeyDown:
            player.keyDown(event.keyCode, event.character);
            break;
        case InputEvent::Kind::KeyUp:
            player.keyUp(event.keyCode, event.character);
            break;
        case InputEvent::Kind::TextInput:
            break;
        }
    }
}

} // namespace quorvane::tools
