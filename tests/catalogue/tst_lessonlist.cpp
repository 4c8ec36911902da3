#include "catalogue/LessonList.h"
#include "platform/Error.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace quorvane;

using Lines = QList<QByteArray>;

class TestLessonList : public QObject {
    Q_OBJECT

private slots:
    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<Lines>("lines");
        QTest::newRow("crlf") << QByteArray("a#1\r\nb#2\r\n") << Lines{"a#1", "b#2"};
        QTest::newRow("lone cr") << QByteArray("a#1\rb#2\r") << Lines{"a#1", "b#2"};
        QTest::newRow("lone lf") << QByteArray("a#1\nb#2\n") << Lines{"a#1", "b#2"};
        QTest::newRow("no final end") << QByteArray("a#1\r\nb#2") << Lines{"a#1", "b#2"};
        QTest::newRow("mixed") << QByteArray("a#1\rb#2\nc#3\r\nd#4") << Lines{"a#1", "b#2", "c#3", "d#4"};
        QTest::newRow("lf cr is two ends") << QByteArray("a\n\rb") << Lines{"a", "", "b"};
        QTest::newRow("empty file") << QByteArray() << Lines{};
        QTest::newRow("empty line kept") << QByteArray("a#1\r\n\r\nb#2") << Lines{"a#1", "", "b#2"};
    }
    void lineEnds()
    {
        QFETCH(QByteArray, content);
        QFETCH(Lines, lines);
        QCOMPARE(LessonList::splitLines(content), lines);
    }

    void longLinesAreRead()
    {
        const QByteArray title(10000, 'x');
        const Lines lines = LessonList::splitLines("m.swf#" + title + "\r\nn.swf#y\r\n");
        QCOMPARE(lines.size(), 2);
        QCOMPARE(LessonEntry(lines[0]).title(), title);
    }

    void fields_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<Lines>("fields");
        QTest::newRow("two") << QByteArray("n1.swf#\xC3\xFB\xB4\xCA") << Lines{"n1.swf", "\xC3\xFB\xB4\xCA"};
        QTest::newRow("third ignored later") << QByteArray("a.swf#t#note") << Lines{"a.swf", "t", "note"};
        QTest::newRow("double hash") << QByteArray("a.swf##t") << Lines{"a.swf", "", "t"};
        QTest::newRow("trailing hash") << QByteArray("a.swf#t#") << Lines{"a.swf", "t"};
        QTest::newRow("lone trailing hash") << QByteArray("a.swf#") << Lines{"a.swf"};
        QTest::newRow("empty movie") << QByteArray("#t") << Lines{"", "t"};
        QTest::newRow("no hash") << QByteArray("a.swf") << Lines{"a.swf"};
        QTest::newRow("empty") << QByteArray() << Lines{};
    }
    void fields()
    {
        QFETCH(QByteArray, line);
        QFETCH(Lines, fields);
        QCOMPARE(LessonEntry(line).fields(), fields);
    }

    void tooFewFieldsIsAnIndexError()
    {
        for (const QByteArray& line : {QByteArray("a.swf"), QByteArray("a.swf#"), QByteArray()}) {
            const LessonEntry entry(line);
            QVERIFY_THROWS_EXCEPTION(Error, entry.title());
        }
        QVERIFY_THROWS_EXCEPTION(Error, LessonEntry(QByteArray()).movieFile());
    }

    void loadReadsTheWholeFile()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath("list.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("n1.swf#\xC3\xFB\xB4\xCA\r\nn2.swf#b");
        file.close();
        LessonList list;
        list.setLines({"stale"});
        list.load(file.fileName());
        QCOMPARE(list.lines(), (Lines{"n1.swf#\xC3\xFB\xB4\xCA", "n2.swf#b"}));
    }

    void aMissingFileLeavesTheListEmptyAndNamesTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("fyf/list.txt");
        LessonList list;
        list.setLines({"stale"});
        try {
            list.load(path);
            QFAIL("no error for a missing list");
        } catch (const Error& error) {
            QVERIFY(error.message().contains(path));
        }
        QVERIFY(list.lines().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLessonList)
#include "tst_lessonlist.moc"
