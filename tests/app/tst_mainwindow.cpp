#include "app/HintStyle.h"
#include "app/LessonTreeView.h"
#include "app/PaneSplitter.h"
#include "ScriptedPlatform.h"
#include "app/StatusBar.h"
#include "TestMovies.h"
#include "app/Tmainfrm.h"
#include "animation/SWF1.h"
#include "platform/Gbk.h"

#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>

using namespace quorvane;
using quorvane::testing::ScriptedPlatform;

namespace {

QString panel(const Tmainfrm& window, int index)
{
    return gbk::toUnicode(window.Sbar1->panelText(index));
}

// A lesson folder with a list naming the first chapter's lessons; movies
// exist for those given.
class Course {
public:
    explicit Course(const QStringList& movies, bool withList = true)
    {
        QDir().mkpath(m_dir.filePath("fyf"));
        QDir().mkpath(m_dir.filePath("wyf"));
        for (const char* lesson : {"wyf/1.txt", "wyf/6.txt"}) {
            QFile text(m_dir.filePath(lesson));
            text.open(QIODevice::WriteOnly);
            text.write(lesson);
        }
        if (withList) {
            QFile list(m_dir.filePath("fyf/list.txt"));
            list.open(QIODevice::WriteOnly);
            list.write(gbk::fromUnicode(QStringLiteral("c01-01.swf#名词\r\nc01-02.swf#可数名词\r\n")));
        }
        for (const QString& movie : movies)
            quorvane::testing::writeTestMovie(m_dir.filePath("fyf/" + movie), 40);
    }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// The program started on a course whose first lesson has its movie.
struct Started {
    Started() : course({"c01-01.swf"})
    {
        platform.setWindowsDirectory(course.path());
        window = std::make_unique<Tmainfrm>(platform);
    }

    Course course;
    ScriptedPlatform platform;
    std::unique_ptr<Tmainfrm> window;
};

void verifyAnimationMode(const Tmainfrm& w)
{
    QVERIFY(!w.tv1->isHidden());
    QVERIFY(!w.Panel1->isHidden());
    QVERIFY(w.TV2->isHidden());
    QVERIFY(w.Panel2->isHidden());
    QCOMPARE(w.lbl1->text(), QStringLiteral("播放进度："));
    QVERIFY(!w.TB1->isHidden());
    QVERIFY(w.TB2->isHidden());
    QVERIFY(!w.SBstop->isHidden());
    QVERIFY(!w.Sbplay->isHidden());
    QVERIFY(w.SBread->isHidden());
    QVERIFY(w.SBprint->isHidden());
    QVERIFY(w.Timer1.isActive());
    QVERIFY(w.inAnimationMode());
    QVERIFY(!w.inTextMode());
}

void verifyTextMode(const Tmainfrm& w)
{
    QVERIFY(w.tv1->isHidden());
    QVERIFY(w.Panel1->isHidden());
    QVERIFY(!w.TV2->isHidden());
    QVERIFY(!w.Panel2->isHidden());
    QCOMPARE(w.lbl1->text(), QStringLiteral("朗读速度："));
    QVERIFY(w.TB1->isHidden());
    QVERIFY(!w.TB2->isHidden());
    QVERIFY(w.SBstop->isHidden());
    QVERIFY(w.Sbplay->isHidden());
    QVERIFY(!w.SBread->isHidden());
    QVERIFY(!w.SBprint->isHidden());
    QVERIFY(!w.Timer1.isActive());
    QVERIFY(w.inTextMode());
    QCOMPARE(panel(w, 0), QStringLiteral("文字教程"));
}

QStringList menuCaptions(const QList<QAction*>& actions)
{
    QStringList captions;
    for (QAction* action : actions) {
        if (action->isSeparator())
            captions << QStringLiteral("-");
        else if (action->menu())
            captions << action->text() + QStringLiteral(" >");
        else
            captions << action->text();
    }
    return captions;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void startUpState()
    {
        Course course({"c01-01.swf", "c01-02.swf"});
        ScriptedPlatform platform;
        platform.setWindowsDirectory(course.path());
        Tmainfrm w(platform);
        verifyAnimationMode(w);
        QCOMPARE(w.windowTitle(), QStringLiteral("Quorvane 2009.0106"));
        QCOMPARE(w.tv1->selectedIndex(), 1);
        QVERIFY(w.tv1->item(0)->isExpanded());
        QVERIFY(!w.tv1->item(12)->isExpanded());
        QCOMPARE(w.CurrentLessonIndex(), 1);
        QCOMPARE(w.SavedFrame(), 0);
        QCOMPARE(panel(w, 0), QStringLiteral("动画教程"));
        QCOMPARE(panel(w, 1), QStringLiteral("名词->名词"));
        QCOMPARE(panel(w, 2), QStringLiteral("发音方式：中文"));
        QVERIFY(w.Nchsread->isChecked());
        QCOMPARE(w.SWF1->Movie(), course.path() + QStringLiteral("/fyf/c01-01.swf"));
        QVERIFY(w.SWF1->IsPlaying());
        QVERIFY(!w.SWF1->Menu());
        QCOMPARE(w.TB1->maximum(), w.SWF1->TotalFrames());
        QVERIFY(platform.calls().isEmpty());
        // The client area: the panes above the window's status bar.
        QCOMPARE(w.centralWidget()->size(), QSize(753, 487 - StatusBar::kHeight));
        QCOMPARE(w.statusBar(), w.Sbar1);
        QCOMPARE(w.TV2->item(0)->icon(0).cacheKey() == w.TV2->item(1)->icon(0).cacheKey(), false);
    }

    void startUpWithAMissingMovieAsks()
    {
        Course course({});
        ScriptedPlatform platform;
        platform.setWindowsDirectory(course.path());
        platform.queueAnswer(false);
        Tmainfrm w(platform);
        QCOMPARE(platform.callsOfKind("question").size(), 1);
        QVERIFY(platform.callsOfKind("open").isEmpty());
        QCOMPARE(panel(w, 1), QStringLiteral("名词->名词"));
        QCOMPARE(panel(w, 0), QString());
        QVERIFY(w.SWF1->Movie().isEmpty());
        verifyAnimationMode(w);
    }

    void startUpWithoutAListReportsItAndComesUp()
    {
        Course course({}, false);
        ScriptedPlatform platform;
        platform.setWindowsDirectory(course.path());
        Tmainfrm w(platform);
        const QStringList errors = platform.callsOfKind("general-error");
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors[0].contains(course.path() + QStringLiteral("/fyf/list.txt")));
        QVERIFY(w.lessonList().lines().isEmpty());
        verifyAnimationMode(w);
        QCOMPARE(panel(w, 0), QStringLiteral("动画教程"));
        QCOMPARE(w.CurrentLessonIndex(), 1);
    }

