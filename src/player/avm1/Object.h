#pragma once

#include "player/avm1/Value.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::player::avm1 {

class Machine;
class Function;

// ASSetPropFlags' bits. The version bits hide a property from movies of
// the versions they name, though for-in still lists it.
enum PropertyFlag : std::uint16_t {
    kDontEnum = 1,
    kDontDelete = 2,
    kReadOnly = 4,
    kFromSwf6 = 0x80,
    kNotInSwf6 = 0x100,
    kFromSwf7 = 0x400,
    kFromSwf8 = 0x1000,
    kFromSwf9 = 0x2000,
    kFromSwf10 = 0x4000,
    kKnownPropertyFlags = kDontEnum | kDontDelete | kReadOnly | kFromSwf6 | kNotInSwf6 | kFromSwf7 |
                          kFromSwf8 | kFromSwf9 | kFromSwf10,
};

// Whether the version bits among flags hide a property from a movie of
// the given version.
bool hiddenFromVersion(std::uint16_t flags, int version);

struct Property {
    std::string name;
    Value value;
    // Set by addProperty: reading calls the getter, writing the setter.
    Function* getter = nullptr;
    Function* setter = nullptr;
    std::uint16_t flags = 0;
};

using Arguments = std::vector<Value>;

// A script object: named properties in the order they were made, and a
// prototype. Subclasses add the properties that live elsewhere (a clip's
// position, an array's elements) through the virtual hooks.
class Object {
public:
    explicit Object(Object* prototype = nullptr) : m_prototype(prototype) {}
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    Object* prototype() const { return m_prototype; }
    void setPrototype(Object* prototype) { m_prototype = prototype; }

    // Along the prototype chain, getters called with this object as `this`.
    Value get(Machine& machine, std::string_view name);
    // Setters found along the chain take the value; otherwise it lands here.
    void set(Machine& machine, std::string_view name, const Value& value);
    bool has(Machine& machine, std::string_view name);
    bool hasOwn(Machine& machine, std::string_view name);
    // False when the property is missing or may not be deleted.
    virtual bool remove(Machine& machine, std::string_view name);
    // Defines an own property without consulting setters.
    void define(Machine& machine, std::string_view name, const Value& value,
                std::uint16_t flags = 0);
    void defineAccessor(Machine& machine, std::string_view name, Function* getter,
                        Function* setter);
    // Own enumerable names, newest first as Flash lists them.
    virtual std::vector<std::string> ownKeys(Machine& machine);
    // Own names, hidden ones too.
    std::vector<std::string> allOwnNames() const;
    // ASSetPropFlags on one own property.
    void setFlags(Machine& machine, std::string_view name, std::uint16_t set, std::uint16_t clear);

    virtual bool isFunction() const { return false; }
    // Dates turn into their text where other objects give their value.
    virtual bool isDate() const { return false; }
    // typeof's answer.
    virtual const char* typeName() const { return "object"; }
    // The primitive a Boolean, Number or String object wraps.
    Value primitive;
    bool hasPrimitive() const { return !primitive.isUndefined(); }

protected:
    // Properties a subclass keeps itself; nullopt when it has none by that name.
    virtual std::optional<Value> getSpecial(Machine&, std::string_view) { return std::nullopt; }
    virtual bool setSpecial(Machine&, std::string_view, const Value&) { return false; }

    // Skips what the movie's version may not see.
    Property* findOwn(Machine& machine, std::string_view name);

private:
    Property* findAny(Machine& machine, std::string_view name);

    Object* m_prototype = nullptr;
    // __proto__ is an own property of every object that has a prototype,
    // hidden and permanent until a script says otherwise.
    std::uint16_t m_prototypeFlags = kDontEnum | kDontDelete;
    // What a script set __proto__ to when it set no object: it reads back,
    // though lookups no longer go past this object.
    Value m_nonObjectPrototype;
    std::vector<Property> m_properties;
};

// A callable object; `prototype` is the object instances made by `new` inherit.
class Function : public Object {
public:
    using Object::Object;

    bool isFunction() const override { return true; }
    const char* typeName() const override { return "function"; }

    virtual Value call(Machine& machine, const Value& thisValue, Arguments& arguments) = 0;
    // `new`: an object inheriting from this function's prototype, on which
    // the function runs; an object the function returns replaces it.
    virtual Value construct(Machine& machine, Arguments& arguments);
};

class NativeFunction : public Function {
public:
    using Body = std::function<Value(Machine&, const Value& thisValue, Arguments& arguments)>;

    NativeFunction(Object* prototype, Body body, Body constructor = {})
        : Function(prototype), m_body(std::move(body)), m_constructor(std::move(constructor))
    {
    }

    Value call(Machine& machine, const Value& thisValue, Arguments& arguments) override
    {
        return m_body(machine, thisValue, arguments);
    }
    Value construct(Machine& machine, Arguments& arguments) override;

private:
    Body m_body;
    // Built-in classes whose instances are not plain objects (Array, Date)
    // make their own.
    Body m_constructor;
};

// An array: its elements in a vector, with `length` and the index names
// mapped onto it.
class ArrayObject : public Object {
public:
    using Object::Object;

    std::vector<Value> elements;

    bool remove(Machine& machine, std::string_view name) override;
    std::vector<std::string> ownKeys(Machine& machine) override;

protected:
    std::optional<Value> getSpecial(Machine& machine, std::string_view name) override;
    bool setSpecial(Machine& machine, std::string_view name, const Value& value) override;
};

// An index written as a name ("0", "12"), or nullopt.
std::optional<std::size_t> arrayIndex(std::string_view name);

} // namespace quorvane::player::avm1
