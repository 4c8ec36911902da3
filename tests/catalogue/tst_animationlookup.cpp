#include "catalogue/AnimationLookup.h"
#include "catalogue/LessonList.h"
#include "catalogue/LessonTrees.h"
#include "platform/Error.h"
#include "platform/Gbk.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace quorvane;

namespace {

// Records every step the lookup takes, in order.
class RecordingHost : public AnimationLessonHost {
public:
    QStringList steps;

    void setLessonStatus(const QByteArray& text) override
    {
        steps << QStringLiteral("status ") + gbk::toUnicode(text);
    }
    void setCurrentLessonIndex(int flatIndex) override
    {
        steps << QStringLiteral("index %1").arg(flatIndex);
    }
    void reportMissingLesson() override { steps << QStringLiteral("missing"); }
    void playMovie(const QString& path) override
    {
        steps << QStringLiteral("play ") + QFileInfo(path).fileName();
    }
    void showAnimationMode() override { steps << QStringLiteral("mode"); }
};

QByteArray line(const char* movie, const QString& title, const char* rest = "")
{
    return QByteArray(movie) + '#' + gbk::fromUnicode(title) + rest;
}

} // namespace

class TestAnimationLookup : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_animationDir;

    QStringList lookup(const QList<QByteArray>& lines, int selected)
    {
        LessonList list;
        list.setLines(lines);
        RecordingHost host;
        runAnimationLookup(animationTree(), list, m_animationDir, selected, host);
        return host.steps;
    }

private slots:
    void initTestCase()
    {
        m_animationDir = m_dir.path() + QStringLiteral("/fyf/");
        QVERIFY(QDir().mkpath(m_animationDir));
        for (const char* name : {"n1.swf", "a.swf", "b.swf", "c.swf", "名词1.swf"}) {
            QFile file(m_animationDir + QString::fromUtf8(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir().mkpath(m_animationDir + QStringLiteral("Unit1")));
        QFile copied(m_animationDir + QStringLiteral("Unit1/Countable.SWF"));
        QVERIFY(copied.open(QIODevice::WriteOnly));
    }

    void lessonSharingItsChapterCaptionResolvesToTheLesson()
    {
        const QStringList steps = lookup({line("n1.swf", "名词")}, 1);
        // Both nodes named "名词" name the lesson; only the lesson sets the index.
        QCOMPARE(steps, QStringList({"status 名词->名词", "status 名词->名词", "index 1",
                                     "play n1.swf", "mode"}));
    }

    void everySharedPairEndsOnTheLesson_data()
    {
        QTest::addColumn<int>("chapter");
        QTest::newRow("冠词") << 12;
        QTest::newRow("数词") << 31;
        QTest::newRow("虚拟语气") << 126;
    }
    void everySharedPairEndsOnTheLesson()
    {
        QFETCH(int, chapter);
        const QString caption = gbk::toUnicode(animationTree().caption(chapter));
        const QStringList steps = lookup({line("a.swf", caption)}, chapter + 1);
        QVERIFY(steps.contains(QStringLiteral("index %1").arg(chapter + 1)));
        QVERIFY(!steps.contains(QStringLiteral("index %1").arg(chapter)));
        QCOMPARE(steps.last(), QStringLiteral("mode"));
    }

    void chapterLoadsNothing()
    {
        QCOMPARE(lookup({line("n1.swf", "名词")}, 0), QStringList({"mode"}));
        QCOMPARE(lookup({line("a.swf", "代词")}, 17), QStringList({"mode"}));
    }

    void unknownTitleOnlyNamesTheMode()
    {
        QCOMPARE(lookup({line("a.swf", "冠词")}, 2), QStringList({"mode"}));
    }

    void duplicateTitlesAreAllActedOnInListOrder()
    {
        const QStringList steps = lookup({line("a.swf", "可数名词"), line("b.swf", "可数名词")}, 2);
        QCOMPARE(steps, QStringList({"status 名词->可数名词", "index 2", "play a.swf",
                                     "status 名词->可数名词", "index 2", "play b.swf", "mode"}));
    }

    void missingMovieEndsTheScan()
    {
        const QStringList steps =
            lookup({line("gone.swf", "可数名词"), line("b.swf", "可数名词")}, 2);
        QCOMPARE(steps, QStringList({"status 名词->可数名词", "index 2", "missing"}));
    }

    // A line written on Windows: "\\" for "/", and letter case that Windows ignored.
    void windowsPathOfACopiedFolderPlays()
    {
        const QStringList steps = lookup({line("unit1\\countable.swf", "可数名词")}, 2);
        QCOMPARE(steps,
                 QStringList({"status 名词->可数名词", "index 2", "play Countable.SWF", "mode"}));
    }

    void emptyMovieNameIsMissing()
    {
        const QStringList steps = lookup({line("", "可数名词")}, 2);
        QCOMPARE(steps, QStringList({"status 名词->可数名词", "index 2", "missing"}));
    }

    void thirdFieldIsIgnored()
    {
        const QStringList steps = lookup({line("c.swf", "可数名词", "#extra#more")}, 2);
        QCOMPARE(steps, QStringList({"status 名词->可数名词", "index 2", "play c.swf", "mode"}));
    }

    void gbkMovieNamesAreFound()
    {
        const QByteArray entry = gbk::fromUnicode(QStringLiteral("名词1.swf#集合名词"));
        QCOMPARE(lookup({entry}, 6).at(2), QStringLiteral("play 名词1.swf"));
    }

    void malformedLineAfterGoodOnesIsAnIndexError()
    {
        LessonList list;
        list.setLines({line("a.swf", "可数名词"), "broken-line", line("b.swf", "可数名词")});
        RecordingHost host;
        QVERIFY_THROWS_EXCEPTION(
            Error, runAnimationLookup(animationTree(), list, m_animationDir, 2, host));
        QCOMPARE(host.steps, QStringList({"status 名词->可数名词", "index 2", "play a.swf"}));
    }

    void emptyOrHashOnlyLinesAreMalformed()
    {
        for (const QByteArray& bad : {QByteArray(), QByteArray("x.swf#")}) {
            LessonList list;
            list.setLines({bad});
            RecordingHost host;
            QVERIFY_THROWS_EXCEPTION(
                Error, runAnimationLookup(animationTree(), list, m_animationDir, 2, host));
            QVERIFY(host.steps.isEmpty());
        }
    }

    void titlesCompareAsExactBytes()
    {
        // A trailing blank or another case is another title.
        QCOMPARE(lookup({line("a.swf", "可数名词 ")}, 2), QStringList({"mode"}));
        QCOMPARE(lookup({line("a.swf", "ever的复合词")}, 27).at(0),
                 QStringLiteral("status 代词->ever的复合词"));
        QCOMPARE(lookup({line("a.swf", "EVER的复合词")}, 27), QStringList({"mode"}));
    }
};

QTEST_GUILESS_MAIN(TestAnimationLookup)
#include "tst_animationlookup.moc"
