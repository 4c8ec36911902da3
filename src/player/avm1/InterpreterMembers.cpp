// Variables, members and objects: names looked up and set through the
// scope chain, objects made, listed, compared with their classes.

#include "player/avm1/InterpreterState.h"
#include "player/avm1/Stage.h"
#include "player/avm1/Utf8.h"

#include <cmath>

namespace quorvane::player::avm1 {

using swf::ActionCode;

bool Interpreter::runMemberAction(ActionCode code)
{
    switch (code) {
    case ActionCode::GetVariable: {
        const std::string name = popString();
        push(getVariable(m, a, name));
        break;
    }
    case ActionCode::SetVariable: {
        Value value = pop();
        const std::string name = popString();
        setVariable(m, a, name, value);
        break;
    }
    case ActionCode::DefineLocal: {
        Value value = pop();
        const std::string name = popString();
        if (a.locals) {
            a.locals->set(m, name, value);
        }
        break;
    }
    case ActionCode::DefineLocal2: {
        const std::string name = popString();
        if (a.locals && !a.locals->hasOwn(m, name)) {
            a.locals->set(m, name, Value());
        }
        break;
    }
    case ActionCode::Delete: {
        const std::string name = popString();
        Object* object = m.toObject(pop());
        pushTruth(object && object->remove(m, name));
        break;
    }
    case ActionCode::Delete2: {
        const std::string name = popString();
        bool removed = false;
        for (auto it = a.scope.rbegin(); it != a.scope.rend(); ++it) {
            if ((*it)->hasOwn(m, name)) {
                removed = (*it)->remove(m, name);
                break;
            }
        }
        if (!removed && m.global()->hasOwn(m, name)) {
            removed = m.global()->remove(m, name);
        }
        pushTruth(removed);
        break;
    }
    case ActionCode::GetMember:
        getMember();
        break;
    case ActionCode::SetMember:
        setMember();
        break;
    case ActionCode::NewObject:
        newObject();
        break;
    case ActionCode::NewMethod:
        newMethod();
        break;
    case ActionCode::InitArray: {
        const double count = popNumber();
        // A count the stack cannot hold makes nothing and takes nothing.
        if (count > double(m_stack.size())) {
            push(Value());
            break;
        }
        std::vector<Value> elements;
        const std::size_t n = count > 0 ? std::size_t(count) : 0;
        for (std::size_t i = 0; i < n; ++i) {
            elements.push_back(pop());
        }
        push(Value(m.newArray(std::move(elements))));
        break;
    }
    case ActionCode::InitObject: {
        const double count = popNumber();
        if (count > double(m_stack.size() / 2)) {
            push(Value());
            break;
        }
        Object* object = m.newObject();
        const std::size_t n = count > 0 ? std::size_t(count) : 0;
        std::vector<std::pair<std::string, Value>> members;
        for (std::size_t i = 0; i < n; ++i) {
            Value value = pop();
            members.emplace_back(popString(), std::move(value));
        }
        // Members are made as they come off the stack, the last written
        // first, so that for-in, newest first, lists them as written; a
        // name written twice keeps its last value. A new object already has
        // its __proto__; written here, that one too is set, so {__proto__: p}
        // inherits from p.
        bool prototypeWritten = false;
        for (const auto& [name, value] : members) {
            const bool isPrototype = m.sameName(name, "__proto__");
            if (isPrototype ? !prototypeWritten : !object->hasOwn(m, name)) {
                object->set(m, name, value);
                prototypeWritten = prototypeWritten || isPrototype;
            }
        }
        push(Value(object));
        break;
    }
    case ActionCode::Enumerate: {
        const std::string name = popString();
        enumerate(getVariable(m, a, name));
        break;
    }
    case ActionCode::Enumerate2:
        enumerate(pop());
        break;
    case ActionCode::InstanceOf: {
        Object* constructor = pop().asObject();
        const Value object = pop();
        push(Value(instanceOf(object, constructor)));
        break;
    }
    case ActionCode::CastOp: {
        const Value object = pop();
        Object* constructor = pop().asObject();
        push(instanceOf(object, constructor) ? object : Value(Null{}));
        break;
    }
    case ActionCode::ImplementsOp: {
        Object* constructor = pop().asObject();
        const std::size_t n = countOnStack(popNumber());
        std::vector<Value> interfaces;
        for (std::size_t i = 0; i < n; ++i) {
            interfaces.push_back(pop());
        }
        if (constructor) {
            if (Object* prototype = constructor->get(m, "prototype").asObject()) {
                prototype->define(m, "__implements__", Value(m.newArray(std::move(interfaces))),
                                  kDontEnum);
            }
        }
        break;
    }
    case ActionCode::Extends: {
        Object* superclass = pop().asObject();
        Object* subclass = pop().asObject();
        if (subclass && superclass) {
            Object* prototype = m.newObject(superclass->get(m, "prototype").asObject());
            prototype->define(m, "__constructor__", Value(superclass), kDontEnum);
            if (m.version() < 7) {
                prototype->define(m, "constructor", Value(superclass), kDontEnum);
            }
            subclass->set(m, "prototype", Value(prototype));
        }
        break;
    }
    default:
        return false;
    }
    return true;
}

void Interpreter::getMember()
{
    const Value name = pop();
    const Value target = pop();
    Object* object = m.toObject(target);
    if (!object) {
        push(Value());
        return;
    }
    const std::string key = m.toString(name);
    if (target.isString() && key == "length") {
        push(Value(double(utf8Length(target.asString()))));
        return;
    }
    push(object->get(m, key));
}

void Interpreter::setMember()
{
    Value value = pop();
    const Value name = pop();
    Object* object = pop().asObject();
    if (object) {
        object->set(m, m.toString(name), value);
    }
}

void Interpreter::newObject()
{
    const std::string name = popString();
    Arguments arguments = popArguments();
    Object* constructor = getVariable(m, a, name).asObject();
    if (!constructor || !constructor->isFunction()) {
        push(Value());
        return;
    }
    const Machine::CallLevel level(m);
    push(static_cast<Function*>(constructor)->construct(m, arguments));
}

void Interpreter::newMethod()
{
    const Value name = pop();
    const Value target = pop();
    Arguments arguments = popArguments();
    Object* object = m.toObject(target);
    const std::string key = m.toString(name);
    Object* constructor = object && !key.empty() ? object->get(m, key).asObject() : object;
    if (!constructor || !constructor->isFunction()) {
        push(Value());
        return;
    }
    const Machine::CallLevel level(m);
    push(static_cast<Function*>(constructor)->construct(m, arguments));
}

void Interpreter::enumerate(const Value& value)
{
    Object* object = value.asObject();
    // The end marker is undefined whether or not there is anything to list; compiled
    // for-in loops compare it with null loosely, but scripts that trace it see undefined.
    push(Value());
    std::vector<std::string> names;
    for (int guard = 0; object && guard < 256; ++guard, object = object->prototype()) {
        for (std::string& name : object->ownKeys(m)) {
            if (std::none_of(names.begin(), names.end(),
                             [&](const std::string& seen) { return m.sameName(seen, name); })) {
                names.push_back(std::move(name));
            }
        }
    }
    // The newest comes off first.
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        push(Value(std::move(*name)));
    }
}

