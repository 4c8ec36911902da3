#pragma once

#include "player/avm1/ScriptFunction.h"
#include "player/avm1/Value.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quorvane::player::avm1 {

class Clip;
class Machine;

// One running piece of code: a frame script, a clip event, a function call.
struct Activation {
    std::span<const std::uint8_t> code;
    ConstantPool constants;
    // Outermost first; global is searched after all of them. The first
    // entry of a frame script is its timeline, which tellTarget replaces.
    std::vector<Object*> scope;
    // Where `var` puts its variables.
    Object* locals = nullptr;
    // The clip the script speaks to: its own timeline, or tellTarget's.
    Clip* target = nullptr;
    Clip* original = nullptr;
    Value thisValue;
    std::vector<Value> registers = std::vector<Value>(4);
    // The values the code starts with on its stack, and those it leaves.
    std::vector<Value> stack;
    bool isFunction = false;
    // The function2 preload of `arguments` and the like already happened;
    // the rest of the scope chain is ordinary objects.
    Object* callee = nullptr;
    // The version of the movie whose file holds the code: before SWF 6 its
    // strings are in the author's code page. A loaded movie's scripts go by
    // their own movie's version, not the stage's.
    int codeVersion = 6;
};

// Runs code to its end or to Return; the value Return gave, or undefined.
// Throws ScriptThrow for an uncaught Throw and ScriptHalt when the guards stop it.
Value runCode(Machine& machine, Activation& activation);

// The frame-script entry: runs the bytes of a DoAction (or a clip or button
// action) on a clip, catching what a script leaves uncaught.
void runScript(Machine& machine, Clip* clip, std::span<const std::uint8_t> code);

// A variable by name as GetVariable finds it, paths ("/a/b:c", "a.b.c") included.
Value getVariable(Machine& machine, Activation& activation, const std::string& name);
void setVariable(Machine& machine, Activation& activation, const std::string& name,
                 const Value& value);

} // namespace quorvane::player::avm1
