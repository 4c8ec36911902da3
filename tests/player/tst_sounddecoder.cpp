#include "SoundCoding.h"
#include "SwfFixtures.h"
#include "player/sound/SoundDecoder.h"

#include <QtTest>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

#include <cmath>
#include <numbers>

using namespace quorvane;
using namespace quorvane::player;
using fixtures::Coded;
using fixtures::encode;

namespace {

// Where each MP3 frame starts, as libavcodec's parser finds them.
std::vector<std::size_t> mp3FrameStarts(const std::vector<std::uint8_t>& coded)
{
    AVCodecParserContext* parser = av_parser_init(AV_CODEC_ID_MP3);
    AVCodecContext* context = avcodec_alloc_context3(nullptr);
    std::vector<std::size_t> starts;
    std::size_t at = 0;
    std::size_t frameStart = 0;
    while (at < coded.size()) {
        std::uint8_t* frame = nullptr;
        int size = 0;
        const int used = av_parser_parse2(parser, context, &frame, &size, coded.data() + at,
                                          int(coded.size() - at), 0, 0, 0);
        at += std::size_t(used);
        if (size > 0) {
            starts.push_back(frameStart);
            frameStart += std::size_t(size);
        }
    }
    starts.push_back(frameStart);
    av_parser_close(parser);
    avcodec_free_context(&context);
    return starts;
}

double rms(std::span<const std::int16_t> samples, std::size_t stride = 1)
{
    double sum = 0;
    std::size_t count = 0;
    for (std::size_t i = 0; i < samples.size(); i += stride, ++count) {
        sum += double(samples[i]) * samples[i];
    }
    return count ? std::sqrt(sum / double(count)) : 0;
}

// Swings of the left channel from clearly positive to clearly negative and
// back; the near-silence of an encoder's delay does not count.
int crossings(const DecodedSound& sound)
{
    constexpr int kClearly = 1000;
    int crossings = 0;
    int side = 0;
    for (std::size_t i = 0; i < sound.frames(); ++i) {
        const int value = sound.samples[i * 2];
        const int now = value > kClearly ? 1 : value < -kClearly ? -1 : side;
        crossings += side != 0 && now != side ? 1 : 0;
        side = now;
    }
    return crossings;
}

swf::DefineSound definedSound(swf::SoundCoding coding, std::uint8_t rateCode,
                              std::vector<std::uint8_t> data, std::uint32_t sampleCount)
{
    swf::DefineSound sound;
    sound.id = 1;
    sound.format = swf::SoundFormat{coding, rateCode, true, false};
    sound.sampleCount = sampleCount;
    sound.data = std::move(data);
    return sound;
}

} // namespace

class TestSoundDecoder : public QObject {
    Q_OBJECT

private slots:
    void uncompressedSamplesComeThroughUnchangedAtTheirOwnRate()
    {
        const std::vector<std::int16_t> samples{0, 1000, -32768, 32767, -5};
        for (std::uint8_t rateCode = 0; rateCode < 4; ++rateCode) {
            const DecodedSound decoded =
                decodeDefinedSound(fixtures::pcmSound(1, samples, rateCode));
            QCOMPARE(decoded.holdFactor, 8 >> rateCode);
            QCOMPARE(decoded.frames(), samples.size());
            for (std::size_t i = 0; i < samples.size(); ++i) {
                // Mono plays at full level on both sides.
                QCOMPARE(decoded.samples[i * 2], samples[i]);
                QCOMPARE(decoded.samples[i * 2 + 1], samples[i]);
            }
        }
        const DecodedSound stereo =
            decodeDefinedSound(fixtures::pcmSound(1, {100, -100, 200, -200}, 3, true));
        QCOMPARE(stereo.samples, (std::vector<std::int16_t>{100, -100, 200, -200}));
    }

    void eightBitSamplesAreUnsigned()
    {
        swf::DefineSound sound =
            definedSound(swf::SoundCoding::NativeEndianPcm, 3, {0x80, 0xFF, 0x00}, 3);
        sound.format.sixteenBit = false;
        const DecodedSound decoded = decodeDefinedSound(sound);
        QCOMPARE(decoded.frames(), std::size_t(3));
        QCOMPARE(decoded.samples[0], std::int16_t(0));
        QVERIFY(decoded.samples[2] > 32000);
        QCOMPARE(decoded.samples[4], std::int16_t(-32768));
    }

    void aSoundIsCutToTheCountItDeclares()
    {
        swf::DefineSound sound = fixtures::pcmSound(1, std::vector<std::int16_t>(100, 7));
        sound.sampleCount = 60;
        QCOMPARE(decodeDefinedSound(sound).frames(), std::size_t(60));
    }

    void compressedCodingsDecodeToTheToneTheyHold_data()
    {
        QTest::addColumn<int>("coding");
        QTest::addColumn<int>("codec");
        QTest::addColumn<int>("rateCode");
        QTest::addColumn<int>("rate");
        QTest::newRow("adpcm 22 kHz")
            << int(swf::SoundCoding::Adpcm) << int(AV_CODEC_ID_ADPCM_SWF) << 2 << 22050;
        QTest::newRow("mp3 44 kHz")
            << int(swf::SoundCoding::Mp3) << int(AV_CODEC_ID_MP3) << 3 << 44100;
        QTest::newRow("mp3 22 kHz")
            << int(swf::SoundCoding::Mp3) << int(AV_CODEC_ID_MP3) << 2 << 22050;
        QTest::newRow("nellymoser 22 kHz")
            << int(swf::SoundCoding::Nellymoser) << int(AV_CODEC_ID_NELLYMOSER) << 2 << 22050;
        QTest::newRow("nellymoser 16 kHz")
            << int(swf::SoundCoding::Nellymoser16k) << int(AV_CODEC_ID_NELLYMOSER) << 0 << 16000;
        QTest::newRow("g.711 a-law")
            << int(swf::SoundCoding::G711ALaw) << int(AV_CODEC_ID_PCM_ALAW) << 1 << 8000;
        QTest::newRow("g.711 mu-law")
            << int(swf::SoundCoding::G711MuLaw) << int(AV_CODEC_ID_PCM_MULAW) << 1 << 8000;
    }

