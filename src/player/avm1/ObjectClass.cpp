#include "player/avm1/Builtins.h"
#include "player/avm1/Machine.h"
#include "player/avm1/Stage.h"

namespace quorvane::player::avm1 {

void installObjectClass(Machine& m)
{
    Object* prototype = m.objectPrototype;
    NativeFunction* constructor = m.newClass(
        prototype,
        [](Machine& machine, const Value&, Arguments& arguments) -> Value {
            const Value value = argument(arguments, 0);
            if (Object* object = machine.toObject(value)) {
                return Value(object);
            }
            return Value(machine.newObject());
        },
        [](Machine& machine, const Value&, Arguments& arguments) -> Value {
            const Value value = argument(arguments, 0);
            if (Object* object = machine.toObject(value)) {
                return Value(object);
            }
            return Value(machine.newObject());
        });
    m.global()->define(m, "Object", Value(constructor), kDontEnum);

    m.method(prototype, "hasOwnProperty",
             [](Machine& machine, const Value& self, Arguments& arguments) {
                 Object* object = self.asObject();
                 return Value(object &&
                              object->hasOwn(machine, machine.toString(argument(arguments, 0))));
             });
    m.method(prototype, "isPropertyEnumerable",
             [](Machine& machine, const Value& self, Arguments& arguments) {
                 Object* object = self.asObject();
                 if (!object) {
                     return Value(false);
                 }
                 const std::string name = machine.toString(argument(arguments, 0));
                 for (const std::string& key : object->ownKeys(machine)) {
                     if (machine.sameName(key, name)) {
                         return Value(true);
                     }
                 }
                 return Value(false);
             });
    m.method(prototype, "isPrototypeOf", [](Machine&, const Value& self, Arguments& arguments) {
        Object* object = argument(arguments, 0).asObject();
        int guard = 0;
        for (Object* p = object ? object->prototype() : nullptr; p && guard < 256;
             p = p->prototype(), ++guard) {
            if (p == self.asObject()) {
                return Value(true);
            }
        }
        return Value(false);
    });
    m.method(prototype, "toString", [](Machine&, const Value& self, Arguments&) {
        Object* object = self.asObject();
        return Value(object && object->isFunction() ? "[type Function]" : "[object Object]");
    });
    m.method(prototype, "toLocaleString",
             [](Machine&, const Value&, Arguments&) { return Value("[object Object]"); });
    m.method(prototype, "valueOf", [](Machine&, const Value& self, Arguments&) { return self; });
    m.method(prototype, "addProperty",
             [](Machine& machine, const Value& self, Arguments& arguments) {
                 Object* object = self.asObject();
                 const std::string name = machine.toString(argument(arguments, 0));
                 auto* getter = dynamic_cast<Function*>(argument(arguments, 1).asObject());
                 auto* setter = dynamic_cast<Function*>(argument(arguments, 2).asObject());
                 if (!object || name.empty() || !getter) {
                     return Value(false);
                 }
                 object->defineAccessor(machine, name, getter, setter);
                 return Value(true);
             });
    m.method(prototype, "watch", [](Machine&, const Value&, Arguments&) { return Value(false); });
    m.method(prototype, "unwatch", [](Machine&, const Value&, Arguments&) { return Value(false); });
    m.method(constructor, "registerClass",
             [](Machine& machine, const Value&, Arguments& arguments) {
                 if (machine.stage()) {
                     machine.stage()->registerClass(machine.toString(argument(arguments, 0)),
                                                    argument(arguments, 1).asObject());
                 }
                 return Value(true);
             });
}

} // namespace quorvane::player::avm1
