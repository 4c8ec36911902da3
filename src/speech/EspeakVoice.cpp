#include "EspeakVoice.h"

#include "LanguageRuns.h"
#include "platform/Platform.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <espeak-ng/speak_lib.h>
#include <optional>
#include <vector>

namespace quorvane {

namespace {

// The engine is one per process; once started it stays for the process's
// life (espeak-ng cannot be started again reliably once terminated). The
// mutex is held while a piece is synthesised: one voice speaks at a time.
std::mutex engineMutex;
int engineSampleRate = 0;

// espeak-ng hands its samples over in buffers of this length.
constexpr int kBufferMilliseconds = 50;
// Synthesis waits while the output holds more than this, so a new rate or
// volume is heard after at most this, one buffer and the sound server's own
// short buffer.
constexpr int kLeadMilliseconds = 100;
// The output does not tell when it has played something: the wait looks.
constexpr auto kPlaybackPoll = std::chrono::milliseconds(5);

// espeak-ng counts text positions in code points; QString in UTF-16 units.
qsizetype utf16Index(const QString& text, int codePoints)
{
    qsizetype index = 0;
    for (int n = 0; n < codePoints && index < text.size(); ++n)
        index += text[index].isHighSurrogate() ? 2 : 1;
    return std::min(index, text.size());
}

} // namespace

class EspeakVoice::PieceSynthesis {
public:
    // Speaks one piece to its end, starting again at the word last written
    // whenever the rate changes. False when a purge ended the reading.
    static bool speak(EspeakVoice& voice, const LanguageRun& piece, unsigned generation)
    {
        qsizetype from = 0;
        for (;;) {
            PieceSynthesis synthesis(voice, generation);
            const std::optional<qsizetype> restart = synthesis.run(piece, from);
            if (voice.m_generation.load() != generation)
                return false;
            if (!restart)
                return true;
            from = *restart;
        }
    }

    static int onSamples(short* samples, int count, espeak_EVENT* events)
    {
        auto* synthesis = static_cast<PieceSynthesis*>(events ? events->user_data : nullptr);
        if (!synthesis)
            return 0;
        return synthesis->deliver(samples, count, events) ? 0 : 1;
    }

private:
    PieceSynthesis(EspeakVoice& voice, unsigned generation)
        : m_voice(voice), m_generation(generation), m_rate(voice.m_rate.load())
    {
    }

    // Where to start again when the rate changed before the piece's end.
    std::optional<qsizetype> run(const LanguageRun& piece, qsizetype from)
    {
        const QString text = piece.text.mid(from);
        const QByteArray utf8 = text.toUtf8();
        {
            std::lock_guard engine(engineMutex);
            const Speed speed = EspeakVoice::speed(m_rate);
            espeak_SetVoiceByName(piece.voice);
            espeak_SetParameter(espeakRATE, speed.wordsPerMinute, 0);
            espeak_SetParameter(espeakWORDGAP, speed.wordGap, 0);
            espeak_Synth(utf8.constData(), static_cast<size_t>(utf8.size()) + 1, 0, POS_CHARACTER,
                         0, espeakCHARS_UTF8, nullptr, this);
        }
        if (!m_rateChanged)
            return std::nullopt;
        return from + utf16Index(text, m_lastWordWritten);
    }

    bool deliver(const short* samples, int count, const espeak_EVENT* events)
    {
        EspeakVoice& voice = m_voice;
        const std::int64_t lead = std::int64_t(engineSampleRate) * kLeadMilliseconds / 1000;
        std::unique_lock lock(voice.m_mutex);
        const auto purged = [&] { return voice.m_generation.load() != m_generation; };
        const auto rateChanged = [&] { return voice.m_rate.load() != m_rate; };
        while (!purged() && !rateChanged() && voice.m_output->pendingFrames() > lead)
            voice.m_wake.wait_for(lock, kPlaybackPoll);
        if (purged())
            return false;
        if (rateChanged()) {
            // This buffer is dropped; synthesis starts again at the last
            // word written, at the new rate.
            m_rateChanged = true;
            return false;
        }
        if (samples && count > 0) {
            // Volume is applied here rather than by the engine, so that a
            // change reaches the very next buffer.
            const int volume = voice.m_volume.load();
            m_scaled.resize(static_cast<size_t>(count));
            std::transform(samples, samples + count, m_scaled.begin(), [volume](short sample) {
                return static_cast<std::int16_t>(sample * volume / 100);
            });
            voice.m_output->write(m_scaled);
        }
        for (const espeak_EVENT* event = events; event->type != espeakEVENT_LIST_TERMINATED;
             ++event) {
            if (event->type == espeakEVENT_WORD && event->text_position > 0)
                m_lastWordWritten = event->text_position - 1;
        }
        return true;
    }

    EspeakVoice& m_voice;
    const unsigned m_generation;
    const int m_rate;
    // The word of the last buffer written, in code points into the text.
    int m_lastWordWritten = 0;
    bool m_rateChanged = false;
    std::vector<std::int16_t> m_scaled;
};

EspeakVoice::EspeakVoice(Platform& platform) : m_platform(platform) {}

EspeakVoice::~EspeakVoice()
{
    if (m_worker.joinable()) {
        {
            std::lock_guard lock(m_mutex);
            m_quitting = true;
            m_jobs.clear();
            ++m_generation;
        }
        m_wake.notify_all();
        m_worker.join();
    }
    if (m_output)
        m_output->stop();
}

EspeakVoice::Speed EspeakVoice::speed(int rate)
{
    // Geometric, so that each step feels alike: 10 is three times normal
    // speed, -10 a third.
    rate = std::clamp(rate, -10, 10);
    const int wordsPerMinute =
        static_cast<int>(std::lround(espeakRATE_NORMAL * std::pow(3.0, rate / 10.0)));
    if (wordsPerMinute >= espeakRATE_MINIMUM)
        return {wordsPerMinute, 0};
    // espeak-ng reads no slower than its minimum, which the scale passes
    // below -7: the three slowest rates keep that speed and lengthen the
    // pauses between words instead, as measured to keep the same steps.
    static constexpr int kSlowestWordGaps[] = {5, 3, 1};
    return {espeakRATE_MINIMUM, kSlowestWordGaps[rate + 10]};
}

void EspeakVoice::connect()
{
    if (m_output)
        return;
    std::lock_guard lock(engineMutex);
    if (engineSampleRate == 0) {
        const int sampleRate =
            espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, kBufferMilliseconds, nullptr, 0);
        if (sampleRate <= 0)
            throw SpeechError("the speech engine could not start");
        engineSampleRate = sampleRate;
        espeak_SetSynthCallback(&PieceSynthesis::onSamples);
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
            ++m_generation;
        }
        m_wake.notify_all();
        m_output->stop();
        if (m_paused) {
            m_output->resume();
            m_paused = false;
        }
    }
    if (text.isEmpty())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back({text, m_generation.load()});
    }
    m_wake.notify_all();
}

void EspeakVoice::Pause()
{
    connect();
    m_output->pause();
    m_paused = true;
}

void EspeakVoice::Resume()
{
    connect();
    m_output->resume();
    m_paused = false;
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
    m_wake.notify_all();
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
    for (const LanguageRun& piece : splitSpeechPieces(job.text)) {
        if (!PieceSynthesis::speak(*this, piece, job.generation))
            return;
    }
}

} // namespace quorvane
