#pragma once

#include "player/avm1/Object.h"

#include <cstddef>

namespace quorvane::player::avm1 {

class Machine;

// The global object and the built-in classes, each installed by its own file.
void installBuiltins(Machine& machine);
void installGlobalFunctions(Machine& machine);
void installObjectClass(Machine& machine);
void installFunctionClass(Machine& machine);
void installArrayClass(Machine& machine);
void installStringClass(Machine& machine);
void installNumberClass(Machine& machine);
void installBooleanClass(Machine& machine);
void installMathClass(Machine& machine);
void installErrorClass(Machine& machine);
void installMovieClipClass(Machine& machine);
void installDateClass(Machine& machine);
void installAsBroadcaster(Machine& machine);
// AsBroadcaster.initialize: _listeners and the broadcaster's methods.
void makeBroadcaster(Machine& machine, Object* source);
void installInputClasses(Machine& machine);
void installFilterClasses(Machine& machine);
void installTextSnapshotClass(Machine& machine);
void installTextFieldClass(Machine& machine);
void installTextFormatClass(Machine& machine);
void installSoundClass(Machine& machine);
void installButtonClass(Machine& machine);
void installColorClass(Machine& machine);
void installGeomClasses(Machine& machine);
void installBitmapDataClass(Machine& machine);
void installMovieClipLoaderClass(Machine& machine);
void installXmlClasses(Machine& machine);
// ASnative and ASSetNative over the built-ins' numbers; installed last.
void installNativeIds(Machine& machine);

// flash.<name>, made on first use.
Object* flashPackage(Machine& machine, const char* name);
// MovieClip's beginFill, lineTo and the other drawing methods.
void installDrawingMethods(Machine& machine, Object* movieClipPrototype);
// blendMode, filters and cacheAsBitmap, for movies of Flash 8 and later.
void installClipEffectProperties(Machine& machine, Object* movieClipPrototype);

// An array-like object's length as a count of elements to read: none for
// a missing or negative length, and no more than an array may hold.
std::size_t arrayLikeLength(Machine& machine, Object& object);

// The argument at index, undefined past the end.
inline Value argument(const Arguments& arguments, std::size_t index)
{
    return index < arguments.size() ? arguments[index] : Value();
}

} // namespace quorvane::player::avm1
