#include "player/avm1/Builtins.h"
#include "player/avm1/Machine.h"
#include "player/avm1/Stage.h"

namespace quorvane::player::avm1 {

void installInputClasses(Machine& m)
{
    Object* key = m.newObject();
    m.global()->define(m, "Key", Value(key), kDontEnum);
    const std::pair<const char*, double> codes[] = {
        {"BACKSPACE", 8}, {"CAPSLOCK", 20}, {"CONTROL", 17}, {"DELETEKEY", 46}, {"DOWN", 40},
        {"END", 35},      {"ENTER", 13},    {"ESCAPE", 27},  {"HOME", 36},      {"INSERT", 45},
        {"LEFT", 37},     {"PGDN", 34},     {"PGUP", 33},    {"RIGHT", 39},     {"SHIFT", 16},
        {"SPACE", 32},    {"TAB", 9},       {"UP", 38}};
    for (const auto& [name, code] : codes) {
        key->define(m, name, Value(code), kDontEnum | kDontDelete | kReadOnly);
    }
    m.method(key, "isDown", [](Machine& machine, const Value&, Arguments& arguments) {
        Stage* stage = machine.stage();
        return Value(stage && stage->isKeyDown(machine.toInt32(argument(arguments, 0))));
    });
    m.method(key, "getCode", [](Machine& machine, const Value&, Arguments&) {
        Stage* stage = machine.stage();
        return Value(double(stage ? stage->lastKeyCode() : 0));
    });
    m.method(key, "getAscii", [](Machine& machine, const Value&, Arguments&) {
        Stage* stage = machine.stage();
        return Value(double(stage ? stage->lastKeyAscii() : 0));
    });

    Object* mouse = m.newObject();
    m.global()->define(m, "Mouse", Value(mouse), kDontEnum);
    m.method(mouse, "show", [](Machine&, const Value&, Arguments&) { return Value(1.0); });
    m.method(mouse, "hide", [](Machine&, const Value&, Arguments&) { return Value(1.0); });
}

} // namespace quorvane::player::avm1