    void modeSwitchesFollowTheTable()
    {
        Started started;
        Tmainfrm& w = *started.window;
        int stops = 0;
        connect(w.Nstopsp, &QAction::triggered, this, [&] { ++stops; });

        w.SBword->click();
        verifyTextMode(w);
        QCOMPARE(w.TV2->selectedIndex(), 0);
        QCOMPARE(panel(w, 1), QStringLiteral("名词"));
        QCOMPARE(w.SWF1->FrameNum(), 0);
        QVERIFY(!w.SWF1->IsPlaying());

        // The second press changes nothing.
        w.TV2->selectIndex(5);
        const QByteArray lessonStatus = w.Sbar1->panelText(1);
        w.Nword->trigger();
        verifyTextMode(w);
        QCOMPARE(w.TV2->selectedIndex(), 5);
        QCOMPARE(w.Sbar1->panelText(1), lessonStatus);

        const int stopsInTextMode = stops;
        w.Nflash->trigger();
        verifyAnimationMode(w);
        QCOMPARE(stops, stopsInTextMode + 1);
        QCOMPARE(panel(w, 0), QStringLiteral("动画教程"));
        QCOMPARE(panel(w, 1), QStringLiteral("名词->名词"));
        QVERIFY(w.SWF1->IsPlaying());

        // Idempotent apart from stopping the reading and the progress timer.
        w.Timer1.stop();
        w.SBflash->click();
        verifyAnimationMode(w);
        QCOMPARE(stops, stopsInTextMode + 2);

        // Every entry to text mode selects the first text node again.
        w.SBword->click();
        QCOMPARE(w.TV2->selectedIndex(), 0);
        QCOMPARE(panel(w, 1), QStringLiteral("名词"));
    }

    void returningContinuesFromTheSavedFrame()
    {
        Started started;
        Tmainfrm& w = *started.window;
        w.SWF1->Stop();
        w.SWF1->GotoFrame(17);
        w.SBword->click();
        QCOMPARE(w.SavedFrame(), 17);
        QCOMPARE(w.SWF1->FrameNum(), 0);
        w.SBflash->click();
        QCOMPARE(w.SWF1->FrameNum(), 17);
        QVERIFY(w.SWF1->IsPlaying());
    }

    void emptyAnimationStatusGivesAnEmptyPanel()
    {
        Course course({});
        ScriptedPlatform platform;
        platform.setWindowsDirectory(course.path());
        QFile list(course.path() + QStringLiteral("/fyf/list.txt"));
        QVERIFY(list.open(QIODevice::WriteOnly | QIODevice::Truncate));
        list.write("other.swf#nothing-in-the-tree\r\n");
        list.close();
        Tmainfrm w(platform);
        QVERIFY(w.AnimationStatusText().isEmpty());
        w.SBword->click();
        w.SBflash->click();
        QCOMPARE(panel(w, 1), QString());
    }

