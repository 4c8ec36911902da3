// Control flow and functions: jumps and branches, try and with blocks,
// function definitions and calls.

#include "player/avm1/InterpreterState.h"

#include <optional>

namespace quorvane::player::avm1 {

using swf::ActionCode;

Flow Interpreter::runControlAction(ActionCode code, std::span<const std::uint8_t> data,
                                   swf::BitReader& reader, std::size_t& pc, std::size_t end,
                                   Completion& completion)
{
    switch (code) {
    case ActionCode::Jump: {
        const std::int16_t offset = reader.readS16();
        const std::int64_t target = std::int64_t(pc) + offset;
        pc = target < 0 ? a.code.size() : std::size_t(target);
        break;
    }
    case ActionCode::If: {
        const std::int16_t offset = reader.readS16();
        if (m.toBoolean(pop())) {
            const std::int64_t target = std::int64_t(pc) + offset;
            pc = target < 0 ? a.code.size() : std::size_t(target);
        }
        break;
    }
    case ActionCode::CallFunction:
        callFunction();
        break;
    case ActionCode::CallMethod:
        callMethod();
        break;
    case ActionCode::Return:
        m_returned = pop();
        completion = Completion{Exit::Return, 0};
        return Flow::Leave;
    case ActionCode::DefineFunction:
        defineFunction(data, false, pc, end);
        break;
    case ActionCode::DefineFunction2:
        defineFunction(data, true, pc, end);
        break;
    case ActionCode::Try:
        if (!followBlock(tryBlock(data, pc, end), pc, completion)) {
            return Flow::Leave;
        }
        break;
    case ActionCode::With:
        if (!followBlock(withBlock(data, pc, end), pc, completion)) {
            return Flow::Leave;
        }
        break;
    case ActionCode::Throw:
        throw ScriptThrow{pop()};
    default:
        return Flow::NotControl;
    }
    return Flow::Next;
}

bool Interpreter::followBlock(const Completion& inner, std::size_t& pc, Completion& completion)
{
    if (inner.exit == Exit::Return) {
        completion = inner;
        return false;
    }
    if (inner.exit == Exit::Jump) {
        pc = inner.jumpTarget;
    }
    return true;
}

void Interpreter::callFunction()
{
    const std::string name = popString();
    Arguments arguments = popArguments();
    const Value function = getVariable(m, a, name);
    Value thisValue = a.target ? Value(static_cast<Object*>(a.target)) : Value();
    // A clip's method reached through the scope, as with (clip) { lineTo(...) }
    // does, acts on that clip.
    if (name.find_first_of(":/.") == std::string::npos) {
        const auto holder = std::find_if(a.scope.rbegin(), a.scope.rend(),
                                         [&](Object* scope) { return scope->has(m, name); });
        if (holder != a.scope.rend() && dynamic_cast<Clip*>(*holder)) {
            thisValue = Value(*holder);
        }
    }
    push(m.call(function.asObject(), thisValue, arguments));
}

void Interpreter::callMethod()
{
    const Value name = pop();
    const Value target = pop();
    Arguments arguments = popArguments();
    const std::string key = m.toString(name);
    Object* object = m.toObject(target);
    if (!object) {
        push(Value());
        return;
    }
    if (key.empty() || name.isUndefined()) {
        // No name: the target itself is the function.
        Value thisValue;
        if (auto* super = dynamic_cast<SuperObject*>(object)) {
            thisValue = super->self;
        }
        push(m.call(object, thisValue, arguments));
        return;
    }
    Value thisValue = target;
    if (auto* super = dynamic_cast<SuperObject*>(object)) {
        thisValue = super->self;
    }
    const Value function = object->get(m, key);
    push(m.call(function.asObject(), thisValue, arguments));
}

void Interpreter::defineFunction(std::span<const std::uint8_t> data, bool function2,
                                 std::size_t& pc, std::size_t end)
{
    swf::BitReader reader(data);
    auto* function = m.make<ScriptFunction>(m.functionPrototype);
    function->name = readString(reader);
    const std::uint16_t count = reader.readU16();
    function->isFunction2 = function2;
    if (function2) {
        function->registerCount = reader.readU8();
        function->flags = reader.readU16();
    }
    for (std::uint16_t i = 0; i < count && !reader.overflowed(); ++i) {
        ScriptFunction::Parameter parameter;
        if (function2) {
            parameter.reg = reader.readU8();
        }
        parameter.name = readString(reader);
        function->parameters.push_back(std::move(parameter));
    }
    const std::size_t size = reader.readU16();
    const std::size_t bodySize = std::min(size, a.code.size() - std::min(pc, a.code.size()));
    function->code = a.code.subspan(std::min(pc, a.code.size()), bodySize);
    pc += bodySize;
    (void)end;
    function->constants = a.constants;
    function->codeVersion = a.codeVersion;
    function->definedOn = a.original;
    // SWF 5 functions see only their timeline, not the function they were
    // defined in.
    if (m.version() >= 6) {
        function->scope = a.scope;
    } else if (!a.scope.empty()) {
        function->scope = {a.scope.front()};
    }
    Object* prototype = m.newObject();
    prototype->define(m, "constructor", Value(static_cast<Object*>(function)), kDontEnum);
    function->define(m, "prototype", Value(prototype), kDontEnum);
    if (function->name.empty()) {
        push(Value(static_cast<Object*>(function)));
    } else if (a.locals && a.isFunction) {
        a.locals->set(m, function->name, Value(static_cast<Object*>(function)));
    } else if (!a.scope.empty()) {
        a.scope.front()->set(m, function->name, Value(static_cast<Object*>(function)));
    }
}

Completion Interpreter::tryBlock(std::span<const std::uint8_t> data, std::size_t& pc,
                                 std::size_t end)
{
    swf::BitReader reader(data);
    const std::uint8_t flags = reader.readU8();
    const std::size_t trySize = reader.readU16();
    const std::size_t catchSize = reader.readU16();
    const std::size_t finallySize = reader.readU16();
    const bool catchInRegister = flags & 4;
    std::string catchName;
    std::uint8_t catchRegister = 0;
    if (catchInRegister) {
        catchRegister = reader.readU8();
    } else {
        catchName = readString(reader);
    }
    const std::size_t tryBegin = pc;
    const std::size_t catchBegin = std::min(tryBegin + trySize, a.code.size());
    const std::size_t finallyBegin = std::min(catchBegin + catchSize, a.code.size());
    const std::size_t after = std::min(finallyBegin + finallySize, a.code.size());
    (void)end;
    pc = after;

    Completion completion;
    std::optional<ScriptThrow> pending;
    const std::size_t stackDepth = m_stack.size();
    try {
        completion = runRange(tryBegin, catchBegin);
    } catch (ScriptThrow& thrown) {
        m_stack.resize(std::min(m_stack.size(), stackDepth));
        if ((flags & 1) && catchSize > 0) {
            if (catchInRegister) {
                if (catchRegister < a.registers.size()) {
                    a.registers[catchRegister] = thrown.value;
                }
            } else if (a.locals) {
                a.locals->set(m, catchName, thrown.value);
            }
            try {
                completion = runRange(catchBegin, finallyBegin);
            } catch (ScriptThrow& again) {
                pending = again;
            }
        } else {
            pending = thrown;
        }
    }
    if ((flags & 2) && finallySize > 0) {
        const Value returned = m_returned;
        const Completion finallyCompletion = runRange(finallyBegin, after);
        if (finallyCompletion.exit != Exit::End) {
            return finallyCompletion;
        }
        m_returned = returned;
    }
    if (pending) {
        throw *pending;
    }
    if (completion.exit == Exit::Jump && completion.jumpTarget == catchBegin) {
        return Completion{};
    }
    if (completion.exit == Exit::Jump &&
        (completion.jumpTarget == finallyBegin || completion.jumpTarget == after)) {
        return Completion{};
    }
    return completion;
}

Completion Interpreter::withBlock(std::span<const std::uint8_t> data, std::size_t& pc,
                                  std::size_t end)
{
    swf::BitReader reader(data);
    const std::size_t size = reader.readU16();
    Object* object = m.toObject(pop());
    const std::size_t begin = pc;
    const std::size_t blockEnd = std::min(begin + size, a.code.size());
    (void)end;
    pc = blockEnd;
    if (!object) {
        return Completion{Exit::Jump, blockEnd};
    }
    a.scope.push_back(object);
    Completion completion;
    try {
        completion = runRange(begin, blockEnd);
    } catch (...) {
        a.scope.pop_back();
        throw;
    }
    a.scope.pop_back();
    if (completion.exit == Exit::Jump && completion.jumpTarget == blockEnd) {
        return Completion{};
    }
    return completion;
}

} // namespace quorvane::player::avm1
