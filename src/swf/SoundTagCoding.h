#pragma once

#include "swf/BitReader.h"
#include "swf/BitWriter.h"
#include "swf/SoundTags.h"

#include <optional>

namespace quorvane::swf {

// The sound tags' bodies, read and written. A read gives nothing when the
// body is cut short.
std::optional<DefineSound> readDefineSound(BitReader& reader);
std::optional<StartSound> readStartSound(BitReader& reader);
std::optional<StartSound2> readStartSound2(BitReader& reader);
std::optional<SoundStreamHead> readSoundStreamHead(BitReader& reader, int version);
SoundStreamBlock readSoundStreamBlock(BitReader& reader);
std::optional<DefineButtonSound> readDefineButtonSound(BitReader& reader);

// A write gives false when the value does not fit the format (an envelope of
// more than 255 points); what it wrote is then of no use.
bool writeDefineSound(BitWriter& out, const DefineSound& tag);
bool writeStartSound(BitWriter& out, const StartSound& tag);
bool writeStartSound2(BitWriter& out, const StartSound2& tag);
bool writeSoundStreamHead(BitWriter& out, const SoundStreamHead& tag);
bool writeSoundStreamBlock(BitWriter& out, const SoundStreamBlock& tag);
bool writeDefineButtonSound(BitWriter& out, const DefineButtonSound& tag);

} // namespace quorvane::swf