    void splitterKeepsThePanesInsideTheirBoxes()
    {
        Started started;
        Tmainfrm& w = *started.window;
        QCOMPARE(w.tv1->geometry(), QRect(7, 14, 165, 409));
        QCOMPARE(w.TV2->geometry(), QRect(8, 13, 165, 409));
        QCOMPARE(w.Panel1->size(), QSize(554, 409));

        emit w.Splitter1->moved(250);
        QCOMPARE(w.GB1->width(), 250);
        QCOMPARE(w.GB2->geometry(), QRect(254, 38, 499, 430));
        QCOMPARE(w.tv1->size(), QSize(235, 409));
        QCOMPARE(w.TV2->size(), QSize(235, 409));
        QCOMPARE(w.TV2->pos(), QPoint(8, 13));
        QCOMPARE(w.Panel1->size(), QSize(484, 409));
        QCOMPARE(w.Panel2->size(), QSize(484, 409));

        emit w.Splitter1->moved(0);
        QCOMPARE(w.GB1->width(), 0);
        QCOMPARE(w.tv1->size(), QSize(0, 409));
        QCOMPARE(w.Panel1->size(), QSize(734, 409));
    }

    void splitterSnapsAndKeepsBothSides()
    {
        QCOMPARE(PaneSplitter::snappedLeftWidth(29, 753, 4), 0);
        QCOMPARE(PaneSplitter::snappedLeftWidth(30, 753, 4), 30);
        QCOMPARE(PaneSplitter::snappedLeftWidth(-40, 753, 4), 0);
        QCOMPARE(PaneSplitter::snappedLeftWidth(740, 753, 4), 719);
    }

    void everyRoadToClosingAsks()
    {
        Started started;
        ScriptedPlatform& platform = started.platform;
        Tmainfrm& w = *started.window;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        platform.queueAnswer(false);
        w.SBexit->click();
        platform.queueAnswer(false);
        w.Nexit->trigger();
        platform.queueAnswer(false);
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
        QVERIFY(w.SWF1->IsPlaying());
        QCOMPARE(platform.callsOfKind("question"),
                 QStringList(3, QStringLiteral("提示 | 确定退出系统吗？")));
        QVERIFY(platform.callsOfKind("end").isEmpty());

        platform.queueAnswer(true);
        QVERIFY(w.close());
        QCOMPARE(platform.callsOfKind("end"), QStringList({"0"}));
    }

    void theClockUsesTheLongTimeFormat()
    {
        Started started;
        Tmainfrm& w = *started.window;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.Timer2Timer();
        const QString clock = panel(w, 3);
        QVERIFY(clock.startsWith(QStringLiteral("当前时间是：")));
        QVERIFY(QRegularExpression(QStringLiteral("\\d{1,2}:\\d{2}:\\d{2}")).match(clock).hasMatch());
        QCOMPARE(w.Sbar1->panel(3)->geometry().right(), w.Sbar1->width() - 1);
        QVERIFY(w.Timer2.isActive());
        QCOMPARE(w.Timer2.interval(), 1000);
    }

    void menusInTheirDesignedOrder()
    {
        Started started;
        Tmainfrm& w = *started.window;
        const QList<QAction*> top = w.menuBar()->actions();
        QCOMPARE(menuCaptions(top), QStringList({"教学 >", "动画 >", "文本 >", "朗读 >", "帮助 >"}));
        QCOMPARE(menuCaptions(top[0]->menu()->actions()),
                 QStringList({"动画教学", "文字教学", "-", "退出系统"}));
        QCOMPARE(menuCaptions(top[1]->menu()->actions()),
                 QStringList({"暂停播放", "继续播放", "重新播放", "-", "上一课", "下一课", "-",
                              "放大画面", "缩小画面", "-", "全屏显示"}));
        QCOMPARE(menuCaptions(top[2]->menu()->actions()),
                 QStringList({"复制", "全选", "保存", "打印输出", "-", "字体设置", "背景颜色", "-",
                              "全屏显示"}));
        const QList<QAction*> reading = top[3]->menu()->actions();
        QCOMPARE(menuCaptions(reading),
                 QStringList({"朗读全文", "朗读选择区域", "-", "暂停朗读", "继续朗读", "停止朗读",
                              "-", "朗读符号", "-", "朗读方式 >", "朗读音量 >", "朗读速度 >"}));
        QCOMPARE(menuCaptions(reading[9]->menu()->actions()), QStringList({"中文语音"}));
        QCOMPARE(menuCaptions(reading[10]->menu()->actions()),
                 QStringList({"降低音量", "增大音量", "最大音量"}));
        QCOMPARE(menuCaptions(reading[11]->menu()->actions()),
                 QStringList({"最慢", "减慢", "正常", "加快", "最快"}));
        const QList<QAction*> help = top[4]->menu()->actions();
        QCOMPARE(menuCaptions(help),
                 QStringList({"给我写信", "软件主页", "关于软件", "-", "安装中文语音库",
                              "Tellmark软件论坛", "Tellmark学习软件 >"}));
        QCOMPARE(menuCaptions(help[6]->menu()->actions()), QStringList({"Pellandra", "Ostrevin"}));
        QCOMPARE(menuCaptions(w.PopupMenu1->actions()),
                 QStringList({"自动换行", "-", "复制(&C)", "全选(&A)", "保存(&S)", "打印(&P)", "-",
                              "字体设置", "背景颜色", "-", "全屏显示"}));
        QCOMPARE(menuCaptions(w.PopupMenu2->actions()),
                 QStringList({"暂停播放", "继续播放", "重新播放", "-", "上一课", "下一课", "放大画面",
                              "缩小画面", "-", "全屏显示"}));
        for (QAction* action : w.findChildren<QAction*>())
            QVERIFY2(action->shortcut().isEmpty(), qPrintable(action->text()));
    }

