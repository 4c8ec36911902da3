#include "ScriptedPlatform.h"
#include "SwfFixtures.h"
#include "TestMovies.h"
#include "animation/SWF1.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace quorvane;

namespace {

void writeBytes(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

// The left channel of what reached the output.
std::vector<std::int16_t> leftChannel(const testing::AudioRecord& record)
{
    std::lock_guard lock(record.mutex);
    std::vector<std::int16_t> left;
    for (std::size_t i = 0; i < record.everything.size(); i += 2)
        left.push_back(record.everything[i]);
    return left;
}

// Lets the imagined device play everything written so far.
void drain(testing::AudioRecord& record)
{
    std::lock_guard lock(record.mutex);
    record.played = record.samples.size() / 2;
}

} // namespace

class TestSWF1 : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void emptyPlayerReportsNoFrames()
    {
        SWF1 player;
        QVERIFY(player.Movie().isEmpty());
        QCOMPARE(player.TotalFrames(), 0);
        QCOMPARE(player.FrameNum(), 0);
        QVERIFY(!player.IsPlaying());
        player.GotoFrame(5);
        player.Play();
        player.Rewind();
        QCOMPARE(player.FrameNum(), 0);
    }

    void aMovieThatCannotBeReadLeavesThePlayerEmpty()
    {
        const QString good = m_dir.filePath("good.swf");
        testing::writeTestMovie(good, 20);
        const QString bad = m_dir.filePath("bad.swf");
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("PK\x03\x04 a zip archive, not a movie");
        file.close();

        SWF1 player;
        player.setMovie(good);
        QCOMPARE(player.TotalFrames(), 20);
        player.setMovie(bad);
        QCOMPARE(player.Movie(), bad);
        QCOMPARE(player.TotalFrames(), 0);
        QCOMPARE(player.FrameNum(), 0);
        player.setMovie(m_dir.filePath("missing.swf"));
        QCOMPARE(player.TotalFrames(), 0);
        player.setMovie(QString());
        QVERIFY(player.Movie().isEmpty());
    }

