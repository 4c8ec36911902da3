#include "ActionFixtures.h"
#include "SwfFixtures.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace quorvane;
using A = swf::ActionCode;

namespace {

struct Run {
    int exitCode = -1;
    QString output;
    QString errors;
};

Run runTool(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(QUORVANE_SWF_TOOL), arguments);
    Run run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        return run;
    }
    run.exitCode = process.exitCode();
    run.output = QString::fromUtf8(process.readAllStandardOutput());
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

bool writeFile(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) ==
               qint64(bytes.size());
}

// Black device text on white: a font without glyphs and an edit text in it.
std::vector<std::uint8_t> deviceTextMovie()
{
    swf::DefineFont font;
    font.id = 1;
    font.name = "_sans";
    swf::DefineEditText edit;
    edit.id = 2;
    edit.bounds = swf::Rect{10 * 20, 290 * 20, 10 * 20, 110 * 20};
    edit.fontId = 1;
    edit.fontHeight = 40 * 20;
    edit.textColor = swf::Rgba{0, 0, 0, 255};
    edit.readOnly = true;
    edit.initialText = "Device text";
    return fixtures::bytes(fixtures::movie(
        fixtures::header(300, 120, 12, 1),
        {swf::Tag{swf::SetBackgroundColor{swf::Rgba{255, 255, 255, 255}}}, swf::Tag{font},
         swf::Tag{edit}, swf::Tag{fixtures::place(1, 2)}, swf::Tag{swf::ShowFrame{}}}));
}

} // namespace

class TestSwfTool : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_folder.isValid()); }

    void infoPrintsTheHeaderThenTheTags()
    {
        const QString path = m_folder.filePath("movie.swf");
        swf::Movie movie = fixtures::animatedMovie(12, 29.97);
        movie.header.compression = swf::Compression::Zlib;
        movie.header.stage.xMax = 2026; // 101.3 pixels
        QVERIFY(writeFile(path, fixtures::bytes(movie)));
        const Run run = runTool({"info", path});
        QCOMPARE(run.exitCode, 0);
        const QStringList lines = run.output.split(u'\n');
        QCOMPARE(lines.mid(0, 6),
                 QStringList({"version: 8", "compression: CWS", "stage: 101.3 x 150",
                              "frame-rate: 29.97", "frames: 12", "tags:"}));
        QVERIFY(lines.contains("  ShowFrame (1): 15"));
        QVERIFY(lines.contains("  DefineShape3 (32): 4"));
        QVERIFY(lines.contains("  DefineSprite (39): 1"));
        QVERIFY(run.errors.isEmpty());
    }

    void unreadableFilesFailWithOneLine_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not a movie") << QByteArray("plain text, not a movie") << "Invalid SWF";
        QTest::newRow("missing") << QByteArray() << "Cannot open";
    }
    void unreadableFilesFailWithOneLine()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        const QString path = m_folder.filePath(content.isEmpty() ? "absent.swf" : "text.swf");
        if (!content.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        for (const QStringList& arguments :
             {QStringList{"info", path},
              QStringList{"render", path, "--frames", "1", "--out", m_folder.filePath("x.png")}}) {
            const Run run = runTool(arguments);
            QCOMPARE(run.exitCode, 1);
            QVERIFY(run.output.isEmpty());
            QCOMPARE(run.errors.count(u'\n'), 1);
            QVERIFY2(run.errors.startsWith(reason), qPrintable(run.errors));
        }
    }

    void renderRunsTheFramesAndWritesTheStage()
    {
        const QString movie = m_folder.filePath("animated.swf");
        QVERIFY(writeFile(movie, fixtures::bytes(fixtures::animatedMovie(30))));
        const QString png = m_folder.filePath("frame.png");
        const Run run = runTool({"render", movie, "--frames", "8", "--out", png});
        QCOMPARE(run.exitCode, 0);
        const QImage image(png);
        QCOMPARE(image.size(), QSize(200, 150));
        // Frame 8 is the eighth frame: the red square has moved 7 pixels.
        QCOMPARE(image.pixel(7, 65), qRgb(255, 0, 0));
        QVERIFY(image.pixel(6, 65) != qRgb(255, 0, 0));

        const QString sized = m_folder.filePath("sized.png");
        QCOMPARE(runTool({"render", movie, "--frames", "1", "--out", sized, "--width", "400",
                          "--height", "400"})
                     .exitCode,
                 0);
        const QImage large(sized);
        QCOMPARE(large.size(), QSize(400, 400));
        // Fitted at twice the size, centred: 50-pixel margins above and below.
        QCOMPARE(large.pixel(200, 25), qRgb(250, 240, 220));
        QCOMPARE(large.pixel(5, 50 + 130), qRgb(255, 0, 0));
    }

    void renderDrawsDeviceText()
    {
        const QString movie = m_folder.filePath("device-text.swf");
        QVERIFY(writeFile(movie, deviceTextMovie()));
        const QString png = m_folder.filePath("device-text.png");
        // The tool sets up its own offscreen platform, as on a machine
        // without a display.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.remove(QStringLiteral("DISPLAY"));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(QUORVANE_SWF_TOOL),
                      {"render", movie, "--frames", "1", "--out", png});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        const QImage image(png);
        QCOMPARE(image.size(), QSize(300, 120));
        int ink = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                ink += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
        }
        QVERIFY2(ink > 200, qPrintable(QString::number(ink)));
    }

    void traceDeliversTheInputAfterEveryFrameTheLastIncluded()
    {
        // onMouseDown = function () { trace("down") }, on a movie of two frames.
        fixtures::ActionScript handler;
        handler.push("down").op(A::Trace);
        fixtures::ActionScript script;
        script.push("onMouseDown").defineFunction("", {}, handler).op(A::SetVariable);
        swf::Header head = fixtures::header(100, 100, 12, 2);
        head.version = 8;
        const QString movie = m_folder.filePath("mouse.swf");
        QVERIFY(writeFile(movie, fixtures::bytes(fixtures::movie(
                                     head, {fixtures::doAction(script), swf::Tag{swf::ShowFrame{}},
                                            swf::Tag{swf::ShowFrame{}}}))));
        const QString input = m_folder.filePath("input.json");
        QFile inputFile(input);
        QVERIFY(inputFile.open(QIODevice::WriteOnly));
        inputFile.write(R"([{"type": "MouseDown", "pos": [5, 5], "btn": "Left"}, {"type": "Wait"},
                            {"type": "MouseDown", "pos": [5, 5], "btn": "Left"}])");
        inputFile.close();
        const Run run = runTool({"trace", movie, "--frames", "2", "--input", input});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.output, QStringLiteral("down\ndown\n"));
    }

    void badArgumentsAreUsageErrors()
    {
        QCOMPARE(runTool({}).exitCode, 2);
        QCOMPARE(runTool({"render", "movie.swf", "--frames", "0", "--out", "x.png"}).exitCode, 2);
        QCOMPARE(runTool({"render", "movie.swf", "--frames", "3"}).exitCode, 2);
        QCOMPARE(runTool({"render", "movie.swf", "--out", "x.png", "--width", "10"}).exitCode, 2);
        QCOMPARE(runTool({"dump", "movie.swf"}).exitCode, 2);
    }

private:
    QTemporaryDir m_folder;
};

QTEST_GUILESS_MAIN(TestSwfTool)
#include "tst_swftool.moc"
