#include "TextWindows.h"
#include "app/LessonTreeView.h"
#include "app/StatusBar.h"
#include "platform/Gbk.h"
#include "text/LessonMemo.h"

#include <QClipboard>
#include <QMenu>
#include <QToolButton>
#include <QtTest>

using namespace quorvane;
using quorvane::testing::contentOf;
using quorvane::testing::pdfText;
using quorvane::testing::TextWindows;

namespace {

const QByteArray kLesson = gbk::fromUnicode(QStringLiteral("名词：noun\r\n"
                                                           "\r\n"
                                                           "I am a student.\r\n"));

QString caption(const QWidget& window)
{
    return window.windowTitle();
}

} // namespace

class TestFullScreenText : public QObject {
    Q_OBJECT

private slots:
    void theWindowAsCreated()
    {
        TextWindows p(kLesson);
        Twordfrm& f = *p.word;
        QVERIFY(!f.isVisible());
        QCOMPARE(caption(f), QStringLiteral("文字教程"));
        QVERIFY(f.windowState() & Qt::WindowMaximized);
        const Qt::WindowFlags flags = f.windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(flags & Qt::WindowSystemMenuHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(f.Memo1->isReadOnly());
        QCOMPARE(f.Memo1->scrollBars(), LessonMemo::ScrollBars::Vertical);
        QCOMPARE(f.Memo1->frameShape(), QFrame::StyledPanel);
        QCOMPARE(f.Panel1->palette().color(QPalette::Window), QColor(Qt::white));
        QStringList items;
        for (QAction* action : f.PopupMenu1->actions())
            items << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(items, QStringList({"复制(&C)", "全选(&A)", "保存(&S)", "打印(&P)", "-",
                                     "字体设置", "背景颜色", "-", "退出(&E)"}));
        QCOMPARE(f.Memo1->contextMenuPolicy(), Qt::CustomContextMenu);
    }

    void openingShowsTheLessonAndHidesTheMainWindow()
    {
        TextWindows p(kLesson);
        Tmainfrm& w = *p.window;
        Twordfrm& f = *p.word;
        w.SBword->click();
        w.Memo1->selectAll();
        w.SBfull->click();
        QVERIFY(f.isVisible());
        QVERIFY(!w.isVisible());
        QVERIFY(f.windowState() & Qt::WindowMaximized);
        QCOMPARE(caption(f), QStringLiteral("名词"));
        QCOMPARE(f.Memo1->text(), kLesson);
        QVERIFY(!f.Memo1->textCursor().hasSelection());
        QCOMPARE(f.Memo1->textCursor().position(), 0);
        // The animation window was not involved.
        QVERIFY(!p.flash->isVisible());
    }

    void openingOnALessonNamesChapterAndLesson()
    {
        TextWindows p(kLesson);
        p.writeLesson(10, "ten");
        Tmainfrm& w = *p.window;
        w.SBword->click();
        w.TV2->selectIndex(9);
        w.Nwfull->trigger();
        QCOMPARE(caption(*p.word), QStringLiteral("冠词和数词->不定冠词的用法"));
        QCOMPARE(p.word->Memo1->text(), QByteArray("ten"));
    }

    void openingOnAnEmptyLessonShowsAnEmptyPane()
    {
        TextWindows p("");
        Tmainfrm& w = *p.window;
        w.SBword->click();
        w.MenuItem9->trigger();
        QVERIFY(p.word->isVisible());
        QVERIFY(p.word->Memo1->text().isEmpty());
        QCOMPARE(caption(*p.word), QStringLiteral("名词"));
    }

    void inAnimationModeNothingOpens()
    {
        TextWindows p(kLesson);
        Tmainfrm& w = *p.window;
        w.Nwfull->trigger();
        w.MenuItem9->trigger();
        QVERIFY(!p.word->isVisible());
        QVERIFY(w.isVisible());
    }

    void loadingAnotherLessonLeavesTheCopyAlone()
    {
        TextWindows p(kLesson);
        p.writeLesson(2, "two");
        Tmainfrm& w = *p.window;
        w.SBword->click();
        w.SBfull->click();
        p.word->close();
        w.TV2->selectIndex(1);
        QCOMPARE(w.Memo1->text(), QByteArray("two"));
        QCOMPARE(p.word->Memo1->text(), kLesson);
    }

    void closingByExitBringsTheMainWindowBack()
    {
        TextWindows p(kLesson);
        p.writeLesson(3, "three");
        Tmainfrm& w = *p.window;
        w.SBword->click();
        w.TV2->selectIndex(2);
        w.SBfull->click();
        // FormShow clears the pause; a pause set now shows that it ran.
        w.SBstop->click();
        QVERIFY(w.PlaybackPaused());
        p.word->N5->trigger();
        QVERIFY(!p.word->isVisible());
        QVERIFY(w.isVisible());
        QVERIFY(!w.PlaybackPaused());
        QVERIFY(w.inTextMode());
        QCOMPARE(w.TV2->selectedIndex(), 2);
        QCOMPARE(w.Memo1->text(), QByteArray("three"));
    }

    void closingByTheCloseBoxBringsTheMainWindowBack()
    {
        TextWindows p(kLesson);
        Tmainfrm& w = *p.window;
        w.SBword->click();
        w.SBfull->click();
        w.SBstop->click();
        QVERIFY(p.word->close());
        QVERIFY(!p.word->isVisible());
        QVERIFY(w.isVisible());
        QVERIFY(!w.PlaybackPaused());
        QVERIFY(w.inTextMode());
        QCOMPARE(w.Memo1->text(), kLesson);
        // And it opens again.
        w.SBfull->click();
        QVERIFY(p.word->isVisible());
        QVERIFY(!w.isVisible());
    }

    void copyAndSelectAllActOnTheFullScreenPane()
    {
        TextWindows p(kLesson);
        Tmainfrm& w = *p.window;
        w.SBword->click();
        w.SBfull->click();
        Twordfrm& f = *p.word;
        QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
        f.N1->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
        f.N2->trigger();
        QCOMPARE(f.Memo1->selectedText(), kLesson);
        QVERIFY(!w.Memo1->textCursor().hasSelection());
        f.N1->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("名词：noun\n\nI am a student.\n"));
    }

