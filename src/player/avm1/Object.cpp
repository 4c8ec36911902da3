#include "player/avm1/Object.h"

#include "player/avm1/Machine.h"

#include <algorithm>
#include <charconv>

namespace quorvane::player::avm1 {

namespace {

// Prototype chains are ordinary data that scripts can make circular.
constexpr int kMaxChain = 256;

} // namespace

bool hiddenFromVersion(std::uint16_t flags, int version)
{
    return ((flags & kFromSwf6) && version < 6) || ((flags & kNotInSwf6) && version == 6) ||
           ((flags & kFromSwf7) && version < 7) || ((flags & kFromSwf8) && version < 8) ||
           ((flags & kFromSwf9) && version < 9) || ((flags & kFromSwf10) && version < 10);
}

Property* Object::findOwn(Machine& machine, std::string_view name)
{
    Property* property = findAny(machine, name);
    return property && hiddenFromVersion(property->flags, machine.version()) ? nullptr : property;
}

Property* Object::findAny(Machine& machine, std::string_view name)
{
    for (Property& property : m_properties) {
        if (machine.sameName(property.name, name)) {
            return &property;
        }
    }
    return nullptr;
}

Value Object::get(Machine& machine, std::string_view name)
{
    if (name == "__proto__") {
        return m_prototype ? Value(m_prototype) : m_nonObjectPrototype;
    }
    Object* object = this;
    for (int i = 0; object && i < kMaxChain; ++i, object = object->m_prototype) {
        if (auto special = object->getSpecial(machine, name)) {
            return *special;
        }
        if (Property* property = object->findOwn(machine, name)) {
            if (property->getter) {
                Arguments none;
                return machine.call(property->getter, Value(this), none);
            }
            if (property->setter) {
                return Value();
            }
            return property->value;
        }
    }
    return Value();
}

void Object::set(Machine& machine, std::string_view name, const Value& value)
{
    if (name == "__proto__") {
        if (!(m_prototypeFlags & kReadOnly)) {
            m_prototype = value.asObject();
            m_nonObjectPrototype = m_prototype ? Value() : value;
        }
        return;
    }
    if (setSpecial(machine, name, value)) {
        return;
    }
    if (Property* own = findOwn(machine, name)) {
        if (own->setter) {
            Arguments arguments{value};
            machine.call(own->setter, Value(this), arguments);
        } else if (!own->getter && !(own->flags & kReadOnly)) {
            own->value = value;
        }
        return;
    }
    Object* object = m_prototype;
    for (int i = 0; object && i < kMaxChain; ++i, object = object->m_prototype) {
        if (Property* inherited = object->findOwn(machine, name)) {
            if (inherited->setter) {
                Arguments arguments{value};
                machine.call(inherited->setter, Value(this), arguments);
                return;
            }
            if (inherited->getter) {
                return;
            }
            break;
        }
    }
    m_properties.push_back(Property{std::string(name), value, nullptr, nullptr, 0});
}

bool Object::has(Machine& machine, std::string_view name)
{
    Object* object = this;
    for (int i = 0; object && i < kMaxChain; ++i, object = object->m_prototype) {
        if (object->hasOwn(machine, name)) {
            return true;
        }
    }
    return false;
}

bool Object::hasOwn(Machine& machine, std::string_view name)
{
    if (name == "__proto__") {
        return m_prototype != nullptr || !m_nonObjectPrototype.isUndefined();
    }
    return findOwn(machine, name) != nullptr || getSpecial(machine, name).has_value();
}

bool Object::remove(Machine& machine, std::string_view name)
{
    if (name == "__proto__") {
        if (!hasOwn(machine, name) || (m_prototypeFlags & kDontDelete)) {
            return false;
        }
        m_prototype = nullptr;
        m_nonObjectPrototype = Value();
        return true;
    }
    const auto found =
        std::find_if(m_properties.begin(), m_properties.end(), [&](const Property& property) {
            return machine.sameName(property.name, name);
        });
    if (found == m_properties.end() || (found->flags & kDontDelete)) {
        return false;
    }
    m_properties.erase(found);
    return true;
}

void Object::define(Machine& machine, std::string_view name, const Value& value,
                    std::uint16_t flags)
{
    if (Property* own = findAny(machine, name)) {
        own->value = value;
        own->getter = nullptr;
        own->setter = nullptr;
        own->flags = flags;
        return;
    }
    m_properties.push_back(Property{std::string(name), value, nullptr, nullptr, flags});
}

void Object::defineAccessor(Machine& machine, std::string_view name, Function* getter,
                            Function* setter)
{
    if (Property* own = findAny(machine, name)) {
        own->getter = getter;
        own->setter = setter;
        return;
    }
    m_properties.push_back(Property{std::string(name), Value(), getter, setter, 0});
}

std::vector<std::string> Object::ownKeys(Machine& machine)
{
    std::vector<std::string> keys;
    for (auto it = m_properties.rbegin(); it != m_properties.rend(); ++it) {
        if (!(it->flags & kDontEnum)) {
            keys.push_back(it->name);
        }
    }
    if (hasOwn(machine, "__proto__") && !(m_prototypeFlags & kDontEnum)) {
        keys.push_back("__proto__");
    }
    return keys;
}

std::vector<std::string> Object::allOwnNames() const
{
    std::vector<std::string> names;
    if (m_prototype || !m_nonObjectPrototype.isUndefined()) {
        names.push_back("__proto__");
    }
    for (const Property& property : m_properties) {
        names.push_back(property.name);
    }
    return names;
}

void Object::setFlags(Machine& machine, std::string_view name, std::uint16_t set,
                      std::uint16_t clear)
{
    if (name == "__proto__") {
        m_prototypeFlags = std::uint16_t((m_prototypeFlags & ~clear) | set);
        return;
    }
    if (Property* own = findAny(machine, name)) {
        own->flags = std::uint16_t((own->flags & ~clear) | set);
    }
}

Value Function::construct(Machine& machine, Arguments& arguments)
{
    Object* instance = machine.newObject(get(machine, "prototype").asObject());
    instance->define(machine, "__constructor__", Value(this), kDontEnum);
    if (machine.version() < 7) {
        instance->define(machine, "constructor", Value(this), kDontEnum);
    }
    const Value result = call(machine, Value(instance), arguments);
    return result.isObject() ? result : Value(instance);
}

Value NativeFunction::construct(Machine& machine, Arguments& arguments)
{
    if (m_constructor) {
        return m_constructor(machine, Value(), arguments);
    }
    return Function::construct(machine, arguments);
}

std::optional<std::size_t> arrayIndex(std::string_view name)
{
    if (name.empty() || name.size() > 9 || (name.size() > 1 && name[0] == '0')) {
        return std::nullopt;
    }
    std::size_t index = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), index);
    if (error != std::errc() || end != name.data() + name.size()) {
        return std::nullopt;
    }
    return index;
}

