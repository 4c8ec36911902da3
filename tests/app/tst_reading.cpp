#include "RecordingVoice.h"
#include "ScriptedPlatform.h"
#include "TestMovies.h"
#include "app/LessonTreeView.h"
#include "app/StatusBar.h"
#include "app/Tmainfrm.h"
#include "platform/Gbk.h"
#include "speech/EspeakVoice.h"
#include "text/LessonMemo.h"

#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace quorvane;
using quorvane::testing::AudioRecord;
using quorvane::testing::RecordingVoice;
using quorvane::testing::ScriptedPlatform;

namespace {

const QString kTag = QStringLiteral("<lang langid=\"804\">");
const QString kStop = QStringLiteral("Speak 2: ");

struct Reading {
    Reading()
    {
        QDir().mkpath(dir.filePath("fyf"));
        QDir().mkpath(dir.filePath("wyf"));
        QFile list(dir.filePath("fyf/list.txt"));
        list.open(QIODevice::WriteOnly);
        QFile lesson(dir.filePath("wyf/1.txt"));
        lesson.open(QIODevice::WriteOnly);
        lesson.write(gbk::fromUnicode(QStringLiteral("例如：I am a student.")));
        lesson.close();
        platform.setWindowsDirectory(dir.path());
        window = std::make_unique<Tmainfrm>(platform, std::make_unique<RecordingVoice>(log));
        window->SBword->click();
        log.calls.clear();
    }

    QTemporaryDir dir;
    ScriptedPlatform platform;
    RecordingVoice::Log log;
    std::unique_ptr<Tmainfrm> window;
};

// The window with the real voice, on a sound device the test plays, and a
// lesson long enough to change the settings while it is read.
struct Listening {
    Listening()
    {
        QDir().mkpath(dir.filePath("fyf"));
        QDir().mkpath(dir.filePath("wyf"));
        QFile list(dir.filePath("fyf/list.txt"));
        list.open(QIODevice::WriteOnly);
        QString text;
        for (int line = 1; line <= 20; ++line)
            text += QStringLiteral("这是第%1个很长的句子，我们慢慢地读。\r\n").arg(line);
        writeLesson(1, text);
        writeLesson(2, QStringLiteral("例如：I am a student."));
        platform.setWindowsDirectory(dir.path());
        platform.setAudioAvailable(true);
        window = std::make_unique<Tmainfrm>(platform, std::make_unique<EspeakVoice>(platform));
        window->SBword->click();
    }

    void writeLesson(int number, const QString& text)
    {
        QFile lesson(dir.filePath(QStringLiteral("wyf/%1.txt").arg(number)));
        lesson.open(QIODevice::WriteOnly);
        lesson.write(gbk::fromUnicode(text));
    }

    QTemporaryDir dir;
    ScriptedPlatform platform;
    AudioRecord& audio = *platform.audio();
    std::unique_ptr<Tmainfrm> window;
};

constexpr std::size_t kHalfSecond = 22050 / 2;

} // namespace

class TestReading : public QObject {
    Q_OBJECT

private slots:
    void readAllQueuesThePreparedText()
    {
        Reading r;
        r.window->Nreadall->trigger();
        r.window->SBread->click();
        const QString spoken =
            QStringLiteral("Speak 1: ") + kTag + QStringLiteral("例如,I,am,a,student,");
        QCOMPARE(r.log.calls, QStringList({spoken, spoken}));

        r.log.calls.clear();
        r.window->nreadchr->trigger();
        QVERIFY(r.window->nreadchr->isChecked());
        r.window->SBread->click();
        QCOMPARE(r.log.calls, QStringList({QStringLiteral("Speak 1: ") + kTag +
                                           QStringLiteral("例如：I am a student.")}));
    }

    void readingNeedsTextModeAndText()
    {
        Reading r;
        r.window->SBflash->click();
        r.log.calls.clear();
        r.window->Nreadall->trigger();
        r.window->Nreadselect->trigger();
        QVERIFY(r.log.calls.isEmpty());
        r.window->SBword->click();
        r.window->Memo1->setText({});
        r.log.calls.clear();
        r.window->Nreadall->trigger();
        QVERIFY(r.log.calls.isEmpty());
    }

    void readAllWithoutAVoiceSaysSo()
    {
        Reading r;
        r.log.failing = true;
        r.window->Nreadall->trigger();
        QCOMPARE(r.platform.callsOfKind("notice"),
                 QStringList({"错误 | 您的电脑还未安装中文语音库"}));
        // Every other command fails silently.
        r.window->Nstopsp->trigger();
        r.window->Npausesp->trigger();
        r.window->Nplaysp->trigger();
        r.window->N48->trigger();
        r.window->N61->trigger();
        r.window->Memo1->selectAll();
        r.window->Nreadselect->trigger();
        QCOMPARE(r.platform.callsOfKind("notice").size(), 1);
        QVERIFY(r.platform.callsOfKind("general-error").isEmpty());
        QCOMPARE(r.window->TB2->value(), 0);
    }

