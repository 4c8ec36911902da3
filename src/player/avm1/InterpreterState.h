#pragma once

// The interpreter's own view of a running activation, shared by the files
// that hold its families of actions. Nothing outside the interpreter
// includes this: the rest of the engine goes through Interpreter.h.

#include "player/avm1/Clip.h"
#include "player/avm1/Interpreter.h"
#include "player/avm1/Machine.h"
#include "player/text/MovieStrings.h"
#include "swf/ActionCode.h"
#include "swf/BitReader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace quorvane::player::avm1 {

// A hostile script can push without end; past this the stack stops growing.
constexpr std::size_t kMaxStack = 1u << 20;

enum class Exit { End, Return, Jump };

struct Completion {
    Exit exit = Exit::End;
    std::size_t jumpTarget = 0;
};

// What a control-flow action made of the range it ran in.
enum class Flow : std::uint8_t {
    NotControl, // not a control-flow action: another family's, or none
    Next,       // done; the range carries on from pc
    Leave,      // the range ends here, as Return or a return inside a block ends it
};

class Interpreter {
public:
    Interpreter(Machine& machine, Activation& activation) : m(machine), a(activation) {}

    Value run();

private:
    Completion runRange(std::size_t begin, std::size_t end);
    // One action at pc; returns false when the range ends there.
    bool step(std::size_t& pc, std::size_t begin, std::size_t end, Completion& completion);

    // The families of actions, each in its own file. Each runs the action
    // when it is one of its own and says whether it was; step asks them in
    // turn, the family of the commonest actions first.
    //
    // Stack, registers, arithmetic, comparison, strings and conversions.
    bool runStackAction(swf::ActionCode code, swf::BitReader& reader);
    // Variables, members and objects.
    bool runMemberAction(swf::ActionCode code);
    // Jumps, blocks and functions: the only family that can end the range.
    Flow runControlAction(swf::ActionCode code, std::span<const std::uint8_t> data,
                          swf::BitReader& reader, std::size_t& pc, std::size_t end,
                          Completion& completion);
    // The timeline, clips, and what goes out to the host.
    bool runTimelineAction(swf::ActionCode code, swf::BitReader& reader, std::size_t& pc);

    Value pop()
    {
        if (m_stack.empty()) {
            return Value();
        }
        Value value = std::move(m_stack.back());
        m_stack.pop_back();
        return value;
    }
    void push(Value value)
    {
        if (m_stack.size() < kMaxStack) {
            m_stack.push_back(std::move(value));
        }
    }
    double popNumber() { return m.toNumber(pop()); }
    std::string popString() { return m.toString(pop()); }
    // A count a script pushed, cut to the values the stack holds; compared
    // as a number, since it may be far beyond any integer.
    std::size_t countOnStack(double count) const
    {
        return count > 0 ? std::size_t(std::min(count, double(m_stack.size()))) : 0;
    }
    Arguments popArguments()
    {
        const double count = popNumber();
        Arguments arguments;
        const std::size_t n = countOnStack(count);
        for (std::size_t i = 0; i < n; ++i) {
            arguments.push_back(pop());
        }
        return arguments;
    }
    // Comparisons give booleans in every version; SWF 4 only writes them
    // as 1 and 0.
    void pushTruth(bool truth) { push(Value(truth)); }

    // InterpreterArithmetic.cpp
    void binaryArithmetic(swf::ActionCode code);
    void add2();
    void push(swf::BitReader& reader);

    // InterpreterMembers.cpp
    void getMember();
    void setMember();
    void newObject();
    void newMethod();
    void enumerate(const Value& value);
    bool instanceOf(const Value& value, Object* constructor);

    // InterpreterControl.cpp
    void callFunction();
    void callMethod();
    void defineFunction(std::span<const std::uint8_t> data, bool function2, std::size_t& pc,
                        std::size_t end);
    Completion tryBlock(std::span<const std::uint8_t> data, std::size_t& pc, std::size_t end);
    Completion withBlock(std::span<const std::uint8_t> data, std::size_t& pc, std::size_t end);
    // Carries on after a try or with block: a return inside it ends this
    // script too (false), a jump out of it moves on from its target.
    static bool followBlock(const Completion& inner, std::size_t& pc, Completion& completion);

    // InterpreterTimeline.cpp
    void setTarget(const std::string& path);
    void gotoFrame2(std::uint8_t flags, int bias);
    // GetURL2's flags; GetURL gives none.
    void getUrl(const std::string& url, const std::string& window, int flags);
    Clip* targetClip(const Value& value);
    Clip* clipOrNull() const { return a.target && !a.target->removed ? a.target : nullptr; }

    // A string the code holds, in UTF-8 whatever version its movie is.
    std::string readString(swf::BitReader& reader) const
    {
        std::string bytes = reader.readString();
        // SWF 6 strings are UTF-8 already: no second copy on every push.
        if (a.codeVersion >= 6) {
            return bytes;
        }
        return movieStringToUtf8(bytes, a.codeVersion);
    }
    std::string constant(std::size_t index)
    {
        if (a.constants && index < a.constants->size()) {
            return (*a.constants)[index];
        }
        return std::string();
    }

    Machine& m;
    Activation& a;
    std::vector<Value> m_stack;
    Value m_returned;
};

} // namespace quorvane::player::avm1
