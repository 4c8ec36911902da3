#include "player/avm1/Builtins.h"
#include "player/avm1/FilterObject.h"
#include "player/avm1/Machine.h"

#include <algorithm>
#include <cmath>
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

// Flash's filter classes construct natively and record their constructor
// where for-in sees it, unlike instances of script classes.
class FilterConstructor : public Function {
public:
    FilterConstructor(Object* prototype, const FilterKind& kind) : Function(prototype), m_kind(kind)
    {
    }

    Value call(Machine&, const Value&, Arguments&) override { return Value(); }

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
