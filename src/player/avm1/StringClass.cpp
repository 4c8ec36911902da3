#include "player/avm1/Builtins.h"
#include "player/avm1/Machine.h"
#include "player/avm1/Utf8.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quorvane::player::avm1 {

namespace {

using Text = std::vector<std::uint32_t>;

Text selfText(Machine& machine, const Value& self)
{
    return decodeUtf8(machine.toString(self));
}

// A position argument: NaN and undefined are 0, fractions drop.
double position(Machine& machine, const Value& value)
{
    const double number = machine.toNumber(value);
    return std::isnan(number) ? 0 : std::trunc(number);
}

std::size_t clampTo(double index, std::size_t length)
{
    return std::size_t(std::clamp(index, 0.0, double(length)));
}

std::size_t findText(const Text& text, const Text& part, std::size_t from)
{
    if (part.empty()) {
        return std::min(from, text.size());
    }
    const auto found = std::search(text.begin() + std::ptrdiff_t(std::min(from, text.size())),
                                   text.end(), part.begin(), part.end());
    return found == text.end() ? std::string::npos : std::size_t(found - text.begin());
}

Text mapCase(Text text, bool upper)
{
    for (std::uint32_t& c : text) {
        c = upper ? upperCase(c) : lowerCase(c);
    }
    return text;
}

} // namespace

