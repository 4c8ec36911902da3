#include "Narrator.h"

#include "speech/LanguageRuns.h"
#include "speech/SpeechText.h"

#include <espeak-ng/speak_lib.h>
#include <stdexcept>

namespace quorvane::course {

namespace {

// A little slower than conversation: the listeners are learning.
constexpr int kWordsPerMinute = 170;

int collectSamples(short* samples, int count, espeak_EVENT* events)
{
    auto* out = static_cast<std::vector<std::int16_t>*>(events ? events->user_data : nullptr);
    if (out && samples) {
        out->insert(out->end(), samples, samples + count);
    }
    return 0;
}

} // namespace

EspeakNarrator::EspeakNarrator()
{
    // espeak-ng keeps one engine per process; every narrator shares it.
    static const int sampleRate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0);
    if (sampleRate != kNarrationRate) {
        throw std::runtime_error("espeak-ng could not start at 22,050 samples a second");
    }
    espeak_SetSynthCallback(&collectSamples);
    if (espeak_SetVoiceByName(kMandarinVoice) != EE_OK) {
        throw std::runtime_error("espeak-ng has no Mandarin voice (install espeak-ng-data)");
    }
}

std::vector<std::int16_t> EspeakNarrator::speak(const QString& line)
{
    std::vector<std::int16_t> samples;
    for (const LanguageRun& run :
         splitLanguageRuns(QString::fromLatin1(kChineseLanguageTag) + line)) {
        const QByteArray utf8 = run.text.toUtf8();
        espeak_SetVoiceByName(run.voice);
        espeak_SetParameter(espeakRATE, kWordsPerMinute, 0);
        espeak_Synth(utf8.constData(), std::size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0,
                     espeakCHARS_UTF8, nullptr, &samples);
    }
    return samples;
}

} // namespace quorvane::course
