#include "platform/QtPlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QtTest>

using namespace quorvane;

class TestProgramStart : public QObject {
    Q_OBJECT

private slots:
    void startProgramSaysWhetherTheProgramStarted()
    {
        QtPlatform platform;
        // A copy of this test that only lists its functions and ends.
        QVERIFY(platform.startProgram(QCoreApplication::applicationFilePath(), {"-functions"}));
        QVERIFY(!platform.startProgram(QDir::temp().filePath("quorvane-missing/ctts.exe"), {}));
        QVERIFY(!platform.startProgram(QStringLiteral("quorvane-no-such-program"), {}));
    }
};

QTEST_GUILESS_MAIN(TestProgramStart)
#include "tst_programstart.moc"