    void popupItemsClickTheirMenuItems()
    {
        Started started;
        Tmainfrm& w = *started.window;
        const std::pair<QAction*, QAction*> pairs[] = {
            {w.N11, w.Nfstop}, {w.N12, w.Nfplay},     {w.N13, w.nfrplay}, {w.N16, w.Nflast},
            {w.N17, w.Nnextflash}, {w.N28, w.Nfbig}, {w.N29, w.Nfsmall}, {w.N32, w.Nffull}};
        for (const auto& [popupItem, menuItem] : pairs) {
            QSignalSpy clicked(menuItem, &QAction::triggered);
            popupItem->trigger();
            QCOMPARE(clicked.count(), 1);
        }
    }

    void aboutBoxAndLinks()
    {
        Started started;
        ScriptedPlatform& platform = started.platform;
        Tmainfrm& w = *started.window;
        w.Nhelp->trigger();
        const QStringList notices = platform.callsOfKind("notice");
        QCOMPARE(notices.size(), 1);
        QVERIFY(notices[0].startsWith(QStringLiteral("关于软件 | Quorvane 2009.0106\n\n")));
        const QStringList lines = w.aboutText().split(u'\n');
        QCOMPARE(lines.size(), 10);
        QCOMPARE(lines[0], w.windowTitle());
        QVERIFY(lines[1].isEmpty() && lines[3].isEmpty() && lines[9].isEmpty());
        // The project has no such contacts.
        QCOMPARE(lines[4], QStringLiteral("作者信箱：暂无"));
        QVERIFY(lines[5].startsWith(QStringLiteral("软件主页：")));
        QVERIFY(lines[6].startsWith(QStringLiteral("联系电话：")));
        QVERIFY(lines[7].startsWith(QStringLiteral("联系ＱＱ：")));
        QVERIFY(lines[8].startsWith(QStringLiteral("联系 MSN：")));

        platform.clearCalls();
        for (QAction* link : {w.Nmail, w.nhp, w.N19, w.Nxyy, w.N39})
            link->trigger();
        const QStringList opened = platform.callsOfKind("open");
        QCOMPARE(platform.calls().size(), 5);
        QCOMPARE(opened.size(), 5);
        QCOMPARE(opened[0], QStringLiteral("mailto:?subject=Quorvane"));
        // Home page and forum are the help page that comes with the program.
        QCOMPARE(lines[5], QStringLiteral("软件主页：") + opened[1]);
        QCOMPARE(opened[2], opened[1]);
        const QUrl helpPage(opened[1]);
        QVERIFY2(helpPage.isLocalFile(), qPrintable(opened[1]));
        QFile page(helpPage.toLocalFile());
        QVERIFY2(page.open(QIODevice::ReadOnly), qPrintable(page.fileName()));
        QVERIFY(page.readAll().contains("QUORVANE_WINDIR"));
        QVERIFY(opened[3].endsWith(QStringLiteral("/soft/soft_view.php?id=10109")));
        QVERIFY(opened[4].endsWith(QStringLiteral("/soft/soft_view.php?id=12774")));
        QVERIFY(QUrl(opened[3]).host() != QUrl(opened[4]).host());
        QVERIFY(w.SWF1->IsPlaying());
    }

    void hintsShowAtOnceOnWhite()
    {
        Started started;
        Tmainfrm& w = *started.window;
        QCOMPARE(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 0);
        QCOMPARE(w.TB1->toolTipDuration(), 100000);
        QCOMPARE(QToolTip::palette().color(QPalette::ToolTipBase), QColor(Qt::white));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
