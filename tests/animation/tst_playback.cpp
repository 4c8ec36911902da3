#include "ActionFixtures.h"
#include "ScriptedPlatform.h"
#include "SwfFixtures.h"
#include "TestMovies.h"
#include "animation/SWF1.h"
#include "animation/Tflashfrm.h"
#include "app/LessonTreeView.h"
#include "app/StatusBar.h"
#include "app/Tmainfrm.h"
#include "catalogue/LessonTrees.h"
#include "platform/Gbk.h"
#include "text/Twordfrm.h"

#include <QMenu>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <cstring>

using namespace quorvane;
using quorvane::testing::ScriptedPlatform;
using A = swf::ActionCode;

namespace {

constexpr int kLongMovieFrames = 40;
constexpr int kShortMovieFrames = 10;

// A course whose list names every animation lesson. Lessons in
// `withoutLine` have no line; the lesson "可数名词" plays a short movie.
class FullCourse {
public:
    explicit FullCourse(const QList<int>& withoutLine = {})
    {
        QDir().mkpath(m_dir.filePath("fyf"));
        QDir().mkpath(m_dir.filePath("wyf"));
        QFile chapter(m_dir.filePath("wyf/1.txt"));
        chapter.open(QIODevice::WriteOnly);
        quorvane::testing::writeTestMovie(m_dir.filePath("fyf/long.swf"), kLongMovieFrames);
        quorvane::testing::writeTestMovie(m_dir.filePath("fyf/short.swf"), kShortMovieFrames);
        QByteArray list;
        const LessonTree& tree = animationTree();
        for (int node = 0; node < tree.count(); ++node) {
            if (tree.isChapter(node) || withoutLine.contains(node))
                continue;
            list += (node == 2 ? "short.swf#" : "long.swf#") + tree.caption(node) + "\r\n";
        }
        QFile file(m_dir.filePath("fyf/list.txt"));
        file.open(QIODevice::WriteOnly);
        file.write(list);
    }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

struct Program {
    explicit Program(const FullCourse& course)
    {
        platform.setWindowsDirectory(course.path());
        window = std::make_unique<Tmainfrm>(platform);
        flash = std::make_unique<Tflashfrm>(platform);
        word = std::make_unique<Twordfrm>(platform);
        window->setFullScreenWindows(flash.get(), word.get());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    ~Program()
    {
        flash.reset();
        window.reset();
    }

    ScriptedPlatform platform;
    std::unique_ptr<Tmainfrm> window;
    std::unique_ptr<Tflashfrm> flash;
    std::unique_ptr<Twordfrm> word;
};

void rightClick(QWidget* widget)
{
    const QPoint local = widget->rect().center();
    QTest::mousePress(widget, Qt::RightButton, Qt::NoModifier, local);
    QTest::mouseRelease(widget, Qt::RightButton, Qt::NoModifier, local);
}

// Records the mouse presses a widget receives.
class PressCounter : public QObject {
public:
    int presses = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress)
            ++presses;
        return false;
    }
};

// A lesson that speaks (stream sound in every frame) and answers the
// keyboard: a key going down opens an address.
void writeListeningMovie(const QString& path)
{
    using fixtures::ActionScript;
    ActionScript openOnKey;
    std::vector<std::uint8_t> getUrl;
    for (const char* field : {"https://lesson.example/key", ""})
        getUrl.insert(getUrl.end(), field, field + std::strlen(field) + 1);
    openOnKey.raw(A::GetUrl, getUrl);
    ActionScript script;
    script.push("listener").push(0.0).push("Object").op(A::NewObject).op(A::SetVariable);
    script.push("listener").op(A::GetVariable).push("onKeyDown");
    script.defineFunction("", {}, openOnKey);
    script.op(A::SetMember);
    script.push("listener").op(A::GetVariable).push(1.0).push("Key").op(A::GetVariable);
    script.push("addListener").op(A::CallMethod).op(A::Pop);

    swf::Movie movie = fixtures::streamMovie(kLongMovieFrames, 10);
    movie.tags.insert(movie.tags.begin() + 1, swf::Tag{fixtures::doAction(script)});
    quorvane::testing::writeMovie(path, fixtures::bytes(movie));
}

} // namespace