bool Interpreter::instanceOf(const Value& value, Object* constructor)
{
    Object* object = value.asObject();
    if (!object || !constructor) {
        return false;
    }
    Object* prototype = constructor->get(m, "prototype").asObject();
    if (!prototype) {
        return false;
    }
    int guard = 0;
    for (Object* p = object->prototype(); p && guard < 256; p = p->prototype(), ++guard) {
        if (p == prototype) {
            return true;
        }
        const Value implemented = p->get(m, "__implements__");
        if (auto* list = dynamic_cast<ArrayObject*>(implemented.asObject())) {
            for (const Value& entry : list->elements) {
                if (Object* interface = entry.asObject()) {
                    if (interface->get(m, "prototype").asObject() == prototype) {
                        return true;
                    }
                }
            }
        }
    }
    return false;
}

namespace {

// "_level0", "_root", "_global", "this" and the like, which are no variables.
std::optional<Value> specialName(Machine& m, Activation& a, const std::string& name)
{
    if (m.sameName(name, "this")) {
        return a.thisValue;
    }
    if (m.sameName(name, "_global")) {
        return Value(m.global());
    }
    Clip* base = a.target ? a.target : a.original;
    if (m.sameName(name, "_root")) {
        return base ? Value(static_cast<Object*>(base->root())) : Value();
    }
    if (m.sameName(name, "_parent")) {
        return base && base->parent
                   ? Value(static_cast<Object*>(base->parent->seenFrom(m.version())))
                   : Value();
    }
    if (name.size() > 6 && m.sameName(name.substr(0, 6), "_level") && m.stage()) {
        const double level = stringToNumber(name.substr(6), m.version());
        if (!std::isnan(level)) {
            Clip* clip = m.stage()->level(int(level));
            return clip ? Value(static_cast<Object*>(clip)) : Value();
        }
    }
    return std::nullopt;
}

Value lookup(Machine& m, Activation& a, const std::string& name)
{
    for (auto it = a.scope.rbegin(); it != a.scope.rend(); ++it) {
        if ((*it)->has(m, name)) {
            return (*it)->get(m, name);
        }
    }
    if (auto special = specialName(m, a, name)) {
        return *special;
    }
    return m.global()->get(m, name);
}

} // namespace

