#include "player/avm1/BitmapDataObject.h"
#include "player/avm1/Builtins.h"
#include "player/avm1/GeomObjects.h"
#include "player/avm1/Machine.h"
#include "player/avm1/Stage.h"

namespace quorvane::player::avm1 {

namespace {

BitmapDataObject* selfBitmap(const Value& self)
{
    return dynamic_cast<BitmapDataObject*>(self.asObject());
}

// A script's bitmap counts against the movie's memory; one that does not
// fit is refused as Flash refuses one too large for it. Without a stage
// (a bare machine) nothing is counted.
std::optional<MemoryBudget::Claim> claimPixels(Machine& machine, int width, int height)
{
    Stage* stage = machine.stage();
    if (!stage) {
        return MemoryBudget::Claim();
    }
    return stage->budget().claim(std::size_t(width) * std::size_t(height) * 4,
                                 "a script's " + std::to_string(width) + " x " +
                                     std::to_string(height) + " bitmap");
}

BitmapDataObject* newBitmapData(Machine& machine, Object* prototype, const QImage& pixels,
                                bool transparent)
{
    auto claim = claimPixels(machine, pixels.width(), pixels.height());
    return machine.make<BitmapDataObject>(prototype, claim ? pixels : QImage(), transparent,
                                          claim ? std::move(*claim) : MemoryBudget::Claim());
}

std::uint32_t colorArgument(Machine& m, const Arguments& arguments, std::size_t index)
{
    return std::uint32_t(m.toInt32(argument(arguments, index)));
}

void defineGetter(Machine& m, Object* prototype, const char* name,
                  std::function<Value(Machine&, BitmapDataObject&)> read)
{
    NativeFunction* getter = m.newFunction([read](Machine& machine, const Value& self, Arguments&) {
        BitmapDataObject* bitmap = selfBitmap(self);
        return bitmap ? read(machine, *bitmap) : Value();
    });
    prototype->defineAccessor(m, name, getter, nullptr);
    prototype->setFlags(m, name, kDontEnum, 0);
}

void sizeGetters(Machine& m, Object* prototype)
{
    defineGetter(m, prototype, "width",
                 [](Machine&, BitmapDataObject& bitmap) { return Value(double(bitmap.width())); });
    defineGetter(m, prototype, "height",
                 [](Machine&, BitmapDataObject& bitmap) { return Value(double(bitmap.height())); });
    defineGetter(m, prototype, "transparent", [](Machine&, BitmapDataObject& bitmap) {
        return bitmap.disposed() ? Value(-1.0) : Value(bitmap.transparent());
    });
    defineGetter(m, prototype, "rectangle", [](Machine& machine, BitmapDataObject& bitmap) {
        if (bitmap.disposed()) {
            return Value(-1.0);
        }
        return newGeomRectangle(machine, 0, 0, bitmap.width(), bitmap.height());
    });
}

void pixelMethods(Machine& m, Object* prototype)
{
    m.method(prototype, "getPixel", [](Machine& machine, const Value& self, Arguments& a) {
        BitmapDataObject* bitmap = selfBitmap(self);
        if (!bitmap || bitmap->disposed()) {
            return Value(-1.0);
        }
        return Value(double(
            bitmap->pixel32(machine.toInt32(argument(a, 0)), machine.toInt32(argument(a, 1))) &
            0xffffffu));
    });
    m.method(prototype, "getPixel32", [](Machine& machine, const Value& self, Arguments& a) {
        BitmapDataObject* bitmap = selfBitmap(self);
        if (!bitmap || bitmap->disposed()) {
            return Value(-1.0);
        }
        // Flash hands the colour back as a signed 32-bit number.
        return Value(double(std::int32_t(
            bitmap->pixel32(machine.toInt32(argument(a, 0)), machine.toInt32(argument(a, 1))))));
    });
    m.method(prototype, "setPixel", [](Machine& machine, const Value& self, Arguments& a) {
        if (BitmapDataObject* bitmap = selfBitmap(self)) {
            bitmap->setPixel(machine.toInt32(argument(a, 0)), machine.toInt32(argument(a, 1)),
                             colorArgument(machine, a, 2));
        }
        return Value();
    });
    m.method(prototype, "setPixel32", [](Machine& machine, const Value& self, Arguments& a) {
        if (BitmapDataObject* bitmap = selfBitmap(self)) {
            bitmap->setPixel32(machine.toInt32(argument(a, 0)), machine.toInt32(argument(a, 1)),
                               colorArgument(machine, a, 2));
        }
        return Value();
    });
    m.method(prototype, "fillRect", [](Machine& machine, const Value& self, Arguments& a) {
        BitmapDataObject* bitmap = selfBitmap(self);
        if (bitmap && argument(a, 0).asObject()) {
            bitmap->fillRect(rectangleFields(machine, argument(a, 0)),
                             colorArgument(machine, a, 1));
        }
        return Value();
    });
}

void lifetimeMethods(Machine& m, Object* prototype)
{
    m.method(prototype, "clone", [](Machine& machine, const Value& self, Arguments&) {
        BitmapDataObject* bitmap = selfBitmap(self);
        if (!bitmap || bitmap->disposed()) {
            return Value();
        }
        return Value(newBitmapData(machine, bitmap->prototype(), bitmap->pixels().copy(),
                                   bitmap->transparent()));
    });
    m.method(prototype, "dispose", [](Machine&, const Value& self, Arguments&) {
        if (BitmapDataObject* bitmap = selfBitmap(self)) {
            bitmap->dispose();
        }
        return Value();
    });
}

} // namespace

void installBitmapDataClass(Machine& m)
{
    Object* prototype = m.newObject();
    NativeFunction* constructor = m.newClass(
        prototype, [](Machine&, const Value&, Arguments&) { return Value(); },
        [prototype](Machine& machine, const Value&, Arguments& a) {
            const int width = machine.toInt32(argument(a, 0));
            const int height = machine.toInt32(argument(a, 1));
            const bool transparent = a.size() < 3 || machine.toBoolean(a[2]);
            const std::uint32_t fill = a.size() < 4 ? 0xffffffffu : colorArgument(machine, a, 3);
            const bool allowed = width > 0 && height > 0 && width <= BitmapDataObject::kMaxSide &&
                                 height <= BitmapDataObject::kMaxSide;
            auto claim = allowed ? claimPixels(machine, width, height) : std::nullopt;
            // A size Flash refuses gives an object that reads as disposed.
            auto* bitmap = machine.make<BitmapDataObject>(
                prototype,
                claim ? QImage(width, height, QImage::Format_ARGB32_Premultiplied) : QImage(),
                transparent, claim ? std::move(*claim) : MemoryBudget::Claim());
            bitmap->fillRect(QRect(0, 0, width, height), fill);
            return Value(bitmap);
        });
    sizeGetters(m, prototype);
    pixelMethods(m, prototype);
    lifetimeMethods(m, prototype);
    m.method(constructor, "loadBitmap", [prototype](Machine& machine, const Value&, Arguments& a) {
        Stage* stage = machine.stage();
        const QImage* image =
            stage ? stage->exportedBitmap(machine.toString(argument(a, 0))) : nullptr;
        if (!image) {
            return Value();
        }
        return Value(newBitmapData(machine, prototype, *image, true));
    });
    flashPackage(m, "display")->define(m, "BitmapData", Value(constructor), kDontEnum);
}

} // namespace quorvane::player::avm1
