#include "player/avm1/Builtins.h"
#include "player/avm1/Machine.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <string>

namespace quorvane::player::avm1 {

namespace {

double timeOf(Machine& machine, const Value& self)
{
    Object* date = self.asObject();
    return date && date->hasPrimitive() ? machine.toNumber(date->primitive) : std::nan("");
}

// Broken-down UTC time of a millisecond count.
std::tm utcParts(double milliseconds)
{
    const auto seconds = static_cast<std::time_t>(std::floor(milliseconds / 1000));
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    return parts;
}

struct DateObject : Object {
    using Object::Object;
    bool isDate() const override { return true; }
};

} // namespace

void installDateClass(Machine& m)
{
    Object* prototype = m.newObject();
    NativeFunction* constructor = m.newClass(
        prototype,
        [](Machine& machine, const Value&, Arguments&) {
            return Value(machine.toString(Value(machine.millisecondsSinceStart())));
        },
        [prototype](Machine& machine, const Value&, Arguments& arguments) {
            Object* date = machine.make<DateObject>(prototype);
            double time = 0;
            if (arguments.empty()) {
                time = double(std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::system_clock::now().time_since_epoch())
                                  .count());
            } else if (arguments.size() == 1) {
                time = machine.toNumber(arguments[0]);
            } else {
                std::tm parts{};
                parts.tm_year = clampedInt(machine.toNumber(arguments[0]) - 1900);
                parts.tm_mon = clampedInt(machine.toNumber(argument(arguments, 1)));
                parts.tm_mday =
                    arguments.size() > 2 ? clampedInt(machine.toNumber(arguments[2])) : 1;
                parts.tm_hour =
                    arguments.size() > 3 ? clampedInt(machine.toNumber(arguments[3])) : 0;
                parts.tm_min =
                    arguments.size() > 4 ? clampedInt(machine.toNumber(arguments[4])) : 0;
                parts.tm_sec =
                    arguments.size() > 5 ? clampedInt(machine.toNumber(arguments[5])) : 0;
                const double milliseconds =
                    arguments.size() > 6 ? machine.toNumber(arguments[6]) : 0;
                time = double(timegm(&parts)) * 1000 + milliseconds;
            }
            // Beyond 100 million days either side there are no dates.
            constexpr double kLastTime = 8.64e15;
            date->primitive = Value(std::abs(time) <= kLastTime ? time : std::nan(""));
            return Value(date);
        });
    m.global()->define(m, "Date", Value(constructor), kDontEnum);
    m.method(prototype, "getTime", [](Machine& machine, const Value& self, Arguments&) {
        return Value(timeOf(machine, self));
    });
    m.method(prototype, "valueOf", [](Machine& machine, const Value& self, Arguments&) {
        return Value(timeOf(machine, self));
    });
    m.method(prototype, "toString", [](Machine& machine, const Value& self, Arguments&) {
        const double time = timeOf(machine, self);
        if (std::isnan(time)) {
            return Value("Invalid Date");
        }
        // Movies see the player's local time as UTC, so that runs repeat.
        const std::tm parts = utcParts(time);
        char text[64];
        std::strftime(text, sizeof text, "%a %b %d %H:%M:%S GMT+0000 %Y", &parts);
        return Value(std::string(text));
    });
    m.method(prototype, "getTimezoneOffset",
             [](Machine&, const Value&, Arguments&) { return Value(0.0); });
    struct Part {
        const char* utcName;
        const char* localName;
        int (*get)(const std::tm&);
    };
    const Part parts[] = {
        {"getUTCFullYear", "getFullYear", [](const std::tm& t) { return t.tm_year + 1900; }},
        {"getUTCYear", "getYear", [](const std::tm& t) { return t.tm_year; }},
        {"getUTCMonth", "getMonth", [](const std::tm& t) { return t.tm_mon; }},
        {"getUTCDate", "getDate", [](const std::tm& t) { return t.tm_mday; }},
        {"getUTCDay", "getDay", [](const std::tm& t) { return t.tm_wday; }},
        {"getUTCHours", "getHours", [](const std::tm& t) { return t.tm_hour; }},
        {"getUTCMinutes", "getMinutes", [](const std::tm& t) { return t.tm_min; }},
        {"getUTCSeconds", "getSeconds", [](const std::tm& t) { return t.tm_sec; }},
    };
    for (const Part& part : parts) {
        const auto get = part.get;
        const auto method = [get](Machine& machine, const Value& self, Arguments&) {
            const double time = timeOf(machine, self);
            return std::isnan(time) ? Value(time) : Value(double(get(utcParts(time))));
        };
        m.method(prototype, part.utcName, method);
        m.method(prototype, part.localName, method);
    }
    const auto milliseconds = [](Machine& machine, const Value& self, Arguments&) {
        const double time = timeOf(machine, self);
        return Value(time - std::floor(time / 1000) * 1000);
    };
    m.method(prototype, "getUTCMilliseconds", milliseconds);
    m.method(prototype, "getMilliseconds", milliseconds);
}

} // namespace quorvane::player::avm1