Value getVariable(Machine& machine, Activation& activation, const std::string& name)
{
    if (name.find_first_of(":/.") == std::string::npos || !machine.stage()) {
        return lookup(machine, activation, name);
    }
    Clip* base = activation.target ? activation.target : activation.original;
    const std::size_t colon = name.find_last_of(':');
    if (colon != std::string::npos || name.find('/') != std::string::npos) {
        const std::string path = colon == std::string::npos ? name : name.substr(0, colon);
        Clip* clip = machine.stage()->resolvePath(base, path);
        if (colon == std::string::npos) {
            return clip ? Value(static_cast<Object*>(clip)) : Value();
        }
        return clip ? clip->get(machine, name.substr(colon + 1)) : Value();
    }
    // A dotted path: its first name is a variable, the rest members.
    std::size_t start = 0;
    std::size_t dot = name.find('.');
    Value value = lookup(machine, activation, name.substr(0, dot));
    while (dot != std::string::npos) {
        start = dot + 1;
        dot = name.find('.', start);
        Object* object = machine.toObject(value);
        if (!object) {
            return Value();
        }
        value =
            object->get(machine, name.substr(start, dot == std::string::npos ? dot : dot - start));
    }
    return value;
}

void setVariable(Machine& machine, Activation& activation, const std::string& name,
                 const Value& value)
{
    Clip* base = activation.target ? activation.target : activation.original;
    // A slash path names a variable only after a colon ("/a/b:x"); "a/b"
    // alone is an ordinary, if odd, variable name.
    const std::size_t colon = name.find_last_of(":.");
    if (colon != std::string::npos && machine.stage()) {
        const std::string path = name.substr(0, colon);
        Object* object = nullptr;
        if (name[colon] == '.' && path.find('/') == std::string::npos) {
            object = machine.toObject(getVariable(machine, activation, path));
        } else {
            object = machine.stage()->resolvePath(base, path);
        }
        if (object) {
            object->set(machine, name.substr(colon + 1), value);
        }
        return;
    }
    for (auto it = activation.scope.rbegin(); it != activation.scope.rend(); ++it) {
        if ((*it)->has(machine, name)) {
            (*it)->set(machine, name, value);
            return;
        }
    }
    if (!activation.scope.empty()) {
        activation.scope.front()->set(machine, name, value);
    }
}

} // namespace quorvane::player::avm1
