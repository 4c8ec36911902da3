#include "player/sound/SoundDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cmath>

namespace quorvane::player {

namespace {

using swf::SoundCoding;

AVCodecID codecFor(const swf::SoundFormat& format)
{
    switch (format.coding) {
    case SoundCoding::NativeEndianPcm: // Flash was built for little-endian machines.
    case SoundCoding::LittleEndianPcm:
        return format.sixteenBit ? AV_CODEC_ID_PCM_S16LE : AV_CODEC_ID_PCM_U8;
    case SoundCoding::Adpcm:
        return AV_CODEC_ID_ADPCM_SWF;
    case SoundCoding::Mp3:
        return AV_CODEC_ID_MP3;
    case SoundCoding::Nellymoser16k:
    case SoundCoding::Nellymoser8k:
    case SoundCoding::Nellymoser:
        return AV_CODEC_ID_NELLYMOSER;
    case SoundCoding::G711ALaw:
        return AV_CODEC_ID_PCM_ALAW;
    case SoundCoding::G711MuLaw:
        return AV_CODEC_ID_PCM_MULAW;
    case SoundCoding::Speex:
        return AV_CODEC_ID_SPEEX;
    }
    return AV_CODEC_ID_NONE;
}

// The rate the coded samples are at; some codings fix their own.
int codedRate(const swf::SoundFormat& format)
{
    switch (format.coding) {
    case SoundCoding::Nellymoser16k:
    case SoundCoding::Speex:
        return 16000;
    case SoundCoding::Nellymoser8k:
    case SoundCoding::G711ALaw:
    case SoundCoding::G711MuLaw:
        return 8000;
    default:
        return format.sampleRate();
    }
}

// How many mixer samples each sample at this rate is held for, or 0 when
// the rate does not divide the mixer's (5512 stands for 5512.5).
int holdFactorFor(int rate)
{
    if (rate <= 0) {
        return 0;
    }
    const double ratio = double(kMixRate) / rate;
    const double whole = std::round(ratio);
    return std::abs(ratio - whole) < 0.001 ? int(whole) : 0;
}

// Flash played a mono sound at full level on both sides, where the
// resampler's own mono-to-stereo matrix would lower it by 3 dB.
bool playMonoOnBothSides(SwrContext& resampler)
{
    const double fullOnEachSide[2] = {1.0, 1.0};
    return swr_set_matrix(&resampler, fullOnEachSide, 1) >= 0;
}

} // namespace

struct SoundDecoder::Codec {
    AVCodecContext* context = nullptr;
    AVCodecParserContext* parser = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    SwrContext* resampler = nullptr;
    // What the resampler was set up for, to notice a change mid-stream.
    int inputRate = 0;
    int inputFormat = -1;
    int inputChannels = 0;
    int outputRate = 0;

