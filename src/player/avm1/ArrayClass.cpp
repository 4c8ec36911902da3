#include "player/avm1/Builtins.h"
#include "player/avm1/Machine.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace quorvane::player::avm1 {

namespace {

enum SortFlag {
    kCaseInsensitive = 1,
    kDescending = 2,
    kUniqueSort = 4,
    kReturnIndexedArray = 8,
    kNumeric = 16,
};

ArrayObject* asArray(const Value& value)
{
    return dynamic_cast<ArrayObject*>(value.asObject());
}

// A relative position as slice and splice take it: negative counts from the end.
std::size_t clampIndex(Machine& machine, const Value& value, std::size_t length,
                       std::size_t fallback)
{
    if (value.isUndefined()) {
        return fallback;
    }
    double index = machine.toNumber(value);
    if (std::isnan(index)) {
        index = 0;
    }
    index = std::trunc(index);
    if (index < 0) {
        index = std::max(0.0, double(length) + index);
    }
    return std::size_t(std::min(index, double(length)));
}

std::string joinElements(Machine& machine, const std::vector<Value>& elements,
                         const std::string& separator)
{
    std::string text;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (i > 0) {
            machine.append(text, separator);
        }
        machine.append(text, machine.toString(elements[i]));
    }
    return text;
}

int compareText(const std::string& a, const std::string& b, bool ignoreCase)
{
    if (!ignoreCase) {
        return a.compare(b);
    }
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const int x = std::tolower(static_cast<unsigned char>(a[i]));
        const int y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y) {
            return x - y;
        }
    }
    return int(a.size()) - int(b.size());
}

// The comparison sort and sortOn use: a script function, or the flags'.
int compareValues(Machine& machine, const Value& a, const Value& b, int flags, Object* function)
{
    int result = 0;
    if (function) {
        Arguments pair{a, b};
        const double order = machine.toNumber(machine.call(function, Value(), pair));
        result = order < 0 ? -1 : (order > 0 ? 1 : 0);
    } else if (flags & kNumeric) {
        const double x = machine.toNumber(a);
        const double y = machine.toNumber(b);
        result = x < y ? -1 : (x > y ? 1 : 0);
    } else {
        result = compareText(machine.toString(a), machine.toString(b), flags & kCaseInsensitive);
    }
    return (flags & kDescending) ? -result : result;
}

Value sortArray(Machine& machine, ArrayObject* array, int flags,
                const std::function<int(const Value&, const Value&)>& compare)
{
    // A script's comparison may change the array while it is sorted: the
    // sort reads the elements as they were when it began.
    const std::vector<Value> elements = array->elements;
    std::vector<std::size_t> order(elements.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
        return compare(elements[x], elements[y]) < 0;
    });
    if (flags & kUniqueSort) {
        for (std::size_t i = 1; i < order.size(); ++i) {
            if (compare(elements[order[i - 1]], elements[order[i]]) == 0) {
                return Value(0.0);
            }
        }
    }
    if (flags & kReturnIndexedArray) {
        std::vector<Value> indices;
        for (const std::size_t index : order) {
            indices.emplace_back(double(index));
        }
        return Value(machine.newArray(std::move(indices)));
    }
    std::vector<Value> sorted;
    for (const std::size_t index : order) {
        sorted.push_back(elements[index]);
    }
    array->elements = std::move(sorted);
    return Value(static_cast<Object*>(array));
}

} // namespace

