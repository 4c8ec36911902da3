#include "catalogue/LessonDirectories.h"
#include "catalogue/LessonTrees.h"
#include "catalogue/TextLookup.h"
#include "platform/Gbk.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace quorvane;

class TestTextLookup : public QObject {
    Q_OBJECT

private slots:
    void directories()
    {
        const LessonDirectories dirs = buildLessonDirectories(QStringLiteral("/srv/q"));
        QCOMPARE(dirs.animationDir, QStringLiteral("/srv/q/fyf/"));
        QCOMPARE(dirs.textDir, QStringLiteral("/srv/q/wyf/"));
    }

    void files_data()
    {
        QTest::addColumn<int>("node");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("status");
        QTest::newRow("first chapter") << 0 << "1.txt" << "名词";
        QTest::newRow("first lesson") << 1 << "2.txt" << "名词->名词复数的规则变化";
        QTest::newRow("second chapter") << 8 << "9.txt" << "冠词和数词";
        QTest::newRow("its first lesson") << 9 << "10.txt" << "冠词和数词->不定冠词的用法";
        QTest::newRow("quotes") << 136 << "137.txt" << "动词的语态->表示\"据说\"或\"相信\" 的词组";
        QTest::newRow("last") << 202 << "203.txt" << "连词->表示选择的并列结构 ";
    }
    void files()
    {
        QFETCH(int, node);
        QFETCH(QString, file);
        QFETCH(QString, status);
        const TextLesson lesson = findTextLesson(textTree(), QStringLiteral("/srv/q/wyf/"), node);
        QCOMPARE(lesson.flatIndex, node);
        QCOMPARE(lesson.path, QStringLiteral("/srv/q/wyf/") + file);
        QCOMPARE(lesson.statusText, gbk::fromUnicode(status));
    }

    void upperCaseNameCopiedFromWindowsIsFound()
    {
        QTemporaryDir dir;
        const QString textDir = dir.path() + QStringLiteral("/wyf/");
        QVERIFY(QDir().mkpath(textDir));
        QFile copied(textDir + QStringLiteral("10.TXT"));
        QVERIFY(copied.open(QIODevice::WriteOnly));
        QCOMPARE(findTextLesson(textTree(), textDir, 9).path, textDir + QStringLiteral("10.TXT"));
        QCOMPARE(findTextLesson(textTree(), textDir, 8).path, textDir + QStringLiteral("9.txt"));
    }

    void everyNodeOpensItsOwnNumber()
    {
        for (int node = 0; node < textTree().count(); ++node) {
            const TextLesson lesson = findTextLesson(textTree(), QStringLiteral("d/"), node);
            QCOMPARE(lesson.path, QStringLiteral("d/%1.txt").arg(node + 1));
        }
    }
};

QTEST_GUILESS_MAIN(TestTextLookup)
#include "tst_textlookup.moc"
