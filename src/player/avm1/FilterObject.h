#pragma once

#include "player/avm1/Object.h"
#include "swf/Tags.h"

#include <cstddef>
#include <span>
#include <vector>

namespace quorvane::player::avm1 {

// One numeric setting of a bitmap filter class, with what a script may set
// it to: numbers are clamped to the range, integers truncated first, angles
// taken modulo a turn, colours cut to 24 bits.
struct FilterParameter {
    enum Type { kNumber, kInteger, kAngle, kColor, kBoolean };
    const char* name;
    Type type;
    double defaultValue;
    double minimum;
    double maximum;
};

// A filter class's settings, in its constructor's argument order; the
// colour matrix filter has its 4 x 5 matrix instead.
struct FilterKind {
    std::span<const FilterParameter> parameters;
    bool hasMatrix = false;
};

// An instance of one of flash.filters' classes.
class FilterObject : public Object {
public:
    FilterObject(Object* prototype, const FilterKind& kind);

    const FilterKind& kind() const { return m_kind; }
    Value parameter(std::size_t index) const;
    void setParameter(Machine& machine, std::size_t index, const Value& value);
    // A new array each time: changing it leaves the filter alone.
    Value matrixArray(Machine& machine) const;
    void setMatrix(Machine& machine, const Value& value);
    FilterObject* copy(Machine& machine);

    // The filter as PlaceObject3 stores it, which the renderer draws.
    swf::Filter placed() const;
    // A new filter object with a placed filter's settings; null for the
    // kinds that have no class here, and for damaged bytes.
    static FilterObject* fromPlaced(Machine& machine, const swf::Filter& filter);

private:
    double setting(const char* name) const;
    void setSetting(const char* name, double value);

    const FilterKind& m_kind;
    std::vector<double> m_values;
    std::vector<double> m_matrix;
};

} // namespace quorvane::player::avm1
