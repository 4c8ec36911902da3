#pragma once

#include <cstdint>
#include <span>

namespace quorvane::fuzz {

// Runs the bytes as the actions of a DoAction on the root's first two
// frames and inside a sprite, with clicks, keys and seeks in between.
// Nothing may crash, leak or hang; the engine's guards end runaway code.
void exerciseActions(std::span<const std::uint8_t> actions);

} // namespace quorvane::fuzz