    ~Codec()
    {
        swr_free(&resampler);
        av_frame_free(&frame);
        av_packet_free(&packet);
        if (parser) {
            av_parser_close(parser);
        }
        avcodec_free_context(&context);
    }
};

SoundDecoder::SoundDecoder(const swf::SoundFormat& format) : m_format(format)
{
    reset();
}

SoundDecoder::~SoundDecoder() = default;

void SoundDecoder::reset()
{
    m_codec.reset();
    const AVCodec* codec = avcodec_find_decoder(codecFor(m_format));
    if (!codec) {
        return;
    }
    auto created = std::make_unique<Codec>();
    created->context = avcodec_alloc_context3(codec);
    created->packet = av_packet_alloc();
    created->frame = av_frame_alloc();
    if (!created->context || !created->packet || !created->frame) {
        return;
    }
    const int channels = m_format.stereo ? 2 : 1;
    av_channel_layout_default(&created->context->ch_layout, channels);
    created->context->sample_rate = codedRate(m_format);
    if (m_format.coding == SoundCoding::Mp3) {
        created->parser = av_parser_init(AV_CODEC_ID_MP3);
    }
    if (avcodec_open2(created->context, codec, nullptr) < 0) {
        return;
    }
    m_codec = std::move(created);
}

void SoundDecoder::decode(std::span<const std::uint8_t> data, DecodedSound& out,
                          std::size_t maxFrames)
{
    if (!m_codec || data.empty()) {
        return;
    }
    Codec& codec = *m_codec;
    const auto send = [&](const std::uint8_t* bytes, int size) {
        av_packet_unref(codec.packet);
        if (av_new_packet(codec.packet, size) < 0) {
            return false;
        }
        std::copy_n(bytes, size, codec.packet->data);
        if (avcodec_send_packet(codec.context, codec.packet) < 0) {
            // A damaged packet costs only itself.
            return true;
        }
        receiveFrames(out, maxFrames);
        return true;
    };
    if (!codec.parser) {
        // The other codings take any number of whole blocks per packet.
        const int size = int(std::min<std::size_t>(data.size(), INT32_MAX / 2));
        send(data.data(), size);
        return;
    }
    const std::uint8_t* bytes = data.data();
    std::size_t left = data.size();
    while (left > 0 && out.frames() < maxFrames) {
        std::uint8_t* frameData = nullptr;
        int frameSize = 0;
        const int used = av_parser_parse2(codec.parser, codec.context, &frameData, &frameSize,
                                          bytes, int(std::min<std::size_t>(left, 1 << 20)),
                                          AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        if (used < 0) {
            break;
        }
        bytes += used;
        left -= std::size_t(used);
        if (frameSize > 0 && !send(frameData, frameSize)) {
            break;
        }
        if (used == 0 && frameSize == 0) {
            break;
        }
    }
    // The parser holds the last frame until it sees the next one begin;
    // a sound's data ends with its last frame, so drain it now.
    std::uint8_t* frameData = nullptr;
    int frameSize = 0;
    av_parser_parse2(codec.parser, codec.context, &frameData, &frameSize, nullptr, 0,
                     AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
    if (frameSize > 0) {
        send(frameData, frameSize);
    }
}

void SoundDecoder::receiveFrames(DecodedSound& out, std::size_t maxFrames)
{
    Codec& codec = *m_codec;
    while (avcodec_receive_frame(codec.context, codec.frame) == 0) {
        appendConverted(*codec.frame, out, maxFrames);
        av_frame_unref(codec.frame);
    }
}

void SoundDecoder::appendConverted(const AVFrame& frame, DecodedSound& out, std::size_t maxFrames)
{
    Codec& codec = *m_codec;
    if (frame.nb_samples <= 0 || frame.sample_rate <= 0) {
        return;
    }
    const bool changed = !codec.resampler || codec.inputRate != frame.sample_rate ||
                         codec.inputFormat != frame.format ||
                         codec.inputChannels != frame.ch_layout.nb_channels;
    if (changed) {
        const int factor = holdFactorFor(frame.sample_rate);
        // A sound keeps the form it started with, so a stream whose rate
        // changes midway still comes out at its first rate.
        if (out.frames() == 0) {
            out.holdFactor = factor > 0 ? factor : 1;
        }
        codec.outputRate = kMixRate / out.holdFactor;
        AVChannelLayout stereo;
        av_channel_layout_default(&stereo, 2);
        AVChannelLayout input{};
        av_channel_layout_copy(&input, &frame.ch_layout);
        swr_free(&codec.resampler);
        const bool opened =
            swr_alloc_set_opts2(&codec.resampler, &stereo, AV_SAMPLE_FMT_S16, codec.outputRate,
                                &input, AVSampleFormat(frame.format), frame.sample_rate, 0,
                                nullptr) >= 0 &&
            (input.nb_channels != 1 || playMonoOnBothSides(*codec.resampler)) &&
            swr_init(codec.resampler) >= 0;
        av_channel_layout_uninit(&input);
        if (!opened) {
            swr_free(&codec.resampler);
            return;
        }
        codec.inputRate = frame.sample_rate;
        codec.inputFormat = frame.format;
        codec.inputChannels = frame.ch_layout.nb_channels;
    }
    if (out.frames() >= maxFrames) {
        return;
    }
    const int room = swr_get_out_samples(codec.resampler, frame.nb_samples);
    if (room <= 0) {
        return;
    }
    const std::size_t start = out.samples.size();
    out.samples.resize(start + std::size_t(room) * 2);
    std::uint8_t* target = reinterpret_cast<std::uint8_t*>(out.samples.data() + start);
    const int converted =
        swr_convert(codec.resampler, &target, room,
                    const_cast<const std::uint8_t**>(frame.extended_data), frame.nb_samples);
    out.samples.resize(start + std::size_t(std::max(converted, 0)) * 2);
    if (out.frames() > maxFrames) {
        out.samples.resize(maxFrames * 2);
    }
}

DecodedSound decodeDefinedSound(const swf::DefineSound& sound, std::size_t maxFrames)
{
    SoundDecoder decoder(sound.format);
    DecodedSound decoded;
    std::span<const std::uint8_t> data(sound.data);
    std::size_t skip = 0;
    if (sound.format.coding == SoundCoding::Mp3 && data.size() >= 2) {
        // The seek samples: the encoder's delay, which is not part of the sound.
        skip = std::size_t(std::max(0, int(std::int16_t(data[0] | data[1] << 8))));
        data = data.subspan(2);
    }
    decoder.decode(data, decoded, maxFrames);
    if (skip > 0 && decoded.holdFactor > 0) {
        const std::size_t frames =
            std::min(decoded.frames(),
                     skip * kMixRate / std::size_t(decoded.holdFactor) / codedRate(sound.format));
        decoded.samples.erase(decoded.samples.begin(),
                              decoded.samples.begin() + std::ptrdiff_t(frames * 2));
    }
    // Codings that pad their last block decode a little more than the
    // sound declares; a sound kept at its own rate is cut to its count.
    const bool keptAtOwnRate = holdFactorFor(codedRate(sound.format)) == decoded.holdFactor;
    if (keptAtOwnRate && sound.sampleCount > 0 && decoded.frames() > sound.sampleCount) {
        decoded.samples.resize(std::size_t(sound.sampleCount) * 2);
    }
    return decoded;
}

} // namespace quorvane::player
