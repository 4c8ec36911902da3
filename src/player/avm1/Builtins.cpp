#include "player/avm1/Builtins.h"

#include "player/avm1/Machine.h"

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
    installInputClasses(machine);
    installFilterClasses(machine);
    installTextSnapshotClass(machine);
    installTextFieldClass(machine);
    installTextFormatClass(machine);
    installSoundClass(machine);
    installGlobalFunctions(machine);
}

} // namespace quorvane::player::avm1