std::optional<Value> ArrayObject::getSpecial(Machine&, std::string_view name)
{
    if (name == "length") {
        return Value(double(elements.size()));
    }
    if (const auto index = arrayIndex(name); index && *index < elements.size()) {
        return elements[*index];
    }
    return std::nullopt;
}

bool ArrayObject::setSpecial(Machine& machine, std::string_view name, const Value& value)
{
    if (name == "length") {
        const double length = machine.toNumber(value);
        if (length >= 0 && length <= Machine::kMaxArrayLength) {
            elements.resize(std::size_t(length));
        }
        return true;
    }
    if (const auto index = arrayIndex(name); index && *index < Machine::kMaxArrayLength) {
        if (*index >= elements.size()) {
            elements.resize(*index + 1);
        }
        elements[*index] = value;
        return true;
    }
    return false;
}

bool ArrayObject::remove(Machine& machine, std::string_view name)
{
    if (const auto index = arrayIndex(name); index && *index < elements.size()) {
        elements[*index] = Value();
        return true;
    }
    return Object::remove(machine, name);
}

std::vector<std::string> ArrayObject::ownKeys(Machine& machine)
{
    std::vector<std::string> keys = Object::ownKeys(machine);
    for (std::size_t i = elements.size(); i-- > 0;) {
        keys.push_back(std::to_string(i));
    }
    return keys;
}

} // namespace quorvane::player::avm1
