#include "player/avm1/Builtins.h"
#include "player/avm1/Machine.h"

#include <limits>

namespace quorvane::player::avm1 {

void installNumberClass(Machine& m)
{
    Object* prototype = m.newObject();
    prototype->primitive = Value(0.0);
    m.numberPrototype = prototype;
    NativeFunction* constructor = m.newClass(
        prototype,
        [](Machine& machine, const Value&, Arguments& arguments) {
            return Value(arguments.empty() ? 0.0 : machine.toNumber(arguments[0]));
        },
        [](Machine& machine, const Value&, Arguments& arguments) {
            Object* wrapper = machine.newObject(machine.numberPrototype);
            wrapper->primitive = Value(arguments.empty() ? 0.0 : machine.toNumber(arguments[0]));
            return Value(wrapper);
        });
    m.global()->define(m, "Number", Value(constructor), kDontEnum);
    constexpr std::uint8_t kConstant = kDontEnum | kDontDelete | kReadOnly;
    constructor->define(m, "MAX_VALUE", Value(std::numeric_limits<double>::max()), kConstant);
    constructor->define(m, "MIN_VALUE", Value(std::numeric_limits<double>::denorm_min()),
                        kConstant);
    constructor->define(m, "NaN", Value(std::numeric_limits<double>::quiet_NaN()), kConstant);
    constructor->define(m, "NEGATIVE_INFINITY", Value(-std::numeric_limits<double>::infinity()),
                        kConstant);
    constructor->define(m, "POSITIVE_INFINITY", Value(std::numeric_limits<double>::infinity()),
                        kConstant);

    m.method(prototype, "toString", [](Machine& machine, const Value& self, Arguments& arguments) {
        const double number = machine.toNumber(self);
        const Value radix = argument(arguments, 0);
        return Value(numberToString(number, radix.isUndefined() ? 10 : machine.toInt32(radix)));
    });
    m.method(prototype, "valueOf", [](Machine& machine, const Value& self, Arguments&) {
        return Value(machine.toNumber(self));
    });
}

} // namespace quorvane::player::avm1
