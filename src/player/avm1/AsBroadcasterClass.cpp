#include "player/avm1/Builtins.h"
#include "player/avm1/Machine.h"

namespace quorvane::player::avm1 {
namespace {

// The listeners' array as the broadcaster holds it now; scripts may
// replace it, or its push and splice.
Object* listenersOf(Machine& machine, const Value& self)
{
    Object* source = self.asObject();
    return source ? source->get(machine, "_listeners").asObject() : nullptr;
}

// Adding goes through the broadcaster's own removeListener and the array's
// push, as Flash's script-level implementation does, so either may be
// replaced to watch it.
Value addListener(Machine& machine, const Value& self, Arguments& arguments)
{
    const Value listener = argument(arguments, 0);
    Arguments removal{listener};
    machine.callMethod(self, "removeListener", removal);
    if (Object* listeners = listenersOf(machine, self)) {
        Arguments pushed{listener};
        machine.callMethod(Value(listeners), "push", pushed);
    }
    return Value(true);
}

Value removeListener(Machine& machine, const Value& self, Arguments& arguments)
{
    Object* listeners = listenersOf(machine, self);
    if (!listeners) {
        return Value(false);
    }
    const Value listener = argument(arguments, 0);
    const std::size_t length = arrayLikeLength(machine, *listeners);
    for (std::size_t i = 0; i < length; ++i) {
        if (machine.looseEquals(listeners->get(machine, std::to_string(i)), listener)) {
            Arguments range{Value(double(i)), Value(1.0)};
            machine.callMethod(Value(listeners), "splice", range);
            return Value(true);
        }
    }
    return Value(false);
}

// Every listener present when the message goes out hears it, even one an
// earlier listener removes.
Value broadcastMessage(Machine& machine, const Value& self, Arguments& arguments)
{
    Object* listeners = listenersOf(machine, self);
    if (!listeners || arguments.empty()) {
        return Value();
    }
    const std::string message = machine.toString(arguments[0]);
    std::vector<Value> hearing;
    for (std::size_t i = 0, length = arrayLikeLength(machine, *listeners); i < length; ++i) {
        hearing.push_back(listeners->get(machine, std::to_string(i)));
    }
    if (hearing.empty()) {
        return Value();
    }
    for (const Value& listener : hearing) {
        Arguments rest(arguments.begin() + 1, arguments.end());
        machine.callMethod(listener, message, rest);
    }
    return Value(true);
}

} // namespace

void makeBroadcaster(Machine& machine, Object* source)
{
    Object* broadcaster = machine.global()->get(machine, "AsBroadcaster").asObject();
    source->define(machine, "_listeners", Value(machine.newArray()), kDontEnum);
    for (const char* name : {"addListener", "removeListener", "broadcastMessage"}) {
        source->define(machine, name, broadcaster ? broadcaster->get(machine, name) : Value(),
                       kDontEnum);
    }
}

void installAsBroadcaster(Machine& m)
{
    NativeFunction* broadcaster =
        m.newClass(m.newObject(), [](Machine&, const Value&, Arguments&) { return Value(); });
    m.global()->define(m, "AsBroadcaster", Value(broadcaster), kDontEnum);
    m.method(broadcaster, "initialize", [](Machine& machine, const Value&, Arguments& arguments) {
        if (Object* source = argument(arguments, 0).asObject()) {
            makeBroadcaster(machine, source);
        }
        return Value();
    });
    m.method(broadcaster, "addListener", addListener);
    m.method(broadcaster, "removeListener", removeListener);
    m.method(broadcaster, "broadcastMessage", broadcastMessage);
    // Movies before Flash 6 see the function and nothing of it.
    for (const char* name :
         {"prototype", "initialize", "addListener", "removeListener", "broadcastMessage"}) {
        broadcaster->setFlags(m, name, kFromSwf6, 0);
    }
}

} // namespace quorvane::player::avm1
