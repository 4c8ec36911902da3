#pragma once

#include "player/avm1/Object.h"
#include "player/avm1/ScriptHost.h"
#include "player/avm1/Value.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::player::avm1 {

// A number as an int for depths, frames, dates and the like: NaN as 0, the
// rest clamped to the int range, beyond which converting is undefined.
inline int clampedInt(double number)
{
    return std::isnan(number) ? 0
                              : int(std::clamp(number, double(std::numeric_limits<int>::min()),
                                               double(std::numeric_limits<int>::max())));
}

class Clip;
class Stage;

// Stops the scripts of the movie; caught where the frame's scripts started.
struct ScriptHalt {
    std::string reason;
};

// A value thrown by a script's Throw, on its way to a catch.
struct ScriptThrow {
    Value value;
};

// The script engine of one movie: the heap every object lives in, the
// global object and the built-in prototypes, the conversions whose rules
// depend on the movie's SWF version, and the guards against scripts that
// run away.
class Machine {
public:
    static constexpr std::size_t kMaxArrayLength = 1u << 22;
    // The longest string scripts may make, far beyond any lesson's text: a
    // script doubling a string in a loop halts here instead of taking the
    // learner's memory.
    static constexpr std::size_t kMaxStringBytes = std::size_t{64} << 20;

    struct Limits {
        // Actions one frame's scripts may run: Flash gave up after 15
        // seconds, which this many simple actions take on a slow machine.
        std::uint64_t actionsPerFrame = 20000000;
        int maxCallDepth = 256;
        // Objects alive at once; a script that makes more is runaway.
        std::size_t maxObjects = 4000000;
    };

    Machine(int swfVersion, ScriptHost& host);
    Machine(int swfVersion, ScriptHost& host, Limits limits);
    ~Machine();

    int version() const { return m_version; }
    ScriptHost& host() { return m_host; }
    Stage* stage() const { return m_stage; }
    void setStage(Stage* stage) { m_stage = stage; }

    // Names compare without case before SWF 7.
    bool sameName(std::string_view a, std::string_view b) const;

    template <class T, class... Args> T* make(Args&&... args)
    {
        auto object = std::make_unique<T>(std::forward<Args>(args)...);
        T* pointer = object.get();
        adopt(std::move(object));
        return pointer;
    }
    Object* newObject(Object* prototype);
    Object* newObject() { return newObject(objectPrototype); }
    ArrayObject* newArray(std::vector<Value> elements = {});
    NativeFunction* newFunction(NativeFunction::Body body, NativeFunction::Body constructor = {});
    // A built-in method on an object, hidden from for-in.
    void method(Object* object, std::string_view name, NativeFunction::Body body);
    // A constructor with its prototype object linked both ways.
    NativeFunction* newClass(Object* prototype, NativeFunction::Body body,
                             NativeFunction::Body constructor = {});

    Object* global() const { return m_global; }
    // Function itself. Every native function holds it as its own hidden,
    // permanent `constructor`; those made before it existed get it here.
    void setFunctionClass(Object* function);
    Object* objectPrototype = nullptr;
    Object* functionPrototype = nullptr;
    Object* arrayPrototype = nullptr;
    Object* stringPrototype = nullptr;
    Object* numberPrototype = nullptr;
    Object* booleanPrototype = nullptr;
    Object* errorPrototype = nullptr;
    Object* movieClipPrototype = nullptr;
    Object* buttonPrototype = nullptr;
    Object* textFieldPrototype = nullptr;
    // The object scripts know as `flash`, holding flash.geom and the rest.
    Object* flashPackages = nullptr;

    // The conversions, by the movie's version.
    double toNumber(const Value& value);
    std::string toString(const Value& value);
    bool toBoolean(const Value& value);
    // Objects become what their valueOf gives (wrappers their primitive).
    Value toPrimitive(const Value& value);
    // An object as text: its toString's string.
    std::string objectText(Object* object);
    Object* toObject(const Value& value);
    std::int32_t toInt32(const Value& value);
    // The abstract equality of SWF 5 and later.
    bool looseEquals(const Value& a, const Value& b);
    bool strictEquals(const Value& a, const Value& b);
    // a < b; undefined when either side is NaN.
    Value lessThan(const Value& a, const Value& b);
    std::string typeOf(const Value& value);
    // The text `trace` writes: `undefined` even before SWF 7.
    std::string traceText(const Value& value);