void installArrayClass(Machine& m)
{
    ArrayObject* prototype = m.make<ArrayObject>(m.objectPrototype);
    m.arrayPrototype = prototype;
    const auto make = [](Machine& machine, const Value&, Arguments& arguments) -> Value {
        if (arguments.size() == 1 && arguments[0].isNumber()) {
            const double length = arguments[0].asNumber();
            ArrayObject* array = machine.newArray();
            if (length >= 0 && length <= Machine::kMaxArrayLength) {
                array->elements.resize(std::size_t(length));
            }
            return Value(static_cast<Object*>(array));
        }
        return Value(static_cast<Object*>(machine.newArray(arguments)));
    };
    NativeFunction* constructor = m.newClass(prototype, make, make);
    m.global()->define(m, "Array", Value(constructor), kDontEnum);
    constructor->define(m, "CASEINSENSITIVE", Value(1.0), kDontEnum | kDontDelete | kReadOnly);
    constructor->define(m, "DESCENDING", Value(2.0), kDontEnum | kDontDelete | kReadOnly);
    constructor->define(m, "UNIQUESORT", Value(4.0), kDontEnum | kDontDelete | kReadOnly);
    constructor->define(m, "RETURNINDEXEDARRAY", Value(8.0), kDontEnum | kDontDelete | kReadOnly);
    constructor->define(m, "NUMERIC", Value(16.0), kDontEnum | kDontDelete | kReadOnly);

    m.method(prototype, "push", [](Machine&, const Value& self, Arguments& arguments) {
        ArrayObject* array = asArray(self);
        if (!array) {
            return Value();
        }
        for (const Value& value : arguments) {
            if (array->elements.size() < Machine::kMaxArrayLength) {
                array->elements.push_back(value);
            }
        }
        return Value(double(array->elements.size()));
    });
    m.method(prototype, "pop", [](Machine&, const Value& self, Arguments&) {
        ArrayObject* array = asArray(self);
        if (!array || array->elements.empty()) {
            return Value();
        }
        Value last = array->elements.back();
        array->elements.pop_back();
        return last;
    });
    m.method(prototype, "shift", [](Machine&, const Value& self, Arguments&) {
        ArrayObject* array = asArray(self);
        if (!array || array->elements.empty()) {
            return Value();
        }
        Value first = array->elements.front();
        array->elements.erase(array->elements.begin());
        return first;
    });
    m.method(prototype, "unshift", [](Machine&, const Value& self, Arguments& arguments) {
        ArrayObject* array = asArray(self);
        if (!array) {
            return Value();
        }
        array->elements.insert(array->elements.begin(), arguments.begin(), arguments.end());
        return Value(double(array->elements.size()));
    });
    m.method(prototype, "slice", [](Machine& machine, const Value& self, Arguments& arguments) {
        ArrayObject* array = asArray(self);
        if (!array) {
            return Value();
        }
        const std::size_t length = array->elements.size();
        const std::size_t begin = clampIndex(machine, argument(arguments, 0), length, 0);
        const std::size_t end = clampIndex(machine, argument(arguments, 1), length, length);
        std::vector<Value> part;
        for (std::size_t i = begin; i < end; ++i) {
            part.push_back(array->elements[i]);
        }
        return Value(static_cast<Object*>(machine.newArray(std::move(part))));
    });
    m.method(prototype, "splice", [](Machine& machine, const Value& self, Arguments& arguments) {
        ArrayObject* array = asArray(self);
        if (!array || arguments.empty()) {
            return Value();
        }
        const std::size_t length = array->elements.size();
        const std::size_t begin = clampIndex(machine, argument(arguments, 0), length, 0);
        std::size_t count = length - begin;
        if (arguments.size() > 1) {
            const double wanted = machine.toNumber(arguments[1]);
            count =
                std::isnan(wanted) || wanted < 0 ? 0 : std::size_t(std::min(wanted, double(count)));
        }
        std::vector<Value> removed(array->elements.begin() + std::ptrdiff_t(begin),
                                   array->elements.begin() + std::ptrdiff_t(begin + count));
        array->elements.erase(array->elements.begin() + std::ptrdiff_t(begin),
                              array->elements.begin() + std::ptrdiff_t(begin + count));
        if (arguments.size() > 2) {
            array->elements.insert(array->elements.begin() + std::ptrdiff_t(begin),
                                   arguments.begin() + 2, arguments.end());
        }
        return Value(static_cast<Object*>(machine.newArray(std::move(removed))));
    });
    m.method(prototype, "concat", [](Machine& machine, const Value& self, Arguments& arguments) {
        ArrayObject* array = asArray(self);
        std::vector<Value> joined = array ? array->elements : std::vector<Value>{};
        for (const Value& value : arguments) {
            if (ArrayObject* other = asArray(value)) {
                joined.insert(joined.end(), other->elements.begin(), other->elements.end());
            } else {
                joined.push_back(value);
            }
        }
        return Value(static_cast<Object*>(machine.newArray(std::move(joined))));
    });
    m.method(prototype, "join", [](Machine& machine, const Value& self, Arguments& arguments) {
        ArrayObject* array = asArray(self);
        if (!array) {
            return Value();
        }
        const Value separator = argument(arguments, 0);
        return Value(joinElements(machine, array->elements,
                                  separator.isUndefined() ? "," : machine.toString(separator)));
    });
    m.method(prototype, "toString", [](Machine& machine, const Value& self, Arguments&) {
        ArrayObject* array = asArray(self);
        return Value(array ? joinElements(machine, array->elements, ",") : std::string());
    });
    m.method(prototype, "reverse", [](Machine&, const Value& self, Arguments&) {
        if (ArrayObject* array = asArray(self)) {
            std::reverse(array->elements.begin(), array->elements.end());
        }
        return self;
    });
    m.method(prototype, "sort", [](Machine& machine, const Value& self, Arguments& arguments) {
        ArrayObject* array = asArray(self);
        if (!array) {
            return Value();
        }
        Object* function = argument(arguments, 0).asObject();
        int flags = 0;
        if (function && !function->isFunction()) {
            function = nullptr;
        }
        if (!function && arguments.size() > 0) {
            flags = machine.toInt32(arguments[0]);
        } else if (arguments.size() > 1) {
            flags = machine.toInt32(arguments[1]);
        }
        return sortArray(machine, array, flags, [&](const Value& a, const Value& b) {
            return compareValues(machine, a, b, flags, function);
        });
    });
    m.method(prototype, "sortOn", [](Machine& machine, const Value& self, Arguments& arguments) {
        ArrayObject* array = asArray(self);
        if (!array) {
            return Value();
        }
        std::vector<std::string> fields;
        if (ArrayObject* names = asArray(argument(arguments, 0))) {
            for (const Value& name : names->elements) {
                fields.push_back(machine.toString(name));
            }
        } else {
            fields.push_back(machine.toString(argument(arguments, 0)));
        }
        const int flags = machine.toInt32(argument(arguments, 1));
        return sortArray(machine, array, flags, [&](const Value& a, const Value& b) {
            for (const std::string& field : fields) {
                Object* x = machine.toObject(a);
                Object* y = machine.toObject(b);
                const int order =
                    compareValues(machine, x ? x->get(machine, field) : Value(),
                                  y ? y->get(machine, field) : Value(), flags, nullptr);
                if (order != 0) {
                    return order;
                }
            }
            return 0;
        });
    });
}

} // namespace quorvane::player::avm1
