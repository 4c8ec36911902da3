// A movie's sound heard for real: the player widget plays through the Qt
// platform into a private PulseAudio null sink, whose monitor is recorded.
#include "PrivateSoundServer.h"
#include "SwfFixtures.h"
#include "animation/SWF1.h"
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <numbers>

using namespace quorvane;
using testing::SinkRecorder;

namespace {

// A movie at 10 frames a second whose stream sound is an unbroken 440 Hz
// tone, a tenth of a second of it in each frame.
QString writeToneMovie(const QString& path, int frames)
{
    constexpr int kPerFrame = 4410;
    std::vector<swf::Tag> tags{{fixtures::pcmStreamHead(kPerFrame)}};
    for (int frame = 0; frame < frames; ++frame) {
        std::vector<std::int16_t> block(kPerFrame);
        for (int i = 0; i < kPerFrame; ++i) {
            const double t = double(frame * kPerFrame + i) / 44100;
            block[std::size_t(i)] = std::int16_t(8000 * std::sin(2 * std::numbers::pi * 440 * t));
        }
        tags.push_back({fixtures::pcmStreamBlock(block)});
        tags.push_back({swf::ShowFrame{}});
    }
    const auto bytes = fixtures::bytes(
        fixtures::movie(fixtures::header(100, 100, 10, std::uint16_t(frames)), std::move(tags)));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    return path;
}

} // namespace

class TestSWF1Sound : public QObject {
    Q_OBJECT

public:
    static inline bool serverStarted = false;

private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        if (!serverStarted)
            QSKIP("no PulseAudio server could be started here");
    }

    void theStreamIsHeardFrameByFrameAndStopSilencesIt()
    {
        QtPlatform platform;
        SWF1 player;
        player.setPlatform(&platform);
        SinkRecorder recorder(m_dir.filePath("stream.raw"));
        player.setMovie(writeToneMovie(m_dir.filePath("tone.swf"), 40));
        // The frames wait for their sound, however slowly the output starts.
        QTRY_VERIFY_WITH_TIMEOUT(player.FrameNum() >= 15, 10000);
        player.Stop();
        QTest::qWait(1500);
        recorder.finish();
        // Frames 0 to 14 were heard, each a tenth of a second; what was
        // mixed ahead plays out, and then there is silence.
        const double heard = recorder.audibleSeconds();
        QVERIFY2(heard > 1.35 && heard < 1.9, qPrintable(QString::number(heard)));
        const auto [start, end] = recorder.longestSilence();
        QVERIFY2(end - start <= 0.02, qPrintable(QStringLiteral("%1 to %2").arg(start).arg(end)));
        const double length = recorder.seconds();
        QVERIFY(recorder.level(length - 0.5, length) < 50);
    }

    void reseatingTenTimesASecondLeavesNoGap()
    {
        QtPlatform platform;
        SWF1 player;
        player.setPlatform(&platform);
        SinkRecorder recorder(m_dir.filePath("reseat.raw"));
        player.setMovie(writeToneMovie(m_dir.filePath("tone.swf"), 40));
        // What the main window's progress tick does to the movie.
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            player.Stop();
            player.GotoFrame(player.FrameNum());
            player.Play();
        });
        tick.start(100);
        QTRY_VERIFY_WITH_TIMEOUT(player.FrameNum() >= 30, 15000);
        tick.stop();
        player.Stop();
        QTest::qWait(1500);
        recorder.finish();
        const auto [start, end] = recorder.longestSilence();
        QVERIFY2(end - start <= 0.02, qPrintable(QStringLiteral("%1 to %2").arg(start).arg(end)));
        const double heard = recorder.audibleSeconds();
        QVERIFY2(heard > 2.9 && heard < 3.4, qPrintable(QString::number(heard)));
    }
};

int main(int argc, char** argv)
{
    testing::PrivateSoundServer server;
    TestSWF1Sound::serverStarted = server.isRunning();
    QApplication app(argc, argv);
    TestSWF1Sound test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_swf1sound.moc"
