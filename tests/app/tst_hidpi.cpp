// At a device pixel ratio of 2 the player draws at the screen's own pixels,
// never a half-size picture blown up, and the windows keep their layout.
#include "ScriptedPlatform.h"
#include "SwfFixtures.h"
#include "TestMovies.h"
#include "animation/SWF1.h"
#include "app/StatusBar.h"
#include "app/Tmainfrm.h"
#include "platform/Gbk.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

using namespace quorvane;

namespace {

// A square turned by 30 degrees: its slanted edges show at once whether
// they were drawn at the screen's resolution.
std::vector<std::uint8_t> slantedSquareMovie()
{
    swf::PlaceObject turned = fixtures::place(1, 1);
    const double angle = 30 * 3.14159265358979 / 180;
    turned.matrix->scaleX = turned.matrix->scaleY = swf::Fixed16(std::cos(angle) * 65536);
    turned.matrix->rotateSkew0 = swf::Fixed16(std::sin(angle) * 65536);
    turned.matrix->rotateSkew1 = swf::Fixed16(-std::sin(angle) * 65536);
    turned.matrix->translateX = 200 * 20;
    turned.matrix->translateY = 40 * 20;
    return fixtures::bytes(
        fixtures::movie(fixtures::header(400, 300, 12, 1),
                        {{fixtures::rectangle(1, 0, 0, 150, 150, {200, 30, 30, 255})},
                         {turned},
                         {swf::ShowFrame{}}}));
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

int channelsApart(const QImage& a, const QImage& b)
{
    int differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            if (std::abs(p.red() - q.red()) > 2 || std::abs(p.green() - q.green()) > 2 ||
                std::abs(p.blue() - q.blue()) > 2)
                ++differing;
        }
    }
    return differing;
}

} // namespace

class TestHiDpi : public QObject {
    Q_OBJECT

private slots:
    void thePlayerDrawsAtTheScreensPixels()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("slanted.swf");
        testing::writeMovie(path, slantedSquareMovie());
        SWF1 player;
        player.resize(569 - 15, 430 - 21);
        player.setMovie(path);
        player.Stop();
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        const QPixmap grabbed = player.grab();
        QCOMPARE(grabbed.devicePixelRatio(), 2.0);
        const QImage shot = grabbed.toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shot.size(), player.size() * 2);

        // The same frame rendered offscreen at twice the size.
        QImage expected(shot.size(), QImage::Format_RGB32);
        {
            QPainter painter(&expected);
            painter.fillRect(expected.rect(), player.engine().backgroundColor());
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            player.engine().render(painter, player.stageToWidget() * QTransform::fromScale(2, 2));
        }
        QCOMPARE(channelsApart(shot, expected), 0);

        // A picture drawn at half size and blown up would have failed.
        QImage half(player.size(), QImage::Format_RGB32);
        {
            QPainter painter(&half);
            painter.fillRect(half.rect(), player.engine().backgroundColor());
            painter.setRenderHint(QPainter::Antialiasing);
            player.engine().render(painter, player.stageToWidget());
        }
        QVERIFY(channelsApart(half.scaled(shot.size()), expected) > 100);
    }

    void theMainWindowKeepsItsDesignedLayout()
    {
        testing::ScriptedPlatform platform;
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("fyf"));
        testing::writeMovie(dir.filePath("fyf/c01-01.swf"), slantedSquareMovie());
        writeFile(dir.filePath("fyf/list.txt"),
                  gbk::fromUnicode(QStringLiteral("c01-01.swf#名词\r\n")));
        platform.setWindowsDirectory(dir.path());
        Tmainfrm w(platform);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.devicePixelRatio(), 2.0);
        QCOMPARE(w.centralWidget()->size(),
                 QSize(Tmainfrm::kClientWidth, Tmainfrm::kClientHeight - StatusBar::kHeight));
        QCOMPARE(w.GB1->geometry(), QRect(0, 38, 180, 430));
        QCOMPARE(w.GB2->geometry(), QRect(184, 38, 569, 430));
        QCOMPARE(w.Panel1->geometry(), QRect(7, 14, 569 - 15, 430 - 21));
        QCOMPARE(w.Sbar1->size(), QSize(Tmainfrm::kClientWidth, StatusBar::kHeight));
    }
};

int main(int argc, char** argv)
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestHiDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hidpi.moc"
