#include "ScriptedPlatform.h"
#include "TestMovies.h"
#include "animation/SWF1.h"
#include "app/LessonTreeView.h"
#include "app/Tmainfrm.h"
#include "platform/Gbk.h"
#include "text/LessonMemo.h"
#include "text/ShownCharacters.h"

#include <QDirIterator>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace quorvane;
using quorvane::testing::ScriptedPlatform;

namespace {

// Flat indices in the animation tree: the first lesson (played at start-up),
// the second (the one chosen after a bad one) and the third (the bad one).
constexpr int kFirstLesson = 1;
constexpr int kOtherLesson = 2;
constexpr int kBadLesson = 3;
// Text lessons by flat index: 1.txt is shown on entering text mode, 2.txt is
// the lesson chosen after the bad one, 3.txt the bad one.
constexpr int kOtherText = 1;
constexpr int kBadText = 2;

QByteArray gbkText(const QString& text)
{
    return gbk::fromUnicode(text);
}

QByteArray goodLines()
{
    return gbkText(QStringLiteral("m1.swf#名词\r\nm2.swf#可数名词\r\n"));
}

QByteArray badLessonLine(const QString& movieName)
{
    return gbkText(movieName + QStringLiteral("#不可数名词：物质名词\r\n"));
}

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(seed);
    random.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

// A lesson folder under a parent whose name has a blank and Chinese in it,
// with movies for the first two lessons of the animation tree and texts for
// the first two nodes of the text tree.
class HostileCourse {
public:
    HostileCourse() : m_path(m_root.filePath(QStringLiteral("课程 目录")))
    {
        QDir().mkpath(file("fyf"));
        QDir().mkpath(file("wyf"));
        quorvane::testing::writeTestMovie(file("fyf/m1.swf"), 10);
        quorvane::testing::writeTestMovie(file("fyf/m2.swf"), 12);
        write("wyf/1.txt", "chapter one\r\n");
        write("wyf/2.txt", "lesson two\r\n");
        writeList(goodLines());
    }

    QString path() const { return m_path; }
    QString file(const QString& relative) const { return m_path + u'/' + relative; }

    void write(const QString& relative, const QByteArray& content) const
    {
        writeRepeated(relative, content, 1);
    }
    // Big files come from a few large writes of one chunk.
    void writeRepeated(const QString& relative, const QByteArray& chunk, int times,
                       const QByteArray& tail = {}) const
    {
        QFile out(file(relative));
        QVERIFY(out.open(QIODevice::WriteOnly));
        for (int i = 0; i < times; ++i)
            QCOMPARE(out.write(chunk), chunk.size());
        QCOMPARE(out.write(tail), tail.size());
    }
    void writeList(const QByteArray& content) const { write("fyf/list.txt", content); }

    // Every entry below the course with its size and times; symbolic links
    // are listed, not followed.
    QStringList listing() const
    {
        QStringList entries;
        QDirIterator it(m_path,
                        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            const QFileInfo info = it.fileInfo();
            entries << QStringLiteral("%1 %2 %3 %4 %5")
                           .arg(info.filePath(), info.symLinkTarget())
                           .arg(info.size())
                           .arg(info.lastModified().toMSecsSinceEpoch())
                           .arg(info.metadataChangeTime().toMSecsSinceEpoch());
        }
        entries.sort();
        return entries;
    }

private:
    QTemporaryDir m_root;
    QString m_path;
};

// A timer of the GUI thread: it ticks only while the event loop runs.
class Ticker {
public:
    Ticker()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { ++m_ticks; });
        m_timer.start(10);
    }
    bool ticksAgain() const
    {
        const int before = m_ticks;
        return QTest::qWaitFor([&] { return m_ticks > before; }, 5000);
    }

private:
    QTimer m_timer;
    int m_ticks = 0;
};

// The program started on a course, the listing taken before it started.
struct Session {
    explicit Session(const HostileCourse& course) : course(course), before(course.listing())
    {
        platform.setWindowsDirectory(course.path());
        window = std::make_unique<Tmainfrm>(platform);
    }

    // The event loop still runs, the lessons that are fine still load, and
    // nothing was written into the course.
    void checkTheRestStillWorks(int errorsExpected = 0)
    {
        QVERIFY(ticker.ticksAgain());
        window->SBflash->click();
        window->tv1->selectIndex(kOtherLesson);
        QCOMPARE(window->SWF1->Movie(), course.file("fyf/m2.swf"));
        window->SBword->click();
        QCOMPARE(window->Memo1->text(), QByteArray("chapter one\r\n"));
        window->TV2->selectIndex(kOtherText);
        QCOMPARE(window->Memo1->text(), QByteArray("lesson two\r\n"));
        QVERIFY(ticker.ticksAgain());
        QCOMPARE(platform.callsOfKind("general-error").size(), errorsExpected);
        QCOMPARE(course.listing(), before);
    }

