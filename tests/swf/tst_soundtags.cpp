#include "swf/Reader.h"
#include "swf/TagCode.h"
#include "swf/Writer.h"

#include <QtTest>

using namespace quorvane::swf;

namespace {

Movie movieOf(std::vector<Tag> tags)
{
    Header header;
    header.stage = Rect{0, 2000, 0, 2000};
    header.frameCount = 1;
    tags.push_back({ShowFrame{}});
    tags.push_back({End{}});
    return Movie{header, std::move(tags)};
}

Movie roundTrip(const Movie& movie)
{
    auto bytes = writeMovie(movie);
    if (!bytes) {
        qFatal("write failed: %s", bytes.error().message.c_str());
    }
    auto read = readMovie(bytes.value());
    if (!read) {
        qFatal("read failed: %s", read.error().message.c_str());
    }
    if (!read.value().warnings.empty()) {
        qFatal("read warned: %s", read.value().warnings.front().message.c_str());
    }
    return std::move(read).value().movie;
}

SoundInfo everyInfoField()
{
    SoundInfo info;
    info.syncNoMultiple = true;
    info.inPoint = 441;
    info.outPoint = 88200;
    info.loopCount = 3;
    info.envelope = std::vector<SoundEnvelopePoint>{{0, 0, 32768}, {22050, 32768, 16384}};
    return info;
}

// A tag body as the file stores it, behind a long tag header.
std::vector<std::uint8_t> fileWithTag(TagCode code, std::vector<std::uint8_t> body)
{
    std::vector<std::uint8_t> file = {'F',  'W', 'S', 8, 0, 0, 0, 0,
                                      0x00, // empty stage rect (5 bits of zero)
                                      0,    12,  1,   0};
    const auto header = static_cast<std::uint16_t>((static_cast<std::uint16_t>(code) << 6) | 0x3F);
    file.push_back(header & 0xFF);
    file.push_back(header >> 8);
    const auto length = static_cast<std::uint32_t>(body.size());
    for (int shift = 0; shift < 32; shift += 8) {
        file.push_back(static_cast<std::uint8_t>(length >> shift));
    }
    file.insert(file.end(), body.begin(), body.end());
    file.insert(file.end(), {0, 0});
    const auto fileLength = static_cast<std::uint32_t>(file.size());
    for (int i = 0; i < 4; ++i) {
        file[4 + std::size_t(i)] = static_cast<std::uint8_t>(fileLength >> (8 * i));
    }
    return file;
}

} // namespace

class TestSoundTags : public QObject {
    Q_OBJECT

private slots:
    void everySoundTagSurvivesAWriteAndARead()
    {
        DefineSound sound;
        sound.id = 7;
        sound.format = SoundFormat{SoundCoding::Adpcm, 1, true, true};
        sound.sampleCount = 12345;
        sound.data = {1, 2, 3, 250};

        SoundStreamHead mp3Head;
        mp3Head.version = 1;
        mp3Head.playback = SoundFormat{SoundCoding::Mp3, 2, true, true};
        mp3Head.stream = mp3Head.playback;
        mp3Head.samplesPerBlock = 1837;
        mp3Head.latencySeek = -576;

        SoundStreamHead pcmHead;
        pcmHead.playback = SoundFormat{SoundCoding::LittleEndianPcm, 0, false, false};
        pcmHead.stream = pcmHead.playback;
        pcmHead.samplesPerBlock = 441;

        DefineButtonSound buttonSound;
        buttonSound.buttonId = 9;
        buttonSound.idleToOverUp = {7, everyInfoField()};
        buttonSound.overDownToOverUp = {7, SoundInfo{}};

        StartSound stop{7, SoundInfo{}};
        stop.info.syncStop = true;

        const Movie movie = movieOf({{sound},
                                     {StartSound{7, everyInfoField()}},
                                     {stop},
                                     {StartSound2{"narration", SoundInfo{}}},
                                     {mp3Head},
                                     {pcmHead},
                                     {SoundStreamBlock{{9, 8, 7}}},
                                     {buttonSound}});
        QCOMPARE(roundTrip(movie), movie);
        QCOMPARE(tagCode(Tag{mp3Head}), std::uint16_t(TagCode::SoundStreamHead));
        QCOMPARE(tagCode(Tag{pcmHead}), std::uint16_t(TagCode::SoundStreamHead2));
    }

    void soundFieldsSitWhereTheFormatPutsThem()
    {
        // DefineSound id 3, ADPCM at 22 kHz, 16-bit, stereo, 1000 samples.
        const auto file =
            fileWithTag(TagCode::DefineSound, {3, 0, 0x1B, 0xE8, 0x03, 0, 0, 0xAA, 0xBB});
        auto read = readMovie(file);
        QVERIFY(read);
        const auto* sound = std::get_if<DefineSound>(&read.value().movie.tags.at(0).value);
        QVERIFY(sound);
        QCOMPARE(sound->id, std::uint16_t(3));
        QCOMPARE(sound->format.coding, SoundCoding::Adpcm);
        QCOMPARE(sound->format.sampleRate(), 22050);
        QVERIFY(sound->format.sixteenBit);
        QVERIFY(sound->format.stereo);
        QCOMPARE(sound->sampleCount, 1000u);
        QCOMPARE(sound->data, (std::vector<std::uint8_t>{0xAA, 0xBB}));

        // StartSound of id 3 with an in point of 0x01020304 and two loops.
        const auto start = fileWithTag(TagCode::StartSound, {3, 0, 0x05, 4, 3, 2, 1, 2, 0});
        read = readMovie(start);
        QVERIFY(read);
        const auto* startSound = std::get_if<StartSound>(&read.value().movie.tags.at(0).value);
        QVERIFY(startSound);
        QCOMPARE(startSound->info.inPoint, std::optional<std::uint32_t>(0x01020304));
        QCOMPARE(startSound->info.loopCount, std::optional<std::uint16_t>(2));
        QVERIFY(!startSound->info.outPoint);
        QVERIFY(!startSound->info.envelope);
    }

    void aSoundInfoCutShortIsReportedAndKeptAsBytes()
    {
        // The flags promise an envelope of two points; only one follows.
        const auto file =
            fileWithTag(TagCode::StartSound, {3, 0, 0x08, 2, 0, 0, 0, 0, 0, 0x80, 0, 0x80});
        auto read = readMovie(file);
        QVERIFY(read);
        QVERIFY(std::holds_alternative<Unknown>(read.value().movie.tags.at(0).value));
        QCOMPARE(read.value().warnings.size(), std::size_t(1));
        QVERIFY(QString::fromStdString(read.value().warnings[0].message).contains("StartSound"));
    }

    void anEnvelopeTheFormatCannotHoldIsNotWritten()
    {
        StartSound start{1, SoundInfo{}};
        start.info.envelope = std::vector<SoundEnvelopePoint>(256);
        const auto written = writeMovie(movieOf({{start}}));
        QVERIFY(!written);
        QVERIFY(QString::fromStdString(written.error().message).contains("255"));
        start.info.envelope->pop_back();
        QVERIFY(writeMovie(movieOf({{start}})));
    }
};

QTEST_GUILESS_MAIN(TestSoundTags)
#include "tst_soundtags.moc"
