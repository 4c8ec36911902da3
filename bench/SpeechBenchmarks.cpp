// Reading aloud: how soon the first sound of "朗读全文" reaches the audio
// output, and how much faster than real time the voice synthesises.
#include "ScriptedPlatform.h"
#include "speech/EspeakVoice.h"
#include "speech/SpeechText.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringDecoder>
#include <benchmark/benchmark.h>
#include <thread>

namespace {

// About 2,000 characters of the bundled course, as GBK bytes.
QByteArray lessonText()
{
    QByteArray text;
    for (int lesson = 2; QString(QStringDecoder("GBK").decode(text)).size() < 2000; ++lesson) {
        QFile file(QStringLiteral(QUORVANE_CONTENT_DIR "/wyf/%1.txt").arg(lesson));
        if (!file.open(QIODevice::ReadOnly))
            break;
        text += file.readAll();
    }
    return text;
}

void readAllToFirstSample(benchmark::State& state)
{
    const QByteArray text = lessonText();
    quorvane::testing::ScriptedPlatform platform;
    platform.setAudioAvailable(true);
    quorvane::EspeakVoice voice(platform);
    voice.Volume(); // connects, as any earlier command would have
    for (auto _ : state) {
        voice.Speak({}, quorvane::SpeechVoice::SVSFPurgeBeforeSpeak);
        QElapsedTimer clock;
        clock.start();
        voice.Speak(quorvane::PrepareSpeechText(text, false), quorvane::SpeechVoice::SVSFlagsAsync);
        while (platform.audio()->sampleCount() == 0)
            std::this_thread::yield();
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    }
    voice.Speak({}, quorvane::SpeechVoice::SVSFPurgeBeforeSpeak);
}

void synthesisRealTimeFactor(benchmark::State& state)
{
    const QByteArray text = lessonText();
    for (auto _ : state) {
        quorvane::testing::ScriptedPlatform platform;
        platform.setAudioAvailable(true);
        // The voice keeps pace with playback; a device that plays at once
        // lets it run as fast as it can.
        platform.audio()->setPlaysAtOnce(true);
        quorvane::EspeakVoice voice(platform);
        voice.Volume();
        QElapsedTimer clock;
        clock.start();
        voice.Speak(quorvane::PrepareSpeechText(text, false), quorvane::SpeechVoice::SVSFlagsAsync);
        // Finished when the count stops growing for a while.
        std::size_t last = 0;
        qint64 lastChange = 0;
        while (clock.elapsed() - lastChange < 300) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            const std::size_t now = platform.audio()->sampleCount();
            if (now != last) {
                last = now;
                lastChange = clock.elapsed();
            }
        }
        const double synthesis = lastChange / 1000.0;
        const double audio = last / 22050.0;
        state.SetIterationTime(synthesis);
        state.counters["audio_seconds"] = audio;
        state.counters["times_faster_than_real_time"] = audio / synthesis;
    }
}

} // namespace

BENCHMARK(readAllToFirstSample)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(synthesisRealTimeFactor)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
