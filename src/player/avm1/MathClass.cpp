#include "player/avm1/Builtins.h"
#include "player/avm1/Machine.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace quorvane::player::avm1 {

namespace {

using Unary = double (*)(double);
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

void installMathClass(Machine& m)
{
    Object* math = m.newObject();
    m.global()->define(m, "Math", Value(math), kDontEnum);
    constexpr std::uint8_t kConstant = kDontEnum | kDontDelete | kReadOnly;
    math->define(m, "E", Value(std::numbers::e), kConstant);
    math->define(m, "LN10", Value(std::numbers::ln10), kConstant);
    math->define(m, "LN2", Value(std::numbers::ln2), kConstant);
    math->define(m, "LOG10E", Value(std::numbers::log10e), kConstant);
    math->define(m, "LOG2E", Value(std::numbers::log2e), kConstant);
    math->define(m, "PI", Value(std::numbers::pi), kConstant);
    math->define(m, "SQRT1_2", Value(1 / std::numbers::sqrt2), kConstant);
    math->define(m, "SQRT2", Value(std::numbers::sqrt2), kConstant);

    const std::pair<const char*, Unary> unary[] = {
        {"abs", [](double x) { return std::fabs(x); }},
        {"acos", [](double x) { return std::acos(x); }},
        {"asin", [](double x) { return std::asin(x); }},
        {"atan", [](double x) { return std::atan(x); }},
        {"ceil", [](double x) { return std::ceil(x); }},
        {"cos", [](double x) { return std::cos(x); }},
        {"exp", [](double x) { return std::exp(x); }},
        {"floor", [](double x) { return std::floor(x); }},
        {"log", [](double x) { return std::log(x); }},
        {"round", [](double x) { return std::floor(x + 0.5); }},
        {"sin", [](double x) { return std::sin(x); }},
        {"sqrt", [](double x) { return std::sqrt(x); }},
        {"tan", [](double x) { return std::tan(x); }},
    };
    for (const auto& entry : unary) {
        const Unary function = entry.second;
        m.method(math, entry.first,
                 [function](Machine& machine, const Value&, Arguments& arguments) {
                     if (arguments.empty()) {
                         return Value(std::numeric_limits<double>::quiet_NaN());
                     }
                     // Flash converts a second argument too, though it goes unused:
                     // its valueOf runs.
                     const double first = machine.toNumber(arguments[0]);
                     if (arguments.size() > 1) {
                         machine.toNumber(arguments[1]);
                     }
                     return Value(function(first));
                 });
    }
    // The two-operand functions read exactly two arguments, first to
    // second, a missing one as NaN; more are ignored. Called with none,
    // min and max give the extremes.
    using Binary = double (*)(double, double);
    const auto binary = [&m, math](const char* name, Binary function, double withNone) {
        m.method(
            math, name, [function, withNone](Machine& machine, const Value&, Arguments& arguments) {
                if (arguments.empty()) {
                    return Value(withNone);
                }
                const double first = machine.toNumber(arguments[0]);
                const double second = arguments.size() < 2 ? kNaN : machine.toNumber(arguments[1]);
                return Value(function(first, second));
            });
    };
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    binary(
        "atan2", [](double y, double x) { return std::atan2(y, x); }, kNaN);
    binary(
        "pow", [](double base, double exponent) { return std::pow(base, exponent); }, kNaN);
    binary(
        "max",
        [](double a, double b) { return std::isnan(a) || std::isnan(b) ? kNaN : std::max(a, b); },
        -kInfinity);
    binary(
        "min",
        [](double a, double b) { return std::isnan(a) || std::isnan(b) ? kNaN : std::min(a, b); },
        kInfinity);
    m.method(math, "random", [](Machine& machine, const Value&, Arguments& arguments) {
        // Its two ignored arguments are still read.
        for (std::size_t i = 0; i < std::min<std::size_t>(arguments.size(), 2); ++i) {
            machine.toNumber(arguments[i]);
        }
        return Value(machine.random() / 4294967296.0);
    });
}

} // namespace quorvane::player::avm1
