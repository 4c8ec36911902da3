#include "player/avm1/BitmapDataObject.h"
#include "player/avm1/Builtins.h"
#include "player/avm1/Clip.h"
#include "player/avm1/Machine.h"
#include "player/avm1/Stage.h"

#include <cmath>

namespace quorvane::player::avm1 {

namespace {

Clip* selfClip(const Value& self)
{
    auto* clip = dynamic_cast<Clip*>(self.asObject());
    return clip && !clip->removed ? clip : nullptr;
}

// A frame argument: a number (1-based) or a label.
std::optional<int> frameArgument(Machine& machine, Clip* clip, const Value& value)
{
    if (value.isString()) {
        if (const auto labelled = clip->frameOfLabel(machine, value.asString())) {
            return labelled;
        }
    }
    const double number = machine.toNumber(value);
    if (std::isnan(number)) {
        return std::nullopt;
    }
    return int(std::clamp(number, -1.0, 1e6)) - 1;
}

void timelineMethods(Machine& m, Object* prototype)
{
    m.method(prototype, "play", [](Machine&, const Value& self, Arguments&) {
        if (Clip* clip = selfClip(self)) {
            clip->playing = true;
        }
        return Value();
    });
    m.method(prototype, "stop", [](Machine&, const Value& self, Arguments&) {
        if (Clip* clip = selfClip(self)) {
            clip->playing = false;
        }
        return Value();
    });
    for (const bool play : {true, false}) {
        m.method(prototype, play ? "gotoAndPlay" : "gotoAndStop",
                 [play](Machine& machine, const Value& self, Arguments& arguments) {
                     Clip* clip = selfClip(self);
                     if (!clip) {
                         return Value();
                     }
                     if (const auto frame = frameArgument(machine, clip, argument(arguments, 0))) {
                         clip->gotoFrame(*frame, play);
                     }
                     return Value();
                 });
    }
    m.method(prototype, "nextFrame", [](Machine&, const Value& self, Arguments&) {
        if (Clip* clip = selfClip(self)) {
            clip->gotoFrame(clip->frame + 1, false);
        }
        return Value();
    });
    m.method(prototype, "prevFrame", [](Machine&, const Value& self, Arguments&) {
        if (Clip* clip = selfClip(self); clip && clip->frame > 0) {
            clip->gotoFrame(clip->frame - 1, false);
        }
        return Value();
    });
}

void depthMethods(Machine& m, Object* prototype)
{
    m.method(prototype, "getDepth", [](Machine&, const Value& self, Arguments&) {
        // A removed clip's unload handlers still see the depth it waits at.
        auto* clip = dynamic_cast<Clip*>(self.asObject());
        if (!clip) {
            return Value();
        }
        // A level sits where the first timeline depth would.
        return Value(double(clip->parent ? clip->depth : Clip::kTimelineDepthOffset));
    });
    m.method(prototype, "swapDepths",
             [](Machine& machine, const Value& self, Arguments& arguments) {
                 Clip* clip = selfClip(self);
                 if (!clip || !clip->parent) {
                     return Value();
                 }
                 const Value target = argument(arguments, 0);
                 if (auto* other = dynamic_cast<Clip*>(target.asObject())) {
                     if (other->parent == clip->parent) {
                         clip->stage.swapDepths(clip, other->depth);
                     }
                 } else {
                     const double depth = machine.toNumber(target);
                     if (!std::isnan(depth)) {
                         clip->stage.swapDepths(clip, clampedInt(depth));
                     }
                 }
                 return Value();
             });
    m.method(prototype, "getNextHighestDepth", [](Machine&, const Value& self, Arguments&) {
        Clip* clip = selfClip(self);
        if (!clip) {
            return Value();
        }
        int highest = -1;
        for (const Clip* child : clip->children) {
            highest = std::max(highest, child->depth);
        }
        return Value(double(highest + 1));
    });
    m.method(prototype, "getInstanceAtDepth",
             [](Machine& machine, const Value& self, Arguments& arguments) {
                 Clip* clip = selfClip(self);
                 if (!clip) {
                     return Value();
                 }
                 Clip* child =
                     clip->childAtDepth(clampedInt(machine.toNumber(argument(arguments, 0))));
                 if (!child) {
                     return Value();
                 }
                 // Shapes have no script object; Flash answers with their parent.
                 return Value(static_cast<Object*>(child->isScriptless ? clip : child));
             });
}

void creationMethods(Machine& m, Object* prototype)
{
    m.method(prototype, "duplicateMovieClip",
             [](Machine& machine, const Value& self, Arguments& arguments) {
                 Clip* clip = selfClip(self);
                 if (!clip) {
                     return Value();
                 }
                 Clip* copy =
                     clip->stage.duplicate(clip, machine.toString(argument(arguments, 0)),
                                           clampedInt(machine.toNumber(argument(arguments, 1))));
                 if (copy) {
                     if (Object* init = argument(arguments, 2).asObject()) {
                         for (const std::string& key : init->ownKeys(machine)) {
                             copy->set(machine, key, init->get(machine, key));
                         }
                     }
                 }
                 return copy ? Value(static_cast<Object*>(copy)) : Value();
             });
    m.method(prototype, "removeMovieClip", [](Machine&, const Value& self, Arguments&) {
        if (Clip* clip = selfClip(self)) {
            clip->stage.removeByScript(clip);
        }
        return Value();
    });
    m.method(
        prototype, "attachMovie", [](Machine& machine, const Value& self, Arguments& arguments) {
            Clip* clip = selfClip(self);
            if (!clip) {
                return Value();
            }
            const auto id = clip->stage.exportedCharacter(machine.toString(argument(arguments, 0)));
            const double depth = machine.toNumber(argument(arguments, 2));
            if (!id || std::isnan(depth)) {
                return Value();
            }
            Clip* made = clip->stage.attach(clip, *id, machine.toString(argument(arguments, 1)),
                                            clampedInt(depth));
            if (made) {
                if (Object* init = argument(arguments, 3).asObject()) {
                    for (const std::string& key : init->ownKeys(machine)) {
                        made->set(machine, key, init->get(machine, key));
                    }
                }
            }
            return made ? Value(static_cast<Object*>(made)) : Value();
        });
    m.method(prototype, "createEmptyMovieClip",
             [](Machine& machine, const Value& self, Arguments& arguments) {
                 Clip* clip = selfClip(self);
                 const double depth = machine.toNumber(argument(arguments, 1));
                 if (!clip || std::isnan(depth)) {
                     return Value();
                 }
                 Clip* made = clip->stage.createEmpty(
                     clip, machine.toString(argument(arguments, 0)), clampedInt(depth));
                 return made ? Value(static_cast<Object*>(made)) : Value();
             });
}

void geometryMethods(Machine& m, Object* prototype)
{
    m.method(prototype, "getBounds", [](Machine& machine, const Value& self, Arguments& arguments) {
        Clip* clip = selfClip(self);
        if (!clip) {
            return Value();
        }
        Clip* space = dynamic_cast<Clip*>(argument(arguments, 0).asObject());
        const QRectF bounds = clip->stage.boundsIn(clip, space ? space : clip);
        Object* result = machine.newObject();
        const bool empty = bounds.isNull();
        result->set(machine, "xMin", Value(empty ? 6710886.35 : bounds.left()));
        result->set(machine, "xMax", Value(empty ? 6710886.35 : bounds.right()));
        result->set(machine, "yMin", Value(empty ? 6710886.35 : bounds.top()));
        result->set(machine, "yMax", Value(empty ? 6710886.35 : bounds.bottom()));
        return Value(result);
    });
    m.method(prototype, "hitTest", [](Machine& machine, const Value& self, Arguments& arguments) {
        Clip* clip = selfClip(self);
        if (!clip) {
            return Value(false);
        }
        if (auto* other = dynamic_cast<Clip*>(argument(arguments, 0).asObject())) {
            return Value(clip->stage.boundsIn(clip, nullptr)
                             .intersects(clip->stage.boundsIn(other, nullptr)));
        }
        const QPointF point(machine.toNumber(argument(arguments, 0)),
                            machine.toNumber(argument(arguments, 1)));
        if (machine.toBoolean(argument(arguments, 2))) {
            return Value(clip->stage.hitsShapes(clip, point));
        }
        return Value(clip->stage.boundsIn(clip, nullptr).contains(point));
    });
    // Flash 6's: older movies do not see it.
    Value setMask(m.newFunction([](Machine&, const Value& self, Arguments& arguments) {
        if (Clip* clip = selfClip(self)) {
            clip->stage.setMask(clip, selfClip(argument(arguments, 0)));
        }
        return Value();
    }));
    prototype->define(m, "setMask", setMask, kDontEnum | kFromSwf6);
    for (const bool toGlobal : {true, false}) {
        m.method(prototype, toGlobal ? "localToGlobal" : "globalToLocal",
                 [toGlobal](Machine& machine, const Value& self, Arguments& arguments) {
                     Clip* clip = selfClip(self);
                     Object* point = argument(arguments, 0).asObject();
                     if (!clip || !point) {
                         return Value();
                     }
                     const QPointF in(machine.toNumber(point->get(machine, "x")),
                                      machine.toNumber(point->get(machine, "y")));
                     const QTransform toStage = clip->stage.transformToStage(clip);
                     const QPointF out = toGlobal ? toStage.map(in) : toStage.inverted().map(in);
                     point->set(machine, "x", Value(out.x()));
                     point->set(machine, "y", Value(out.y()));
                     return Value();
                 });
    }
    m.method(prototype, "startDrag", [](Machine& machine, const Value& self, Arguments& arguments) {
        if (Clip* clip = selfClip(self)) {
            clip->stage.startDrag(clip, machine.toBoolean(argument(arguments, 0)));
        }
        return Value();
    });
    m.method(prototype, "stopDrag", [](Machine&, const Value& self, Arguments&) {
        if (Clip* clip = selfClip(self)) {
            clip->stage.stopDrag();
        }
        return Value();
    });
}

// What loading put in a clip, and loading more.
void contentMethods(Machine& m, Object* prototype)
{
    const auto bytes = [](Machine&, const Value& self, Arguments&) {
        Clip* clip = selfClip(self);
        if (!clip) {
            return Value();
        }
        const Clip::LoadedContent* content = clip->loadedContent();
        return Value(double(content ? content->bytes : clip->stage.movieBytes()));
    };
    m.method(prototype, "getBytesLoaded", bytes);
    m.method(prototype, "getBytesTotal", bytes);
    m.method(prototype, "getSWFVersion", [](Machine& machine, const Value& self, Arguments&) {
        Clip* clip = selfClip(self);
        if (!clip) {
            return Value();
        }
        const Clip::LoadedContent* content = clip->loadedContent();
        return Value(double(content ? content->swfVersion : machine.version()));
    });
    m.method(prototype, "loadMovie", [](Machine& machine, const Value& self, Arguments& a) {
        if (Clip* clip = selfClip(self)) {
            clip->stage.loadMovie(clip, machine.toString(argument(a, 0)));
        }
        return Value();
    });
    m.method(prototype, "unloadMovie", [](Machine&, const Value& self, Arguments&) {
        if (Clip* clip = selfClip(self)) {
            clip->stage.unloadMovie(clip);
        }
        return Value();
    });
    m.method(prototype, "loadVariables", [](Machine& machine, const Value& self, Arguments& a) {
        if (Clip* clip = selfClip(self)) {
            clip->stage.loadVariables(clip, machine.toString(argument(a, 0)));
        }
        return Value();
    });
    m.method(prototype, "attachBitmap", [](Machine& machine, const Value& self, Arguments& a) {
        Clip* clip = selfClip(self);
        auto* bitmap = dynamic_cast<BitmapDataObject*>(argument(a, 0).asObject());
        const double depth = machine.toNumber(argument(a, 1));
        if (clip && bitmap && !std::isnan(depth)) {
            clip->stage.attachBitmap(clip, bitmap->sharedPixels(), clampedInt(depth),
                                     machine.toBoolean(argument(a, 3)));
        }
        return Value();
    });
}

} // namespace

void installMovieClipClass(Machine& m)
{
    Object* prototype = m.newObject();
    m.movieClipPrototype = prototype;
    NativeFunction* constructor =
        m.newClass(prototype, [](Machine&, const Value&, Arguments&) { return Value(); });
    m.global()->define(m, "MovieClip", Value(constructor), kDontEnum);
    timelineMethods(m, prototype);
    depthMethods(m, prototype);
    creationMethods(m, prototype);
    geometryMethods(m, prototype);
    contentMethods(m, prototype);
    installDrawingMethods(m, prototype);
    installClipEffectProperties(m, prototype);

    m.buttonPrototype = m.newObject();
    NativeFunction* button =
        m.newClass(m.buttonPrototype, [](Machine&, const Value&, Arguments&) { return Value(); });
    m.global()->define(m, "Button", Value(button), kDontEnum);
    m.textFieldPrototype = m.newObject();
    NativeFunction* textField = m.newClass(
        m.textFieldPrototype, [](Machine&, const Value&, Arguments&) { return Value(); });
    m.global()->define(m, "TextField", Value(textField), kDontEnum);
}

} // namespace quorvane::player::avm1
