#include "player/avm1/Builtins.h"
#include "player/avm1/FilterObject.h"
#include "player/avm1/Machine.h"
#include "swf/Filters.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <numbers>
#include <span>

namespace quorvane::player::avm1 {

namespace {

constexpr FilterParameter kBlurParameters[] = {
    {"blurX", FilterParameter::kNumber, 4, 0, 255},
    {"blurY", FilterParameter::kNumber, 4, 0, 255},
    {"quality", FilterParameter::kInteger, 1, 0, 15},
};

// In the constructor's argument order.
constexpr FilterParameter kDropShadowParameters[] = {
    {"distance", FilterParameter::kNumber, 4, -32768, 32767},
    {"angle", FilterParameter::kAngle, 45, 0, 360},
    {"color", FilterParameter::kColor, 0, 0, 0xFFFFFF},
    {"alpha", FilterParameter::kNumber, 1, 0, 1},
    {"blurX", FilterParameter::kNumber, 4, 0, 255},
    {"blurY", FilterParameter::kNumber, 4, 0, 255},
    {"strength", FilterParameter::kNumber, 1, 0, 255},
    {"quality", FilterParameter::kInteger, 1, 0, 15},
    {"inner", FilterParameter::kBoolean, 0, 0, 1},
    {"knockout", FilterParameter::kBoolean, 0, 0, 1},
    {"hideObject", FilterParameter::kBoolean, 0, 0, 1},
};

const FilterKind kBlur{kBlurParameters, false};
const FilterKind kDropShadow{kDropShadowParameters, false};
const FilterKind kColorMatrix{{}, true};

// PlaceObject3's numbering of the kinds that have a class here.
constexpr std::uint8_t kDropShadowId = 0;
constexpr std::uint8_t kBlurId = 1;
constexpr std::uint8_t kColorMatrixId = 6;

void appendFixed16(std::vector<std::uint8_t>& bytes, double value)
{
    const auto fixed = std::uint32_t(
        std::int32_t(std::clamp(std::round(value * 65536), -2147483648.0, 2147483647.0)));
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(std::uint8_t(fixed >> shift));
    }
}

void appendFixed8(std::vector<std::uint8_t>& bytes, double value)
{
    const auto fixed =
        std::uint16_t(std::int16_t(std::clamp(std::round(value * 256), -32768.0, 32767.0)));
    bytes.push_back(std::uint8_t(fixed));
    bytes.push_back(std::uint8_t(fixed >> 8));
}

void appendFloat(std::vector<std::uint8_t>& bytes, float value)
{
    const auto bits = std::bit_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(std::uint8_t(bits >> shift));
    }
}

double degrees(double radians)
{
    return radians * 180 / std::numbers::pi;
}

double radians(double degrees)
{
    return degrees * std::numbers::pi / 180;
}

// Flash's filter classes construct natively and record their constructor
// where for-in sees it, unlike instances of script classes.
class FilterConstructor : public Function {
public:
    FilterConstructor(Object* prototype, const FilterKind& kind) : Function(prototype), m_kind(kind)
    {
    }

    Value call(Machine&, const Value&, Arguments&) override { return Value(); }
    const FilterKind& kind() const { return m_kind; }

    Value construct(Machine& machine, Arguments& arguments) override
    {
        auto* filter = machine.make<FilterObject>(get(machine, "prototype").asObject(), m_kind);
        filter->define(machine, "__constructor__", Value(this));
        if (m_kind.hasMatrix) {
            filter->setMatrix(machine, argument(arguments, 0));
        } else {
            for (std::size_t i = 0; i < arguments.size() && i < m_kind.parameters.size(); ++i) {
                filter->setParameter(machine, i, arguments[i]);
            }
        }
        return Value(filter);
    }

private:
    const FilterKind& m_kind;
};

// Accessors on the prototype: read on anything but a filter of this kind
// (the prototype itself, say) they give undefined and take nothing.
void defineParameterAccessors(Machine& m, Object* prototype, const FilterKind& kind)
{
    for (std::size_t index = 0; index < kind.parameters.size(); ++index) {
        auto* getter = m.newFunction([&kind, index](Machine&, const Value& self, Arguments&) {
            auto* filter = dynamic_cast<FilterObject*>(self.asObject());
            return filter && &filter->kind() == &kind ? filter->parameter(index) : Value();
        });
        auto* setter = m.newFunction(
            [&kind, index](Machine& machine, const Value& self, Arguments& arguments) {
                auto* filter = dynamic_cast<FilterObject*>(self.asObject());
                if (filter && &filter->kind() == &kind) {
                    filter->setParameter(machine, index, argument(arguments, 0));
                }
                return Value();
            });
        prototype->defineAccessor(m, kind.parameters[index].name, getter, setter);
    }
}

