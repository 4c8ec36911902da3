#include "FrameActions.h"

#include "swf/TagCode.h"

namespace quorvane::course {

namespace {

void appendU16(std::vector<std::uint8_t>& out, std::size_t value)
{
    out.push_back(std::uint8_t(value & 0xff));
    out.push_back(std::uint8_t((value >> 8) & 0xff));
}

std::vector<std::uint8_t> zeroTerminated(const std::string& text)
{
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

// The condition of a click that ends over the button.
constexpr std::uint8_t kOverDownToOverUp = 0x08;

} // namespace

FrameActions& FrameActions::op(swf::ActionCode code)
{
    m_bytes.push_back(std::uint8_t(code));
    return *this;
}

FrameActions& FrameActions::withBody(swf::ActionCode code, const std::vector<std::uint8_t>& body)
{
    op(code);
    appendU16(m_bytes, body.size());
    m_bytes.insert(m_bytes.end(), body.begin(), body.end());
    return *this;
}

FrameActions& FrameActions::gotoFrame(std::uint16_t frame)
{
    std::vector<std::uint8_t> body;
    appendU16(body, frame);
    return withBody(swf::ActionCode::GotoFrame, body);
}

FrameActions& FrameActions::gotoLabel(const std::string& label)
{
    return withBody(swf::ActionCode::GoToLabel, zeroTerminated(label));
}

FrameActions& FrameActions::setTarget(const std::string& path)
{
    return withBody(swf::ActionCode::SetTarget, zeroTerminated(path));
}

std::vector<std::uint8_t> FrameActions::bytes() const
{
    std::vector<std::uint8_t> all = m_bytes;
    all.push_back(std::uint8_t(swf::ActionCode::End));
    return all;
}

swf::Tag doAction(const FrameActions& actions)
{
    swf::Unknown tag;
    tag.code = std::uint16_t(swf::TagCode::DoAction);
    tag.data = actions.bytes();
    return swf::Tag{tag};
}

swf::Tag defineButton(std::uint16_t id, const std::vector<ButtonPart>& parts,
                      const FrameActions& onRelease)
{
    // Each record: its states, character, depth, an identity matrix and an
    // identity colour transform (a zero byte each).
    std::vector<std::uint8_t> records;
    std::uint16_t depth = 0;
    for (const ButtonPart& part : parts) {
        records.push_back(part.states);
        appendU16(records, part.character);
        appendU16(records, ++depth);
        records.push_back(0);
        records.push_back(0);
    }
    records.push_back(0);

    std::vector<std::uint8_t> body;
    appendU16(body, id);
    body.push_back(0);                   // not a menu button
    appendU16(body, 2 + records.size()); // from this field to the first action
    body.insert(body.end(), records.begin(), records.end());
    appendU16(body, 0); // the last (only) condition
    body.push_back(kOverDownToOverUp);
    body.push_back(0);
    const std::vector<std::uint8_t> actions = onRelease.bytes();
    body.insert(body.end(), actions.begin(), actions.end());

    swf::Unknown tag;
    tag.code = std::uint16_t(swf::TagCode::DefineButton2);
    tag.data = std::move(body);
    return swf::Tag{tag};
}

} // namespace quorvane::course
