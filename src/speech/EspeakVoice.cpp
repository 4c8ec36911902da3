#include "EspeakVoice.h"

#include "LanguageRuns.h"
#include "platform/Platform.h"

#include <espeak-ng/speak_lib.h>

#include <cmath>

namespace quorvane {

namespace {

// The engine is one per process; once started it stays for the process's
// life (espeak-ng cannot be started again reliably once terminated).
std::mutex engineMutex;
int engineSampleRate = 0;

struct SynthesisContext {
    AudioOutput* output;
    const std::atomic<unsigned>* generation;
    unsigned jobGeneration;
};

int onSamples(short* samples, int count, espeak_EVENT* events)
{
    const auto* context = static_cast<const SynthesisContext*>(events ? events->user_data : nullptr);
    if (!context)
        return 0;
    // A purge since this text was queued: stop synthesising it.
    if (context->generation->load() != context->jobGeneration)
        return 1;
    if (samples && count > 0)
        context->output->write({reinterpret_cast<const std::int16_t*>(samples),
                                static_cast<size_t>(count)});
    return 0;
}

} // namespace

EspeakVoice::EspeakVoice(Platform& platform) : m_platform(platform) {}

EspeakVoice::~EspeakVoice()
{
    if (m_worker.joinable()) {
        {
            std::lock_guard lock(m_mutex);
            m_quitting = true;
            m_jobs.clear();
        }
        ++m_generation;
        m_wake.notify_all();
        m_worker.join();
    }
    if (m_output)
        m_output->stop();
}

int EspeakVoice::wordsPerMinute(int rate)
{
    // Geometric, so that each step feels alike: 10 is three times normal
    // speed, -10 a third (espeak-ng goes no slower than its minimum).
    const double wpm = espeakRATE_NORMAL * std::pow(3.0, rate / 10.0);
    return std::max(espeakRATE_MINIMUM, static_cast<int>(std::lround(wpm)));
}

void EspeakVoice::connect()
{
    if (m_output)
        return;
    std::lock_guard lock(engineMutex);
    if (engineSampleRate == 0) {
        const int sampleRate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 100, nullptr, 0);
        if (sampleRate <= 0)
            throw SpeechError("the speech engine could not start");
        engineSampleRate = sampleRate;
        espeak_SetSynthCallback(&onSamples);
    }
    const bool mandarin = espeak_SetVoiceByName(kMandarinVoice) == EE_OK;
    if (!mandarin)
        throw SpeechError("no Mandarin voice is installed");
    m_output = m_platform.createAudioOutput({engineSampleRate, 1});
    if (!m_output)
        throw SpeechError("no sound output is available");
    m_worker = std::thread(&EspeakVoice::synthesisLoop, this);
}

void EspeakVoice::Speak(const QString& text, int flags)
{
    connect();
    if (flags & SVSFPurgeBeforeSpeak) {
        {
            std::lock_guard lock(m_mutex);
            m_jobs.clear();
        }
        ++m_generation;
        m_output->stop();
    }
    if (text.isEmpty())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back({text, m_rate, m_volume, m_generation.load()});
    }
    m_wake.notify_one();
}

void EspeakVoice::Pause()
{
    connect();
    m_output->pause();
}

void EspeakVoice::Resume()
{
    connect();
    m_output->resume();
}

int EspeakVoice::Rate()
{
    connect();
    return m_rate;
}

void EspeakVoice::setRate(int rate)
{
    connect();
    if (rate < -10 || rate > 10)
        throw SpeechError("rate out of range");
    m_rate = rate;
}

int EspeakVoice::Volume()
{
    connect();
    return m_volume;
}

void EspeakVoice::setVolume(int volume)
{
    connect();
    if (volume < 0 || volume > 100)
        throw SpeechError("volume out of range");
    m_volume = volume;
}

void EspeakVoice::synthesisLoop()
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quitting || !m_jobs.empty(); });
            if (m_quitting)
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        synthesise(job);
    }
}

void EspeakVoice::synthesise(const Job& job)
{
    SynthesisContext context{m_output.get(), &m_generation, job.generation};
    for (const LanguageRun& run : splitLanguageRuns(job.text)) {
        if (m_generation.load() != job.generation)
            return;
        espeak_SetVoiceByName(run.voice);
        espeak_SetParameter(espeakRATE, wordsPerMinute(job.rate), 0);
        espeak_SetParameter(espeakVOLUME, job.volume, 0);
        const QByteArray utf8 = run.text.toUtf8();
        espeak_Synth(utf8.constData(), static_cast<size_t>(utf8.size()) + 1, 0, POS_CHARACTER, 0,
                     espeakCHARS_UTF8, nullptr, &context);
    }
}

} // namespace quorvane