    void savingUsesTheMainSaveDialogAndKeepsATxtName()
    {
        TextWindows p(kLesson);
        Tmainfrm& w = *p.window;
        w.SBword->click();
        p.platform.queueSaveName(p.path("first"));
        w.Nwsave->trigger();
        w.SBfull->click();
        p.platform.queueSaveName(p.path("COPY.TXT"));
        p.word->N3->trigger();
        QCOMPARE(contentOf(p.path("COPY.TXT")), kLesson);
        p.platform.queueSaveName(p.path("copy.text"));
        p.word->N3->trigger();
        QCOMPARE(contentOf(p.path("copy.text.txt")), kLesson);
        // One dialog for both windows: it offers the name chosen last, in
        // whichever window.
        QCOMPARE(p.platform.callsOfKind("save-dialog"),
                 QStringList({QStringLiteral(" | 文本文件|*.TXT"),
                              p.path("first") + QStringLiteral(" | 文本文件|*.TXT"),
                              p.path("COPY.TXT") + QStringLiteral(" | 文本文件|*.TXT")}));
        p.word->close();
        p.platform.queueSaveName(std::nullopt);
        w.Nwsave->trigger();
        QCOMPARE(p.platform.callsOfKind("save-dialog").last(),
                 p.path("copy.text") + QStringLiteral(" | 文本文件|*.TXT"));
    }

    void aFailedSaveReachesTheGeneralErrorBox()
    {
        TextWindows p(kLesson);
        Tmainfrm& w = *p.window;
        w.SBword->click();
        w.SBfull->click();
        p.platform.queueSaveName(p.path("nowhere/notes.txt"));
        p.word->N3->trigger();
        QCOMPARE(p.platform.callsOfKind("general-error").size(), 1);
        QVERIFY(p.word->isVisible());
    }

