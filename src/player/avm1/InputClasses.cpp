#include "player/avm1/Builtins.h"
#include "player/avm1/Machine.h"
#include "player/avm1/Stage.h"

namespace quorvane::player::avm1 {

namespace {

void installSelection(Machine& m)
{
    Object* selection = m.newObject();
    m.global()->define(m, "Selection", Value(selection), kDontEnum);
    makeBroadcaster(m, selection);
    m.method(selection, "setFocus", [](Machine& machine, const Value&, Arguments& a) {
        Stage* stage = machine.stage();
        const Value target = argument(a, 0);
        Clip* clip = dynamic_cast<Clip*>(target.asObject());
        if (!clip && target.isString() && stage) {
            clip = stage->resolvePath(nullptr, target.asString());
        }
        if (!stage || (!clip && !target.isNullish()) ||
            (clip && !stage->keyboardFocus().accepts(clip))) {
            return Value(false);
        }
        stage->keyboardFocus().setFocus(clip);
        return Value(true);
    });
    m.method(selection, "getFocus", [](Machine& machine, const Value&, Arguments&) {
        Clip* focus = machine.stage() ? machine.stage()->keyboardFocus().focus() : nullptr;
        return focus ? Value(focus->dotPath()) : Value(Null{});
    });
}

} // namespace

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
    // No lock key is ever on in a movie that never sees the keyboard's state.
    m.method(key, "isToggled", [](Machine&, const Value&, Arguments&) { return Value(false); });

    makeBroadcaster(m, key);

    Object* mouse = m.newObject();
    m.global()->define(m, "Mouse", Value(mouse), kDontEnum);
    makeBroadcaster(m, mouse);
    m.method(mouse, "show", [](Machine&, const Value&, Arguments&) { return Value(1.0); });
    m.method(mouse, "hide", [](Machine&, const Value&, Arguments&) { return Value(1.0); });
    installSelection(m);
}

} // namespace quorvane::player::avm1
