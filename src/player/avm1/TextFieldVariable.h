#pragma once

#include <string>

namespace quorvane::player::avm1 {

class Clip;
class Machine;

// A text field's `variable`: a name, or a path ending in one, relative to
// the field's parent. The field takes the variable's value when bound and,
// while the variable lives on a display object, whenever it is read; text
// set on the field goes to the variable.

// Binds anew: a variable with a value gives the field its text, otherwise
// the field's own text (if any) becomes the variable's value.
void bindTextFieldVariable(Machine& machine, Clip& field);
// Brings the variable's current value into the field.
void readTextFieldVariable(Machine& machine, Clip& field);
// The field's text, set by a script, goes to the variable too.
void writeTextFieldVariable(Machine& machine, Clip& field, const std::string& text);

} // namespace quorvane::player::avm1