    void readSelectionStopsFirst()
    {
        Reading r;
        r.window->Nreadselect->trigger();
        QCOMPARE(r.log.calls, QStringList({kStop}));
        r.log.calls.clear();
        QTextCursor cursor = r.window->Memo1->textCursor();
        cursor.setPosition(3);
        cursor.setPosition(7, QTextCursor::KeepAnchor);
        r.window->Memo1->setTextCursor(cursor);
        r.window->Nreadselect->trigger();
        QCOMPARE(r.log.calls, QStringList({kStop, QStringLiteral("Speak 1: ") + kTag + "I,am"}));
    }

    void stopPauseResume()
    {
        Reading r;
        r.window->SBprint->click();
        r.window->Npausesp->trigger();
        r.window->Nplaysp->trigger();
        r.window->Nstopsp->trigger();
        QCOMPARE(r.log.calls, QStringList({kStop, "Pause", "Resume", kStop}));
    }

    void volumeSteps()
    {
        Reading r;
        r.window->N49->trigger(); // at 100: nothing
        QVERIFY(r.log.calls.isEmpty());
        for (int i = 0; i < 11; ++i)
            r.window->N48->trigger();
        QCOMPARE(r.log.volume, 0);
        QCOMPARE(r.log.calls.size(), 10);
        r.window->N49->trigger();
        QCOMPARE(r.log.volume, 10);
        r.window->N47->trigger();
        QCOMPARE(r.log.volume, 100);
    }

    void rateCommandsMoveTheBar()
    {
        Reading r;
        r.window->N18->trigger();
        QVERIFY(r.window->TB2->toolTip().isEmpty()); // the bar did not move
        r.window->N60->trigger();
        QCOMPARE(r.window->TB2->value(), -10);
        QCOMPARE(r.window->TB2->toolTip(), QStringLiteral("速度:-10"));
        QCOMPARE(r.log.rate, -10);
        r.log.calls.clear();
        r.window->N51->trigger();
        QVERIFY(r.log.calls.isEmpty());
        r.window->N52->trigger();
        QCOMPARE(r.log.rate, -9);
        QCOMPARE(r.window->TB2->value(), -9);
        r.window->N61->trigger();
        QCOMPARE(r.window->TB2->value(), 10);
        r.log.calls.clear();
        r.window->N52->trigger();
        QVERIFY(r.log.calls.isEmpty());
        r.window->TB2->setValue(-3);
        QCOMPARE(r.log.rate, -3);
        QCOMPARE(r.window->TB2->toolTip(), QStringLiteral("速度:-3"));
        QCOMPARE(r.window->TB2->minimum(), -10);
        QCOMPARE(r.window->TB2->maximum(), 10);
        QCOMPARE(r.window->TB2->pageStep(), 2);
    }

    void chineseVoiceStaysTicked()
    {
        Reading r;
        r.window->Nchsread->trigger();
        QVERIFY(r.window->Nchsread->isChecked());
        QCOMPARE(gbk::toUnicode(r.window->Sbar1->panelText(2)), QStringLiteral("发音方式：中文"));
    }

    void selectingALessonStopsTheReading()
    {
        Reading r;
        r.window->SBread->click();
        r.log.calls.clear();
        r.platform.queueAnswer(false); // 2.txt is missing
        r.window->TV2->setCurrentItem(r.window->TV2->topLevelItem(0)->child(0));
        QCOMPARE(r.log.calls, QStringList({kStop}));
        r.window->SBflash->click();
        QCOMPARE(r.log.calls, QStringList({kStop, kStop}));
    }

    void installingTheVoiceEndsTheProgram()
    {
        Reading r;
        r.platform.queueAnswer(false);
        r.window->N7->trigger();
        QVERIFY(r.platform.callsOfKind("start").isEmpty());
        QVERIFY(r.platform.callsOfKind("end").isEmpty());
        r.platform.queueAnswer(true);
        r.window->N7->trigger();
        QVERIFY(r.platform.callsOfKind("question")
                    .last()
                    .startsWith(QStringLiteral("Quorvane | 现在即将安装中文语音库到您的电脑！")));
#if defined(Q_OS_WIN)
        const QString installer = r.dir.path() + "/ctts.exe";
#else
        const QString installer =
            QStringLiteral("pkexec apt-get install -y --reinstall espeak-ng espeak-ng-data");
#endif
        QCOMPARE(r.platform.callsOfKind("start"), QStringList({installer}));
        QCOMPARE(r.platform.callsOfKind("end"), QStringList({"0"}));
        // No exit question on this road, and no notice.
        QCOMPARE(r.platform.callsOfKind("question").size(), 2);
        QVERIFY(r.platform.callsOfKind("notice").isEmpty());
    }

