#include "catalogue/LessonFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace quorvane;

class TestLessonFile : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_folder; // a lesson folder, ending in a separator like the real ones

    void touch(const QString& relative)
    {
        const QString path = m_root.path() + u'/' + relative;
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        m_folder = m_root.path() + QStringLiteral("/fyf/");
        touch("fyf/exact.swf");
        touch("fyf/Lesson01.SWF");
        touch("fyf/Unit2/Sub/Verbs.swf");
        touch("fyf/名词/名词1.SWF");
        touch("fyf/twice.swf");
        touch("fyf/TWICE.SWF");
        touch("fyf/DupDir/a.swf");
        touch("fyf/dupdir/a.swf");
        touch("shared/Intro.swf");
        touch("fyf/wyf-like/7.TXT");
    }

    void windowsNamesFindTheFileOnDisk_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("found");
        QTest::newRow("case") << "lesson01.swf"
                              << "fyf/Lesson01.SWF";
        QTest::newRow("backslashes and case") << "unit2\\SUB\\verbs.SWF"
                                              << "fyf/Unit2/Sub/Verbs.swf";
        QTest::newRow("mixed separators") << "UNIT2/sub\\Verbs.swf"
                                          << "fyf/Unit2/Sub/Verbs.swf";
        QTest::newRow("Chinese names, Latin case") << "名词\\名词1.swf"
                                                   << "fyf/名词/名词1.SWF";
        QTest::newRow("text lesson") << "wyf-like\\7.txt"
                                     << "fyf/wyf-like/7.TXT";
        // ".." still leaves the folder, and the names beyond it match alike.
        QTest::newRow("parent") << "..\\SHARED\\intro.swf"
                                << "fyf/../shared/Intro.swf";
    }
    void windowsNamesFindTheFileOnDisk()
    {
        QFETCH(QString, name);
        QFETCH(QString, found);
        QCOMPARE(findLessonFile(m_folder, name), m_root.path() + u'/' + found);
    }

    void exactNameWinsOverCaseVariants()
    {
        QCOMPARE(findLessonFile(m_folder, "exact.swf"), m_folder + "exact.swf");
        QCOMPARE(findLessonFile(m_folder, "twice.swf"), m_folder + "twice.swf");
        QCOMPARE(findLessonFile(m_folder, "TWICE.SWF"), m_folder + "TWICE.SWF");
        QCOMPARE(findLessonFile(m_folder, "dupdir/a.swf"), m_folder + "dupdir/a.swf");
        // Only the separator is Windows': the folder named exactly is taken.
        QCOMPARE(findLessonFile(m_folder, "DupDir\\a.swf"), m_folder + "DupDir/a.swf");
    }

    // Each of these comes back as the name joined to the folder, which does
    // not exist, so the lookups ask the missing-lesson question.
    void unresolvedNamesComeBackJoined_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("no such file") << "gone.swf";
        QTest::newRow("no such folder") << "nowhere\\lesson01.swf";
        QTest::newRow("two case variants, neither exact") << "twice.SWF";
        QTest::newRow("two case variants of a folder") << "DUPDIR\\a.swf";
        QTest::newRow("a folder, not a file") << "unit2\\sub";
        QTest::newRow("empty") << "";
    }
    void unresolvedNamesComeBackJoined()
    {
        QFETCH(QString, name);
        QCOMPARE(findLessonFile(m_folder, name), m_folder + name);
    }
};

QTEST_GUILESS_MAIN(TestLessonFile)
#include "tst_lessonfile.moc"