    void compressedCodingsDecodeToTheToneTheyHold()
    {
        QFETCH(int, coding);
        QFETCH(int, codec);
        QFETCH(int, rateCode);
        QFETCH(int, rate);
        // Half a second of 441 Hz; ADPCM holds one 4,096-sample packet, as
        // a sound of its own must.
        const int frames = coding == int(swf::SoundCoding::Adpcm) ? 4096 : rate / 2;
        const std::vector<std::int16_t> tone = fixtures::sine(rate, 441, frames);
        const Coded coded = encode(AVCodecID(codec), rate, tone);
        std::vector<std::uint8_t> data = coded.bytes;
        if (coding == int(swf::SoundCoding::Mp3)) {
            data.insert(data.begin(),
                        {std::uint8_t(coded.delay & 0xFF), std::uint8_t(coded.delay >> 8)});
        }
        const DecodedSound decoded = decodeDefinedSound(definedSound(
            swf::SoundCoding(coding), std::uint8_t(rateCode), data, std::uint32_t(frames)));

        const double seconds = double(frames) / rate;
        const double decodedSeconds = double(decoded.mixFrames()) / kMixRate;
        QVERIFY2(std::abs(decodedSeconds - seconds) < 0.1,
                 qPrintable(QString("%1 s decoded of %2 s").arg(decodedSeconds).arg(seconds)));
        // The same loudness (within 2 dB) and pitch (441 Hz, two sign
        // changes a cycle), on both sides.
        const double level = rms(decoded.samples, 2);
        QVERIFY2(level > rms(tone) * 0.8 && level < rms(tone) * 1.25,
                 qPrintable(QString("level %1 of %2").arg(level).arg(rms(tone))));
        QCOMPARE(rms(std::span(decoded.samples).subspan(1), 2), level);
        const double expected = 2 * 441 * seconds;
        const int swings = crossings(decoded);
        QVERIFY2(std::abs(swings - expected) < expected * 0.05,
                 qPrintable(QString("%1 swings of %2").arg(swings).arg(expected)));
    }

    void damagedDataYieldsWhatDecodedBeforeIt()
    {
        const std::vector<std::int16_t> tone = fixtures::sine(44100, 441, 44100);
        std::vector<std::uint8_t> data = encode(AV_CODEC_ID_MP3, 44100, tone).bytes;
        const std::size_t half = data.size() / 2;
        std::fill(data.begin() + std::ptrdiff_t(half), data.end(), std::uint8_t(0xFF));
        data.insert(data.begin(), {0, 0});
        const DecodedSound decoded =
            decodeDefinedSound(definedSound(swf::SoundCoding::Mp3, 3, data, 44100));
        QVERIFY(decoded.frames() > 44100 / 3);
        QVERIFY(decoded.frames() <= 44100);

        // Noise in every coding decodes to something bounded or to nothing.
        std::vector<std::uint8_t> noise(5000);
        std::uint32_t state = 12345;
        for (std::uint8_t& byte : noise) {
            state = state * 1664525 + 1013904223;
            byte = std::uint8_t(state >> 24);
        }
        for (const auto coding : {swf::SoundCoding::Adpcm, swf::SoundCoding::Mp3,
                                  swf::SoundCoding::Nellymoser, swf::SoundCoding::Speex}) {
            const DecodedSound garbage =
                decodeDefinedSound(definedSound(coding, 3, noise, 1u << 30));
            QVERIFY(garbage.frames() <= SoundDecoder::kMaxFrames);
        }
    }

    void aStreamDecodesBlockByBlockAndStartsAfreshAfterAReset()
    {
        const std::vector<std::int16_t> tone = fixtures::sine(22050, 441, 22050);
        const std::vector<std::uint8_t> coded = encode(AV_CODEC_ID_MP3, 22050, tone).bytes;
        const swf::SoundFormat format{swf::SoundCoding::Mp3, 2, true, false};
        SoundDecoder whole(format);
        DecodedSound all;
        whole.decode(coded, all);

        // Stream blocks hold whole MP3 frames, three to a block here.
        SoundDecoder blocks(format);
        DecodedSound joined;
        const std::vector<std::size_t> frameStarts = mp3FrameStarts(coded);
        QVERIFY(frameStarts.size() > 10);
        for (std::size_t i = 0; i < frameStarts.size(); i += 3) {
            const std::size_t end = i + 3 < frameStarts.size() ? frameStarts[i + 3] : coded.size();
            blocks.decode(std::span(coded).subspan(frameStarts[i], end - frameStarts[i]), joined);
        }
        QCOMPARE(joined.samples, all.samples);

        blocks.reset();
        DecodedSound again;
        blocks.decode(coded, again);
        QCOMPARE(again.samples, all.samples);
    }
};

QTEST_GUILESS_MAIN(TestSoundDecoder)
#include "tst_sounddecoder.moc"
