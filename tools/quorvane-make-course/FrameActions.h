#pragma once

#include "swf/ActionCode.h"
#include "swf/Tags.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quorvane::course {

// The few timeline actions a lesson movie needs, as bytecode.
class FrameActions {
public:
    FrameActions& stop() { return op(swf::ActionCode::Stop); }
    FrameActions& play() { return op(swf::ActionCode::Play); }
    // Frames count from 0, as in the format.
    FrameActions& gotoFrame(std::uint16_t frame);
    FrameActions& gotoLabel(const std::string& label);
    // "" targets the timeline the actions belong to again.
    FrameActions& setTarget(const std::string& path);

    // The actions with the End action that closes them.
    std::vector<std::uint8_t> bytes() const;

private:
    FrameActions& op(swf::ActionCode code);
    FrameActions& withBody(swf::ActionCode code, const std::vector<std::uint8_t>& body);

    std::vector<std::uint8_t> m_bytes;
};

swf::Tag doAction(const FrameActions& actions);

// One character of a button and the states it is drawn in.
struct ButtonPart {
    enum State : std::uint8_t { Up = 0x01, Over = 0x02, Down = 0x04, HitTest = 0x08 };
    std::uint8_t states;
    std::uint16_t character;
};

// A DefineButton2 of the parts (each at its own depth, in order) that runs
// `onRelease` when a click on it ends over it.
swf::Tag defineButton(std::uint16_t id, const std::vector<ButtonPart>& parts,
                      const FrameActions& onRelease);

} // namespace quorvane::course
