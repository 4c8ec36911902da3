#include "ScriptedPlatform.h"
#include "catalogue/MissingLessonBox.h"

#include <QtTest>

using namespace quorvane;
using quorvane::testing::ScriptedPlatform;

class TestMissingLessonBox : public QObject {
    Q_OBJECT

private slots:
    void yesOpensTheBundledHelpPage()
    {
        ScriptedPlatform platform;
        platform.queueAnswer(true);
        askForMissingLesson(platform, nullptr);
        QCOMPARE(platform.callsOfKind("question").size(), 1);
        const QStringList opened = platform.callsOfKind("open");
        QCOMPARE(opened.size(), 1);
        const QUrl page(opened[0]);
        QVERIFY2(page.isLocalFile(), qPrintable(opened[0]));
        QCOMPARE(QFileInfo(page.toLocalFile()).fileName(), QStringLiteral("index.html"));
        QVERIFY2(QFileInfo(page.toLocalFile()).isFile(), qPrintable(page.toLocalFile()));
    }

    void noOpensNothing()
    {
        ScriptedPlatform platform;
        platform.queueAnswer(false);
        askForMissingLesson(platform, nullptr);
        QCOMPARE(platform.calls().size(), 1);
        QVERIFY(platform.callsOfKind("open").isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestMissingLessonBox)
#include "tst_missinglessonbox.moc"
