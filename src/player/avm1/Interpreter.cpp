#include "player/avm1/Interpreter.h"

#include "player/MovieStrings.h"
#include "player/avm1/Clip.h"
#include "player/avm1/LoadedMovie.h"
#include "player/avm1/Machine.h"
#include "player/avm1/Stage.h"
#include "player/avm1/Utf8.h"
#include "swf/ActionCode.h"
#include "swf/BitReader.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>

namespace quorvane::player::avm1 {

using swf::ActionCode;

namespace {

// A hostile script can push without end; past this the stack stops growing.
constexpr std::size_t kMaxStack = 1u << 20;

enum class Exit { End, Return, Jump };

struct Completion {
    Exit exit = Exit::End;
    std::size_t jumpTarget = 0;
};

class Interpreter {
public:
    Interpreter(Machine& machine, Activation& activation) : m(machine), a(activation) {}

    Value run()
    {
        m_stack = std::move(a.stack);
        const Completion completion = runRange(0, a.code.size());
        (void)completion;
        a.stack = std::move(m_stack);
        return m_returned;
    }

private:
    Completion runRange(std::size_t begin, std::size_t end);
    // One action at pc; returns false when the range ends there.
    bool step(std::size_t& pc, std::size_t begin, std::size_t end, Completion& completion);

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

