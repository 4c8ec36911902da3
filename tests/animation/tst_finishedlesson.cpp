#include "ScriptedPlatform.h"
#include "animation/SWF1.h"
#include "animation/Tflashfrm.h"
#include "app/Tmainfrm.h"
#include "text/Twordfrm.h"

#include <QSlider>
#include <QToolButton>
#include <QtTest>

using namespace quorvane;
using quorvane::testing::ScriptedPlatform;

namespace {

// The bundled course's first lesson, as the program opens on it.
struct Program {
    Program()
    {
        platform.setWindowsDirectory(QStringLiteral(QUORVANE_COURSE_DIR));
        window = std::make_unique<Tmainfrm>(platform);
        flash = std::make_unique<Tflashfrm>(platform);
        word = std::make_unique<Twordfrm>(platform);
        window->setFullScreenWindows(flash.get(), word.get());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    // Moves the bar to the lesson's end, as a learner dragging it there or
    // the tick following a lesson that played to its end does.
    int finish()
    {
        const int last = window->SWF1->TotalFrames() - 1;
        window->TB1->setValue(last);
        return last;
    }

    ScriptedPlatform platform;
    std::unique_ptr<Tmainfrm> window;
    std::unique_ptr<Tflashfrm> flash;
    std::unique_ptr<Twordfrm> word;
};

// Long enough for several frames of the lesson's own clock.
constexpr int kSeveralFrames = 500;

} // namespace

// A finished lesson stops on its summary; the program's commands must leave
// it there or start it again, never loop it or leave it blank.
class TestFinishedLesson : public QObject {
    Q_OBJECT

private slots:
    void theLessonStaysOnItsSummaryThroughTicksAndResume()
    {
        Program p;
        Tmainfrm& w = *p.window;
        QVERIFY(w.SWF1->TotalFrames() > 40 * 15);
        const int last = p.finish();
        QCOMPARE(w.SWF1->FrameNum(), last);
        QTest::qWait(kSeveralFrames);
        w.Timer1Timer();
        QCOMPARE(w.SWF1->FrameNum(), last);
        QCOMPARE(w.TB1->value(), last);

        w.SBstop->click();
        w.Sbplay->click();
        QVERIFY(w.SWF1->IsPlaying());
        QTest::qWait(kSeveralFrames);
        w.Timer1Timer();
        QCOMPARE(w.SWF1->FrameNum(), last);
    }

    void textModeAndFullScreenBringTheSummaryBack()
    {
        Program p;
        Tmainfrm& w = *p.window;
        const int last = p.finish();
        w.SBword->click();
        w.SBflash->click();
        QCOMPARE(w.SWF1->FrameNum(), last);
        QTest::qWait(kSeveralFrames);
        QCOMPARE(w.SWF1->FrameNum(), last);

        w.Nffull->trigger();
        QVERIFY(p.flash->isVisible());
        QCOMPARE(p.flash->SWF1->FrameNum(), last);
        QTest::qWait(kSeveralFrames);
        QCOMPARE(p.flash->SWF1->FrameNum(), last);
        p.flash->close();
        QVERIFY(w.isVisible());
        QCOMPARE(w.SWF1->FrameNum(), last);
        QTest::qWait(kSeveralFrames);
        QCOMPARE(w.SWF1->FrameNum(), last);
    }

    void replayAndTheReplayButtonStartTheLessonAgain()
    {
        Program p;
        Tmainfrm& w = *p.window;
        p.finish();
        w.nfrplay->trigger();
        QCOMPARE(w.SWF1->FrameNum(), 0);
        QTRY_VERIFY(w.SWF1->FrameNum() > 2);

        p.finish();
        // The replay button sits under the summary, in the middle.
        const QPoint button = w.SWF1->stageToWidget().map(QPointF(284.5, 341)).toPoint();
        QTest::mouseMove(w.SWF1, button);
        QTest::mousePress(w.SWF1, Qt::LeftButton, Qt::NoModifier, button);
        QTest::mouseRelease(w.SWF1, Qt::LeftButton, Qt::NoModifier, button);
        QTRY_VERIFY(w.SWF1->FrameNum() < 15);
        QTRY_VERIFY(w.SWF1->FrameNum() > 2);
    }
};

QTEST_MAIN(TestFinishedLesson)
#include "tst_finishedlesson.moc"
