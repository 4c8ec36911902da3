// libFuzzer entry for sound: the first bytes choose a sound format and how
// it is played, the rest is its coded data. Decoding it whole and as stream
// blocks, and mixing it, may not crash, leak or hang whatever the bytes.

#include "player/sound/SoundDecoder.h"
#include "player/sound/SoundMixer.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4) {
        return 0;
    }
    swf::DefineSound sound;
    sound.id = 1;
    sound.format.coding = static_cast<swf::SoundCoding>(data[0] >> 4);
    sound.format.rateCode = static_cast<std::uint8_t>((data[0] >> 2) & 3);
    sound.format.sixteenBit = (data[0] & 2) != 0;
    sound.format.stereo = (data[0] & 1) != 0;
    sound.sampleCount = std::uint32_t(data[1]) << 8;
    const std::uint8_t playing = data[2];
    const std::size_t blockSize = std::size_t(data[3]) * 4 + 1;
    const std::span<const std::uint8_t> coded(data + 4, size - 4);
    sound.data.assign(coded.begin(), coded.end());

    auto decoded = std::make_shared<const player::DecodedSound>(player::decodeDefinedSound(sound));

    player::SoundDecoder stream(sound.format);
    player::DecodedSound blocks;
    for (std::size_t at = 0; at < coded.size(); at += blockSize) {
        stream.decode(coded.subspan(at, std::min(blockSize, coded.size() - at)), blocks);
    }

    swf::SoundInfo info;
    info.syncNoMultiple = (playing & 1) != 0;
    if (playing & 2) {
        info.inPoint = std::uint32_t(playing) * 37;
    }
    if (playing & 4) {
        info.outPoint = std::uint32_t(playing) * 91;
    }
    if (playing & 8) {
        info.loopCount = std::uint16_t(playing >> 4);
    }
    if (playing & 16) {
        info.envelope = std::vector<swf::SoundEnvelopePoint>{
            {0, 0, 32768}, {std::uint32_t(playing) * 13, 32768, 0}, {5, 100, 100}};
    }
    player::SoundMixer mixer;
    mixer.startEvent(1, decoded, info);
    mixer.startEvent(1, decoded, info);
    mixer.queueStream(blocks);
    std::vector<std::int16_t> out(2 * 4096);
    for (int round = 0; round < 4 && !mixer.isSilent(); ++round) {
        mixer.mix(out);
    }
    return 0;
}
