// What sound costs while a movie plays: a minute-long MP3 stream at 12
// frames a second (stereo, 44.1 kHz, 128 kbit/s) played frame by frame and
// mixed as the widget mixes it, and the first start of a minute-long MP3
// event sound, which is decoded whole. "x_real_time" is how many seconds
// of sound one second of work delivers.

#include "SoundCoding.h"
#include "SwfFixtures.h"
#include "player/Player.h"

#include <benchmark/benchmark.h>
#include <cmath>

using namespace quorvane;

namespace {

constexpr double kFrameRate = 12;
constexpr int kSeconds = 60;

std::vector<std::int16_t> stereoTone(int seconds)
{
    const std::vector<std::int16_t> left = fixtures::sine(44100, 440, 44100 * seconds);
    const std::vector<std::int16_t> right = fixtures::sine(44100, 660, 44100 * seconds);
    std::vector<std::int16_t> stereo;
    stereo.reserve(left.size() * 2);
    for (std::size_t i = 0; i < left.size(); ++i) {
        stereo.push_back(left[i]);
        stereo.push_back(right[i]);
    }
    return stereo;
}

// The coded tone split into whole MP3 frames, each block holding the
// frames that cover its share of the timeline.
std::vector<std::uint8_t> streamMovie()
{
    const fixtures::Coded coded = fixtures::encode(AV_CODEC_ID_MP3, 44100, stereoTone(kSeconds), 2);
    // MPEG-1 layer III at 128 kbit/s: 1152 samples in 417 or 418 bytes.
    // Each frame's length comes from its header (padding bit).
    std::vector<std::span<const std::uint8_t>> frames;
    for (std::size_t at = 0; at + 4 <= coded.bytes.size();) {
        const std::size_t length = 144 * 128000 / 44100 + ((coded.bytes[at + 2] >> 1) & 1);
        frames.push_back(
            std::span(coded.bytes).subspan(at, std::min(length, coded.bytes.size() - at)));
        at += length;
    }
    swf::SoundStreamHead head;
    head.playback = swf::SoundFormat{swf::SoundCoding::Mp3, 3, true, true};
    head.stream = head.playback;
    head.samplesPerBlock = std::uint16_t(44100 / kFrameRate);
    head.latencySeek = 0;
    std::vector<swf::Tag> tags{{head}};
    const int movieFrames = int(kSeconds * kFrameRate);
    std::size_t next = 0;
    for (int frame = 0; frame < movieFrames; ++frame) {
        // Frames due by the end of this movie frame.
        const auto due = std::size_t(std::ceil((frame + 1) * 44100 / kFrameRate / 1152));
        swf::SoundStreamBlock block{{0, 0, 0, 0}};
        for (; next < std::min(due, frames.size()); ++next) {
            block.data.insert(block.data.end(), frames[next].begin(), frames[next].end());
        }
        tags.push_back({block});
        tags.push_back({swf::ShowFrame{}});
    }
    return fixtures::bytes(fixtures::movie(
        fixtures::header(569, 430, kFrameRate, std::uint16_t(movieFrames)), std::move(tags)));
}

void playStream(benchmark::State& state)
{
    const std::vector<std::uint8_t> movie = streamMovie();
    player::Player player;
    std::vector<std::int16_t> interval(std::size_t(44100 / kFrameRate) * 2);
    if (auto error = player.loadBytes(movie)) {
        state.SkipWithError(error->c_str());
        return;
    }
    for (auto _ : state) {
        player.advanceFrame();
        player.mixAudio(interval);
        benchmark::DoNotOptimize(interval.data());
    }
    state.counters["x_real_time"] =
        benchmark::Counter(double(state.iterations()) / kFrameRate, benchmark::Counter::kIsRate);
    // The tone's loudness in the last interval, to show the sound was real.
    double sum = 0;
    for (const std::int16_t sample : interval) {
        sum += double(sample) * sample;
    }
    state.counters["rms"] = std::sqrt(sum / double(interval.size()));
}

void startLongEventSound(benchmark::State& state)
{
    const fixtures::Coded coded = fixtures::encode(AV_CODEC_ID_MP3, 44100, stereoTone(kSeconds), 2);
    swf::DefineSound sound;
    sound.id = 1;
    sound.format = swf::SoundFormat{swf::SoundCoding::Mp3, 3, true, true};
    sound.sampleCount = 44100 * kSeconds;
    sound.data = {std::uint8_t(coded.delay & 0xFF), std::uint8_t(coded.delay >> 8)};
    sound.data.insert(sound.data.end(), coded.bytes.begin(), coded.bytes.end());
    const std::vector<std::uint8_t> movie =
        fixtures::bytes(fixtures::movie(fixtures::header(569, 430, kFrameRate, 1),
                                        {{sound}, {swf::StartSound{1, {}}}, {swf::ShowFrame{}}}));
    for (auto _ : state) {
        player::Player player;
        // Loading shows the first frame, which starts the sound.
        benchmark::DoNotOptimize(player.loadBytes(movie));
    }
    state.counters["x_real_time"] =
        benchmark::Counter(double(state.iterations()) * kSeconds, benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(playStream)->Unit(benchmark::kMicrosecond);
BENCHMARK(startLongEventSound)->Unit(benchmark::kMillisecond);