    void selectBadText()
    {
        window->SBword->click();
        window->TV2->selectIndex(kBadText);
        QVERIFY(ticker.ticksAgain());
    }

    const HostileCourse& course;
    const QStringList before;
    Ticker ticker;
    ScriptedPlatform platform;
    std::unique_ptr<Tmainfrm> window;
};

} // namespace

class TestHostileFolders : public QObject {
    Q_OBJECT

private slots:
    void hugeListsAreReadWhole_data()
    {
        QTest::addColumn<QByteArray>("chunk");
        QTest::addColumn<int>("times");
        QTest::addColumn<int>("lines");
        const QByteArray filler = gbkText(QStringLiteral("填充/课件 %1.swf#不在树中的课\r\n"));
        QByteArray megabyte;
        int perMegabyte = 0;
        for (; megabyte.size() < 1024 * 1024; ++perMegabyte)
            megabyte += filler;
        QTest::newRow("list of 100 MB") << megabyte << 100 << 100 * perMegabyte + 2;
        QByteArray hundredThousand;
        for (int i = 0; i < 100000; ++i)
            hundredThousand += "x.swf#t\n";
        QTest::newRow("list of 100000 lines") << hundredThousand << 1 << 100002;
        QByteArray tenMegabyteLine(10 * 1024 * 1024, 'x');
        tenMegabyteLine[5 * 1024 * 1024] = '#';
        tenMegabyteLine += "\r\n";
        QTest::newRow("line of 10 MB") << tenMegabyteLine << 1 << 3;
    }
    void hugeListsAreReadWhole()
    {
        QFETCH(QByteArray, chunk);
        QFETCH(int, times);
        QFETCH(int, lines);
        HostileCourse course;
        course.writeRepeated("fyf/list.txt", chunk, times, goodLines());
        Session run(course);
        QCOMPARE(run.window->lessonList().lines().size(), lines);
        QCOMPARE(run.window->SWF1->Movie(), course.file("fyf/m1.swf"));
        QVERIFY(run.platform.callsOfKind("question").isEmpty());
        run.checkTheRestStillWorks();
    }

