// flash.geom's Point, Rectangle, Matrix and ColorTransform. In Flash they
// are plain objects with plain number fields that scripts read and write
// freely, so the methods read the fields each time rather than keeping
// state of their own.

#include "player/avm1/Builtins.h"
#include "player/avm1/GeomObjects.h"
#include "player/avm1/Machine.h"

#include <cmath>
#include <span>

namespace quorvane::player::avm1 {

namespace {

double field(Machine& m, const Value& object, const char* name)
{
    Object* target = object.asObject();
    return target ? m.toNumber(target->get(m, name)) : std::nan("");
}

void setFields(Machine& m, const Value& self, std::span<const char* const> names,
               std::span<const double> values)
{
    Object* target = self.asObject();
    if (!target) {
        return;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        target->set(m, names[i], Value(values[i]));
    }
}

// The constructors' arguments, undefined ones taking the defaults.
void construct(Machine& m, const Value& self, Arguments& arguments,
               std::span<const char* const> names, std::span<const double> defaults)
{
    std::vector<double> values(defaults.begin(), defaults.end());
    for (std::size_t i = 0; i < names.size() && i < arguments.size(); ++i) {
        values[i] = m.toNumber(arguments[i]);
    }
    setFields(m, self, names, values);
}

// "(x=1, y=2)", the fields' own text forms.
Value describe(Machine& m, const Value& self, std::span<const char* const> names,
               std::span<const char* const> labels)
{
    std::string text = "(";
    for (std::size_t i = 0; i < names.size(); ++i) {
        Object* target = self.asObject();
        text += (i ? ", " : "") + std::string(labels[i]) + "=" +
                m.toString(target ? target->get(m, names[i]) : Value());
    }
    return Value(text + ")");
}

constexpr const char* kPointFields[] = {"x", "y"};
constexpr const char* kRectangleFields[] = {"x", "y", "width", "height"};
constexpr const char* kRectangleLabels[] = {"x", "y", "w", "h"};
constexpr const char* kMatrixFields[] = {"a", "b", "c", "d", "tx", "ty"};
constexpr const char* kColorFields[] = {"redMultiplier",   "greenMultiplier", "blueMultiplier",
                                        "alphaMultiplier", "redOffset",       "greenOffset",
                                        "blueOffset",      "alphaOffset"};

Value newInstance(Machine& m, const char* className, std::vector<Value> values)
{
    Object* package = flashPackage(m, "geom");
    auto* constructor = dynamic_cast<Function*>(package->get(m, className).asObject());
    if (!constructor) {
        return Value();
    }
    return constructor->construct(m, values);
}

GeomMatrix readMatrix(Machine& m, const Value& self)
{
    return GeomMatrix{field(m, self, "a"), field(m, self, "b"),  field(m, self, "c"),
                      field(m, self, "d"), field(m, self, "tx"), field(m, self, "ty")};
}

void writeMatrix(Machine& m, const Value& self, const GeomMatrix& matrix)
{
    const double values[] = {matrix.a, matrix.b, matrix.c, matrix.d, matrix.tx, matrix.ty};
    setFields(m, self, kMatrixFields, values);
}

NativeFunction* geomClass(Machine& m, const char* name, std::span<const char* const> fields,
                          std::span<const double> defaults, std::span<const char* const> labels)
{
    Object* prototype = m.newObject();
    std::vector<const char*> names(fields.begin(), fields.end());
    std::vector<double> initial(defaults.begin(), defaults.end());
    NativeFunction* constructor =
        m.newClass(prototype, [names, initial](Machine& machine, const Value& self, Arguments& a) {
            construct(machine, self, a, names, initial);
            return Value();
        });
    std::vector<const char*> shown(labels.begin(), labels.end());
    m.method(prototype, "toString",
             [names, shown](Machine& machine, const Value& self, Arguments&) {
                 return describe(machine, self, names, shown);
             });
    m.method(prototype, "clone", [names, name](Machine& machine, const Value& self, Arguments&) {
        std::vector<Value> values;
        for (const char* each : names) {
            values.push_back(Value(field(machine, self, each)));
        }
        return newInstance(machine, name, std::move(values));
    });
    flashPackage(m, "geom")->define(m, name, Value(constructor), kDontEnum);
    return constructor;
}

void installPoint(Machine& m)
{
    constexpr double defaults[] = {0, 0};
    NativeFunction* point = geomClass(m, "Point", kPointFields, defaults, kPointFields);
    Object* prototype = point->get(m, "prototype").asObject();
    for (const double sign : {1.0, -1.0}) {
        m.method(prototype, sign > 0 ? "add" : "subtract",
                 [sign](Machine& machine, const Value& self, Arguments& a) {
                     const Value other = argument(a, 0);
                     return newInstance(
                         machine, "Point",
                         {Value(field(machine, self, "x") + sign * field(machine, other, "x")),
                          Value(field(machine, self, "y") + sign * field(machine, other, "y"))});
                 });
    }
    m.method(prototype, "offset", [](Machine& machine, const Value& self, Arguments& a) {
        const double moved[] = {field(machine, self, "x") + machine.toNumber(argument(a, 0)),
                                field(machine, self, "y") + machine.toNumber(argument(a, 1))};
        setFields(machine, self, kPointFields, moved);
        return Value();
    });
    m.method(prototype, "equals", [](Machine& machine, const Value& self, Arguments& a) {
        const Value other = argument(a, 0);
        return Value(other.asObject() && field(machine, self, "x") == field(machine, other, "x") &&
                     field(machine, self, "y") == field(machine, other, "y"));
    });
    m.method(point, "distance", [](Machine& machine, const Value&, Arguments& a) {
        const Value p = argument(a, 0);
        const Value q = argument(a, 1);
        return Value(std::hypot(field(machine, p, "x") - field(machine, q, "x"),
                                field(machine, p, "y") - field(machine, q, "y")));
    });
}

void installRectangle(Machine& m)
{
    constexpr double defaults[] = {0, 0, 0, 0};
    NativeFunction* rectangle =
        geomClass(m, "Rectangle", kRectangleFields, defaults, kRectangleLabels);
    Object* prototype = rectangle->get(m, "prototype").asObject();
    m.method(prototype, "isEmpty", [](Machine& machine, const Value& self, Arguments&) {
        return Value(!(field(machine, self, "width") > 0) || !(field(machine, self, "height") > 0));
    });
    m.method(prototype, "setEmpty", [](Machine& machine, const Value& self, Arguments&) {
        constexpr double none[] = {0, 0, 0, 0};
        setFields(machine, self, kRectangleFields, none);
        return Value();
    });
    // A rectangle holds its left and top edges but not its right and bottom ones.
    const auto contains = [](Machine& machine, const Value& self, double x, double y) {
        const double left = field(machine, self, "x");
        const double top = field(machine, self, "y");
        return x >= left && y >= top && x < left + field(machine, self, "width") &&
               y < top + field(machine, self, "height");
    };
    m.method(prototype, "contains", [contains](Machine& machine, const Value& self, Arguments& a) {
        return Value(contains(machine, self, machine.toNumber(argument(a, 0)),
                              machine.toNumber(argument(a, 1))));
    });
    m.method(prototype, "containsPoint",
             [contains](Machine& machine, const Value& self, Arguments& a) {
                 const Value point = argument(a, 0);
                 return Value(contains(machine, self, field(machine, point, "x"),
                                       field(machine, point, "y")));
             });
    m.method(prototype, "offset", [](Machine& machine, const Value& self, Arguments& a) {
        Object* target = self.asObject();
        if (target) {
            target->set(machine, "x",
                        Value(field(machine, self, "x") + machine.toNumber(argument(a, 0))));
            target->set(machine, "y",
                        Value(field(machine, self, "y") + machine.toNumber(argument(a, 1))));
        }
        return Value();
    });
    m.method(prototype, "inflate", [](Machine& machine, const Value& self, Arguments& a) {
        const double dx = machine.toNumber(argument(a, 0));
        const double dy = machine.toNumber(argument(a, 1));
        const double grown[] = {field(machine, self, "x") - dx, field(machine, self, "y") - dy,
                                field(machine, self, "width") + 2 * dx,
                                field(machine, self, "height") + 2 * dy};
        setFields(machine, self, kRectangleFields, grown);
        return Value();
    });
    m.method(prototype, "intersects", [](Machine& machine, const Value& self, Arguments& a) {
        const Value other = argument(a, 0);
        const double left = std::max(field(machine, self, "x"), field(machine, other, "x"));
        const double top = std::max(field(machine, self, "y"), field(machine, other, "y"));
        const double right = std::min(field(machine, self, "x") + field(machine, self, "width"),
                                      field(machine, other, "x") + field(machine, other, "width"));
        const double bottom =
            std::min(field(machine, self, "y") + field(machine, self, "height"),
                     field(machine, other, "y") + field(machine, other, "height"));
        return Value(left < right && top < bottom);
    });
}

void installMatrix(Machine& m)
{
    constexpr double defaults[] = {1, 0, 0, 1, 0, 0};
    NativeFunction* matrix = geomClass(m, "Matrix", kMatrixFields, defaults, kMatrixFields);
    Object* prototype = matrix->get(m, "prototype").asObject();
    m.method(prototype, "identity", [](Machine& machine, const Value& self, Arguments&) {
        writeMatrix(machine, self, GeomMatrix{});
        return Value();
    });
    m.method(prototype, "translate", [](Machine& machine, const Value& self, Arguments& a) {
        writeMatrix(machine, self,
                    readMatrix(machine, self)
                        .then(GeomMatrix::translation(machine.toNumber(argument(a, 0)),
                                                      machine.toNumber(argument(a, 1)))));
        return Value();
    });
    m.method(prototype, "scale", [](Machine& machine, const Value& self, Arguments& a) {
        writeMatrix(machine, self,
                    readMatrix(machine, self)
                        .then(GeomMatrix::scaling(machine.toNumber(argument(a, 0)),
                                                  machine.toNumber(argument(a, 1)))));
        return Value();
    });
    m.method(prototype, "rotate", [](Machine& machine, const Value& self, Arguments& a) {
        writeMatrix(
            machine, self,
            readMatrix(machine, self).then(GeomMatrix::rotation(machine.toNumber(argument(a, 0)))));
        return Value();
    });
    m.method(prototype, "concat", [](Machine& machine, const Value& self, Arguments& a) {
        writeMatrix(machine, self,
                    readMatrix(machine, self).then(readMatrix(machine, argument(a, 0))));
        return Value();
    });
    m.method(prototype, "invert", [](Machine& machine, const Value& self, Arguments&) {
        writeMatrix(machine, self, readMatrix(machine, self).inverted());
        return Value();
    });
    m.method(prototype, "createBox", [](Machine& machine, const Value& self, Arguments& a) {
        const double rotation = a.size() > 2 ? machine.toNumber(a[2]) : 0;
        writeMatrix(
            machine, self,
            GeomMatrix::scaling(machine.toNumber(argument(a, 0)), machine.toNumber(argument(a, 1)))
                .then(GeomMatrix::rotation(rotation))
                .then(GeomMatrix::translation(a.size() > 3 ? machine.toNumber(a[3]) : 0,
                                              a.size() > 4 ? machine.toNumber(a[4]) : 0)));
        return Value();
    });
    m.method(prototype, "transformPoint", [](Machine& machine, const Value& self, Arguments& a) {
        const Value point = argument(a, 0);
        const auto [x, y] =
            readMatrix(machine, self).map(field(machine, point, "x"), field(machine, point, "y"));
        return newInstance(machine, "Point", {Value(x), Value(y)});
    });
}

void installColorTransform(Machine& m)
{
    constexpr double defaults[] = {1, 1, 1, 1, 0, 0, 0, 0};
    geomClass(m, "ColorTransform", kColorFields, defaults, kColorFields);
}

} // namespace

GeomMatrix GeomMatrix::translation(double x, double y)
{
    return GeomMatrix{1, 0, 0, 1, x, y};
}

GeomMatrix GeomMatrix::scaling(double x, double y)
{
    return GeomMatrix{x, 0, 0, y, 0, 0};
}

GeomMatrix GeomMatrix::rotation(double radians)
{
    const double cosine = std::cos(radians);
    const double sine = std::sin(radians);
    return GeomMatrix{cosine, sine, -sine, cosine, 0, 0};
}

GeomMatrix GeomMatrix::then(const GeomMatrix& next) const
{
    return GeomMatrix{a * next.a + b * next.c,
                      a * next.b + b * next.d,
                      c * next.a + d * next.c,
                      c * next.b + d * next.d,
                      tx * next.a + ty * next.c + next.tx,
                      tx * next.b + ty * next.d + next.ty};
}

GeomMatrix GeomMatrix::inverted() const
{
    const double determinant = a * d - b * c;
    if (determinant == 0) {
        // Flash leaves a matrix that has no inverse as the identity.
        return GeomMatrix{};
    }
    return GeomMatrix{d / determinant,
                      -b / determinant,
                      -c / determinant,
                      a / determinant,
                      (c * ty - d * tx) / determinant,
                      (b * tx - a * ty) / determinant};
}

std::pair<double, double> GeomMatrix::map(double x, double y) const
{
    return {a * x + c * y + tx, b * x + d * y + ty};
}

Value newGeomRectangle(Machine& m, double x, double y, double width, double height)
{
    return newInstance(m, "Rectangle", {Value(x), Value(y), Value(width), Value(height)});
}

QRect rectangleFields(Machine& m, const Value& rectangle)
{
    const auto whole = [&](const char* name) { return clampedInt(field(m, rectangle, name)); };
    return QRect(whole("x"), whole("y"), whole("width"), whole("height"));
}

void installGeomClasses(Machine& m)
{
    installPoint(m);
    installRectangle(m);
    installMatrix(m);
    installColorTransform(m);
}

} // namespace quorvane::player::avm1