void defineMatrixAccessor(Machine& m, Object* prototype)
{
    auto* getter = m.newFunction([](Machine& machine, const Value& self, Arguments&) {
        auto* filter = dynamic_cast<FilterObject*>(self.asObject());
        return filter && filter->kind().hasMatrix ? filter->matrixArray(machine) : Value();
    });
    auto* setter = m.newFunction([](Machine& machine, const Value& self, Arguments& arguments) {
        auto* filter = dynamic_cast<FilterObject*>(self.asObject());
        if (filter && filter->kind().hasMatrix) {
            filter->setMatrix(machine, argument(arguments, 0));
        }
        return Value();
    });
    prototype->defineAccessor(m, "matrix", getter, setter);
}

void defineFilterClass(Machine& m, Object* package, Function* bitmapFilter, const char* name,
                       const FilterKind& kind)
{
    // The prototype is a BitmapFilter instance, as if made by `new`.
    Object* prototype = m.newObject(bitmapFilter->get(m, "prototype").asObject());
    prototype->define(m, "__constructor__", Value(bitmapFilter), kDontEnum);
    auto* constructor = m.make<FilterConstructor>(m.functionPrototype, kind);
    constructor->define(m, "prototype", Value(prototype), kDontEnum | kDontDelete);
    constructor->define(m, "constructor", m.global()->get(m, "Function"), kDontEnum | kDontDelete);
    if (kind.hasMatrix) {
        defineMatrixAccessor(m, prototype);
    } else {
        defineParameterAccessors(m, prototype, kind);
    }
    package->define(m, name, Value(constructor));
}

} // namespace

FilterObject::FilterObject(Object* prototype, const FilterKind& kind)
    : Object(prototype), m_kind(kind)
{
    for (const FilterParameter& parameter : kind.parameters) {
        m_values.push_back(parameter.defaultValue);
    }
    if (kind.hasMatrix) {
        m_matrix.assign(20, 0.0);
        for (std::size_t row = 0; row < 4; ++row) {
            m_matrix[row * 5 + row] = 1.0;
        }
    }
}

Value FilterObject::parameter(std::size_t index) const
{
    if (m_kind.parameters[index].type == FilterParameter::kBoolean) {
        return Value(m_values[index] != 0);
    }
    return Value(m_values[index]);
}

void FilterObject::setParameter(Machine& machine, std::size_t index, const Value& value)
{
    const FilterParameter& parameter = m_kind.parameters[index];
    switch (parameter.type) {
    case FilterParameter::kBoolean:
        m_values[index] = machine.toBoolean(value) ? 1 : 0;
        return;
    case FilterParameter::kColor:
        m_values[index] = double(std::uint32_t(machine.toInt32(value)) & 0xFFFFFFu);
        return;
    case FilterParameter::kInteger:
        m_values[index] =
            std::clamp(double(machine.toInt32(value)), parameter.minimum, parameter.maximum);
        return;
    case FilterParameter::kAngle: {
        const double degrees = std::fmod(machine.toNumber(value), 360.0);
        m_values[index] = std::isfinite(degrees) ? degrees : 0;
        return;
    }
    case FilterParameter::kNumber: {
        const double number = machine.toNumber(value);
        m_values[index] = std::isnan(number)
                              ? parameter.minimum
                              : std::clamp(number, parameter.minimum, parameter.maximum);
        return;
    }
    }
}

Value FilterObject::matrixArray(Machine& machine) const
{
    std::vector<Value> elements;
    for (double element : m_matrix) {
        elements.emplace_back(element);
    }
    return Value(machine.newArray(std::move(elements)));
}

void FilterObject::setMatrix(Machine& machine, const Value& value)
{
    auto* array = dynamic_cast<ArrayObject*>(value.asObject());
    if (!array) {
        return;
    }
    // Missing entries are zero; numbers past the twentieth are ignored.
    for (std::size_t i = 0; i < m_matrix.size(); ++i) {
        const double number = i < array->elements.size() ? machine.toNumber(array->elements[i]) : 0;
        m_matrix[i] = std::isnan(number) ? 0 : number;
    }
}

FilterObject* FilterObject::copy(Machine& machine)
{
    auto* copied = machine.make<FilterObject>(prototype(), m_kind);
    copied->define(machine, "__constructor__", get(machine, "__constructor__"));
    copied->m_values = m_values;
    copied->m_matrix = m_matrix;
    return copied;
}

double FilterObject::setting(const char* name) const
{
    for (std::size_t i = 0; i < m_kind.parameters.size(); ++i) {
        if (std::strcmp(m_kind.parameters[i].name, name) == 0) {
            return m_values[i];
        }
    }
    return 0;
}

void FilterObject::setSetting(const char* name, double value)
{
    for (std::size_t i = 0; i < m_kind.parameters.size(); ++i) {
        if (std::strcmp(m_kind.parameters[i].name, name) == 0) {
            m_values[i] = value;
        }
    }
}

