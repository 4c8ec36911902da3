#pragma once

#include "swf/Tags.h"
#include "swf/Types.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quorvane::player::avm1 {

// A button's states, as DefineButton and DefineButton2 give them.
enum ButtonState : std::uint8_t {
    kButtonUp = 1,
    kButtonOver = 2,
    kButtonDown = 4,
    kButtonHit = 8,
};

// DefineButton2's transition conditions, by their bits.
enum ButtonCondition : std::uint16_t {
    kIdleToOverUp = 1u << 0,
    kOverUpToIdle = 1u << 1,
    kOverUpToOverDown = 1u << 2,
    kOverDownToOverUp = 1u << 3,
    kOverDownToOutDown = 1u << 4,
    kOutDownToOverDown = 1u << 5,
    kOutDownToIdle = 1u << 6,
    kIdleToOverDown = 1u << 7,
    kOverDownToIdle = 1u << 8,
};

struct ButtonRecord {
    std::uint8_t states = 0;
    std::uint16_t characterId = 0;
    std::uint16_t depth = 0;
    swf::Matrix matrix;
    swf::ColorTransform colors;
};

struct ButtonAction {
    std::uint16_t conditions = 0;
    // A key code (Flash's button key numbering), 0 for none.
    std::uint8_t key = 0;
    std::span<const std::uint8_t> code;
};

struct ButtonDefinition {
    std::uint16_t id = 0;
    bool trackAsMenu = false;
    std::vector<ButtonRecord> records;
    std::vector<ButtonAction> actions;
};

constexpr std::uint16_t kDefineButton = 7;
constexpr std::uint16_t kDefineButton2 = 34;
constexpr std::uint16_t kDefineButtonCxform = 23;

// The definition a DefineButton or DefineButton2 tag's bytes hold, as far
// as they go; nothing for another tag. The actions point into the tag.
std::optional<ButtonDefinition> readButton(const swf::Unknown& tag);
// DefineButtonCxform: the colour transform of every record of the button.
void applyButtonCxform(const swf::Unknown& tag, ButtonDefinition& button);

} // namespace quorvane::player::avm1
