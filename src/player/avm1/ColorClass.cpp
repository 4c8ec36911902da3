#include "player/avm1/Builtins.h"
#include "player/avm1/Clip.h"
#include "player/avm1/Machine.h"
#include "player/avm1/Stage.h"

#include <algorithm>
#include <cmath>

namespace quorvane::player::avm1 {

namespace {

// A Color object keeps the target it was made for, clip or path, and finds
// the clip again on each call, so that it follows a path to a new clip.
Clip* targetOf(Machine& machine, const Value& self)
{
    Object* color = self.asObject();
    if (!color) {
        return nullptr;
    }
    const Value target = color->get(machine, "target");
    if (auto* clip = dynamic_cast<Clip*>(target.asObject())) {
        return clip->removed ? nullptr : clip;
    }
    if (target.isString() && machine.stage()) {
        return machine.stage()->resolvePath(nullptr, target.asString());
    }
    return nullptr;
}

std::int16_t clampedShort(double value)
{
    return std::isfinite(value) ? std::int16_t(std::clamp(value, -32768.0, 32767.0))
                                : std::int16_t(0);
}

// getTransform's and setTransform's names: a percentage multiplier and an
// offset per channel, in this order.
struct ChannelNames {
    const char* multiply;
    const char* add;
    std::int16_t swf::ColorTransform::*multiplyField;
    std::int16_t swf::ColorTransform::*addField;
};

constexpr ChannelNames kChannels[] = {
    {"ra", "rb", &swf::ColorTransform::redMultiply, &swf::ColorTransform::redAdd},
    {"ga", "gb", &swf::ColorTransform::greenMultiply, &swf::ColorTransform::greenAdd},
    {"ba", "bb", &swf::ColorTransform::blueMultiply, &swf::ColorTransform::blueAdd},
    {"aa", "ab", &swf::ColorTransform::alphaMultiply, &swf::ColorTransform::alphaAdd},
};

void colorMethods(Machine& m, Object* prototype)
{
    m.method(prototype, "setRGB", [](Machine& machine, const Value& self, Arguments& arguments) {
        Clip* clip = targetOf(machine, self);
        if (!clip || arguments.empty()) {
            return Value();
        }
        const auto rgb = std::uint32_t(machine.toInt32(arguments[0]));
        swf::ColorTransform& colors = clip->colorTransform;
        colors.redMultiply = colors.greenMultiply = colors.blueMultiply = 0;
        colors.redAdd = std::int16_t((rgb >> 16) & 0xFF);
        colors.greenAdd = std::int16_t((rgb >> 8) & 0xFF);
        colors.blueAdd = std::int16_t(rgb & 0xFF);
        clip->movedByScript = true;
        return Value();
    });
    m.method(prototype, "getRGB", [](Machine& machine, const Value& self, Arguments&) {
        const Clip* clip = targetOf(machine, self);
        if (!clip) {
            return Value();
        }
        // The offsets as Flash combines them, in 32-bit integers.
        const auto bits = [](std::int16_t offset) { return std::uint32_t(std::int32_t(offset)); };
        const swf::ColorTransform& colors = clip->colorTransform;
        return Value(double(std::int32_t((bits(colors.redAdd) << 16) |
                                         (bits(colors.greenAdd) << 8) | bits(colors.blueAdd))));
    });
    m.method(
        prototype, "setTransform", [](Machine& machine, const Value& self, Arguments& arguments) {
            Clip* clip = targetOf(machine, self);
            Object* given = argument(arguments, 0).asObject();
            if (!clip || !given) {
                return Value();
            }
            // Only the names the object has change; the rest stay.
            for (const ChannelNames& channel : kChannels) {
                if (const Value percent = given->get(machine, channel.multiply);
                    !percent.isUndefined()) {
                    clip->colorTransform.*channel.multiplyField =
                        clampedShort(machine.toNumber(percent) * 256 / 100);
                }
                if (const Value offset = given->get(machine, channel.add); !offset.isUndefined()) {
                    clip->colorTransform.*channel.addField = clampedShort(machine.toNumber(offset));
                }
            }
            clip->movedByScript = true;
            return Value();
        });
    m.method(prototype, "getTransform", [](Machine& machine, const Value& self, Arguments&) {
        const Clip* clip = targetOf(machine, self);
        if (!clip) {
            return Value();
        }
        Object* transform = machine.newObject();
        for (const ChannelNames& channel : kChannels) {
            transform->set(machine, channel.multiply,
                           Value(clip->colorTransform.*channel.multiplyField * 100 / 256.0));
            transform->set(machine, channel.add,
                           Value(double(clip->colorTransform.*channel.addField)));
        }
        return Value(transform);
    });
}

} // namespace

void installColorClass(Machine& m)
{
    Object* prototype = m.newObject();
    // A plain constructor: the instance comes from Function's own construct,
    // and the body keeps the target on it.
    NativeFunction* constructor =
        m.newClass(prototype, [](Machine& machine, const Value& self, Arguments& arguments) {
            if (Object* color = self.asObject()) {
                color->define(machine, "target", argument(arguments, 0),
                              kDontEnum | kDontDelete | kReadOnly);
            }
            return Value();
        });
    m.global()->define(m, "Color", Value(constructor), kDontEnum);
    colorMethods(m, prototype);
}

} // namespace quorvane::player::avm1
