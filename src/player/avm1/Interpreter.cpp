#include "player/avm1/Interpreter.h"

#include "player/avm1/Clip.h"
#include "player/avm1/InterpreterState.h"
#include "player/avm1/LoadedMovie.h"
#include "player/avm1/Machine.h"

#include <algorithm>

namespace quorvane::player::avm1 {

namespace {

// The clips of a button's states go with the button, but Flash does not
// count them as unloaded timelines: their scripts run on.
bool partOfButton(const Clip* clip)
{
    for (const Clip* ancestor = clip->parent; ancestor; ancestor = ancestor->parent) {
        if (ancestor->isButton) {
            return true;
        }
    }
    return false;
}

} // namespace

Value Interpreter::run()
{
    m_stack = std::move(a.stack);
    const Completion completion = runRange(0, a.code.size());
    (void)completion;
    a.stack = std::move(m_stack);
    return m_returned;
}

Completion Interpreter::runRange(std::size_t begin, std::size_t end)
{
    std::size_t pc = begin;
    Completion completion;
    while (pc >= begin && pc < end) {
        if (!step(pc, begin, end, completion)) {
            return completion;
        }
    }
    if (pc != end && (pc < begin || pc > end)) {
        return Completion{Exit::Jump, pc};
    }
    return Completion{};
}

bool Interpreter::step(std::size_t& pc, std::size_t begin, std::size_t end, Completion& completion)
{
    (void)begin;
    m.spendAction();
    // A timeline script stops once its clip is unloaded under it (a goto
    // or removeMovieClip took it away); functions it called have returned.
    if (!a.isFunction && a.original && a.original->removed && !partOfButton(a.original)) {
        completion = Completion{};
        pc = end;
        return false;
    }
    const auto code = swf::ActionCode(a.code[pc]);
    ++pc;
    if (code == swf::ActionCode::End) {
        completion = Completion{};
        pc = end;
        return false;
    }
    std::span<const std::uint8_t> data;
    if (swf::hasBody(code)) {
        if (pc + 2 > a.code.size()) {
            pc = end;
            return false;
        }
        const std::size_t length = std::size_t(a.code[pc]) | std::size_t(a.code[pc + 1]) << 8;
        pc += 2;
        const std::size_t available = std::min(length, a.code.size() - pc);
        data = a.code.subspan(pc, available);
        pc += available;
    }
    swf::BitReader reader(data);

    // Codes no family knows are skipped, as Flash skips them.
    if (!runStackAction(code, reader) && !runMemberAction(code)) {
        const Flow flow = runControlAction(code, data, reader, pc, end, completion);
        if (flow == Flow::Leave) {
            return false;
        }
        if (flow == Flow::NotControl) {
            runTimelineAction(code, reader, pc);
        }
    }
    if (pc > end && pc != a.code.size()) {
        completion = Completion{Exit::Jump, pc};
        return false;
    }
    return true;
}

Value runCode(Machine& machine, Activation& activation)
{
    Interpreter interpreter(machine, activation);
    return interpreter.run();
}

void runScript(Machine& machine, Clip* clip, std::span<const std::uint8_t> code)
{
    if (machine.halted() || !clip || clip->removed) {
        return;
    }
    Activation activation;
    activation.code = code;
    activation.scope = {clip};
    activation.locals = clip;
    activation.target = clip;
    activation.original = clip;
    activation.codeVersion =
        clip->movie ? clip->movie->definition->header().version : machine.version();
    activation.thisValue = Value(static_cast<Object*>(clip));
    // Flash has one stack for all its scripts: what one frame script leaves
    // there the next one finds.
    activation.stack = machine.takeLeftovers();
    try {
        runCode(machine, activation);
        machine.keepLeftovers(std::move(activation.stack));
    } catch (const ScriptThrow&) {
        // Uncaught throws end the script that threw and nothing more.
    } catch (const ScriptHalt& halt) {
        machine.reportHalt(halt);
    }
}

Value ScriptFunction::call(Machine& machine, const Value& thisValue, Arguments& arguments)
{
    Activation activation;
    activation.code = code;
    activation.constants = constants;
    activation.isFunction = true;
    activation.callee = this;
    activation.codeVersion = codeVersion;
    activation.original = definedOn;
    activation.target = definedOn;
    activation.thisValue = thisValue;
    Object* locals = machine.newObject(nullptr);
    activation.scope = scope;
    // Without closures (SWF 5), a function called on a movie clip runs in
    // that clip's timeline rather than the one it was defined on.
    if (Clip* clip = dynamic_cast<Clip*>(thisValue.asObject());
        machine.version() < 6 && clip && clip->timeline) {
        activation.original = clip;
        activation.target = clip;
        activation.scope = {clip};
    }
    if (activation.scope.empty() && definedOn) {
        activation.scope.push_back(definedOn);
    }
    activation.scope.push_back(locals);
    activation.locals = locals;
    // A DefineFunction2 that declares no registers still gets the four every
    // other function has.
    activation.registers.assign(isFunction2 && registerCount > 0 ? registerCount : 4, Value());

    Object* argumentsObject = nullptr;
    // Suppressing `arguments` only keeps the name out of the locals: asked for
    // in a register as well, the function still gets it there.
    const bool wantsArguments =
        !isFunction2 || !(flags & kSuppressArguments) || (flags & kPreloadArguments);
    if (wantsArguments) {
        ArrayObject* list = machine.newArray(arguments);
        list->define(machine, "callee", Value(static_cast<Object*>(this)), kDontEnum);
        list->define(machine, "caller", Value(Null{}), kDontEnum);
        argumentsObject = list;
    }
    Object* superObject = nullptr;
    if (!isFunction2 || !(flags & kSuppressSuper)) {
        if (Object* self = thisValue.asObject()) {
            Object* base = self->prototype() ? self->prototype()->prototype() : nullptr;
            superObject = machine.make<SuperObject>(machine.functionPrototype, thisValue, base);
        }
    }
    if (!isFunction2) {
        if (argumentsObject) {
            locals->define(machine, "arguments", Value(argumentsObject));
        }
        if (superObject) {
            locals->define(machine, "super", Value(superObject));
        }
    } else {
        std::size_t next = 1;
        // Each flag asked for takes the next register, even when what it
        // names is not there.
        const auto preload = [&](std::uint16_t flag, Object* object) {
            if ((flags & flag) && next < activation.registers.size()) {
                Value& slot = activation.registers[next++];
                if (object) {
                    slot = Value(object);
                }
            }
        };
        Clip* base = definedOn;
        if ((flags & kPreloadThis) && next < activation.registers.size()) {
            // A suppressed `this` still takes its register, left undefined.
            Value& slot = activation.registers[next++];
            if (!(flags & kSuppressThis)) {
                slot = thisValue;
            }
        }
        // With `this` in a register or suppressed, the name means the
        // timeline the function was defined on.
        if (flags & (kPreloadThis | kSuppressThis)) {
            activation.thisValue = base ? Value(static_cast<Object*>(base)) : Value();
        }
        preload(kPreloadArguments, argumentsObject);
        preload(kPreloadSuper, superObject);
        preload(kPreloadRoot, base ? base->root() : nullptr);
        preload(kPreloadParent, base ? base->parent : nullptr);
        preload(kPreloadGlobal, machine.global());
        if (!(flags & kSuppressArguments) && !(flags & kPreloadArguments) && argumentsObject) {
            locals->define(machine, "arguments", Value(argumentsObject));
        }
        if (!(flags & kSuppressSuper) && !(flags & kPreloadSuper) && superObject) {
            locals->define(machine, "super", Value(superObject));
        }
    }
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        const Value argument = i < arguments.size() ? arguments[i] : Value();
        const Parameter& parameter = parameters[i];
        if (isFunction2 && parameter.reg != 0 && parameter.reg < activation.registers.size()) {
            activation.registers[parameter.reg] = argument;
        } else {
            locals->define(machine, parameter.name, argument);
        }
    }
    return runCode(machine, activation);
}

Value SuperObject::call(Machine& machine, const Value&, Arguments& arguments)
{
    if (!base) {
        return Value();
    }
    Object* constructor = base->get(machine, "__constructor__").asObject();
    if (!constructor) {
        constructor = base->get(machine, "constructor").asObject();
    }
    return machine.call(constructor, self, arguments);
}

std::optional<Value> SuperObject::getSpecial(Machine& machine, std::string_view name)
{
    if (!base) {
        return Value();
    }
    return base->get(machine, name);
}

} // namespace quorvane::player::avm1
