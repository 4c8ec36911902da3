#include "player/avm1/Builtins.h"
#include "player/avm1/Machine.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>

namespace quorvane::player::avm1 {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

int digitValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'Z') {
        return c - 'A' + 10;
    }
    return 99;
}

Value parseInt(Machine& machine, const Value&, Arguments& arguments)
{
    if (arguments.empty()) {
        return Value();
    }
    const std::string text = machine.toString(arguments[0]);
    int radix = 0;
    // A radix given as undefined is no radix at all, not the default.
    if (arguments.size() > 1) {
        radix = machine.toInt32(arguments[1]);
        if (radix < 2 || radix > 36) {
            return Value(kNaN);
        }
    }
    const auto hexPrefixAt = [&](std::size_t at) {
        return text.size() > at + 1 && text[at] == '0' &&
               (text[at + 1] == 'x' || text[at + 1] == 'X');
    };
    std::size_t i = 0;
    bool negative = false;
    bool signAllowed = true;
    if (hexPrefixAt(0)) {
        // Flash takes a 0x prefix only at the very start, whatever radix was
        // asked for; white space and a sign may follow it.
        i = 2;
        if (radix == 0) {
            radix = 16;
        }
    } else if (!text.empty() && (text[0] == '-' || text[0] == '+') && hexPrefixAt(1)) {
        // A sign before the prefix drops both the sign and the zero: the x
        // is then read as a digit, which only radixes above 33 have.
        i = 2;
        signAllowed = false;
    }
    const std::size_t afterPrefix = i;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    const bool spaced = i != afterPrefix;
    if (signAllowed && i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (radix == 0) {
        // A leading zero means octal when the text has no leading white space
        // and every character after the zero is an octal digit.
        radix = 10;
        if (!spaced && i < text.size() && text[i] == '0' &&
            std::all_of(text.begin() + std::ptrdiff_t(i), text.end(),
                        [](char c) { return c >= '0' && c <= '7'; })) {
            radix = 8;
        }
    }
    double result = 0;
    bool any = false;
    for (; i < text.size(); ++i) {
        const int digit = digitValue(text[i]);
        if (digit >= radix) {
            break;
        }
        result = result * radix + digit;
        any = true;
    }
    if (!any) {
        return Value(kNaN);
    }
    return Value(negative ? -result : result);
}

Value parseFloat(Machine& machine, const Value&, Arguments& arguments)
{
    const std::string text = machine.toString(argument(arguments, 0));
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    std::size_t end = i;
    if (end < text.size() && (text[end] == '-' || text[end] == '+')) {
        ++end;
    }
    bool digits = false;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) {
        ++end;
        digits = true;
    }
    if (end < text.size() && text[end] == '.') {
        ++end;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) {
            ++end;
            digits = true;
        }
    }
    if (!digits) {
        return Value(kNaN);
    }
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t exponent = end + 1;
        if (exponent < text.size() && (text[exponent] == '-' || text[exponent] == '+')) {
            ++exponent;
        }
        if (exponent < text.size() && std::isdigit(static_cast<unsigned char>(text[exponent]))) {
            while (exponent < text.size() &&
                   std::isdigit(static_cast<unsigned char>(text[exponent]))) {
                ++exponent;
            }
            end = exponent;
        }
    }
    return Value(std::strtod(text.substr(i, end - i).c_str(), nullptr));
}

std::string escape(const std::string& text)
{
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte)) {
            escaped += c;
        } else {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", byte);
            escaped += code;
        }
    }
    return escaped;
}

std::string unescape(const std::string& text)
{
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() + 0 && digitValue(text[i + 1]) < 16 &&
            digitValue(text[i + 2]) < 16) {
            plain += char(digitValue(text[i + 1]) * 16 + digitValue(text[i + 2]));
            i += 2;
        } else if (text[i] == '+') {
            plain += ' ';
        } else {
            plain += text[i];
        }
    }
    return plain;
}

