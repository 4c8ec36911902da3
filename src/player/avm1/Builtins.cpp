#include "player/avm1/Builtins.h"

#include "player/avm1/Machine.h"

#include <algorithm>

namespace quorvane::player::avm1 {

void installBuiltins(Machine& machine)
{
    // Prototypes first: each class's methods may make objects of the others.
    installObjectClass(machine);
    installFunctionClass(machine);
    installArrayClass(machine);
    installStringClass(machine);
    installNumberClass(machine);
    installBooleanClass(machine);
    installErrorClass(machine);
    installMathClass(machine);
    installDateClass(machine);
    installMovieClipClass(machine);
    installButtonClass(machine);
    installAsBroadcaster(machine);
    installInputClasses(machine);
    installFilterClasses(machine);
    installGeomClasses(machine);
    installBitmapDataClass(machine);
    installTextSnapshotClass(machine);
    installTextFieldClass(machine);
    installTextFormatClass(machine);
    installSoundClass(machine);
    installColorClass(machine);
    installMovieClipLoaderClass(machine);
    installXmlClasses(machine);
    installGlobalFunctions(machine);
    installNativeIds(machine);
}

std::size_t arrayLikeLength(Machine& machine, Object& object)
{
    const double length = machine.toNumber(object.get(machine, "length"));
    return length > 0 ? std::size_t(std::min(length, double(Machine::kMaxArrayLength))) : 0;
}

Object* flashPackage(Machine& machine, const char* name)
{
    Object*& flash = machine.flashPackages;
    if (!flash) {
        // The packages came with Flash 8; older movies do not see them.
        flash = machine.newObject();
        machine.global()->define(machine, "flash", Value(flash), kDontEnum | kFromSwf8);
    }
    if (Object* existing = flash->get(machine, name).asObject()) {
        return existing;
    }
    Object* made = machine.newObject();
    flash->define(machine, name, Value(made), kDontEnum);
    return made;
}

} // namespace quorvane::player::avm1
