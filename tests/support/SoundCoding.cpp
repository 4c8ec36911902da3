#include "SoundCoding.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

namespace quorvane::fixtures {

namespace {

[[noreturn]] void fail(const char* message, int codec)
{
    std::fprintf(stderr, message, codec);
    std::fputc('\n', stderr);
    std::abort();
}

} // namespace

std::vector<std::int16_t> sine(int rate, double frequency, int frames, double amplitude)
{
    std::vector<std::int16_t> samples(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        samples[std::size_t(i)] = std::int16_t(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * frequency * i / rate)));
    }
    return samples;
}

Coded encode(AVCodecID id, int rate, const std::vector<std::int16_t>& samples, int channels)
{
    const AVCodec* codec = avcodec_find_encoder(id);
    if (!codec) {
        fail("no encoder for codec %d", int(id));
    }
    AVCodecContext* context = avcodec_alloc_context3(codec);
    av_channel_layout_default(&context->ch_layout, channels);
    context->sample_rate = rate;
    context->sample_fmt = codec->sample_fmts[0];
    for (const AVSampleFormat* format = codec->sample_fmts; *format != AV_SAMPLE_FMT_NONE;
         ++format) {
        if (*format == AV_SAMPLE_FMT_S16 || *format == AV_SAMPLE_FMT_S16P ||
            *format == AV_SAMPLE_FMT_FLT || *format == AV_SAMPLE_FMT_FLTP) {
            context->sample_fmt = *format;
            break;
        }
    }
    context->bit_rate = 64000 * channels;
    if (avcodec_open2(context, codec, nullptr) < 0) {
        fail("cannot open encoder %d", int(id));
    }
    const int frameSize = context->frame_size > 0 ? context->frame_size : 1024;
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    Coded coded;
    coded.delay = context->initial_padding;
    const auto drain = [&] {
        while (avcodec_receive_packet(context, packet) == 0) {
            coded.bytes.insert(coded.bytes.end(), packet->data, packet->data + packet->size);
            av_packet_unref(packet);
        }
    };
    const std::size_t width = std::size_t(channels);
    const std::size_t frames = samples.size() / width;
    const bool planar = av_sample_fmt_is_planar(context->sample_fmt) != 0;
    const bool whole =
        context->sample_fmt == AV_SAMPLE_FMT_S16 || context->sample_fmt == AV_SAMPLE_FMT_S16P;
    for (std::size_t start = 0; start < frames; start += std::size_t(frameSize)) {
        frame->nb_samples = frameSize;
        frame->format = context->sample_fmt;
        av_channel_layout_copy(&frame->ch_layout, &context->ch_layout);
        frame->sample_rate = rate;
        av_frame_get_buffer(frame, 0);
        for (std::size_t i = 0; i < std::size_t(frameSize); ++i) {
            for (std::size_t channel = 0; channel < width; ++channel) {
                const std::size_t at = (start + i) * width + channel;
                const std::int16_t value = at < samples.size() ? samples[at] : 0;
                std::uint8_t* plane = frame->data[planar ? channel : 0];
                const std::size_t index = planar ? i : i * width + channel;
                if (whole) {
                    reinterpret_cast<std::int16_t*>(plane)[index] = value;
                } else {
                    reinterpret_cast<float*>(plane)[index] = float(value) / 32768.0f;
                }
            }
        }
        avcodec_send_frame(context, frame);
        drain();
        av_frame_unref(frame);
    }
    avcodec_send_frame(context, nullptr);
    drain();
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&context);
    return coded;
}

} // namespace quorvane::fixtures
