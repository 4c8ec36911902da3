#include "player/avm1/TextFieldVariable.h"

#include "player/avm1/Clip.h"
#include "player/avm1/Machine.h"
#include "player/avm1/Stage.h"
#include "player/avm1/TextField.h"

namespace quorvane::player::avm1 {

namespace {

struct VariableSlot {
    Object* owner = nullptr;
    std::string name;
};

// The object holding the variable and its name; no owner when the path
// leads nowhere.
VariableSlot slotOf(Machine& machine, Clip& field)
{
    const std::string& variable = field.textField->variable;
    Clip* base = field.parent;
    if (variable.empty() || !base) {
        return {};
    }
    const std::size_t split = variable.find_last_of(".:");
    if (split == std::string::npos) {
        return {base, variable};
    }
    const std::string path = variable.substr(0, split);
    VariableSlot slot{field.stage.resolvePath(base, path), variable.substr(split + 1)};
    if (!slot.owner && path.find_first_of("./:") == std::string::npos) {
        // A plain object in a variable of the parent.
        slot.owner = base->get(machine, path).asObject();
    }
    return slot;
}

} // namespace

void bindTextFieldVariable(Machine& machine, Clip& field)
{
    const VariableSlot slot = slotOf(machine, field);
    if (!slot.owner) {
        return;
    }
    const Value value = slot.owner->get(machine, slot.name);
    if (!value.isUndefined()) {
        field.textField->setVariableValue(machine.toString(value));
    } else if (const std::string text = field.textField->text(); !text.empty()) {
        slot.owner->set(machine, slot.name, Value(text));
    }
}

void readTextFieldVariable(Machine& machine, Clip& field)
{
    const VariableSlot slot = slotOf(machine, field);
    if (!dynamic_cast<Clip*>(slot.owner)) {
        return;
    }
    const Value value = slot.owner->get(machine, slot.name);
    if (!value.isUndefined()) {
        field.textField->setVariableValue(machine.toString(value));
    }
}

void writeTextFieldVariable(Machine& machine, Clip& field, const std::string& text)
{
    const VariableSlot slot = slotOf(machine, field);
    if (slot.owner) {
        slot.owner->set(machine, slot.name, Value(text));
    }
}

} // namespace quorvane::player::avm1
