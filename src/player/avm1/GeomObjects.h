#pragma once

#include "player/avm1/Value.h"

#include <QRect>
#include <utility>

namespace quorvane::player::avm1 {

class Machine;

// flash.geom.Matrix's arithmetic: x' = a x + c y + tx, y' = b x + d y + ty.
struct GeomMatrix {
    double a = 1;
    double b = 0;
    double c = 0;
    double d = 1;
    double tx = 0;
    double ty = 0;

    static GeomMatrix translation(double x, double y);
    static GeomMatrix scaling(double x, double y);
    static GeomMatrix rotation(double radians);
    // This matrix, then the next one (Flash's concat).
    GeomMatrix then(const GeomMatrix& next) const;
    // The identity when there is no inverse.
    GeomMatrix inverted() const;
    std::pair<double, double> map(double x, double y) const;
};

// A new flash.geom.Rectangle, as BitmapData.rectangle gives one.
Value newGeomRectangle(Machine& machine, double x, double y, double width, double height);
// Any object's x, y, width and height, in whole pixels.
QRect rectangleFields(Machine& machine, const Value& rectangle);

} // namespace quorvane::player::avm1