    // Calls with the guards on; a function that is not callable gives undefined.
    Value call(Object* function, const Value& thisValue, Arguments& arguments);
    Value callMethod(const Value& target, std::string_view name, Arguments& arguments);

    // Counts one action against the frame's budget; halts when it is spent.
    void spendAction()
    {
        if (m_halted) {
            throw ScriptHalt{"scripts halted"};
        }
        if (++m_actionsSpent > m_limits.actionsPerFrame) {
            halt("a script ran too long");
        }
    }
    // A new frame: a fresh budget and an empty stack.
    void beginFrame()
    {
        m_actionsSpent = 0;
        m_leftovers.clear();
    }
    // One level of script calls, held for as long as it lives: functions,
    // constructors and frames run by Call all count towards the limit, and
    // going past it halts the scripts rather than the process's stack.
    class CallLevel {
    public:
        explicit CallLevel(Machine& machine) : m_machine(machine) { machine.enterCall(); }
        ~CallLevel() { --m_machine.m_callDepth; }
        CallLevel(const CallLevel&) = delete;
        CallLevel& operator=(const CallLevel&) = delete;

    private:
        Machine& m_machine;
    };
    [[noreturn]] void halt(const std::string& reason);
    // Appends to a string a script is making; halts past kMaxStringBytes.
    void append(std::string& text, std::string_view more);
    bool halted() const { return m_halted; }
    // Called once where the halt is caught: the host hears why.
    void reportHalt(const ScriptHalt& halt);

    // Running clocks for getTimer and Date.
    double millisecondsSinceStart() const;
    void advanceClock(double milliseconds) { m_clock += milliseconds; }

    // Interval timers: setInterval's callbacks, run between frames.
    struct Interval {
        int id = 0;
        Value target;
        Value function;
        std::string methodName;
        Arguments arguments;
        double period = 0;
        double due = 0;
        // setTimeout: runs once.
        bool once = false;
    };
    std::vector<Interval>& intervals() { return m_intervals; }
    int nextIntervalId() { return ++m_lastIntervalId; }

    // ASnative's numbering of the built-in functions.
    void registerNative(int category, int index, Function* function)
    {
        m_natives[{category, index}] = function;
    }
    Function* nativeById(int category, int index) const
    {
        const auto found = m_natives.find({category, index});
        return found == m_natives.end() ? nullptr : found->second;
    }

    // random() and Math.random(): a fixed sequence, so that runs repeat.
    std::uint32_t random();

    // What a frame script left on the stack, for the next script of the
    // same frame to find; a bounded few, since scripts that leave values
    // mostly leave them by mistake.
    std::vector<Value> takeLeftovers() { return std::move(m_leftovers); }
    void keepLeftovers(std::vector<Value> values)
    {
        constexpr std::size_t kMostLeftovers = 64;
        if (values.size() > kMostLeftovers) {
            values.erase(values.begin(), values.end() - kMostLeftovers);
        }
        m_leftovers = std::move(values);
    }

private:
    void adopt(std::unique_ptr<Object> object);
    void enterCall();

    int m_version;
    ScriptHost& m_host;
    Limits m_limits;
    Stage* m_stage = nullptr;
    std::vector<std::unique_ptr<Object>> m_heap;
    Object* m_global = nullptr;
    Object* m_functionClass = nullptr;
    std::uint64_t m_actionsSpent = 0;
    int m_callDepth = 0;
    bool m_halted = false;
    bool m_haltReported = false;
    double m_clock = 0;
    std::vector<Interval> m_intervals;
    int m_lastIntervalId = 0;
    std::uint64_t m_randomState = 0x853c49e6748fea9bULL;
    std::vector<Value> m_leftovers;
    std::map<std::pair<int, int>, Function*> m_natives;
};

} // namespace quorvane::player::avm1
