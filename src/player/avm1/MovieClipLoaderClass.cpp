#include "player/avm1/Builtins.h"
#include "player/avm1/Clip.h"
#include "player/avm1/Machine.h"
#include "player/avm1/Stage.h"

namespace quorvane::player::avm1 {

namespace {

ArrayObject* listenersOf(Machine& machine, const Value& self)
{
    Object* loader = self.asObject();
    return loader ? dynamic_cast<ArrayObject*>(loader->get(machine, "_listeners").asObject())
                  : nullptr;
}

// A clip or a path to one, as loadClip and unloadClip take it; a number
// names a level.
Clip* targetOf(Machine& machine, const Value& target)
{
    Stage* stage = machine.stage();
    if (!stage) {
        return nullptr;
    }
    if (auto* clip = dynamic_cast<Clip*>(target.asObject())) {
        return clip->removed ? nullptr : clip;
    }
    if (target.isNumber()) {
        return stage->level(clampedInt(target.asNumber()));
    }
    return stage->resolvePath(nullptr, machine.toString(target));
}

void listenerMethods(Machine& m, Object* prototype)
{
    m.method(prototype, "addListener", [](Machine& machine, const Value& self, Arguments& a) {
        if (ArrayObject* listeners = listenersOf(machine, self)) {
            std::erase(listeners->elements, argument(a, 0));
            listeners->elements.push_back(argument(a, 0));
        }
        return Value(true);
    });
    m.method(prototype, "removeListener", [](Machine& machine, const Value& self, Arguments& a) {
        ArrayObject* listeners = listenersOf(machine, self);
        return Value(listeners && std::erase(listeners->elements, argument(a, 0)) > 0);
    });
    // The loader tells its listeners through this method, which scripts may
    // replace to watch the events go by.
    m.method(prototype, "broadcastMessage", [](Machine& machine, const Value& self, Arguments& a) {
        ArrayObject* listeners = listenersOf(machine, self);
        if (!listeners || a.empty()) {
            return Value();
        }
        const std::string event = machine.toString(a[0]);
        // A listener may remove itself while it hears the event.
        const std::vector<Value> hearing = listeners->elements;
        for (const Value& listener : hearing) {
            Arguments rest(a.begin() + 1, a.end());
            machine.callMethod(listener, event, rest);
        }
        return Value();
    });
}

void loadingMethods(Machine& m, Object* prototype)
{
    m.method(prototype, "loadClip", [](Machine& machine, const Value& self, Arguments& a) {
        Stage* stage = machine.stage();
        Object* loader = self.asObject();
        const Value where = argument(a, 1);
        if (!stage || !loader) {
            return Value(false);
        }
        // A number is a level, which the load makes when there is none.
        if (where.isNumber()) {
            stage->loadMovieNum(clampedInt(where.asNumber()), machine.toString(argument(a, 0)),
                                loader);
            return Value(true);
        }
        Clip* target = targetOf(machine, where);
        if (!target) {
            return Value(false);
        }
        stage->loadMovie(target, machine.toString(argument(a, 0)), loader);
        return Value(true);
    });
    m.method(prototype, "unloadClip", [](Machine& machine, const Value&, Arguments& a) {
        Clip* target = targetOf(machine, argument(a, 0));
        if (!target) {
            return Value(false);
        }
        target->stage.unloadMovie(target);
        return Value(true);
    });
    m.method(prototype, "getProgress", [](Machine& machine, const Value&, Arguments& a) {
        Clip* target = targetOf(machine, argument(a, 0));
        if (!target) {
            return Value();
        }
        const Clip::LoadedContent* content = target->loadedContent();
        const double bytes = double(content ? content->bytes : target->stage.movieBytes());
        Object* progress = machine.newObject();
        progress->set(machine, "bytesLoaded", Value(bytes));
        progress->set(machine, "bytesTotal", Value(bytes));
        return Value(progress);
    });
}

} // namespace

void installMovieClipLoaderClass(Machine& m)
{
    Object* prototype = m.newObject();
    NativeFunction* constructor =
        m.newClass(prototype, [](Machine& machine, const Value& self, Arguments&) {
            // The loader listens to itself first, so handlers set on it hear the events.
            if (Object* loader = self.asObject()) {
                loader->define(machine, "_listeners", Value(machine.newArray({self})), kDontEnum);
            }
            return Value();
        });
    listenerMethods(m, prototype);
    loadingMethods(m, prototype);
    m.global()->define(m, "MovieClipLoader", Value(constructor), kDontEnum);
}

} // namespace quorvane::player::avm1