class TestPlayback : public QObject {
    Q_OBJECT

private slots:
    void pauseAndResume()
    {
        FullCourse course;
        Program p(course);
        Tmainfrm& w = *p.window;
        QVERIFY(w.SWF1->IsPlaying());
        w.SBstop->click();
        QVERIFY(!w.SWF1->IsPlaying());
        QVERIFY(w.PlaybackPaused());
        w.Nfplay->trigger();
        QVERIFY(w.SWF1->IsPlaying());
        QVERIFY(!w.PlaybackPaused());
        w.N11->trigger();
        QVERIFY(w.PlaybackPaused());
        QVERIFY(!w.SWF1->IsPlaying());

        // The animation menu tests the mode; the tool buttons are hidden then.
        w.SBword->click();
        w.SBflash->click();
        w.SBword->click();
        w.Nfplay->trigger();
        QVERIFY(w.PlaybackPaused());
    }

    void replayWhilePausedStaysHalted()
    {
        FullCourse course;
        Program p(course);
        Tmainfrm& w = *p.window;
        w.TB1->setValue(12);
        w.SBstop->click();
        w.nfrplay->trigger();
        QCOMPARE(w.SWF1->FrameNum(), 0);
        QVERIFY(!w.SWF1->IsPlaying());
        w.SbplayClick();
        w.N13->trigger();
        QCOMPARE(w.SWF1->FrameNum(), 0);
        QVERIFY(w.SWF1->IsPlaying());
    }

    void seekingFollowsThePauseRequest()
    {
        FullCourse course;
        Program p(course);
        Tmainfrm& w = *p.window;
        QCOMPARE(w.TB1->maximum(), w.SWF1->TotalFrames());
        w.TB1->setValue(15);
        QCOMPARE(w.SWF1->FrameNum(), 15);
        QVERIFY(w.SWF1->IsPlaying());
        QCOMPARE(w.TB1->toolTip(), QStringLiteral("15"));

        w.SBstop->click();
        w.TB1->setValue(25);
        QCOMPARE(w.SWF1->FrameNum(), 25);
        QVERIFY(!w.SWF1->IsPlaying());
        QCOMPARE(w.TB1->toolTip(), QStringLiteral("25"));
    }

    void theTickMovesTheBarAndReseats()
    {
        FullCourse course;
        Program p(course);
        Tmainfrm& w = *p.window;
        w.SWF1->Stop();
        w.SWF1->GotoFrame(7);
        w.SWF1->Play();
        w.Timer1Timer();
        QCOMPARE(w.TB1->value(), 7);
        QCOMPARE(w.SWF1->FrameNum(), 7);
        QVERIFY(w.SWF1->IsPlaying());
        QCOMPARE(w.TB1->toolTip(), QStringLiteral("7"));
    }

    void pausedThenAnotherLessonHaltsAtTheFirstNewFrame()
    {
        FullCourse course;
        Program p(course);
        Tmainfrm& w = *p.window;
        w.SBstop->click();
        w.tv1->selectIndex(3);
        QVERIFY(w.SWF1->IsPlaying());
        w.SWF1->Stop();
        w.SWF1->GotoFrame(4);
        w.SWF1->Play();
        w.Timer1Timer();
        QCOMPARE(w.SWF1->FrameNum(), 4);
        QVERIFY(!w.SWF1->IsPlaying());
        w.Sbplay->click();
        QVERIFY(w.SWF1->IsPlaying());
    }

    void aShorterMoviePullsTheBarDown()
    {
        FullCourse course;
        Program p(course);
        Tmainfrm& w = *p.window;
        w.TB1->setValue(30);
        w.tv1->selectIndex(2); // the short movie
        QCOMPARE(w.SWF1->TotalFrames(), kShortMovieFrames);
        QCOMPARE(w.TB1->maximum(), kShortMovieFrames);
        QCOMPARE(w.TB1->value(), kShortMovieFrames);
        QCOMPARE(w.SWF1->FrameNum(), kShortMovieFrames - 1);
        QVERIFY(w.SWF1->IsPlaying());
    }

    void nextVisitsEveryLessonAndWraps()
    {
        FullCourse course;
        Program p(course);
        Tmainfrm& w = *p.window;
        const LessonTree& tree = animationTree();
        int expected = 1;
        for (int step = 0; step < 139; ++step) {
            do {
                expected = (expected + 1) % tree.count();
            } while (tree.isChapter(expected));
            w.Nnextflash->trigger();
            QCOMPARE(w.tv1->selectedIndex(), expected);
            QCOMPARE(w.CurrentLessonIndex(), expected);
        }
        QCOMPARE(w.tv1->selectedIndex(), 1);
    }

