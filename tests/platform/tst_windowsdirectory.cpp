#include "platform/WindowsDirectory.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace quorvane;

class TestWindowsDirectory : public QObject {
    Q_OBJECT

private slots:
    void environmentComesFirst()
    {
        QTemporaryDir installed;
        QCOMPARE(resolveWindowsDirectory("/srv/lessons", installed.path(), "/build/course"),
                 QStringLiteral("/srv/lessons"));
    }

    void trailingSeparatorsAreDropped()
    {
        QCOMPARE(resolveWindowsDirectory("/srv/lessons//", {}, "/build/course"),
                 QStringLiteral("/srv/lessons"));
        QCOMPARE(resolveWindowsDirectory({}, {}, "/build/course/"),
                 QStringLiteral("/build/course"));
    }

    void installedDataWhenItExists()
    {
        QTemporaryDir installed;
        QCOMPARE(resolveWindowsDirectory({}, installed.path(), "/build/course"), installed.path());
    }

    void buildCourseWhenNothingIsInstalled()
    {
        QCOMPARE(resolveWindowsDirectory({}, "/nonexistent/share/quorvane", "/build/course"),
                 QStringLiteral("/build/course"));
    }

    void longPathsAreKeptWhole()
    {
        // Longer than any fixed Windows path buffer.
        const QString deep = QStringLiteral("/tmp/") + QString(300, u'x') + QStringLiteral("/课程");
        QCOMPARE(resolveWindowsDirectory(deep, {}, {}), deep);
    }

    void processUsesTheEnvironmentVariable()
    {
        qputenv("QUORVANE_WINDIR", "/opt/quorvane-lessons");
        QCOMPARE(windowsDirectory(), QStringLiteral("/opt/quorvane-lessons"));
        qunsetenv("QUORVANE_WINDIR");
        QVERIFY(windowsDirectory() != QStringLiteral("/opt/quorvane-lessons"));
        QVERIFY(!windowsDirectory().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestWindowsDirectory)
#include "tst_windowsdirectory.moc"
