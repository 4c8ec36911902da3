// What buttons and clips acting as buttons share: the members that decide
// whether they take the mouse, and the Button class's own.

#include "player/avm1/Builtins.h"
#include "player/avm1/Clip.h"
#include "player/avm1/Machine.h"

namespace quorvane::player::avm1 {

void installButtonClass(Machine& m)
{
    // Plain members of the prototypes: a script's own value hides them and
    // deleting it brings them back.
    for (Object* prototype : {m.movieClipPrototype, m.buttonPrototype}) {
        prototype->define(m, "enabled", Value(true));
        prototype->define(m, "useHandCursor", Value(true));
    }
    // Unlike MovieClip's, Button's getDepth is listed by for-in.
    NativeFunction* getDepth = m.newFunction([](Machine&, const Value& self, Arguments&) {
        const auto* button = dynamic_cast<const Clip*>(self.asObject());
        return button ? Value(double(button->depth)) : Value();
    });
    m.buttonPrototype->define(m, "getDepth", Value(getDepth));
}

} // namespace quorvane::player::avm1
