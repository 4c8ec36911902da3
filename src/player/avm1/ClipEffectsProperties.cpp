#include "player/avm1/Builtins.h"
#include "player/avm1/Clip.h"
#include "player/avm1/FilterObject.h"
#include "player/avm1/Machine.h"

#include <array>
#include <cmath>

namespace quorvane::player::avm1 {

namespace {

// By PlaceObject3's numbers, from 1; 0 draws as normal too.
constexpr std::array<const char*, 15> kBlendModeNames = {
    "normal", "normal",   "layer",  "multiply", "screen", "lighten", "darken",   "difference",
    "add",    "subtract", "invert", "alpha",    "erase",  "overlay", "hardlight"};

Clip* effectsClip(const Value& self)
{
    auto* clip = dynamic_cast<Clip*>(self.asObject());
    return clip && !clip->removed ? clip : nullptr;
}

// A name, or a number as the format counts them; nothing for anything else,
// which leaves the mode as it was.
std::optional<std::uint8_t> blendModeOf(Machine& machine, const Value& value)
{
    if (value.isString()) {
        const std::string name = value.asString();
        for (std::size_t mode = 1; mode < kBlendModeNames.size(); ++mode) {
            if (name == kBlendModeNames[mode]) {
                return std::uint8_t(mode);
            }
        }
        return std::nullopt;
    }
    if (value.isNumber()) {
        const double number = machine.toNumber(value);
        if (number >= 0 && number < double(kBlendModeNames.size())) {
            return std::uint8_t(std::max(1.0, std::floor(number)));
        }
    }
    return std::nullopt;
}

Value blendModeName(std::uint8_t mode)
{
    return Value(mode < kBlendModeNames.size() ? kBlendModeNames[mode] : "normal");
}

// A new array of new filter objects each time: changing them changes
// nothing until they are assigned back.
Value filtersArray(Machine& machine, Clip& clip)
{
    std::vector<Value> elements;
    if (clip.scriptFilters) {
        for (FilterObject* filter : *clip.scriptFilters) {
            elements.emplace_back(filter->copy(machine));
        }
    } else {
        for (const swf::Filter& placed : clip.filters) {
            if (FilterObject* filter = FilterObject::fromPlaced(machine, placed)) {
                elements.emplace_back(filter);
            }
        }
    }
    return Value(machine.newArray(std::move(elements)));
}

// The clip keeps copies of the array's filters; elements that are not
// filters are passed over, and anything but an array leaves none.
void setFilters(Machine& machine, Clip& clip, const Value& value)
{
    std::vector<FilterObject*> copies;
    if (auto* array = dynamic_cast<ArrayObject*>(value.asObject())) {
        for (const Value& element : array->elements) {
            if (auto* filter = dynamic_cast<FilterObject*>(element.asObject())) {
                copies.push_back(filter->copy(machine));
            }
        }
    }
    clip.filters.clear();
    for (const FilterObject* filter : copies) {
        clip.filters.push_back(filter->placed());
    }
    clip.scriptFilters = std::move(copies);
}

void defineHidden(Machine& m, Object* prototype, const char* name, NativeFunction::Body getter,
                  NativeFunction::Body setter)
{
    prototype->defineAccessor(m, name, m.newFunction(std::move(getter)),
                              m.newFunction(std::move(setter)));
    prototype->setFlags(m, name, kDontEnum | kDontDelete, 0);
}

} // namespace

void installClipEffectProperties(Machine& m, Object* prototype)
{
    // Flash 8 brought them; older movies may use the names for their own.
    if (m.version() < 8) {
        return;
    }
    defineHidden(
        m, prototype, "blendMode",
        [](Machine&, const Value& self, Arguments&) {
            Clip* clip = effectsClip(self);
            return clip ? blendModeName(clip->blendMode) : Value();
        },
        [](Machine& machine, const Value& self, Arguments& arguments) {
            Clip* clip = effectsClip(self);
            if (clip) {
                if (const auto mode = blendModeOf(machine, argument(arguments, 0))) {
                    clip->blendMode = *mode;
                }
            }
            return Value();
        });
    defineHidden(
        m, prototype, "filters",
        [](Machine& machine, const Value& self, Arguments&) {
            Clip* clip = effectsClip(self);
            return clip ? filtersArray(machine, *clip) : Value();
        },
        [](Machine& machine, const Value& self, Arguments& arguments) {
            if (Clip* clip = effectsClip(self)) {
                setFilters(machine, *clip, argument(arguments, 0));
            }
            return Value();
        });
    defineHidden(
        m, prototype, "cacheAsBitmap",
        [](Machine&, const Value& self, Arguments&) {
            Clip* clip = effectsClip(self);
            return clip ? Value(clip->cacheAsBitmap) : Value();
        },
        [](Machine& machine, const Value& self, Arguments& arguments) {
            if (Clip* clip = effectsClip(self)) {
                clip->cacheAsBitmap = machine.toBoolean(argument(arguments, 0));
            }
            return Value();
        });
}

} // namespace quorvane::player::avm1
