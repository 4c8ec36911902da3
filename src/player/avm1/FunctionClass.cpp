#include "player/avm1/Builtins.h"
#include "player/avm1/Machine.h"

namespace quorvane::player::avm1 {
namespace {

// call and apply run a function on the global object when told no `this`.
Value thisOrGlobal(Machine& machine, const Value& thisValue)
{
    return thisValue.isNullish() ? Value(machine.global()) : thisValue;
}

} // namespace

void installFunctionClass(Machine& m)
{
    Object* prototype = m.functionPrototype;
    NativeFunction* constructor =
        m.newClass(prototype, [](Machine&, const Value&, Arguments& arguments) {
            return argument(arguments, 0);
        });
    m.global()->define(m, "Function", Value(constructor), kDontEnum);
    m.setFunctionClass(constructor);

    m.method(prototype, "call", [](Machine& machine, const Value& self, Arguments& arguments) {
        const Value thisValue = argument(arguments, 0);
        Arguments rest;
        if (arguments.size() > 1) {
            rest.assign(arguments.begin() + 1, arguments.end());
        }
        return machine.call(self.asObject(), thisOrGlobal(machine, thisValue), rest);
    });
    m.method(prototype, "apply", [](Machine& machine, const Value& self, Arguments& arguments) {
        const Value thisValue = argument(arguments, 0);
        Arguments list;
        if (Object* source = argument(arguments, 1).asObject()) {
            for (std::size_t i = 0, count = arrayLikeLength(machine, *source); i < count; ++i) {
                list.push_back(source->get(machine, std::to_string(i)));
            }
        }
        return machine.call(self.asObject(), thisOrGlobal(machine, thisValue), list);
    });
    m.method(prototype, "toString",
             [](Machine&, const Value&, Arguments&) { return Value("[type Function]"); });
}

} // namespace quorvane::player::avm1