void setPropertyFlags(Machine& machine, Arguments& arguments)
{
    Object* object = argument(arguments, 0).asObject();
    if (!object) {
        return;
    }
    const Value names = argument(arguments, 1);
    const auto set = std::uint16_t(machine.toInt32(argument(arguments, 2)) & kKnownPropertyFlags);
    const auto clear = std::uint16_t(machine.toInt32(argument(arguments, 3)) & kKnownPropertyFlags);
    std::vector<std::string> list;
    if (names.isNull()) {
        // Every own property, hidden ones included.
        list = object->ownKeys(machine);
        for (const std::string& hidden : object->allOwnNames()) {
            list.push_back(hidden);
        }
    } else if (auto* array = dynamic_cast<ArrayObject*>(names.asObject())) {
        for (const Value& name : array->elements) {
            list.push_back(machine.toString(name));
        }
    } else {
        const std::string text = machine.toString(names);
        std::size_t start = 0;
        while (start <= text.size()) {
            const std::size_t comma = std::min(text.find(',', start), text.size());
            list.push_back(text.substr(start, comma - start));
            start = comma + 1;
        }
    }
    for (const std::string& name : list) {
        object->setFlags(machine, name, set, clear);
    }
}

Value setInterval(Machine& machine, Arguments& arguments, bool once)
{
    Machine::Interval interval;
    std::size_t next = 0;
    if (Object* first = argument(arguments, 0).asObject(); first && first->isFunction()) {
        interval.function = arguments[0];
        next = 1;
    } else {
        interval.target = argument(arguments, 0);
        interval.methodName = machine.toString(argument(arguments, 1));
        next = 2;
    }
    interval.period = machine.toNumber(argument(arguments, next));
    if (std::isnan(interval.period)) {
        interval.period = 0;
    }
    if (arguments.size() > next + 1) {
        interval.arguments.assign(arguments.begin() + std::ptrdiff_t(next + 1), arguments.end());
    }
    interval.id = machine.nextIntervalId();
    interval.due = machine.millisecondsSinceStart() + interval.period;
    interval.once = once;
    machine.intervals().push_back(interval);
    return Value(double(interval.id));
}

Value clearInterval(Machine& machine, const Value&, Arguments& arguments)
{
    const double id = machine.toNumber(argument(arguments, 0));
    auto& intervals = machine.intervals();
    intervals.erase(std::remove_if(intervals.begin(), intervals.end(),
                                   [id](const Machine::Interval& each) { return each.id == id; }),
                    intervals.end());
    return Value();
}

} // namespace

void installGlobalFunctions(Machine& m)
{
    Object* global = m.global();
    global->define(m, "NaN", Value(kNaN), kDontEnum);
    global->define(m, "Infinity", Value(std::numeric_limits<double>::infinity()), kDontEnum);
    m.method(global, "parseInt", parseInt);
    m.method(global, "parseFloat", parseFloat);
    m.method(global, "isNaN", [](Machine& machine, const Value&, Arguments& arguments) {
        return Value(std::isnan(machine.toNumber(argument(arguments, 0))));
    });
    m.method(global, "isFinite", [](Machine& machine, const Value&, Arguments& arguments) {
        return Value(std::isfinite(machine.toNumber(argument(arguments, 0))));
    });
    m.method(global, "escape", [](Machine& machine, const Value&, Arguments& arguments) {
        return Value(escape(machine.toString(argument(arguments, 0))));
    });
    m.method(global, "unescape", [](Machine& machine, const Value&, Arguments& arguments) {
        return Value(unescape(machine.toString(argument(arguments, 0))));
    });
    m.method(global, "ASSetPropFlags", [](Machine& machine, const Value&, Arguments& arguments) {
        setPropertyFlags(machine, arguments);
        return Value();
    });
    m.method(global, "setInterval", [](Machine& machine, const Value&, Arguments& arguments) {
        return setInterval(machine, arguments, false);
    });
    m.method(global, "setTimeout", [](Machine& machine, const Value&, Arguments& arguments) {
        return setInterval(machine, arguments, true);
    });
    m.method(global, "clearInterval", clearInterval);
    m.method(global, "clearTimeout", clearInterval);
    m.method(global, "getTimer", [](Machine& machine, const Value&, Arguments&) {
        return Value(std::floor(machine.millisecondsSinceStart()));
    });
    m.method(global, "getVersion",
             [](Machine&, const Value&, Arguments&) { return Value("LNX 8,0,0,0"); });
    m.method(global, "updateAfterEvent",
             [](Machine&, const Value&, Arguments&) { return Value(); });
}

} // namespace quorvane::player::avm1
