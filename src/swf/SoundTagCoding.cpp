#include "swf/SoundTagCoding.h"

#include <utility>

namespace quorvane::swf {

namespace {

// The largest envelope the format can hold (its point count is a UI8).
constexpr std::size_t kMaxEnvelopePoints = 255;

SoundFormat readFormat(BitReader& reader)
{
    SoundFormat format;
    format.coding = static_cast<SoundCoding>(reader.readBits(4));
    format.rateCode = static_cast<std::uint8_t>(reader.readBits(2));
    format.sixteenBit = reader.readFlag();
    format.stereo = reader.readFlag();
    return format;
}

void writeFormat(BitWriter& out, const SoundFormat& format)
{
    out.writeBits(static_cast<std::uint32_t>(format.coding) & 0xF, 4);
    out.writeBits(format.rateCode & 3u, 2);
    out.writeFlag(format.sixteenBit);
    out.writeFlag(format.stereo);
}

SoundInfo readSoundInfo(BitReader& reader)
{
    SoundInfo info;
    reader.readBits(2);
    info.syncStop = reader.readFlag();
    info.syncNoMultiple = reader.readFlag();
    const bool hasEnvelope = reader.readFlag();
    const bool hasLoops = reader.readFlag();
    const bool hasOutPoint = reader.readFlag();
    const bool hasInPoint = reader.readFlag();
    if (hasInPoint) {
        info.inPoint = reader.readU32();
    }
    if (hasOutPoint) {
        info.outPoint = reader.readU32();
    }
    if (hasLoops) {
        info.loopCount = reader.readU16();
    }
    if (hasEnvelope) {
        const int points = reader.readU8();
        auto& envelope = info.envelope.emplace();
        for (int i = 0; i < points && !reader.overflowed(); ++i) {
            SoundEnvelopePoint point;
            point.position44 = reader.readU32();
            point.leftLevel = reader.readU16();
            point.rightLevel = reader.readU16();
            envelope.push_back(point);
        }
    }
    return info;
}

bool writeSoundInfo(BitWriter& out, const SoundInfo& info)
{
    if (info.envelope && info.envelope->size() > kMaxEnvelopePoints) {
        return false;
    }
    out.writeBits(0, 2);
    out.writeFlag(info.syncStop);
    out.writeFlag(info.syncNoMultiple);
    out.writeFlag(info.envelope.has_value());
    out.writeFlag(info.loopCount.has_value());
    out.writeFlag(info.outPoint.has_value());
    out.writeFlag(info.inPoint.has_value());
    if (info.inPoint) {
        out.writeU32(*info.inPoint);
    }
    if (info.outPoint) {
        out.writeU32(*info.outPoint);
    }
    if (info.loopCount) {
        out.writeU16(*info.loopCount);
    }
    if (info.envelope) {
        out.writeU8(static_cast<std::uint8_t>(info.envelope->size()));
        for (const SoundEnvelopePoint& point : *info.envelope) {
            out.writeU32(point.position44);
            out.writeU16(point.leftLevel);
            out.writeU16(point.rightLevel);
        }
    }
    return true;
}

template <typename T> std::optional<T> unlessCut(const BitReader& reader, T value)
{
    if (reader.overflowed()) {
        return std::nullopt;
    }
    return value;
}

} // namespace

int SoundFormat::sampleRate() const
{
    constexpr int rates[] = {5512, 11025, 22050, 44100};
    return rates[rateCode & 3];
}

std::optional<DefineSound> readDefineSound(BitReader& reader)
{
    DefineSound tag;
    tag.id = reader.readU16();
    tag.format = readFormat(reader);
    tag.sampleCount = reader.readU32();
    const auto data = reader.readRest();
    tag.data.assign(data.begin(), data.end());
    return unlessCut(reader, std::move(tag));
}

std::optional<StartSound> readStartSound(BitReader& reader)
{
    StartSound tag;
    tag.soundId = reader.readU16();
    tag.info = readSoundInfo(reader);
    return unlessCut(reader, std::move(tag));
}

std::optional<StartSound2> readStartSound2(BitReader& reader)
{
    StartSound2 tag;
    tag.className = reader.readString();
    tag.info = readSoundInfo(reader);
    return unlessCut(reader, std::move(tag));
}

std::optional<SoundStreamHead> readSoundStreamHead(BitReader& reader, int version)
{
    SoundStreamHead tag;
    tag.version = static_cast<std::uint8_t>(version);
    reader.readBits(4);
    // The playback half has no coding of its own: its four bits are reserved.
    tag.playback.rateCode = static_cast<std::uint8_t>(reader.readBits(2));
    tag.playback.sixteenBit = reader.readFlag();
    tag.playback.stereo = reader.readFlag();
    tag.stream = readFormat(reader);
    tag.playback.coding = tag.stream.coding;
    tag.samplesPerBlock = reader.readU16();
    if (tag.stream.coding == SoundCoding::Mp3 && reader.bytesLeft() >= 2) {
        tag.latencySeek = reader.readS16();
    }
    return unlessCut(reader, std::move(tag));
}

SoundStreamBlock readSoundStreamBlock(BitReader& reader)
{
    const auto data = reader.readRest();
    return SoundStreamBlock{std::vector<std::uint8_t>(data.begin(), data.end())};
}

std::optional<DefineButtonSound> readDefineButtonSound(BitReader& reader)
{
    DefineButtonSound tag;
    tag.buttonId = reader.readU16();
    for (auto* transition :
         {&tag.overUpToIdle, &tag.idleToOverUp, &tag.overUpToOverDown, &tag.overDownToOverUp}) {
        transition->soundId = reader.readU16();
        if (transition->soundId != 0) {
            transition->info = readSoundInfo(reader);
        }
    }
    return unlessCut(reader, std::move(tag));
}

bool writeDefineSound(BitWriter& out, const DefineSound& tag)
{
    out.writeU16(tag.id);
    writeFormat(out, tag.format);
    out.writeU32(tag.sampleCount);
    out.writeBytes(tag.data);
    return true;
}

bool writeStartSound(BitWriter& out, const StartSound& tag)
{
    out.writeU16(tag.soundId);
    return writeSoundInfo(out, tag.info);
}

bool writeStartSound2(BitWriter& out, const StartSound2& tag)
{
    out.writeString(tag.className);
    return writeSoundInfo(out, tag.info);
}

bool writeSoundStreamHead(BitWriter& out, const SoundStreamHead& tag)
{
    out.writeBits(0, 4);
    out.writeBits(tag.playback.rateCode & 3u, 2);
    out.writeFlag(tag.playback.sixteenBit);
    out.writeFlag(tag.playback.stereo);
    writeFormat(out, tag.stream);
    out.writeU16(tag.samplesPerBlock);
    if (tag.latencySeek) {
        out.writeU16(static_cast<std::uint16_t>(*tag.latencySeek));
    }
    return true;
}

bool writeSoundStreamBlock(BitWriter& out, const SoundStreamBlock& tag)
{
    out.writeBytes(tag.data);
    return true;
}

bool writeDefineButtonSound(BitWriter& out, const DefineButtonSound& tag)
{
    out.writeU16(tag.buttonId);
    for (const auto* transition :
         {&tag.overUpToIdle, &tag.idleToOverUp, &tag.overUpToOverDown, &tag.overDownToOverUp}) {
        out.writeU16(transition->soundId);
        if (transition->soundId != 0 && !writeSoundInfo(out, transition->info)) {
            return false;
        }
    }
    return true;
}

} // namespace quorvane::swf
