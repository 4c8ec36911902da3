#include "player/avm1/Builtins.h"
#include "player/avm1/Machine.h"

namespace quorvane::player::avm1 {

void installErrorClass(Machine& m)
{
    Object* prototype = m.newObject();
    m.errorPrototype = prototype;
    NativeFunction* constructor =
        m.newClass(prototype, [](Machine& machine, const Value& self, Arguments& arguments) {
            if (Object* error = self.asObject();
                error && !arguments.empty() && !arguments[0].isUndefined()) {
                error->set(machine, "message", arguments[0]);
            }
            return Value();
        });
    m.global()->define(m, "Error", Value(constructor), kDontEnum);
    prototype->define(m, "name", Value("Error"), kDontEnum);
    prototype->define(m, "message", Value("Error"), kDontEnum);
    m.method(prototype, "toString", [](Machine& machine, const Value& self, Arguments&) {
        // The message comes back as it was given, not made a string.
        Object* error = self.asObject();
        return error ? error->get(machine, "message") : Value("Error");
    });
}

} // namespace quorvane::player::avm1