    void anInstallerThatCannotStartIsReported()
    {
        Reading r;
        r.platform.setStartProgramResult(false);
        r.window->SBread->click();
        r.log.calls.clear();
        r.platform.queueAnswer(true);
        r.window->N7->trigger();
        QCOMPARE(r.platform.callsOfKind("start").size(), 1);
        QVERIFY(r.platform.callsOfKind("end").isEmpty());
        const QStringList notices = r.platform.callsOfKind("notice");
        QCOMPARE(notices.size(), 1);
        QVERIFY(notices[0].startsWith(QStringLiteral("Quorvane | ")));
        QVERIFY(notices[0].contains(QStringLiteral("espeak-ng-data")));
        QVERIFY(
            notices[0].contains(QStringLiteral("sudo apt-get install espeak-ng espeak-ng-data")));
        // The program goes on, and so does the reading.
        QVERIFY(r.log.calls.isEmpty());
    }

    void volumeItemsReachAReadingInProgress()
    {
        Listening l;
        l.window->SBread->click();
        testing::playAlong(l.audio, 1.0);
        const std::size_t silencedAt = l.audio.playedCount();
        for (int i = 0; i < 10; ++i)
            l.window->N48->trigger();
        testing::playAlong(l.audio, 1.5);
        QVERIFY(l.audio.sampleCount() > silencedAt + 2 * kHalfSecond);
        QVERIFY(l.audio.lastSoundFrom(silencedAt) < silencedAt + kHalfSecond);

        l.window->N49->trigger();
        const std::size_t softAt = l.audio.playedCount();
        testing::playAlong(l.audio, 1.5);
        l.window->N47->trigger();
        const std::size_t fullAt = l.audio.playedCount();
        testing::playAlong(l.audio, 1.5);
        const double full = l.audio.level(0, silencedAt);
        const double soft = l.audio.level(softAt + kHalfSecond, fullAt);
        QVERIFY2(soft > 0 && soft < full * 0.25,
                 qPrintable(QStringLiteral("%1 %2").arg(soft).arg(full)));
        QVERIFY(l.audio.level(fullAt + kHalfSecond) > full * 0.5);
        // The one output is the voice's.
        QCOMPARE(l.platform.callsOfKind("audio").size(), 1);
    }

    void rateControlsReachAReadingInProgress()
    {
        Listening l;
        l.audio.setPlaysAtOnce(true);
        l.window->SBread->click();
        const std::size_t normal = testing::settledSampleCount(l.audio);
        l.window->Nstopsp->trigger();

        l.audio.setPlaysAtOnce(false);
        l.window->SBread->click();
        testing::playAlong(l.audio, 1.0);
        l.window->N61->trigger();
        l.audio.setPlaysAtOnce(true);
        const std::size_t hurried = testing::settledSampleCount(l.audio);
        // Three times as fast after the first second.
        QVERIFY2(hurried < normal / 2,
                 qPrintable(QStringLiteral("%1 %2").arg(hurried).arg(normal)));
        QVERIFY(hurried > normal / 4);

        l.window->Nstopsp->trigger();
        l.audio.setPlaysAtOnce(false);
        l.window->SBread->click();
        testing::playAlong(l.audio, 1.0);
        l.window->TB2->setValue(-10);
        l.audio.setPlaysAtOnce(true);
        const std::size_t slowed = testing::settledSampleCount(l.audio);
        QVERIFY2(slowed > normal * 2, qPrintable(QStringLiteral("%1 %2").arg(slowed).arg(normal)));
    }

    void aNewReadingAfterAPausedOneIsHeard()
    {
        Listening l;
        l.window->SBread->click();
        testing::playAlong(l.audio, 0.5);
        l.window->Npausesp->trigger();
        l.window->Nstopsp->trigger();
        l.window->SBread->click();
        const QStringList afterStop = l.audio.controls.mid(l.audio.controls.lastIndexOf("pause"));
        QCOMPARE(afterStop, QStringList({"pause", "stop", "resume"}));
        QVERIFY(testing::playAlong(l.audio, 0.5) >= kHalfSecond);

        l.window->Npausesp->trigger();
        l.window->TV2->setCurrentItem(l.window->TV2->topLevelItem(0)->child(0));
        QCOMPARE(gbk::toUnicode(l.window->Memo1->text()), QStringLiteral("例如：I am a student."));
        l.window->SBread->click();
        const QStringList afterLesson = l.audio.controls.mid(l.audio.controls.lastIndexOf("pause"));
        QCOMPARE(afterLesson, QStringList({"pause", "stop", "resume"}));
        QVERIFY(testing::playAlong(l.audio, 0.5) >= kHalfSecond);
    }
};

QTEST_MAIN(TestReading)
#include "tst_reading.moc"
