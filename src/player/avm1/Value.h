#pragma once

#include <memory>
#include <string>
#include <variant>

namespace quorvane::player::avm1 {

class Object;

struct Undefined {
    bool operator==(const Undefined&) const = default;
};
struct Null {
    bool operator==(const Null&) const = default;
};

// A script value. Objects are owned by the Machine's heap, so a value holds
// a plain pointer that lives as long as the movie's scripts do.
class Value {
    // Strings are shared: values are copied far more often than made, and a
    // string held inline in the variant costs a copy each time.
    using Text = std::shared_ptr<const std::string>;
    using Data = std::variant<Undefined, Null, bool, double, Text, Object*>;

public:
    Value() = default;
    Value(Undefined) {}
    Value(Null value) : m_data(value) {}
    Value(bool value) : m_data(value) {}
    Value(double value) : m_data(value) {}
    Value(int value) : m_data(double(value)) {}
    Value(std::string value) : m_data(std::make_shared<const std::string>(std::move(value))) {}
    Value(const char* value) : m_data(std::make_shared<const std::string>(value)) {}
    Value(Object* object) : m_data(object ? Data(object) : Data(Null{})) {}

    bool isUndefined() const { return std::holds_alternative<Undefined>(m_data); }
    bool isNull() const { return std::holds_alternative<Null>(m_data); }
    bool isNullish() const { return isUndefined() || isNull(); }
    bool isBool() const { return std::holds_alternative<bool>(m_data); }
    bool isNumber() const { return std::holds_alternative<double>(m_data); }
    bool isString() const { return std::holds_alternative<Text>(m_data); }
    bool isObject() const { return std::holds_alternative<Object*>(m_data); }

    bool asBool() const { return std::get<bool>(m_data); }
    double asNumber() const { return std::get<double>(m_data); }
    const std::string& asString() const { return *std::get<Text>(m_data); }
    Object* asObject() const { return isObject() ? std::get<Object*>(m_data) : nullptr; }

    bool operator==(const Value& other) const
    {
        if (isString() && other.isString()) {
            return asString() == other.asString();
        }
        return m_data == other.m_data;
    }

private:
    Data m_data;
};

// Flash's own text form of a number: 15 significant digits, exponent form
// outside 1e-5..1e15, "NaN", "Infinity", "-Infinity".
std::string numberToString(double number);
// With a radix of 2 to 36, as Number.toString(radix) writes integers.
std::string numberToString(double number, int radix);
// The numeric value of a string as ActionScript reads one: leading and
// trailing white space allowed, hexadecimal with 0x, NaN when not a number.
// Before SWF 5 strings that start with a number read as that number.
double stringToNumber(const std::string& text, int swfVersion);

} // namespace quorvane::player::avm1