    void printingUsesItsOwnDialogAndMessage()
    {
        TextWindows p(kLesson);
        Tmainfrm& w = *p.window;
        w.SBword->click();
        w.SBfull->click();
        Twordfrm& f = *p.word;
        p.platform.queuePrinterAccepted(true);
        f.N4->trigger();
        QVERIFY(pdfText(p.printPath).contains(QStringLiteral("I am a student.")));

        QPrinter* mainPrinter = &w.PrintDialog1.printer();
        QPrinter* ownPrinter = &f.PrintDialog1.printer();
        QVERIFY(mainPrinter != ownPrinter);
        QCOMPARE(ownPrinter->outputFileName(), p.printPath);
        QVERIFY(mainPrinter->outputFileName() != p.printPath);

        p.printPath = p.path("missing/printed.pdf");
        p.platform.queuePrinterAccepted(true);
        f.N4->trigger();
        QCOMPARE(p.platform.callsOfKind("notice"),
                 QStringList({"Quorvane | 请确认您的电脑已安装了打印机"}));

        p.platform.queuePrinterAccepted(false);
        f.N4->trigger();
        QCOMPARE(p.platform.callsOfKind("notice").size(), 1);
        QCOMPARE(p.platform.callsOfKind("print-dialog").size(), 3);
    }

    void eachWindowPrintsItsOwnScreenLines()
    {
        QByteArray paragraph;
        for (int i = 10; i < 70; ++i)
            paragraph += "plural" + QByteArray::number(i) + " ";
        TextWindows p(paragraph + "\r\n");
        Tmainfrm& w = *p.window;
        w.SBword->click();
        w.SBfull->click();
        QVERIFY(QTest::qWaitForWindowExposed(p.word.get()));
        // The two panes wrap the paragraph differently.
        const QList<QByteArray> ownLines = p.word->Memo1->lines();
        QVERIFY(ownLines.size() > 1);
        QVERIFY(ownLines != w.Memo1->lines());
        p.platform.queuePrinterAccepted(true);
        p.word->N4->trigger();

        // Every screen line of the full-screen pane begins a printed line
        // (a screen line wider than the paper may go on over several).
        QStringList printed = pdfText(p.printPath).split(u'\n');
        for (QString& line : printed)
            line = line.simplified().remove(u' ');
        printed.removeAll(QString());
        qsizetype next = 0;
        for (const QByteArray& screenLine : ownLines) {
            const QString expected = QString::fromLatin1(screenLine).remove(u' ');
            QString joined;
            while (joined.size() < expected.size() && next < printed.size())
                joined += printed[next++];
            QCOMPARE(joined, expected);
        }
        QCOMPARE(next, printed.size());
    }

    void fontAndColourRunTheMainCommands()
    {
        TextWindows p(kLesson);
        Tmainfrm& w = *p.window;
        w.SBword->click();
        w.SBfull->click();
        Twordfrm& f = *p.word;
        int fontCommands = 0;
        int colourCommands = 0;
        connect(w.Nfontset, &QAction::triggered, this, [&] { ++fontCommands; });
        connect(w.Ncolorset, &QAction::triggered, this, [&] { ++colourCommands; });
        const FontChoice chosen{QFont(QStringLiteral("DejaVu Sans Mono"), 20), Qt::darkGreen};
        p.platform.queueFont(chosen);
        f.N8->trigger();
        QCOMPARE(fontCommands, 1);
        // The dialog starts from the main pane's font, not this pane's.
        QCOMPARE(p.platform.callsOfKind("font-dialog").size(), 1);
        QVERIFY(p.platform.callsOfKind("font-dialog").first().startsWith("Arial 9 "));
        QCOMPARE(f.Memo1->fontChoice(), chosen);
        QCOMPARE(w.Memo1->fontChoice(), chosen);

        p.platform.queueColor(QColor(Qt::yellow));
        f.N9->trigger();
        QCOMPARE(colourCommands, 1);
        QCOMPARE(f.Memo1->color(), QColor(Qt::yellow));
        QCOMPARE(w.Memo1->color(), QColor(Qt::yellow));

        // Both stay through closing and the next opening.
        f.close();
        w.SBfull->click();
        QCOMPARE(f.Memo1->fontChoice(), chosen);
        QCOMPARE(f.Memo1->color(), QColor(Qt::yellow));
    }
};

QTEST_MAIN(TestFullScreenText)
#include "tst_fullscreentext.moc"
