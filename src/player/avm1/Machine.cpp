#include "player/avm1/Machine.h"

#include "player/avm1/Builtins.h"
#include "player/avm1/Clip.h"
#include "player/avm1/ScriptFunction.h"
#include "player/avm1/Utf8.h"

#include <cctype>
#include <cmath>
#include <limits>

namespace quorvane::player::avm1 {

namespace {

// `super` stands for the object it was made for: a method reached through it,
// valueOf and toString too, runs on that object.
Value receiverOf(Object* object)
{
    if (auto* super = dynamic_cast<SuperObject*>(object)) {
        return super->self;
    }
    return Value(object);
}

} // namespace

Machine::Machine(int swfVersion, ScriptHost& host) : Machine(swfVersion, host, Limits{}) {}

Machine::Machine(int swfVersion, ScriptHost& host, Limits limits)
    : m_version(swfVersion), m_host(host), m_limits(limits)
{
    objectPrototype = make<Object>(nullptr);
    functionPrototype = make<Object>(objectPrototype);
    m_global = make<Object>(nullptr);
    installBuiltins(*this);
}

Machine::~Machine() = default;

void Machine::adopt(std::unique_ptr<Object> object)
{
    if (m_heap.size() >= m_limits.maxObjects && !m_halted) {
        m_heap.push_back(std::move(object));
        halt("a script made too many objects");
    }
    m_heap.push_back(std::move(object));
}

bool Machine::sameName(std::string_view a, std::string_view b) const
{
    return m_version >= 7 ? a == b : equalIgnoringCase(a, b);
}

Object* Machine::newObject(Object* prototype)
{
    return make<Object>(prototype);
}

ArrayObject* Machine::newArray(std::vector<Value> elements)
{
    ArrayObject* array = make<ArrayObject>(arrayPrototype);
    array->elements = std::move(elements);
    return array;
}

NativeFunction* Machine::newFunction(NativeFunction::Body body, NativeFunction::Body constructor)
{
    auto* function =
        make<NativeFunction>(functionPrototype, std::move(body), std::move(constructor));
    if (m_functionClass) {
        function->define(*this, "constructor", Value(m_functionClass), kDontEnum | kDontDelete);
    }
    return function;
}

void Machine::setFunctionClass(Object* function)
{
    m_functionClass = function;
    for (const auto& object : m_heap) {
        if (auto* native = dynamic_cast<NativeFunction*>(object.get())) {
            native->define(*this, "constructor", Value(function), kDontEnum | kDontDelete);
        }
    }
}

void Machine::method(Object* object, std::string_view name, NativeFunction::Body body)
{
    object->define(*this, name, Value(newFunction(std::move(body))), kDontEnum);
}

NativeFunction* Machine::newClass(Object* prototype, NativeFunction::Body body,
                                  NativeFunction::Body constructor)
{
    NativeFunction* function = newFunction(std::move(body), std::move(constructor));
    // A built-in class and its prototype point at each other through
    // properties that are hidden and cannot be deleted.
    function->define(*this, "prototype", Value(prototype), kDontEnum | kDontDelete);
    prototype->define(*this, "constructor", Value(function), kDontEnum | kDontDelete);
    return function;
}

double Machine::toNumber(const Value& value)
{
    if (value.isNumber()) {
        return value.asNumber();
    }
    if (value.isBool()) {
        return value.asBool() ? 1.0 : 0.0;
    }
    if (value.isString()) {
        return stringToNumber(value.asString(), m_version);
    }
    if (value.isNullish()) {
        return m_version >= 7 ? std::numeric_limits<double>::quiet_NaN() : 0.0;
    }
    Object* object = value.asObject();
    if (object->hasPrimitive()) {
        return toNumber(object->primitive);
    }
    // An object without valueOf (_global has no prototype) counts as
    // undefined; one whose valueOf gives an object is not a number.
    Object* valueOf = object->get(*this, "valueOf").asObject();
    if (!valueOf || !valueOf->isFunction()) {
        return toNumber(Value());
    }
    Arguments none;
    const Value primitive = call(valueOf, value, none);
    if (primitive.isObject()) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return toNumber(primitive);
}

std::string Machine::toString(const Value& value)
{
    if (value.isString()) {
        return value.asString();
    }
    if (value.isNumber()) {
        return numberToString(value.asNumber());
    }
    if (value.isBool()) {
        if (m_version < 5) {
            return value.asBool() ? "1" : "0";
        }
        return value.asBool() ? "true" : "false";
    }
    if (value.isUndefined()) {
        return m_version >= 7 ? "undefined" : "";
    }
    if (value.isNull()) {
        return "null";
    }
    return objectText(value.asObject());
}

bool Machine::toBoolean(const Value& value)
{
    if (value.isBool()) {
        return value.asBool();
    }
    if (value.isNumber()) {
        const double number = value.asNumber();
        return number != 0 && !std::isnan(number);
    }
    if (value.isString()) {
        if (m_version >= 7) {
            return !value.asString().empty();
        }
        const double number = stringToNumber(value.asString(), m_version);
        return number != 0 && !std::isnan(number);
    }
    return value.isObject();
}

Value Machine::toPrimitive(const Value& value)
{
    Object* object = value.asObject();
    if (!object) {
        return value;
    }
    if (object->isDate()) {
        return Value(objectText(object));
    }
    if (object->hasPrimitive()) {
        return object->primitive;
    }
    // valueOf alone: Flash does not fall back on toString here. An object
    // with neither (one without a prototype) has no primitive: undefined.
    Object* valueOf = object->get(*this, "valueOf").asObject();
    if (!valueOf || !valueOf->isFunction()) {
        Object* toStringMethod = object->get(*this, "toString").asObject();
        return toStringMethod && toStringMethod->isFunction() ? value : Value();
    }
    Arguments none;
    return call(valueOf, receiverOf(object), none);
}

std::string Machine::objectText(Object* object)
{
    // A display object is written as its path.
    if (const auto* clip = dynamic_cast<const Clip*>(object); clip && !clip->removed) {
        return clip->dotPath();
    }
    if (object->hasPrimitive() && !object->isDate()) {
        return toString(object->primitive);
    }
    Object* toStringMethod = object->get(*this, "toString").asObject();
    if (!toStringMethod || !toStringMethod->isFunction()) {
        if (object->isFunction()) {
            return "[type Function]";
        }
        // An object cut off from every prototype reads as undefined.
        return object->has(*this, "toString") ? "[type Object]" : toString(Value());
    }
    Arguments none;
    const Value text = call(toStringMethod, receiverOf(object), none);
    if (text.isString()) {
        return text.asString();
    }
    // Anything but a string is not believed, save a display object, which
    // stands for its path.
    if (const auto* clip = dynamic_cast<const Clip*>(text.asObject()); clip && !clip->removed) {
        return clip->dotPath();
    }
    return "[type Object]";
}

Object* Machine::toObject(const Value& value)
{
    if (Object* object = value.asObject()) {
        return object;
    }
    Object* prototype = nullptr;
    if (value.isString()) {
        prototype = stringPrototype;
    } else if (value.isNumber()) {
        prototype = numberPrototype;
    } else if (value.isBool()) {
        prototype = booleanPrototype;
    } else {
        return nullptr;
    }
    Object* wrapper = newObject(prototype);
    wrapper->primitive = value;
    return wrapper;
}

std::int32_t Machine::toInt32(const Value& value)
{
    const double number = toNumber(value);
    if (!std::isfinite(number)) {
        return 0;
    }
    const double wrapped = std::fmod(std::trunc(number), 4294967296.0);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(
        static_cast<std::int64_t>(wrapped < 0 ? wrapped + 4294967296.0 : wrapped)));
}