swf::Filter FilterObject::placed() const
{
    swf::Filter filter;
    std::vector<std::uint8_t>& data = filter.data;
    const auto passes = std::uint8_t(std::clamp(setting("quality"), 0.0, 31.0));
    if (m_kind.hasMatrix) {
        filter.id = kColorMatrixId;
        for (const double term : m_matrix) {
            appendFloat(data, float(term));
        }
    } else if (&m_kind == &kBlur) {
        filter.id = kBlurId;
        appendFixed16(data, setting("blurX"));
        appendFixed16(data, setting("blurY"));
        data.push_back(std::uint8_t(passes << 3));
    } else {
        filter.id = kDropShadowId;
        const auto color = std::uint32_t(setting("color"));
        data.push_back(std::uint8_t(color >> 16));
        data.push_back(std::uint8_t(color >> 8));
        data.push_back(std::uint8_t(color));
        data.push_back(std::uint8_t(std::lround(setting("alpha") * 255)));
        appendFixed16(data, setting("blurX"));
        appendFixed16(data, setting("blurY"));
        appendFixed16(data, radians(setting("angle")));
        appendFixed16(data, setting("distance"));
        appendFixed8(data, setting("strength"));
        // Inner, knockout and composite-source flags above the pass count;
        // hiding the object is drawing the shadow without its source.
        const bool inner = setting("inner") != 0;
        const bool knockout = setting("knockout") != 0;
        const bool composite = setting("hideObject") == 0;
        data.push_back(std::uint8_t((inner ? 0x80 : 0) | (knockout ? 0x40 : 0) |
                                    (composite ? 0x20 : 0) | std::min<std::uint8_t>(passes, 31)));
    }
    return filter;
}

FilterObject* FilterObject::fromPlaced(Machine& machine, const swf::Filter& filter)
{
    const auto value = swf::decodeFilter(filter);
    if (!value) {
        return nullptr;
    }
    const char* className = nullptr;
    const FilterKind* kind = nullptr;
    if (std::holds_alternative<swf::DropShadowFilter>(*value)) {
        className = "DropShadowFilter";
        kind = &kDropShadow;
    } else if (std::holds_alternative<swf::BlurFilter>(*value)) {
        className = "BlurFilter";
        kind = &kBlur;
    } else if (std::holds_alternative<swf::ColorMatrixFilter>(*value)) {
        className = "ColorMatrixFilter";
        kind = &kColorMatrix;
    } else {
        return nullptr;
    }
    // The class as the player installed it, not as scripts may have
    // replaced it since.
    Object* constructor = flashPackage(machine, "filters")->get(machine, className).asObject();
    auto* constructed = dynamic_cast<FilterConstructor*>(constructor);
    if (!constructed || &constructed->kind() != kind) {
        return nullptr;
    }
    auto* object =
        machine.make<FilterObject>(constructor->get(machine, "prototype").asObject(), *kind);
    object->define(machine, "__constructor__", Value(constructor));
    if (const auto* drop = std::get_if<swf::DropShadowFilter>(&*value)) {
        const swf::FilterShadowParameters& shadow = drop->shadow;
        object->setSetting("distance", shadow.distance);
        object->setSetting("angle", degrees(shadow.angle));
        object->setSetting("color",
                           double((drop->color.r << 16) | (drop->color.g << 8) | drop->color.b));
        object->setSetting("alpha", drop->color.a / 255.0);
        object->setSetting("blurX", shadow.blurX);
        object->setSetting("blurY", shadow.blurY);
        object->setSetting("strength", shadow.strength);
        object->setSetting("quality", shadow.passes);
        object->setSetting("inner", shadow.inner);
        object->setSetting("knockout", shadow.knockout);
        object->setSetting("hideObject", !shadow.compositeSource);
    } else if (const auto* blur = std::get_if<swf::BlurFilter>(&*value)) {
        object->setSetting("blurX", blur->blurX);
        object->setSetting("blurY", blur->blurY);
        object->setSetting("quality", blur->passes);
    } else if (const auto* matrix = std::get_if<swf::ColorMatrixFilter>(&*value)) {
        std::copy(matrix->matrix.begin(), matrix->matrix.end(), object->m_matrix.begin());
    }
    return object;
}

void installFilterClasses(Machine& m)
{
    Object* package = flashPackage(m, "filters");
    Object* prototype = m.newObject();
    NativeFunction* bitmapFilter =
        m.newClass(prototype, [](Machine&, const Value&, Arguments&) { return Value(); });
    package->define(m, "BitmapFilter", Value(bitmapFilter));
    m.method(prototype, "clone", [](Machine& machine, const Value& self, Arguments&) {
        auto* filter = dynamic_cast<FilterObject*>(self.asObject());
        return filter ? Value(filter->copy(machine)) : Value();
    });
    defineFilterClass(m, package, bitmapFilter, "BlurFilter", kBlur);
    defineFilterClass(m, package, bitmapFilter, "DropShadowFilter", kDropShadow);
    defineFilterClass(m, package, bitmapFilter, "ColorMatrixFilter", kColorMatrix);
}

} // namespace quorvane::player::avm1
