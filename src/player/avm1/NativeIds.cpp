#include "player/avm1/Builtins.h"
#include "player/avm1/Machine.h"

#include <string>
#include <string_view>

namespace quorvane::player::avm1 {
namespace {

// Flash numbers its native functions by category and index, and its own
// class definitions hand them out as ASSetNative does: a comma-separated
// list of names from a first index, an empty name skipping an index.
struct NativeList {
    int category;
    int firstIndex;
    // The object that holds them, as a dotted path from the global object;
    // empty for the global object itself.
    std::string_view holder;
    std::string_view names;
};

constexpr NativeList kNativeLists[] = {
    {1, 0, "", "ASSetPropFlags"},
    {100, 0, "", "escape,unescape,parseInt,parseFloat"},
    {101, 0, "Object.prototype",
     "watch,unwatch,addProperty,valueOf,toString,hasOwnProperty,isPrototypeOf,"
     "isPropertyEnumerable"},
    {103, 0, "Date.prototype",
     "getFullYear,getYear,getMonth,getDate,getDay,getHours,getMinutes,getSeconds,"
     "getMilliseconds,setFullYear,setMonth,setDate,setHours,setMinutes,setSeconds,"
     "setMilliseconds,getTime,setTime,getTimezoneOffset,toString,setYear"},
    {103, 128, "Date.prototype",
     "getUTCFullYear,getUTCYear,getUTCMonth,getUTCDate,getUTCDay,getUTCHours,getUTCMinutes,"
     "getUTCSeconds,getUTCMilliseconds,setUTCFullYear,setUTCMonth,setUTCDate,setUTCHours,"
     "setUTCMinutes,setUTCSeconds,setUTCMilliseconds"},
    {103, 256, "", "Date"},
    {103, 257, "Date", "UTC"},
    {200, 0, "Math",
     "abs,min,max,sin,cos,atan2,tan,exp,log,sqrt,round,random,floor,ceil,atan,asin,acos,pow"},
    {200, 18, "", "isNaN,isFinite"},
    {251, 0, "", "String"},
    {251, 1, "String.prototype",
     "valueOf,toString,toUpperCase,toLowerCase,charAt,charCodeAt,concat,indexOf,lastIndexOf,"
     "slice,substring,split,substr"},
    {251, 14, "String", "fromCharCode"},
    {252, 0, "", "Array"},
    {252, 1, "Array.prototype",
     "push,pop,concat,shift,unshift,slice,join,splice,toString,sort,reverse,sortOn"},
};

Object* holderAt(Machine& machine, std::string_view path)
{
    Object* object = machine.global();
    while (object && !path.empty()) {
        const std::size_t dot = path.find('.');
        object = object->get(machine, path.substr(0, dot)).asObject();
        path = dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
    }
    return object;
}

// Calls `each(index, name)` for the names of an ASSetNative list; a leading
// digit on a name is the version it was made for, not part of the name.
template <class Each> void forEachListed(std::string_view names, int index, Each each)
{
    while (true) {
        const std::size_t comma = names.find(',');
        std::string_view name = names.substr(0, comma);
        if (!name.empty() && name.front() >= '0' && name.front() <= '9') {
            name.remove_prefix(1);
        }
        if (!name.empty()) {
            each(index, name);
        }
        if (comma == std::string_view::npos) {
            return;
        }
        names.remove_prefix(comma + 1);
        ++index;
    }
}

} // namespace

void installNativeIds(Machine& m)
{
    for (const NativeList& list : kNativeLists) {
        Object* holder = holderAt(m, list.holder);
        if (!holder) {
            continue;
        }
        forEachListed(list.names, list.firstIndex, [&](int index, std::string_view name) {
            if (auto* function = dynamic_cast<Function*>(holder->get(m, name).asObject())) {
                m.registerNative(list.category, index, function);
            }
        });
    }

    m.method(m.global(), "ASnative", [](Machine& machine, const Value&, Arguments& arguments) {
        Function* function = machine.nativeById(machine.toInt32(argument(arguments, 0)),
                                                machine.toInt32(argument(arguments, 1)));
        return function ? Value(function) : Value();
    });
    m.method(m.global(), "ASSetNative", [](Machine& machine, const Value&, Arguments& arguments) {
        Object* target = argument(arguments, 0).asObject();
        const int category = machine.toInt32(argument(arguments, 1));
        const std::string names = machine.toString(argument(arguments, 2));
        const int first = machine.toInt32(argument(arguments, 3));
        if (!target) {
            return Value();
        }
        forEachListed(names, first, [&](int index, std::string_view name) {
            if (Function* function = machine.nativeById(category, index)) {
                target->define(machine, name, Value(function), kDontEnum);
            }
        });
        return Value();
    });
}

} // namespace quorvane::player::avm1
