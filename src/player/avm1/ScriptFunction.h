#pragma once

#include "player/avm1/Object.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace quorvane::player::avm1 {

class Clip;

using ConstantPool = std::shared_ptr<const std::vector<std::string>>;

// A function a script defined with DefineFunction or DefineFunction2: its
// code, and the scope it was defined in. The code points into the movie's
// tags, which outlive the script engine.
class ScriptFunction : public Function {
public:
    struct Parameter {
        // DefineFunction2 may put a parameter straight into a register.
        std::uint8_t reg = 0;
        std::string name;
    };
    // DefineFunction2's preload and suppress flags.
    enum Flag : std::uint16_t {
        kPreloadThis = 1 << 0,
        kSuppressThis = 1 << 1,
        kPreloadArguments = 1 << 2,
        kSuppressArguments = 1 << 3,
        kPreloadSuper = 1 << 4,
        kSuppressSuper = 1 << 5,
        kPreloadRoot = 1 << 6,
        kPreloadParent = 1 << 7,
        kPreloadGlobal = 1 << 8,
    };

    using Function::Function;

    Value call(Machine& machine, const Value& thisValue, Arguments& arguments) override;

    std::string name;
    std::span<const std::uint8_t> code;
    std::vector<Parameter> parameters;
    bool isFunction2 = false;
    std::uint16_t flags = 0;
    std::uint8_t registerCount = 4;
    ConstantPool constants;
    // Outermost first; the clip the function was defined on comes first.
    std::vector<Object*> scope;
    Clip* definedOn = nullptr;
    // The version of the movie its code came from, which reads its strings.
    int codeVersion = 6;
};

// `super` inside a method: members come from the prototype above the one
// the method was found on, called with the method's own `this`.
class SuperObject : public Function {
public:
    SuperObject(Object* functionPrototype, Value self, Object* base)
        : Function(functionPrototype), self(std::move(self)), base(base)
    {
    }

    Value call(Machine& machine, const Value& thisValue, Arguments& arguments) override;
    // Callable, yet typeof calls it an object.
    const char* typeName() const override { return "object"; }

    Value self;
    // The prototype whose members `super.name` reaches.
    Object* base = nullptr;

protected:
    std::optional<Value> getSpecial(Machine& machine, std::string_view name) override;
};

} // namespace quorvane::player::avm1
