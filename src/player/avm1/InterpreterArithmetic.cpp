// Stack and register actions, arithmetic, comparison, strings and
// conversions: the actions that work on values alone.

#include "player/avm1/InterpreterState.h"
#include "player/avm1/Utf8.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace quorvane::player::avm1 {

using swf::ActionCode;

bool Interpreter::runStackAction(ActionCode code, swf::BitReader& reader)
{
    switch (code) {
    case ActionCode::Push:
        while (!reader.atEnd() && !reader.overflowed()) {
            push(reader);
        }
        break;
    case ActionCode::Pop:
        pop();
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
    case ActionCode::Add:
    case ActionCode::Subtract:
    case ActionCode::Multiply:
    case ActionCode::Divide:
    case ActionCode::Modulo:
        binaryArithmetic(code);
        break;
    case ActionCode::Add2:
        add2();
        break;
    case ActionCode::Increment:
        push(Value(popNumber() + 1));
        break;
    case ActionCode::Decrement:
        push(Value(popNumber() - 1));
        break;
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
    case ActionCode::Equals: { // SWF 4: numeric
        const double right = popNumber();
        const double left = popNumber();
        pushTruth(left == right);
        break;
    }
    case ActionCode::Less: { // SWF 4: numeric, the left operand converted first
        const Value rightValue = pop();
        const double left = popNumber();
        pushTruth(left < m.toNumber(rightValue));
        break;
    }
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
    case ActionCode::StringLess: {
        const std::string right = popString();
        const std::string left = popString();
        pushTruth(left < right);
        break;
    }
    case ActionCode::StringGreater: {
        const std::string right = popString();
        const std::string left = popString();
        pushTruth(left > right);
        break;
    }
    case ActionCode::StringAdd: {
        const std::string right = popString();
        std::string left = popString();
        m.append(left, right);
        push(Value(std::move(left)));
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
    case ActionCode::ToInteger: {
        const double number = popNumber();
        push(Value(std::isnan(number) ? 0.0 : std::trunc(number)));
        break;
    }
    case ActionCode::ToNumber:
        push(Value(popNumber()));
        break;
    case ActionCode::ToString:
        push(Value(popString()));
        break;
    case ActionCode::TypeOf:
        push(Value(m.typeOf(pop())));
        break;
    case ActionCode::RandomNumber: {
        const double limit = popNumber();
        push(Value(limit >= 1 ? double(m.random() % std::uint32_t(std::min(limit, 4e9))) : 0.0));
        break;
    }
    case ActionCode::GetTime:
        push(Value(std::floor(m.millisecondsSinceStart())));
        break;
    default:
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
    // Flash converts the left operand first for Add, Multiply and Modulo,
    // the right one first for Subtract and Divide: valueOf methods run in
    // that order.
    const bool rightFirst = code == ActionCode::Subtract || code == ActionCode::Divide;
    double left = 0;
    double right = 0;
    if (rightFirst) {
        right = m.toNumber(rightValue);
        left = m.toNumber(leftValue);
    } else {
        left = m.toNumber(leftValue);
        right = m.toNumber(rightValue);
    }
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
        // toString. A display object passes for a primitive: its path.
        const auto text = [&](const Value& primitive, const Value& original) {
            return primitive.isObject() && !dynamic_cast<Clip*>(primitive.asObject())
                       ? m.objectText(original.asObject())
                       : m.toString(primitive);
        };
        std::string joined = text(left, leftValue);
        m.append(joined, text(right, rightValue));
        push(Value(std::move(joined)));
    } else {
        // ...and counts as no number at all.
        const auto number = [&](const Value& primitive) {
            return primitive.isObject() ? std::numeric_limits<double>::quiet_NaN()
                                        : m.toNumber(primitive);
        };
        push(Value(number(left) + number(right)));
    }
}

} // namespace quorvane::player::avm1
