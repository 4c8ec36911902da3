#include "StreamSound.h"

#include "Narrator.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace quorvane::course {

namespace {

// Speech needs no more; the course must stay small.
constexpr int kBitRate = 24000;
// An MP3 stream block opens with its sample count and seek samples.
constexpr std::size_t kBlockHeader = 4;

struct CodecContextFree {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

[[noreturn]] void fail(const char* what)
{
    throw std::runtime_error(std::string("MP3 encoding: ") + what);
}

// The whole track as MP3 frames, each a packet of its own: without the bit
// reservoir no frame borrows from the one before, so a seek can start at
// any block.
std::vector<std::vector<std::uint8_t>> encodeMp3(std::span<const std::int16_t> samples,
                                                 int& samplesPerPacket)
{
    const AVCodec* codec = avcodec_find_encoder_by_name("libmp3lame");
    if (!codec) {
        fail("FFmpeg has no libmp3lame encoder");
    }
    std::unique_ptr<AVCodecContext, CodecContextFree> context(avcodec_alloc_context3(codec));
    std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
    std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
    if (!context || !frame || !packet) {
        fail("out of memory");
    }
    context->sample_fmt = AV_SAMPLE_FMT_S16P;
    context->sample_rate = kNarrationRate;
    context->bit_rate = kBitRate;
    av_channel_layout_default(&context->ch_layout, 1);
    av_opt_set_int(context->priv_data, "reservoir", 0, 0);
    if (avcodec_open2(context.get(), codec, nullptr) < 0) {
        fail("libmp3lame did not open");
    }
    samplesPerPacket = context->frame_size;
    frame->format = context->sample_fmt;
    frame->nb_samples = context->frame_size;
    frame->sample_rate = context->sample_rate;
    av_channel_layout_copy(&frame->ch_layout, &context->ch_layout);
    if (av_frame_get_buffer(frame.get(), 0) < 0) {
        fail("out of memory");
    }

    std::vector<std::vector<std::uint8_t>> packets;
    const auto receive = [&] {
        while (avcodec_receive_packet(context.get(), packet.get()) == 0) {
            packets.emplace_back(packet->data, packet->data + packet->size);
            av_packet_unref(packet.get());
        }
    };
    for (std::size_t at = 0; at < samples.size(); at += std::size_t(context->frame_size)) {
        if (av_frame_make_writable(frame.get()) < 0) {
            fail("out of memory");
        }
        auto* out = reinterpret_cast<std::int16_t*>(frame->data[0]);
        const std::size_t count = std::min(samples.size() - at, std::size_t(context->frame_size));
        std::fill(std::copy_n(samples.begin() + std::ptrdiff_t(at), count, out),
                  out + context->frame_size, std::int16_t(0));
        frame->pts = std::int64_t(at);
        if (avcodec_send_frame(context.get(), frame.get()) < 0) {
            fail("libmp3lame refused the samples");
        }
        receive();
    }
    avcodec_send_frame(context.get(), nullptr);
    receive();
    return packets;
}

} // namespace

StreamSound encodeStreamSound(std::span<const std::int16_t> samples, int samplesPerFrame,
                              int frames)
{
    std::vector<std::int16_t> track(std::size_t(samplesPerFrame) * std::size_t(frames), 0);
    std::copy_n(samples.begin(), std::min(samples.size(), track.size()), track.begin());
    int samplesPerPacket = 0;
    const std::vector<std::vector<std::uint8_t>> packets = encodeMp3(track, samplesPerPacket);

    StreamSound sound;
    swf::SoundFormat format;
    format.coding = swf::SoundCoding::Mp3;
    format.rateCode = 2; // 22,050
    format.sixteenBit = true;
    format.stereo = false;
    sound.head.version = 2;
    sound.head.playback = format;
    sound.head.stream = format;
    sound.head.samplesPerBlock = std::uint16_t(samplesPerFrame);
    sound.head.latencySeek = 0;
    sound.blocks.resize(std::size_t(frames));
    // Each packet goes to the frame its first sample falls in; the
    // encoder's delay of about 50 ms only holds the voice that much behind.
    std::vector<int> packetsInBlock(std::size_t(frames), 0);
    for (std::size_t k = 0; k < packets.size(); ++k) {
        const auto frame = std::size_t(std::int64_t(k) * samplesPerPacket / samplesPerFrame);
        if (frame >= sound.blocks.size()) {
            break;
        }
        std::vector<std::uint8_t>& data = sound.blocks[frame].data;
        if (data.empty()) {
            data.resize(kBlockHeader, 0);
        }
        data.insert(data.end(), packets[k].begin(), packets[k].end());
        ++packetsInBlock[frame];
    }
    for (std::size_t frame = 0; frame < sound.blocks.size(); ++frame) {
        std::vector<std::uint8_t>& data = sound.blocks[frame].data;
        if (data.empty()) {
            data.resize(kBlockHeader, 0);
        }
        const auto count = std::uint16_t(packetsInBlock[frame] * samplesPerPacket);
        data[0] = std::uint8_t(count & 0xff);
        data[1] = std::uint8_t(count >> 8);
    }
    return sound;
}

} // namespace quorvane::course