    void garbageInTheListStopsTheScanWithAnIndexError()
    {
        HostileCourse course;
        course.writeList(goodLines() + randomBytes(1024 * 1024, 20091006));
        Session run(course);
        // The lines before the garbage have been acted on.
        QCOMPARE(run.window->SWF1->Movie(), course.file("fyf/m1.swf"));
        const QStringList errors = run.platform.callsOfKind("general-error");
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors[0].contains(QStringLiteral("列表索引越界")));
        run.checkTheRestStillWorks(2);
    }

    void moviesThatAreNoFilesAreMissingLessons_data()
    {
        QTest::addColumn<QString>("movieName");
        QTest::newRow("a directory") << QStringLiteral("目录.swf");
        QTest::newRow("a symbolic link to itself") << QStringLiteral("loop.swf");
        QTest::newRow("outside the folder, missing") << QStringLiteral("../nowhere.swf");
        QTest::newRow("empty name") << QString();
    }
    void moviesThatAreNoFilesAreMissingLessons()
    {
        QFETCH(QString, movieName);
        HostileCourse course;
        QDir().mkpath(course.file(QStringLiteral("fyf/目录.swf")));
        QVERIFY(QFile::link(QStringLiteral("loop.swf"), course.file("fyf/loop.swf")));
        course.writeList(goodLines() + badLessonLine(movieName));
        Session run(course);
        run.platform.queueAnswer(false);
        run.window->tv1->selectIndex(kBadLesson);
        QVERIFY(run.ticker.ticksAgain());
        QCOMPARE(run.platform.callsOfKind("question").size(), 1);
        QVERIFY(run.platform.callsOfKind("question")[0].startsWith(QStringLiteral("找不到课件")));
        QCOMPARE(run.window->SWF1->Movie(), course.file("fyf/m1.swf"));
        run.checkTheRestStillWorks();
    }

    void movieNamesAreJoinedToTheFolder_data()
    {
        QTest::addColumn<QString>("movieName");
        QTest::addColumn<QString>("movieFile");
        QTest::newRow("leaving the folder")
            << QStringLiteral("../outside.swf") << QStringLiteral("outside.swf");
        QTest::newRow("blanks and Chinese")
            << QStringLiteral("课件 一/第 三课.swf") << QStringLiteral("fyf/课件 一/第 三课.swf");
        QTest::newRow("blanks and Chinese, written for Windows")
            << QStringLiteral("课件 一\\第 三课.SWF") << QStringLiteral("fyf/课件 一/第 三课.swf");
    }
    void movieNamesAreJoinedToTheFolder()
    {
        QFETCH(QString, movieName);
        QFETCH(QString, movieFile);
        HostileCourse course;
        QDir().mkpath(course.file(QStringLiteral("fyf/课件 一")));
        quorvane::testing::writeTestMovie(course.file(movieFile), 7);
        course.writeList(goodLines() + badLessonLine(movieName));
        Session run(course);
        run.window->tv1->selectIndex(kBadLesson);
        QCOMPARE(QFileInfo(run.window->SWF1->Movie()).canonicalFilePath(),
                 QFileInfo(course.file(movieFile)).canonicalFilePath());
        QCOMPARE(run.window->SWF1->TotalFrames(), 7);
        QVERIFY(run.platform.callsOfKind("question").isEmpty());
        run.checkTheRestStillWorks();
    }

    void textLessonsOfAnyContentAreShown_data()
    {
        QTest::addColumn<QByteArray>("chunk");
        QTest::addColumn<int>("times");
        QTest::newRow("binary garbage") << randomBytes(256 * 1024, 936) << 1;
        QByteArray megabyte;
        const QByteArray line =
            gbkText(QStringLiteral("名词复数的规则变化：a book, two books. 不可数名词。\r\n"));
        while (megabyte.size() < 1024 * 1024)
            megabyte += line;
        QTest::newRow("50 MB") << megabyte << 50;
    }
    void textLessonsOfAnyContentAreShown()
    {
        QFETCH(QByteArray, chunk);
        QFETCH(int, times);
        HostileCourse course;
        course.writeRepeated("wyf/3.txt", chunk, times);
        Session run(course);
        run.selectBadText();
        const QByteArray shown = run.window->Memo1->text();
        const QByteArray expected = LessonMemo::withCrLf(chunk);
        QCOMPARE(shown.size(), expected.size() * times);
        QCOMPARE(shown.left(expected.size()), expected);
        QCOMPARE(shown.right(expected.size()), expected);
        // The pane shows all of it in the end, the event loop running meanwhile.
        const qsizetype characters = shownCharacters(expected).size() * times;
        QTRY_COMPARE_WITH_TIMEOUT(run.window->Memo1->document()->characterCount(), characters + 1,
                                  60000);
        QCOMPARE(run.window->Memo1->toPlainText().right(20), shownCharacters(expected).right(20));
        run.window->Memo1->selectAll();
        QCOMPARE(run.window->Memo1->selectedText(), shown);
        // Cut anywhere, the selections hand on the bytes of what they show.
        LessonMemo& memo = *run.window->Memo1;
        const auto selected = [&memo](int from, int to) {
            QTextCursor cursor = memo.textCursor();
            cursor.setPosition(from);
            cursor.setPosition(to, QTextCursor::KeepAnchor);
            memo.setTextCursor(cursor);
            return memo.selectedText();
        };
        const int end = memo.document()->characterCount() - 1;
        const QByteArray middle = selected(1000, 5077);
        QCOMPARE(selected(0, 1000) + middle + selected(5077, end), shown);
        QCOMPARE(shownCharacters(middle), memo.toPlainText().mid(1000, 4077));
        QVERIFY(run.platform.callsOfKind("question").isEmpty());
        run.checkTheRestStillWorks();
    }

    void aTextLessonThatLinksToItselfIsMissing()
    {
        HostileCourse course;
        QVERIFY(QFile::link(QStringLiteral("3.txt"), course.file("wyf/3.txt")));
        Session run(course);
        run.platform.queueAnswer(false);
        run.selectBadText();
        QCOMPARE(run.platform.callsOfKind("question").size(), 1);
        QCOMPARE(run.window->Memo1->text(), QByteArray("chapter one\r\n"));
        run.checkTheRestStillWorks();
    }

    void anUnreadableTextLessonReachesTheGeneralErrorBox()
    {
        HostileCourse course;
        course.write("wyf/3.txt", "secret");
        QFile::setPermissions(course.file("wyf/3.txt"), QFileDevice::Permissions());
        QFile probe(course.file("wyf/3.txt"));
        if (probe.open(QIODevice::ReadOnly))
            QSKIP("permissions do not stop this user from reading");
        Session run(course);
        run.selectBadText();
        const QStringList errors = run.platform.callsOfKind("general-error");
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors[0].contains(QStringLiteral("3.txt")));
        QCOMPARE(run.window->Memo1->text(), QByteArray("chapter one\r\n"));
        run.checkTheRestStillWorks(1);
    }
};

QTEST_MAIN(TestHostileFolders)
#include "tst_hostilefolders.moc"
