#include "player/avm1/Builtins.h"
#include "player/avm1/Machine.h"

namespace quorvane::player::avm1 {

namespace {

bool selfTruth(Machine& machine, const Value& self)
{
    if (Object* object = self.asObject(); object && object->hasPrimitive()) {
        return machine.toBoolean(object->primitive);
    }
    return machine.toBoolean(self);
}

} // namespace

void installBooleanClass(Machine& m)
{
    Object* prototype = m.newObject();
    prototype->primitive = Value(false);
    m.booleanPrototype = prototype;
    NativeFunction* constructor = m.newClass(
        prototype,
        // Boolean() converts nothing, so it gives nothing.
        [](Machine& machine, const Value&, Arguments& arguments) {
            return arguments.empty() ? Value() : Value(machine.toBoolean(arguments[0]));
        },
        [](Machine& machine, const Value&, Arguments& arguments) {
            Object* wrapper = machine.newObject(machine.booleanPrototype);
            wrapper->primitive = Value(!arguments.empty() && machine.toBoolean(arguments[0]));
            return Value(wrapper);
        });
    m.global()->define(m, "Boolean", Value(constructor), kDontEnum);
    m.method(prototype, "toString", [](Machine& machine, const Value& self, Arguments&) {
        return Value(selfTruth(machine, self) ? "true" : "false");
    });
    m.method(prototype, "valueOf", [](Machine& machine, const Value& self, Arguments&) {
        return Value(selfTruth(machine, self));
    });
}

} // namespace quorvane::player::avm1