    void binaryArithmetic(ActionCode code);
    void add2();
    void push(swf::BitReader& reader);
    void getMember();
    void setMember();
    void callFunction();
    void callMethod();
    void newObject();
    void newMethod();
    void defineFunction(std::span<const std::uint8_t> data, bool function2, std::size_t& pc,
                        std::size_t end);
    void enumerate(const Value& value);
    Completion tryBlock(std::span<const std::uint8_t> data, std::size_t& pc, std::size_t end);
    Completion withBlock(std::span<const std::uint8_t> data, std::size_t& pc, std::size_t end);
    // Carries on after a try or with block: a return inside it ends this
    // script too (false), a jump out of it moves on from its target.
    static bool followBlock(const Completion& inner, std::size_t& pc, Completion& completion);
    void setTarget(const std::string& path);
    void gotoFrame2(std::uint8_t flags, int bias);
    // GetURL2's flags; GetURL gives none.
    void getUrl(const std::string& url, const std::string& window, int flags);
    bool instanceOf(const Value& value, Object* constructor);
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

bool Interpreter::step(std::size_t& pc, std::size_t begin, std::size_t end, Completion& completion)
{
    (void)begin;
    m.spendAction();
    const auto code = ActionCode(a.code[pc]);
    ++pc;
    if (code == ActionCode::End) {
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

    switch (code) {
    case ActionCode::NextFrame:
        if (Clip* clip = clipOrNull()) {
            clip->gotoFrame(clip->frame + 1, false);
        }
        break;
    case ActionCode::PreviousFrame:
        if (Clip* clip = clipOrNull(); clip && clip->frame > 0) {
            clip->gotoFrame(clip->frame - 1, false);
        }
        break;
    case ActionCode::Play:
        if (Clip* clip = clipOrNull()) {
            clip->playing = true;
        }
        break;
    case ActionCode::Stop:
        if (Clip* clip = clipOrNull()) {
            clip->playing = false;
        }
        break;
    case ActionCode::ToggleQuality:
        break;
    case ActionCode::StopSounds:
        if (m.stage()) {
            m.stage()->stopAllSounds();
        }
        break;
    case ActionCode::Add:
    case ActionCode::Subtract:
    case ActionCode::Multiply:
    case ActionCode::Divide:
    case ActionCode::Modulo:
        binaryArithmetic(code);
        break;
    case ActionCode::Equals: { // SWF 4: numeric
        const double right = popNumber();
        const double left = popNumber();
        pushTruth(left == right);
        break;
    }
    case ActionCode::Less: { // SWF 4: numeric
        const double right = popNumber();
        const double left = popNumber();
        pushTruth(left < right);
        break;
    }
    case ActionCode::And: {
        const bool right = m.toBoolean(pop());
        const bool left = m.toBoolean(pop());
        pushTruth(left && right);
        break;
    }
    case ActionCode::Or: {
        const bool right = m.toBoolean(pop());
        const bool left = m.toBoolean(pop());
        pushTruth(left || right);
        break;
    }
    case ActionCode::Not:
        pushTruth(!m.toBoolean(pop()));
        break;
    case ActionCode::StringEquals: {
        const std::string right = popString();
        const std::string left = popString();
        pushTruth(left == right);
        break;
    }
    case ActionCode::StringLength:
    case ActionCode::MBStringLength:
        push(Value(double(utf8Length(popString()))));
        break;
    case ActionCode::StringExtract:
    case ActionCode::MBStringExtract: {
        const double count = popNumber();
        const double index = popNumber();
        const std::string text = popString();
        // SWF 4 counts characters from 1.
        const double start = std::isnan(index) ? 0 : std::max(0.0, index - 1);
        const double length = std::isnan(count) ? 0 : count;
        push(Value(
            utf8Substring(text, std::size_t(std::min(start, 1e9)),
                          length < 0 ? std::string::npos : std::size_t(std::min(length, 1e9)))));
        break;
    }
    case ActionCode::Pop:
        pop();
        break;
    case ActionCode::ToInteger: {
        const double number = popNumber();
        push(Value(std::isnan(number) ? 0.0 : std::trunc(number)));
        break;
    }
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
    case ActionCode::SetTarget2: {
        const Value target = pop();
        if (Clip* clip = targetClip(target)) {
            a.target = clip;
            if (!a.isFunction && !a.scope.empty()) {
                a.scope.front() = clip;
            }
        } else {
            setTarget(m.toString(target));
        }
        break;
    }
    case ActionCode::StringAdd: {
        const std::string right = popString();
        const std::string left = popString();
        push(Value(left + right));
        break;
    }
    case ActionCode::GetProperty: {
        const double index = popNumber();
        const Value target = pop();
        Clip* clip = m.toString(target).empty() ? clipOrNull() : targetClip(target);
        const char* name = std::isnan(index) ? nullptr : propertyName(clampedInt(index));
        push(clip && name ? clip->get(m, name) : Value());
        break;
    }
    case ActionCode::SetProperty: {
        Value value = pop();
        const double index = popNumber();
        const Value target = pop();
        Clip* clip = m.toString(target).empty() ? clipOrNull() : targetClip(target);
        const char* name = std::isnan(index) ? nullptr : propertyName(clampedInt(index));
        if (clip && name) {
            clip->set(m, name, value);
        }
        break;
    }
    case ActionCode::CloneSprite: {
        const double depth = popNumber();
        const std::string name = popString();
        const Value source = pop();
        if (Clip* clip = targetClip(source); clip && m.stage()) {
            // Depths that are not numbers, or far outside Flash's range, become 0 or its edge.
            const double whole = std::isfinite(depth) ? std::clamp(depth, -1e6, 1e6) : 0.0;
            m.stage()->duplicate(clip, name, int(whole) + Clip::kTimelineDepthOffset);
        }
        break;
    }
    case ActionCode::RemoveSprite: {
        if (Clip* clip = targetClip(pop()); clip && m.stage()) {
            m.stage()->removeByScript(clip);
        }
        break;
    }
    case ActionCode::Trace:
        m.host().trace(m.traceText(pop()));
        break;
    case ActionCode::StartDrag: {
        const Value target = pop();
        const bool lockCenter = m.toBoolean(pop());
        const bool constrained = m.toBoolean(pop());
        if (constrained) {
            for (int i = 0; i < 4; ++i) {
                pop();
            }
        }
        if (Clip* clip = targetClip(target); clip && m.stage()) {
            m.stage()->startDrag(clip, lockCenter);
        }
        break;
    }
    case ActionCode::EndDrag:
        if (m.stage()) {
            m.stage()->stopDrag();
        }
        break;
    case ActionCode::StringLess: {
        const std::string right = popString();
        const std::string left = popString();
        pushTruth(left < right);
        break;
    }
    case ActionCode::Throw:
        throw ScriptThrow{pop()};
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
    case ActionCode::RandomNumber: {
        const double limit = popNumber();
        push(Value(limit >= 1 ? double(m.random() % std::uint32_t(std::min(limit, 4e9))) : 0.0));
        break;
    }
    case ActionCode::CharToAscii:
    case ActionCode::MBCharToAscii: {
        const std::string text = popString();
        push(Value(text.empty() ? 0.0 : double(firstCodePoint(text))));
        break;
    }
    case ActionCode::AsciiToChar:
    case ActionCode::MBAsciiToChar: {
        // Codes wrap at 16 bits; code 0 ends a string, so it gives none.
        const std::uint32_t character = std::uint32_t(m.toInt32(pop())) & 0xffff;
        push(Value(character == 0 ? std::string() : codePointText(character)));
        break;
    }
    case ActionCode::GetTime:
        push(Value(std::floor(m.millisecondsSinceStart())));
        break;
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
    case ActionCode::DefineLocal: {
        Value value = pop();
        const std::string name = popString();
        if (a.locals) {
            a.locals->set(m, name, value);
        }
        break;
    }
    case ActionCode::CallFunction:
        callFunction();
        break;
    case ActionCode::Return:
        m_returned = pop();
        completion = Completion{Exit::Return, 0};
        return false;
    case ActionCode::NewObject:
        newObject();
        break;
    case ActionCode::DefineLocal2: {
        const std::string name = popString();
        if (a.locals && !a.locals->hasOwn(m, name)) {
            a.locals->set(m, name, Value());
        }
        break;
    }
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
        // name written twice keeps its last value.
        for (const auto& [name, value] : members) {
            if (!object->hasOwn(m, name)) {
                object->set(m, name, value);
            }
        }
        push(Value(object));
        break;
    }
    case ActionCode::TypeOf:
        push(Value(m.typeOf(pop())));
        break;
    case ActionCode::TargetPath: {
        const Value value = pop();
        Object* object = value.asObject();
        Clip* clip = dynamic_cast<Clip*>(object);
        push(clip ? Value(clip->dotPath()) : Value());
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
    case ActionCode::Add2:
        add2();
        break;
    case ActionCode::Less2: {
        const Value right = pop();
        const Value left = pop();
        push(m.lessThan(left, right));
        break;
    }
    case ActionCode::Greater: {
        const Value right = pop();
        const Value left = pop();
        push(m.lessThan(right, left));
        break;
    }
    case ActionCode::Equals2: {
        const Value right = pop();
        const Value left = pop();
        push(Value(m.looseEquals(left, right)));
        break;
    }
    case ActionCode::StrictEquals: {
        const Value right = pop();
        const Value left = pop();
        push(Value(m.strictEquals(left, right)));
        break;
    }
    case ActionCode::ToNumber:
        push(Value(popNumber()));
        break;
    case ActionCode::ToString:
        push(Value(popString()));
        break;
    case ActionCode::PushDuplicate: {
        Value top = m_stack.empty() ? Value() : m_stack.back();
        push(std::move(top));
        break;
    }
    case ActionCode::StackSwap:
        if (m_stack.size() >= 2) {
            std::swap(m_stack[m_stack.size() - 1], m_stack[m_stack.size() - 2]);
        } else {
            push(Value());
        }
        break;
    case ActionCode::GetMember:
        getMember();
        break;
    case ActionCode::SetMember:
        setMember();
        break;
    case ActionCode::Increment:
        push(Value(popNumber() + 1));
        break;
    case ActionCode::Decrement:
        push(Value(popNumber() - 1));
        break;
    case ActionCode::CallMethod:
        callMethod();
        break;
    case ActionCode::NewMethod:
        newMethod();
        break;
    case ActionCode::InstanceOf: {
        Object* constructor = pop().asObject();
        const Value object = pop();
        push(Value(instanceOf(object, constructor)));
        break;
    }
    case ActionCode::BitAnd:
    case ActionCode::BitOr:
    case ActionCode::BitXor:
    case ActionCode::BitLShift:
    case ActionCode::BitRShift:
    case ActionCode::BitURShift: {
        const std::int32_t right = m.toInt32(pop());
        const std::int32_t left = m.toInt32(pop());
        const auto uleft = static_cast<std::uint32_t>(left);
        const int shift = right & 31;
        double result = 0;
        switch (code) {
        case ActionCode::BitAnd:
            result = left & right;
            break;
        case ActionCode::BitOr:
            result = left | right;
            break;
        case ActionCode::BitXor:
            result = left ^ right;
            break;
        case ActionCode::BitLShift:
            result = static_cast<std::int32_t>(uleft << shift);
            break;
        case ActionCode::BitRShift:
            result = left >> shift;
            break;
        default:
            result = double(uleft >> shift);
            break;
        }
        push(Value(result));
        break;
    }
    case ActionCode::StringGreater: {
        const std::string right = popString();
        const std::string left = popString();
        pushTruth(left > right);
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
    case ActionCode::GotoFrame:
        if (Clip* clip = clipOrNull()) {
            clip->gotoFrame(reader.readU16(), false);
        }
        break;
    case ActionCode::GetUrl: {
        const std::string url = readString(reader);
        const std::string window = readString(reader);
        getUrl(url, window, 0);
        break;
    }
    case ActionCode::StoreRegister: {
        const std::uint8_t index = reader.readU8();
        if (index < a.registers.size()) {
            a.registers[index] = m_stack.empty() ? Value() : m_stack.back();
        }
        break;
    }
    case ActionCode::ConstantPool: {
        const std::uint16_t count = reader.readU16();
        auto pool = std::make_shared<std::vector<std::string>>();
        for (std::uint16_t i = 0; i < count && !reader.atEnd(); ++i) {
            pool->push_back(readString(reader));
        }
        a.constants = std::move(pool);
        break;
    }
    case ActionCode::WaitForFrame:
    case ActionCode::WaitForFrame2: {
        // Everything is loaded at once, and a fully loaded movie counts every
        // frame up to Flash's largest frame number as loaded, even frames past
        // its end.
        constexpr double kLastLoadableFrame = 16000;
        double frame = 0;
        if (code == ActionCode::WaitForFrame) {
            frame = reader.readU16();
        } else {
            frame = popNumber() - 1;
        }
        const std::uint8_t skip = reader.readU8();
        if (!clipOrNull() || !(frame <= kLastLoadableFrame)) {
            for (int i = 0; i < skip && pc < a.code.size(); ++i) {
                const std::uint8_t skipped = a.code[pc++];
                if (swf::hasBody(ActionCode(skipped)) && pc + 2 <= a.code.size()) {
                    pc += 2 + (std::size_t(a.code[pc]) | std::size_t(a.code[pc + 1]) << 8);
                }
            }
        }
        break;
    }
    case ActionCode::SetTarget:
        setTarget(readString(reader));
        break;
    case ActionCode::GoToLabel: {
        const std::string label = readString(reader);
        if (Clip* clip = clipOrNull()) {
            if (const auto frame = clip->frameOfLabel(m, label)) {
                clip->gotoFrame(*frame, false);
            }
        }
        break;
    }
    case ActionCode::DefineFunction2:
        defineFunction(data, true, pc, end);
        break;
    case ActionCode::DefineFunction:
        defineFunction(data, false, pc, end);
        break;
    case ActionCode::Try:
        if (!followBlock(tryBlock(data, pc, end), pc, completion)) {
            return false;
        }
        break;
    case ActionCode::With:
        if (!followBlock(withBlock(data, pc, end), pc, completion)) {
            return false;
        }
        break;
    case ActionCode::Push:
        while (!reader.atEnd() && !reader.overflowed()) {
            push(reader);
        }
        break;
    case ActionCode::Jump: {
        const std::int16_t offset = reader.readS16();
        const std::int64_t target = std::int64_t(pc) + offset;
        pc = target < 0 ? a.code.size() : std::size_t(target);
        break;
    }
    case ActionCode::GetUrl2: {
        const std::uint8_t flags = reader.readU8();
        const std::string window = popString();
        const std::string url = popString();
        getUrl(url, window, flags);
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
    case ActionCode::Call: {
        const std::string frame = popString();
        if (m.stage()) {
            m.stage()->callFrame(a.target, frame);
        }
        break;
    }
    case ActionCode::GotoFrame2: {
        const std::uint8_t flags = reader.readU8();
        const int bias = (flags & 2) ? reader.readU16() : 0;
        gotoFrame2(flags, bias);
        break;
    }
    default:
        break;
    }
    if (pc > end && pc != a.code.size()) {
        completion = Completion{Exit::Jump, pc};
        return false;
    }
    return true;
}

void Interpreter::push(swf::BitReader& reader)
{
    const std::uint8_t type = reader.readU8();
    switch (type) {
    case 0:
        push(Value(readString(reader)));
        break;
    case 1: {
        const std::uint32_t bits = reader.readU32();
        float number = 0;
        std::memcpy(&number, &bits, sizeof number);
        push(Value(double(number)));
        break;
    }
    case 2:
        push(Value(Null{}));
        break;
    case 3:
        push(Value());
        break;
    case 4: {
        const std::uint8_t index = reader.readU8();
        push(index < a.registers.size() ? a.registers[index] : Value());
        break;
    }
    case 5:
        push(Value(reader.readU8() != 0));
        break;
    case 6: {
        // The two 32-bit halves come high first, each little-endian.
        const std::uint64_t high = reader.readU32();
        const std::uint64_t low = reader.readU32();
        const std::uint64_t bits = high << 32 | low;
        double number = 0;
        std::memcpy(&number, &bits, sizeof number);
        push(Value(number));
        break;
    }
    case 7:
        push(Value(double(static_cast<std::int32_t>(reader.readU32()))));
        break;
    case 8:
        push(Value(constant(reader.readU8())));
        break;
    case 9:
        push(Value(constant(reader.readU16())));
        break;
    default:
        // An unknown type leaves the rest of the record unread.
        reader.readRest();
        break;
    }
}

void Interpreter::binaryArithmetic(ActionCode code)
{
    const Value rightValue = pop();
    const Value leftValue = pop();
    // The left operand converts first: valueOf methods run in that order.
    const double left = m.toNumber(leftValue);
    const double right = m.toNumber(rightValue);
    double result = 0;
    switch (code) {
    case ActionCode::Add:
        result = left + right;
        break;
    case ActionCode::Subtract:
        result = left - right;
        break;
    case ActionCode::Multiply:
        result = left * right;
        break;
    case ActionCode::Divide:
        // SWF 4 wrote the error as a string.
        if (right == 0 && m.version() < 5) {
            push(Value("#ERROR#"));
            return;
        }
        result = left / right;
        break;
    default:
        result = std::fmod(left, right);
        break;
    }
    push(Value(result));
}

void Interpreter::add2()
{
    const Value rightValue = pop();
    const Value leftValue = pop();
    const Value left = m.toPrimitive(leftValue);
    const Value right = m.toPrimitive(rightValue);
    if (left.isString() || right.isString()) {
        // An object whose valueOf gave no primitive is written by its own
        // toString.
        // toString. A display object passes for a primitive: its path.
        const auto text = [&](const Value& primitive, const Value& original) {
            return primitive.isObject() && !dynamic_cast<Clip*>(primitive.asObject())
                       ? m.objectText(original.asObject())
                       : m.toString(primitive);
        };
        push(Value(text(left, leftValue) + text(right, rightValue)));
    } else {
        // ...and counts as no number at all.
        const auto number = [&](const Value& primitive) {
            return primitive.isObject() ? std::numeric_limits<double>::quiet_NaN()
                                        : m.toNumber(primitive);
        };
        push(Value(number(left) + number(right)));
    }
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

void Interpreter::newObject()
{
    const std::string name = popString();
    Arguments arguments = popArguments();
    Object* constructor = getVariable(m, a, name).asObject();
    if (!constructor || !constructor->isFunction()) {
        push(Value());
        return;
    }
    m.enterCall();
    struct Leave {
        Machine& machine;
        ~Leave() { machine.leaveCall(); }
    } leave{m};
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
    m.enterCall();
    struct Leave {
        Machine& machine;
        ~Leave() { machine.leaveCall(); }
    } leave{m};
    push(static_cast<Function*>(constructor)->construct(m, arguments));
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

Clip* Interpreter::targetClip(const Value& value)
{
    if (Object* object = value.asObject()) {
        return dynamic_cast<Clip*>(object);
    }
    if (!m.stage()) {
        return nullptr;
    }
    const std::string path = m.toString(value);
    return m.stage()->resolvePath(a.target ? a.target : a.original, path);
}

void Interpreter::setTarget(const std::string& path)
{
    Clip* clip = path.empty() ? a.original : targetClip(Value(path));
    // An unknown target leaves the script speaking to nothing, as Flash does:
    // its timeline actions are ignored until the next SetTarget.
    a.target = clip;
    if (!a.isFunction && !a.scope.empty()) {
        a.scope.front() = clip ? static_cast<Object*>(clip) : static_cast<Object*>(a.original);
    }
}

void Interpreter::gotoFrame2(std::uint8_t flags, int bias)
{
    const Value frame = pop();
    const bool play = flags & 1;
    Clip* clip = clipOrNull();
    std::string text = frame.isString() ? frame.asString() : std::string();
    if (frame.isString()) {
        const std::size_t colon = text.rfind(':');
        if (colon != std::string::npos && m.stage()) {
            clip = m.stage()->resolvePath(a.target ? a.target : a.original, text.substr(0, colon));
            text = text.substr(colon + 1);
        }
    }
    if (!clip) {
        return;
    }
    if (frame.isString()) {
        const double number = stringToNumber(text, m.version());
        if (!std::isnan(number)) {
            clip->gotoFrame(clampedInt(number - 1 + bias), !play ? false : true);
            if (!play) {
                clip->playing = false;
            }
            return;
        }
        if (const auto labelled = clip->frameOfLabel(m, text)) {
            clip->gotoFrame(*labelled + bias, play);
        }
        return;
    }
    const double number = m.toNumber(frame);
    if (!std::isnan(number)) {
        clip->gotoFrame(int(std::max(-1.0, std::min(number, 1e6))) - 1 + bias, play);
    }
}

void Interpreter::getUrl(const std::string& url, const std::string& window, int flags)
{
    // The scheme is matched without case, as URL schemes are.
    constexpr std::string_view kFsCommand = "fscommand:";
    if (url.size() >= kFsCommand.size() &&
        std::equal(kFsCommand.begin(), kFsCommand.end(), url.begin(), [](char a, char b) {
            return a == std::tolower(static_cast<unsigned char>(b));
        })) {
        m.host().fscommand(url.substr(kFsCommand.size()), window);
        return;
    }
    if (m.stage() && m.stage()->loadInto(a.target ? a.target : a.original, url, window, flags)) {
        return;
    }
    for (const char* scheme : {"http://", "https://", "mailto:"}) {
        if (url.rfind(scheme, 0) == 0) {
            m.host().openAddress(url, window);
            return;
        }
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
    const bool wantsArguments = !isFunction2 || !(flags & kSuppressArguments);
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
        const auto preload = [&](std::uint16_t flag, const Value& value) {
            if ((flags & flag) && next < activation.registers.size()) {
                activation.registers[next++] = value;
            }
        };
        Clip* base = definedOn;
        preload(kPreloadThis, thisValue);
        // With `this` in a register or suppressed, the name means the
        // timeline the function was defined on.
        if (flags & (kPreloadThis | kSuppressThis)) {
            activation.thisValue = base ? Value(static_cast<Object*>(base)) : Value();
        }
        preload(kPreloadArguments, argumentsObject ? Value(argumentsObject) : Value());
        preload(kPreloadSuper, superObject ? Value(superObject) : Value());
        preload(kPreloadRoot, base ? Value(static_cast<Object*>(base->root())) : Value());
        preload(kPreloadParent,
                base && base->parent ? Value(static_cast<Object*>(base->parent)) : Value());
        preload(kPreloadGlobal, Value(machine.global()));
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