bool Machine::strictEquals(const Value& a, const Value& b)
{
    if (a.isNumber() && b.isNumber()) {
        // Flash's === finds NaN equal to itself.
        return a.asNumber() == b.asNumber() ||
               (std::isnan(a.asNumber()) && std::isnan(b.asNumber()));
    }
    return a == b;
}

bool Machine::looseEquals(const Value& a, const Value& b)
{
    if (a.isNullish() && b.isNullish()) {
        return true;
    }
    if (a.isNullish() || b.isNullish()) {
        // An object with neither valueOf nor toString (_global) has no
        // primitive but undefined, and so equals undefined and null.
        Object* other = (a.isNullish() ? b : a).asObject();
        const auto callable = [&](std::string_view name) {
            Object* method = other->get(*this, name).asObject();
            return method && method->isFunction();
        };
        return other && !other->hasPrimitive() && !other->isDate() && !callable("valueOf") &&
               !callable("toString");
    }
    if (a.isObject() && b.isObject()) {
        return a.asObject() == b.asObject();
    }
    if (a.isNumber() && b.isNumber()) {
        return a.asNumber() == b.asNumber();
    }
    if (a.isString() && b.isString()) {
        return a.asString() == b.asString();
    }
    if (a.isBool() && b.isBool()) {
        return a.asBool() == b.asBool();
    }
    if (a.isBool()) {
        return looseEquals(Value(a.asBool() ? 1.0 : 0.0), b);
    }
    if (b.isBool()) {
        return looseEquals(a, Value(b.asBool() ? 1.0 : 0.0));
    }
    if (a.isObject()) {
        const Value primitive = toPrimitive(a);
        return !primitive.isObject() && looseEquals(primitive, b);
    }
    if (b.isObject()) {
        const Value primitive = toPrimitive(b);
        return !primitive.isObject() && looseEquals(a, primitive);
    }
    return toNumber(a) == toNumber(b);
}