void installStringClass(Machine& m)
{
    Object* prototype = m.newObject();
    prototype->primitive = Value("");
    m.stringPrototype = prototype;
    NativeFunction* constructor = m.newClass(
        prototype,
        [](Machine& machine, const Value&, Arguments& arguments) {
            return Value(arguments.empty() ? std::string() : machine.toString(arguments[0]));
        },
        [](Machine& machine, const Value&, Arguments& arguments) {
            Object* wrapper = machine.newObject(machine.stringPrototype);
            std::string text = arguments.empty() ? std::string() : machine.toString(arguments[0]);
            // A String object has its length as a member of its own, hidden
            // from for-in and kept through delete, yet free to be written.
            wrapper->define(machine, "length", Value(double(utf8Length(text))),
                            kDontEnum | kDontDelete);
            wrapper->primitive = Value(std::move(text));
            return Value(wrapper);
        });
    m.global()->define(m, "String", Value(constructor), kDontEnum);

    m.method(constructor, "fromCharCode", [](Machine& machine, const Value&, Arguments& arguments) {
        std::string text;
        for (const Value& code : arguments) {
            const std::uint32_t c = std::uint32_t(machine.toInt32(code)) & 0xffff;
            if (c != 0) {
                text += codePointText(c);
            }
        }
        return Value(text);
    });
    m.method(prototype, "toString", [](Machine& machine, const Value& self, Arguments&) {
        return Value(machine.toString(self));
    });
    m.method(prototype, "valueOf", [](Machine& machine, const Value& self, Arguments&) {
        return Value(machine.toString(self));
    });
    m.method(prototype, "charAt", [](Machine& machine, const Value& self, Arguments& arguments) {
        const Text text = selfText(machine, self);
        const double index = position(machine, argument(arguments, 0));
        if (index < 0 || index >= double(text.size())) {
            return Value("");
        }
        return Value(codePointText(text[std::size_t(index)]));
    });
    m.method(prototype, "charCodeAt",
             [](Machine& machine, const Value& self, Arguments& arguments) {
                 const Text text = selfText(machine, self);
                 const double index = position(machine, argument(arguments, 0));
                 if (index < 0 || index >= double(text.size())) {
                     return Value(std::numeric_limits<double>::quiet_NaN());
                 }
                 return Value(double(text[std::size_t(index)]));
             });
    m.method(prototype, "concat", [](Machine& machine, const Value& self, Arguments& arguments) {
        std::string text = machine.toString(self);
        for (const Value& part : arguments) {
            machine.append(text, machine.toString(part));
        }
        return Value(text);
    });
    m.method(prototype, "indexOf", [](Machine& machine, const Value& self, Arguments& arguments) {
        const Text text = selfText(machine, self);
        const Text part = decodeUtf8(machine.toString(argument(arguments, 0)));
        const double from = position(machine, argument(arguments, 1));
        const std::size_t found = findText(text, part, clampTo(from, text.size()));
        return Value(found == std::string::npos ? -1.0 : double(found));
    });
    m.method(
        prototype, "lastIndexOf", [](Machine& machine, const Value& self, Arguments& arguments) {
            const Text text = selfText(machine, self);
            const Text part = decodeUtf8(machine.toString(argument(arguments, 0)));
            double from = double(text.size());
            if (arguments.size() > 1) {
                from = position(machine, arguments[1]);
                if (from < 0) {
                    return Value(-1.0);
                }
            }
            double result = -1;
            for (std::size_t at = findText(text, part, 0);
                 at != std::string::npos && double(at) <= from; at = findText(text, part, at + 1)) {
                result = double(at);
                if (at >= text.size()) {
                    break;
                }
            }
            return Value(result);
        });
    m.method(prototype, "slice", [](Machine& machine, const Value& self, Arguments& arguments) {
        const Text text = selfText(machine, self);
        const double length = double(text.size());
        double begin = position(machine, argument(arguments, 0));
        double end = arguments.size() > 1 && !arguments[1].isUndefined()
                         ? position(machine, arguments[1])
                         : length;
        begin = begin < 0 ? std::max(0.0, length + begin) : std::min(begin, length);
        end = end < 0 ? std::max(0.0, length + end) : std::min(end, length);
        if (end <= begin) {
            return Value("");
        }
        return Value(encodeUtf8(text, std::size_t(begin), std::size_t(end)));
    });
    m.method(prototype, "substring", [](Machine& machine, const Value& self, Arguments& arguments) {
        const Text text = selfText(machine, self);
        std::size_t begin = clampTo(position(machine, argument(arguments, 0)), text.size());
        std::size_t end = arguments.size() > 1 && !arguments[1].isUndefined()
                              ? clampTo(position(machine, arguments[1]), text.size())
                              : text.size();
        if (begin > end) {
            std::swap(begin, end);
        }
        return Value(encodeUtf8(text, begin, end));
    });
    m.method(prototype, "substr", [](Machine& machine, const Value& self, Arguments& arguments) {
        const Text text = selfText(machine, self);
        const double length = double(text.size());
        double begin = position(machine, argument(arguments, 0));
        if (begin < 0) {
            begin = std::max(0.0, length + begin);
        }
        begin = std::min(begin, length);
        double count = arguments.size() > 1 && !arguments[1].isUndefined()
                           ? position(machine, arguments[1])
                           : length;
        if (count < 0) {
            // A negative count is counted back from the end of the string,
            // and reaching that end gives nothing.
            count = length + count;
            if (count < 0 || begin + count >= length) {
                return Value("");
            }
        }
        const double end = std::min(length, begin + count);
        return Value(encodeUtf8(text, std::size_t(begin), std::size_t(std::max(begin, end))));
    });
    m.method(prototype, "split", [](Machine& machine, const Value& self, Arguments& arguments) {
        const Text text = selfText(machine, self);
        std::vector<Value> parts;
        const Value separator = argument(arguments, 0);
        std::size_t limit = std::numeric_limits<std::size_t>::max();
        if (arguments.size() > 1 && !arguments[1].isUndefined()) {
            const double wanted = machine.toNumber(arguments[1]);
            limit = std::isnan(wanted) || wanted < 0 ? 0 : std::size_t(std::min(wanted, 1e9));
        }
        if (separator.isUndefined()) {
            parts.push_back(Value(encodeUtf8(text)));
        } else {
            const Text split = decodeUtf8(machine.toString(separator));
            if (split.empty()) {
                for (std::size_t i = 0; i < text.size() && parts.size() < limit; ++i) {
                    parts.push_back(Value(codePointText(text[i])));
                }
            } else {
                std::size_t start = 0;
                while (parts.size() < limit) {
                    const std::size_t at = findText(text, split, start);
                    if (at == std::string::npos) {
                        parts.push_back(Value(encodeUtf8(text, start)));
                        break;
                    }
                    parts.push_back(Value(encodeUtf8(text, start, at)));
                    start = at + split.size();
                }
            }
        }
        if (parts.size() > limit) {
            parts.resize(limit);
        }
        return Value(static_cast<Object*>(machine.newArray(std::move(parts))));
    });
    m.method(prototype, "toUpperCase", [](Machine& machine, const Value& self, Arguments&) {
        return Value(encodeUtf8(mapCase(selfText(machine, self), true)));
    });
    m.method(prototype, "toLowerCase", [](Machine& machine, const Value& self, Arguments&) {
        return Value(encodeUtf8(mapCase(selfText(machine, self), false)));
    });
}

} // namespace quorvane::player::avm1
