#include "TestMovies.h"
#include "animation/SWF1.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace quorvane;

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
        QVERIFY((player.stageToWidget().inverted().map(centre) - stageCentre).manhattanLength() < 1e-6);
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
};

QTEST_MAIN(TestSWF1)
#include "tst_swf1.moc"