Value Machine::lessThan(const Value& a, const Value& b)
{
    // A display object compares as no number; an object without valueOf
    // (_global) as undefined.
    const auto primitiveOf = [this](const Value& value) {
        Value primitive = toPrimitive(value);
        if (Object* object = primitive.asObject()) {
            if (dynamic_cast<const Clip*>(object)) {
                return Value(std::numeric_limits<double>::quiet_NaN());
            }
            const Object* valueOf = object->get(*this, "valueOf").asObject();
            if (!valueOf || !valueOf->isFunction()) {
                return Value();
            }
        }
        return primitive;
    };
    // An object whose valueOf gives an object is less than nothing and
    // nothing is less than it; the right side goes unasked then.
    const Value left = primitiveOf(a);
    if (left.isObject()) {
        return Value(false);
    }
    const Value right = primitiveOf(b);
    if (right.isObject()) {
        return Value(false);
    }
    if (left.isString() && right.isString()) {
        return Value(left.asString() < right.asString());
    }
    const double x = toNumber(left);
    const double y = toNumber(right);
    if (std::isnan(x) || std::isnan(y)) {
        return Value();
    }
    return Value(x < y);
}

std::string Machine::typeOf(const Value& value)
{
    if (value.isUndefined()) {
        return "undefined";
    }
    if (value.isNull()) {
        return "null";
    }
    if (value.isBool()) {
        return "boolean";
    }
    if (value.isNumber()) {
        return "number";
    }
    if (value.isString()) {
        return "string";
    }
    return value.asObject()->typeName();
}

std::string Machine::traceText(const Value& value)
{
    if (value.isUndefined()) {
        return "undefined";
    }
    return toString(value);
}

Value Machine::call(Object* function, const Value& thisValue, Arguments& arguments)
{
    if (!function || !function->isFunction()) {
        return Value();
    }
    const CallLevel level(*this);
    return static_cast<Function*>(function)->call(*this, thisValue, arguments);
}

Value Machine::callMethod(const Value& target, std::string_view name, Arguments& arguments)
{
    Object* object = toObject(target);
    if (!object) {
        return Value();
    }
    return call(object->get(*this, name).asObject(), target, arguments);
}

void Machine::enterCall()
{
    if (++m_callDepth > m_limits.maxCallDepth) {
        --m_callDepth;
        halt("scripts recursed deeper than 256 calls");
    }
}

void Machine::halt(const std::string& reason)
{
    m_halted = true;
    throw ScriptHalt{reason};
}

void Machine::append(std::string& text, std::string_view more)
{
    if (more.size() > kMaxStringBytes - std::min(text.size(), kMaxStringBytes)) {
        halt("a script made a string longer than " + std::to_string(kMaxStringBytes >> 20) + " MB");
    }
    text += more;
}

void Machine::reportHalt(const ScriptHalt& halt)
{
    m_halted = true;
    if (!m_haltReported) {
        m_haltReported = true;
        m_host.scriptsHalted(halt.reason);
    }
}

std::uint32_t Machine::random()
{
    m_randomState = m_randomState * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(m_randomState >> 33);
}

double Machine::millisecondsSinceStart() const
{
    return m_clock;
}

} // namespace quorvane::player::avm1
