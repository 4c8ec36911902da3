#include "RecordingVoice.h"
#include "ScriptedPlatform.h"
#include "TestMovies.h"
#include "app/LessonTreeView.h"
#include "app/StatusBar.h"
#include "app/Tmainfrm.h"
#include "platform/Gbk.h"
#include "text/LessonMemo.h"

#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace quorvane;
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

} // namespace

class TestReading : public QObject {
    Q_OBJECT

private slots:
    void readAllQueuesThePreparedText()
    {
        Reading r;
        r.window->Nreadall->trigger();
        r.window->SBread->click();
        const QString spoken = QStringLiteral("Speak 1: ") + kTag + QStringLiteral("例如,I,am,a,student,");
        QCOMPARE(r.log.calls, QStringList({spoken, spoken}));

        r.log.calls.clear();
        r.window->nreadchr->trigger();
        QVERIFY(r.window->nreadchr->isChecked());
        r.window->SBread->click();
        QCOMPARE(r.log.calls,
                 QStringList({QStringLiteral("Speak 1: ") + kTag + QStringLiteral("例如：I am a student.")}));
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
        QCOMPARE(r.platform.callsOfKind("notice"), QStringList({"错误 | 您的电脑还未安装中文语音库"}));
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
        QVERIFY(r.platform.callsOfKind("question").last().startsWith(
            QStringLiteral("Quorvane | 现在即将安装中文语音库到您的电脑！")));
        QCOMPARE(r.platform.callsOfKind("start"), QStringList({r.dir.path() + "/ctts.exe"}));
        QCOMPARE(r.platform.callsOfKind("end"), QStringList({"0"}));
        // No exit question on this road.
        QCOMPARE(r.platform.callsOfKind("question").size(), 2);
    }
};

QTEST_MAIN(TestReading)
#include "tst_reading.moc"
