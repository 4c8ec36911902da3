#include "player/avm1/ButtonDefinition.h"

#include "swf/BitReader.h"
#include "swf/Fields.h"

namespace quorvane::player::avm1 {

namespace {

bool readRecords(swf::BitReader& reader, bool withColors, ButtonDefinition& button)
{
    while (!reader.atEnd()) {
        const std::uint8_t flags = reader.readU8();
        if (flags == 0) {
            return true;
        }
        ButtonRecord record;
        record.states = flags & 0x0f;
        record.characterId = reader.readU16();
        record.depth = reader.readU16();
        record.matrix = swf::readMatrix(reader);
        if (withColors) {
            record.colors = swf::readColorTransform(reader, true);
            if (flags & 0x10) {
                // Filters: their count, then each one, which only the
                // renderer of filters would read; a button with them keeps
                // its records read so far.
                return false;
            }
            if (flags & 0x20) {
                reader.readU8();
            }
        }
        if (reader.overflowed()) {
            return false;
        }
        button.records.push_back(record);
    }
    return false;
}

} // namespace

std::optional<ButtonDefinition> readButton(const swf::Unknown& tag)
{
    if (tag.code != kDefineButton && tag.code != kDefineButton2) {
        return std::nullopt;
    }
    swf::BitReader reader(tag.data);
    ButtonDefinition button;
    button.id = reader.readU16();
    if (tag.code == kDefineButton) {
        readRecords(reader, false, button);
        const std::size_t start = reader.bytePosition();
        if (start < tag.data.size()) {
            button.actions.push_back(
                ButtonAction{kOverDownToOverUp, 0, std::span(tag.data).subspan(start)});
        }
        return button;
    }
    button.trackAsMenu = reader.readU8() & 1;
    const std::size_t actionOffset = reader.readU16();
    const std::size_t actionsStart = reader.bytePosition() - 2 + actionOffset;
    readRecords(reader, true, button);
    if (actionOffset == 0 || actionsStart >= tag.data.size()) {
        return button;
    }
    std::size_t at = actionsStart;
    while (at + 4 <= tag.data.size()) {
        const std::size_t size = tag.data[at] | std::size_t(tag.data[at + 1]) << 8;
        const std::uint16_t conditions = std::uint16_t(tag.data[at + 2] | tag.data[at + 3] << 8);
        const std::size_t end = size == 0 ? tag.data.size() : std::min(tag.data.size(), at + size);
        ButtonAction action;
        // The first byte holds the mouse transitions, bit for bit as
        // ButtonCondition numbers them; the second the key code and
        // OverDownToIdle.
        action.conditions = std::uint16_t(conditions & 0xff);
        const std::uint8_t second = std::uint8_t(conditions >> 8);
        if (second & 1) {
            action.conditions |= kOverDownToIdle;
        }
        action.key = second >> 1;
        if (at + 4 < end) {
            action.code = std::span(tag.data).subspan(at + 4, end - at - 4);
        }
        button.actions.push_back(action);
        if (size == 0 || end <= at) {
            break;
        }
        at = end;
    }
    return button;
}

void applyButtonCxform(const swf::Unknown& tag, ButtonDefinition& button)
{
    swf::BitReader reader(tag.data);
    reader.readU16();
    const swf::ColorTransform colors = swf::readColorTransform(reader, false);
    if (!reader.overflowed()) {
        for (ButtonRecord& record : button.records) {
            record.colors = colors;
        }
    }
}

} // namespace quorvane::player::avm1