    void previousVisitsEveryLessonAndWraps()
    {
        FullCourse course;
        Program p(course);
        Tmainfrm& w = *p.window;
        const LessonTree& tree = animationTree();
        int expected = 1;
        for (int step = 0; step < 139; ++step) {
            do {
                expected = expected - 1 < 0 ? tree.count() - 1 : expected - 1;
            } while (tree.isChapter(expected));
            w.N16->trigger();
            QCOMPARE(w.tv1->selectedIndex(), expected);
            QCOMPARE(w.CurrentLessonIndex(), expected);
        }
        QCOMPARE(w.tv1->selectedIndex(), 1);
    }

    void chapterBoundaries()
    {
        FullCourse course;
        Program p(course);
        Tmainfrm& w = *p.window;
        w.tv1->selectIndex(11);
        w.Nnextflash->trigger();
        QCOMPARE(w.tv1->selectedIndex(), 13);
        w.Nflast->trigger();
        QCOMPARE(w.tv1->selectedIndex(), 11);
        w.tv1->selectIndex(153);
        w.Nnextflash->trigger();
        QCOMPARE(w.tv1->selectedIndex(), 1);
        w.Nflast->trigger();
        QCOMPARE(w.tv1->selectedIndex(), 153);

        // A chapter loads nothing and keeps the lesson for stepping.
        w.tv1->selectIndex(17);
        QCOMPARE(w.CurrentLessonIndex(), 153);
        QCOMPARE(gbk::toUnicode(w.Sbar1->panelText(0)), QStringLiteral("动画教程"));
    }

    void nextNeedsAMoviePreviousDoesNot()
    {
        FullCourse course;
        Program p(course);
        Tmainfrm& w = *p.window;
        w.SWF1->setMovie(QString());
        w.Nnextflash->trigger();
        QCOMPARE(w.tv1->selectedIndex(), 1);
        w.Nflast->trigger();
        QCOMPARE(w.tv1->selectedIndex(), 153);
    }

    void previousFromIndexZeroIsAnIndexError()
    {
        FullCourse course({1});
        Program p(course);
        Tmainfrm& w = *p.window;
        w.Nflast->trigger();     // 1 -> 153
        w.Nnextflash->trigger(); // wraps to node 1, which has no line
        QCOMPARE(w.tv1->selectedIndex(), 1);
        QCOMPARE(w.CurrentLessonIndex(), 0);
        w.Nflast->trigger();
        QCOMPARE(p.platform.callsOfKind("general-error"), QStringList({"Invalid index"}));
        QCOMPARE(w.CurrentLessonIndex(), 0);
        QCOMPARE(w.tv1->selectedIndex(), 1);
    }

    void zoomCompoundsAndRestores()
    {
        FullCourse course;
        Program p(course);
        Tmainfrm& w = *p.window;
        w.Nfbig->trigger();
        w.N28->trigger();
        QVERIFY(qFuzzyCompare(w.SWF1->zoomFactor(), 1.5625));
        w.Nfsmall->trigger();
        QVERIFY(qFuzzyCompare(w.SWF1->zoomFactor(), 1.25));
        w.SWF1->Zoom(0);
        QVERIFY(qFuzzyCompare(w.SWF1->zoomFactor(), 1.0));
        w.SBword->click();
        w.Nfbig->trigger();
        QVERIFY(qFuzzyCompare(w.SWF1->zoomFactor(), 1.0));
    }

    void rightClickOverThePlayerOpensTheProgramsMenu()
    {
        FullCourse course;
        Program p(course);
        Tmainfrm& w = *p.window;
        PressCounter counter;
        w.SWF1->installEventFilter(&counter);
        rightClick(w.SWF1);
        QVERIFY(w.PopupMenu2->isVisible());
        QCOMPARE(counter.presses, 0);
        w.PopupMenu2->hide();

        // Elsewhere, and with the left button, presses pass.
        QTest::mouseClick(w.SWF1, Qt::LeftButton);
        QCOMPARE(counter.presses, 1);
        rightClick(w.tv1->viewport());
        QVERIFY(!w.PopupMenu2->isVisible());

        // A hidden player is never under the cursor.
        w.SBword->click();
        rightClick(w.Panel2);
        QVERIFY(!w.PopupMenu2->isVisible());
    }

