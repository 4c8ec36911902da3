#include "ScriptedPlatform.h"
#include "TestMovies.h"
#include "app/LessonTreeView.h"
#include "app/StatusBar.h"
#include "app/Tmainfrm.h"
#include "platform/Gbk.h"
#include "text/LessonMemo.h"

#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace quorvane;
using quorvane::testing::ScriptedPlatform;

namespace {

class TextCourse {
public:
    TextCourse()
    {
        QDir().mkpath(m_dir.filePath("fyf"));
        QDir().mkpath(m_dir.filePath("wyf"));
        QFile list(m_dir.filePath("fyf/list.txt"));
        list.open(QIODevice::WriteOnly);
        list.write(gbk::fromUnicode(QStringLiteral("m.swf#名词\r\n")));
        quorvane::testing::writeTestMovie(m_dir.filePath("fyf/m.swf"), 10);
        write(1, "chapter one\r\n");
    }
    void write(int number, const QByteArray& content)
    {
        QFile file(m_dir.filePath(QStringLiteral("wyf/%1.txt").arg(number)));
        file.open(QIODevice::WriteOnly);
        file.write(content);
    }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

QString panel1(const Tmainfrm& w)
{
    return gbk::toUnicode(w.Sbar1->panelText(1));
}

} // namespace

class TestTextView : public QObject {
    Q_OBJECT

private slots:
    void chaptersAndLessonsOpenTheirFiles()
    {
        TextCourse course;
        course.write(9, "nine");
        course.write(10, "ten\nlines\n");
        ScriptedPlatform platform;
        platform.setWindowsDirectory(course.path());
        Tmainfrm w(platform);
        w.SBword->click();
        QCOMPARE(w.Memo1->text(), QByteArray("chapter one\r\n"));
        w.TV2->selectIndex(8);
        QCOMPARE(w.Memo1->text(), QByteArray("nine"));
        QCOMPARE(panel1(w), QStringLiteral("冠词和数词"));
        w.TV2->selectIndex(9);
        QCOMPARE(w.Memo1->text(), QByteArray("ten\r\nlines\r\n"));
        QCOMPARE(panel1(w), QStringLiteral("冠词和数词->不定冠词的用法"));
        QCOMPARE(gbk::toUnicode(w.Sbar1->panelText(0)), QStringLiteral("文字教程"));
        QVERIFY(platform.callsOfKind("question").isEmpty());
        QVERIFY(platform.callsOfKind("general-error").isEmpty());
    }

    void anEmptyFileEmptiesThePane()
    {
        TextCourse course;
        course.write(2, "");
        ScriptedPlatform platform;
        platform.setWindowsDirectory(course.path());
        Tmainfrm w(platform);
        w.SBword->click();
        w.TV2->selectIndex(1);
        QVERIFY(w.Memo1->text().isEmpty());
        QVERIFY(w.Memo1->toPlainText().isEmpty());
    }

    void aMissingFileChangesOnlyTheStatus()
    {
        TextCourse course;
        ScriptedPlatform platform;
        platform.setWindowsDirectory(course.path());
        Tmainfrm w(platform);
        int stops = 0;
        connect(w.Nstopsp, &QAction::triggered, this, [&] { ++stops; });
        w.SBword->click();
        QCOMPARE(stops, 1);
        platform.queueAnswer(false);
        w.TV2->selectIndex(30);
        QCOMPARE(stops, 2); // reading stops before the box
        QCOMPARE(w.Memo1->text(), QByteArray("chapter one\r\n"));
        QCOMPARE(panel1(w), QStringLiteral("代词->one/another/the other"));
        QCOMPARE(platform.callsOfKind("question").size(), 1);
        QVERIFY(platform.callsOfKind("open").isEmpty());

        platform.queueAnswer(true);
        w.TV2->selectIndex(31);
        QCOMPARE(platform.callsOfKind("open").size(), 1);
        QCOMPARE(w.Memo1->text(), QByteArray("chapter one\r\n"));
    }

    void anUnreadableFileReachesTheGeneralErrorBox()
    {
        TextCourse course;
        // Exists and opens, but every read of it fails (tests run as root, so
        // permissions cannot make a file unreadable).
        QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), course.path() + QStringLiteral("/wyf/3.txt")));
        ScriptedPlatform platform;
        platform.setWindowsDirectory(course.path());
        Tmainfrm w(platform);
        w.SBword->click();
        w.TV2->selectIndex(2);
        QCOMPARE(panel1(w), QStringLiteral("名词->其它名词复数的规则变化"));
        const QStringList errors = platform.callsOfKind("general-error");
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors[0].contains(QStringLiteral("3.txt")));
        QCOMPARE(w.Memo1->text(), QByteArray("chapter one\r\n"));
    }

    void reenteringTextModeShowsTheFirstChapterAgain()
    {
        TextCourse course;
        course.write(5, "five");
        ScriptedPlatform platform;
        platform.setWindowsDirectory(course.path());
        Tmainfrm w(platform);
        w.SBword->click();
        w.TV2->selectIndex(4);
        w.SBflash->click();
        w.SBword->click();
        QCOMPARE(w.Memo1->text(), QByteArray("chapter one\r\n"));
    }

    void gbkBytesSurviveTheRoundTrip()
    {
        TextCourse course;
        const QByteArray lesson("\xC3\xFB\xB4\xCA \xFF\xC3" "0\r\nI am a student.\r\n");
        course.write(1, lesson);
        ScriptedPlatform platform;
        platform.setWindowsDirectory(course.path());
        Tmainfrm w(platform);
        w.SBword->click();
        QCOMPARE(w.Memo1->text(), lesson);
        w.Memo1->selectAll();
        QCOMPARE(w.Memo1->selectedText(), lesson);
    }
};

QTEST_MAIN(TestTextView)
#include "tst_textview.moc"