    void loadingPlaysFromTheFirstFrame()
    {
        const QString path = m_dir.filePath("play.swf");
        testing::writeTestMovie(path, 30, 50);
        SWF1 player;
        player.setMovie(path);
        QVERIFY(player.IsPlaying());
        QCOMPARE(player.FrameNum(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(player.FrameNum() >= 3, 2000);
        player.Stop();
        const int halted = player.FrameNum();
        QTest::qWait(100);
        QCOMPARE(player.FrameNum(), halted);
    }

    void seekingAndRewinding()
    {
        const QString path = m_dir.filePath("seek.swf");
        testing::writeTestMovie(path, 30);
        SWF1 player;
        player.setMovie(path);
        player.Stop();
        player.GotoFrame(12);
        QCOMPARE(player.FrameNum(), 12);
        QVERIFY(!player.IsPlaying());
        player.GotoFrame(500); // past the end: the last frame
        QCOMPARE(player.FrameNum(), 29);
        player.Play();
        player.Rewind();
        QCOMPARE(player.FrameNum(), 0);
        QVERIFY(player.IsPlaying());
    }

    void zoomCompoundsAroundTheCentre()
    {
        const QString path = m_dir.filePath("zoom.swf");
        testing::writeTestMovie(path, 5);
        SWF1 player;
        player.resize(400, 300);
        player.setMovie(path);
        const QPointF centre(200, 150);
        const QPointF stageCentre = player.stageToWidget().inverted().map(centre);
        player.Zoom(80);
        player.Zoom(80);
        QVERIFY(qFuzzyCompare(player.zoomFactor(), 1.5625));
        QVERIFY((player.stageToWidget().inverted().map(centre) - stageCentre).manhattanLength() <
                1e-6);
        player.Zoom(100);
        QVERIFY(qFuzzyCompare(player.zoomFactor(), 1.5625));
        player.Zoom(125);
        QVERIFY(qFuzzyCompare(player.zoomFactor(), 1.25));
        player.setScale(QStringLiteral("ShowAll"));
        QVERIFY(qFuzzyCompare(player.zoomFactor(), 1.0));
    }

    void showAllLetterboxesInTheMovieBackground()
    {
        const QString path = m_dir.filePath("letterbox.swf");
        testing::writeTestMovie(path, 5); // a 200 x 150 stage
        SWF1 player;
        player.resize(400, 150);
        player.setMovie(path);
        player.Stop();
        const QImage shot = player.grab().toImage();
        // The stage is fitted to the height: 200 wide in the middle.
        const QRectF stage = player.stageToWidget().mapRect(QRectF(0, 0, 200, 150));
        QVERIFY(qAbs(stage.width() - 200) < 0.5);
        QVERIFY(qAbs(stage.left() - 100) < 0.5);
        QCOMPARE(shot.pixelColor(10, 75), player.engine().backgroundColor());
        QCOMPARE(shot.pixelColor(390, 75), player.engine().backgroundColor());
    }

    void theMoviesSoundReachesThePlatformsOutputAheadOfPlaying()
    {
        const QString path = m_dir.filePath("stream.swf");
        writeBytes(path, fixtures::bytes(fixtures::streamMovie(40, 10)));
        testing::ScriptedPlatform platform;
        platform.setAudioAvailable(true);
        SWF1 player;
        player.setPlatform(&platform);
        player.setMovie(path);
        QTRY_VERIFY_WITH_TIMEOUT(platform.audio()->sampleCount() > 0, 2000);
        QVERIFY(platform.calls().contains("audio: 44100 Hz x 2"));
        // A tenth of a second ahead, no more until the device plays some.
        QTest::qWait(50);
        QCOMPARE(platform.audio()->sampleCount(), std::size_t(4410 * 2));
        for (int i = 0; i < 10; ++i) {
            drain(*platform.audio());
            QTest::qWait(30);
        }
        const auto heard = leftChannel(*platform.audio());
        QVERIFY(heard.size() > 4410 * 2);
        QCOMPARE(heard.front(), fixtures::streamLevel(0));
        QVERIFY(std::find(heard.begin(), heard.end(), fixtures::streamLevel(2)) != heard.end());
        QVERIFY(std::find(heard.begin(), heard.end(), 0) == heard.end());

        // Another movie silences what the last one queued.
        player.setMovie(QString());
        QCOMPARE(platform.audio()->controls.last(), QStringLiteral("stop"));
    }

    void withoutASoundDeviceTheMoviePlaysOnSilently()
    {
        const QString path = m_dir.filePath("silent.swf");
        writeBytes(path, fixtures::bytes(fixtures::streamMovie(40, 10)));
        testing::ScriptedPlatform platform;
        SWF1 player;
        player.setPlatform(&platform);
        player.setMovie(path);
        QTRY_VERIFY_WITH_TIMEOUT(player.FrameNum() >= 2, 2000);
        QCOMPARE(platform.calls().count("audio: 44100 Hz x 2"), 1);
    }

    void aHaltedMoviesEventSoundPlaysToItsEnd()
    {
        // One frame that starts a two-second sound and halts at once.
        std::vector<swf::Tag> tags{
            {fixtures::pcmSound(1, std::vector<std::int16_t>(2 * 44100, 700))},
            {swf::StartSound{1, {}}},
            {swf::ShowFrame{}}};
        const QString path = m_dir.filePath("event.swf");
        writeBytes(path, fixtures::bytes(fixtures::movie(fixtures::header(50, 50, 10, 1), tags)));
        testing::ScriptedPlatform platform;
        platform.setAudioAvailable(true);
        SWF1 player;
        player.setPlatform(&platform);
        player.setMovie(path);
        player.Stop();
        for (int i = 0; i < 10; ++i) {
            drain(*platform.audio());
            QTest::qWait(30);
        }
        const auto heard = leftChannel(*platform.audio());
        QVERIFY2(heard.size() >= 3 * 4410, qPrintable(QString::number(heard.size())));
        QVERIFY(std::all_of(heard.begin(), heard.end(), [](std::int16_t s) { return s == 700; }));
    }
};

QTEST_MAIN(TestSWF1)
#include "tst_swf1.moc"