    void fullScreenOpensAndHandsBack()
    {
        FullCourse course;
        Program p(course);
        Tmainfrm& w = *p.window;
        Tflashfrm& f = *p.flash;
        QCOMPARE(f.windowTitle(), QStringLiteral("动画教程"));
        w.SBstop->click();
        w.TB1->setValue(12);
        w.Nffull->trigger();
        QVERIFY(f.isVisible());
        QVERIFY(!w.isVisible());
        QVERIFY(!w.Timer1.isActive());
        QCOMPARE(w.SWF1->FrameNum(), 0);
        QVERIFY(!w.SWF1->IsPlaying());
        QCOMPARE(f.SWF1->Movie(), w.SWF1->Movie());
        QCOMPARE(f.SWF1->FrameNum(), 12);
        QVERIFY(f.SWF1->IsPlaying());
        QCOMPARE(f.windowTitle(), QStringLiteral("名词->名词"));

        f.N11->trigger();
        QVERIFY(!f.SWF1->IsPlaying());
        f.SWF1->GotoFrame(20);
        f.N32->trigger();
        QVERIFY(!f.isVisible());
        QVERIFY(w.isVisible());
        QCOMPARE(w.SWF1->FrameNum(), 20);
        QVERIFY(w.SWF1->IsPlaying());
        QVERIFY(w.Timer1.isActive());
        QVERIFY(!w.PlaybackPaused());
        QCOMPARE(f.SWF1->FrameNum(), 0);
        QVERIFY(!f.SWF1->IsPlaying());

        // The close box takes the same road.
        w.SBfull->click();
        f.SWF1->GotoFrame(5);
        f.close();
        QVERIFY(w.isVisible());
        QCOMPARE(w.SWF1->FrameNum(), 5);
        QVERIFY(w.Timer1.isActive());
    }

    void theFullScreenPlayerIsHeardOpensLinksAndTakesKeys()
    {
        FullCourse course;
        writeListeningMovie(course.path() + "/fyf/long.swf");
        ScriptedPlatform platform;
        platform.setWindowsDirectory(course.path());
        platform.setAudioAvailable(true);
        Tmainfrm w(platform);
        Tflashfrm f(platform);
        Twordfrm word(platform);
        w.setFullScreenWindows(&f, &word);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_VERIFY(platform.audio()->sampleCount() > 0);
        const int outputsOfTheMainPlayer = platform.callsOfKind("audio").size();

        w.SBfull->click();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QTRY_COMPARE(platform.callsOfKind("audio").size(), outputsOfTheMainPlayer + 1);
        QCOMPARE(f.focusWidget(), f.SWF1);
        platform.clearCalls();
        QTest::keyClick(f.focusWidget(), Qt::Key_Space);
        QCOMPARE(platform.callsOfKind("open"), QStringList{"https://lesson.example/key"});
        // The window itself answers no key: Escape goes to the movie too.
        QTest::keyClick(f.focusWidget(), Qt::Key_Escape);
        QVERIFY(f.isVisible());
        QCOMPARE(platform.callsOfKind("open").size(), 2);
        f.close();
    }

    void fullScreenWithoutAMovieLeavesTheMainWindow()
    {
        FullCourse course;
        Program p(course);
        Tmainfrm& w = *p.window;
        Tflashfrm& f = *p.flash;
        w.SWF1->setMovie(QString());
        w.SBstop->click();
        w.SBfull->click();
        QVERIFY(f.isVisible());
        QVERIFY(w.isVisible());
        QVERIFY(w.Timer1.isActive());
        QCOMPARE(f.windowTitle(), QStringLiteral("动画教程"));
        f.close();
        QVERIFY(w.isVisible());
        QVERIFY(w.PlaybackPaused());
    }

    void fullScreenRightClickShowsItsOwnMenu()
    {
        FullCourse course;
        Program p(course);
        Tmainfrm& w = *p.window;
        Tflashfrm& f = *p.flash;
        w.SBfull->click();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        rightClick(f.SWF1);
        QVERIFY(f.PopupMenu1->isVisible());
        QVERIFY(!w.PopupMenu2->isVisible());
        f.PopupMenu1->hide();
    }
};

QTEST_MAIN(TestPlayback)
#include "tst_playback.moc"
