#include "TextWindows.h"
#include "app/LessonTreeView.h"
#include "app/Tmainfrm.h"
#include "platform/Gbk.h"
#include "text/LessonMemo.h"

#include <QClipboard>
#include <QMenu>
#include <QToolButton>
#include <QtTest>

using namespace quorvane;
using quorvane::testing::contentOf;
using quorvane::testing::pdfText;

namespace {

// 名词复数 in GBK, then an invalid pair and a lone 0xFF.
const QByteArray kLesson("\xC3\xFB\xB4\xCA\xB8\xB4\xCA\xFD\r\n"
                         "book books\r\n"
                         "\r\n"
                         "\xC3"
                         "0 \xFF end\r\n");

struct Program : quorvane::testing::TextWindows {
    Program() : TextWindows(kLesson) {}
};

void selectCharacters(LessonMemo* memo, int from, int to)
{
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    memo->setTextCursor(cursor);
}

} // namespace

class TestTextTools : public QObject {
    Q_OBJECT

private slots:
    void theMenusInDesignedOrder()
    {
        Program p;
        Tmainfrm& w = *p.window;
        QStringList popup;
        for (QAction* action : w.PopupMenu1->actions())
            popup << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(popup, QStringList({"自动换行", "-", "复制(&C)", "全选(&A)", "保存(&S)",
                                     "打印(&P)", "-", "字体设置", "背景颜色", "-", "全屏显示"}));
        QVERIFY(w.N8->isCheckable());
        QVERIFY(!w.N8->isChecked());
        QCOMPARE(w.Memo1->contextMenuPolicy(), Qt::CustomContextMenu);
    }

    void inAnimationModeTheMainMenuLeavesThePaneAlone()
    {
        Program p;
        Tmainfrm& w = *p.window;
        w.SBword->click();
        w.SBflash->click();
        QVERIFY(w.inAnimationMode());
        QCOMPARE(w.Memo1->text(), kLesson);
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        w.Memo1->selectAll();
        w.Nwcopy->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
        w.Memo1->moveCursor(QTextCursor::Start);
        w.Nwselectall->trigger();
        QVERIFY(!w.Memo1->textCursor().hasSelection());
        const QFont font = w.Memo1->font();
        for (QAction* command :
             {w.Nwsave, w.Nfontset, w.Ncolorset, w.Nwfull, w.MenuItem6, w.MenuItem7, w.MenuItem9})
            command->trigger();
        // No dialog was asked for: the scripted platform would have stopped
        // the test for want of an answer.
        QVERIFY(p.platform.calls().isEmpty());
        QCOMPARE(w.Memo1->font(), font);
        QVERIFY(!p.word->isVisible());
        QVERIFY(w.isVisible());
    }

    void thePopupItemsWorkInEitherMode()
    {
        Program p;
        Tmainfrm& w = *p.window;
        w.SBword->click();
        w.SBflash->click();
        selectCharacters(w.Memo1, 0, 2);
        w.MenuItem1->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("名词"));
        w.MenuItem2->trigger();
        QCOMPARE(w.Memo1->selectedText(), kLesson);
        p.platform.queueSaveName(p.path("popup"));
        w.MenuItem3->trigger();
        QCOMPARE(contentOf(p.path("popup.txt")), kLesson);
    }

    void copyHandsOnTheSelection()
    {
        Program p;
        Tmainfrm& w = *p.window;
        w.SBword->click();
        selectCharacters(w.Memo1, 2, 7);
        w.Nwcopy->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("复数\nbo"));
    }

    void copyWithNothingSelectedLeavesTheClipboard()
    {
        Program p;
        Tmainfrm& w = *p.window;
        w.SBword->click();
        QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
        QVERIFY(!w.Memo1->textCursor().hasSelection());
        w.Nwcopy->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
        w.MenuItem1->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    }

    void selectAllSelectsTheWholeText()
    {
        Program p;
        Tmainfrm& w = *p.window;
        w.SBword->click();
        w.Nwselectall->trigger();
        QCOMPARE(w.Memo1->selectedText(), kLesson);
    }

    void theMainMenuSaveAlwaysAppendsTxt()
    {
        Program p;
        Tmainfrm& w = *p.window;
        w.SBword->click();
        p.platform.queueSaveName(p.path("lesson.txt"));
        w.Nwsave->trigger();
        QCOMPARE(contentOf(p.path("lesson.txt.txt")), kLesson);
        QVERIFY(!QFileInfo::exists(p.path("lesson.txt")));
        p.platform.queueSaveName(p.path("notes"));
        w.Nwsave->trigger();
        QCOMPARE(contentOf(p.path("notes.txt")), kLesson);
        // The dialog filters text files and offers the name chosen before.
        QCOMPARE(p.platform.callsOfKind("save-dialog"),
                 QStringList({QStringLiteral(" | 文本文件|*.TXT"),
                              p.path("lesson.txt") + QStringLiteral(" | 文本文件|*.TXT")}));
    }

    void thePopupSaveKeepsATxtName()
    {
        Program p;
        Tmainfrm& w = *p.window;
        w.SBword->click();
        p.platform.queueSaveName(p.path("lesson.txt"));
        w.MenuItem3->trigger();
        p.platform.queueSaveName(p.path("NOTES.TXT"));
        w.MenuItem3->trigger();
        p.platform.queueSaveName(p.path("notes.text"));
        w.MenuItem3->trigger();
        QCOMPARE(contentOf(p.path("lesson.txt")), kLesson);
        QCOMPARE(contentOf(p.path("NOTES.TXT")), kLesson);
        QCOMPARE(contentOf(p.path("notes.text.txt")), kLesson);
        QCOMPARE(QDir(p.dir.path()).entryList(QDir::Files).size(), 3);
    }

    void cancellingTheSaveWritesNothing()
    {
        Program p;
        Tmainfrm& w = *p.window;
        w.SBword->click();
        p.platform.queueSaveName(std::nullopt);
        w.Nwsave->trigger();
        p.platform.queueSaveName(std::nullopt);
        w.MenuItem3->trigger();
        QCOMPARE(QDir(p.dir.path()).entryList(QDir::Files), QStringList());
        QCOMPARE(p.platform.calls().size(), 2);
    }

    void aSaveIntoAMissingFolderReachesTheGeneralErrorBox()
    {
        Program p;
        Tmainfrm& w = *p.window;
        w.SBword->click();
        p.platform.queueSaveName(p.path("missing/notes"));
        w.Nwsave->trigger();
        const QStringList errors = p.platform.callsOfKind("general-error");
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].contains(p.path("missing/notes.txt")), qPrintable(errors[0]));
        QVERIFY(!QFileInfo::exists(p.path("missing")));
    }

    void printingTheLessonToPdf()
    {
        Program p;
        Tmainfrm& w = *p.window;
        w.SBword->click();
        p.platform.queuePrinterAccepted(true);
        w.Nwprint->trigger();
        QCOMPARE(p.platform.calls(), QStringList({"print-dialog: "}));
        const QString text = pdfText(p.printPath);
        QVERIFY2(text.contains(QStringLiteral("名词复数")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("book books")), qPrintable(text));
        QVERIFY(text.indexOf(QStringLiteral("book books")) < text.indexOf(QStringLiteral("end")));
        QCOMPARE(text.count(u'\f'), 1);
    }

    void thePopupPrintPerformsTheMainPrint()
    {
        Program p;
        Tmainfrm& w = *p.window;
        w.SBword->click();
        int mainPrints = 0;
        connect(w.Nwprint, &QAction::triggered, this, [&] { ++mainPrints; });
        p.platform.queuePrinterAccepted(true);
        w.MenuItem4->trigger();
        QCOMPARE(mainPrints, 1);
        QVERIFY(pdfText(p.printPath).contains(QStringLiteral("book books")));
    }

    void inAnimationModePrintingPrintsTheHiddenPane()
    {
        Program p;
        Tmainfrm& w = *p.window;
        // Never in text mode: the pane is empty, one blank page comes out.
        p.platform.queuePrinterAccepted(true);
        w.Nwprint->trigger();
        QCOMPARE(pdfText(p.printPath).trimmed(), QString());
        QVERIFY(QFileInfo(p.printPath).size() > 0);

        w.SBword->click();
        w.SBflash->click();
        p.platform.queuePrinterAccepted(true);
        w.Nwprint->trigger();
        QVERIFY(pdfText(p.printPath).contains(QStringLiteral("book books")));
        QVERIFY(p.platform.callsOfKind("notice").isEmpty());
    }

    void cancellingThePrintDialogShowsNothing()
    {
        Program p;
        Tmainfrm& w = *p.window;
        w.SBword->click();
        p.platform.queuePrinterAccepted(false);
        w.Nwprint->trigger();
        QCOMPARE(p.platform.calls(), QStringList({"print-dialog: "}));
        QVERIFY(!QFileInfo::exists(p.printPath));
    }

    void aFailedPrintShowsTheMessageAndTheNextOneWorks()
    {
        Program p;
        Tmainfrm& w = *p.window;
        w.SBword->click();
        const QString good = p.printPath;
        p.printPath = p.path("missing/printed.pdf");
        p.platform.queuePrinterAccepted(true);
        w.Nwprint->trigger();
        QCOMPARE(p.platform.callsOfKind("notice"), QStringList({"错误 | 您的电脑未安装打印机！"}));
        QVERIFY(p.platform.callsOfKind("general-error").isEmpty());

        p.printPath = good;
        p.platform.queuePrinterAccepted(true);
        w.Nwprint->trigger();
        QCOMPARE(p.platform.callsOfKind("notice").size(), 1);
        QVERIFY(pdfText(good).contains(QStringLiteral("book books")));
    }

    void theDesignedFontsDifferUntilTheFirstChoice()
    {
        Program p;
        Tmainfrm& w = *p.window;
        QCOMPARE(w.Memo1->font().family(), QStringLiteral("Arial"));
        QCOMPARE(w.Memo1->font().pixelSize(), 12);
        QCOMPARE(p.word->Memo1->font().family(), QStringLiteral("Arial"));
        QCOMPARE(p.word->Memo1->font().pixelSize(), 16);
    }

    void aChosenFontAndItsColourReachBothPanes()
    {
        Program p;
        Tmainfrm& w = *p.window;
        w.SBword->click();
        QFont font(QStringLiteral("DejaVu Serif"), 15);
        font.setItalic(true);
        font.setUnderline(true);
        const FontChoice chosen{font, QColor(0, 0, 160)};
        p.platform.queueFont(chosen);
        w.Nfontset->trigger();
        QCOMPARE(w.Memo1->fontChoice(), chosen);
        QCOMPARE(p.word->Memo1->fontChoice(), chosen);
        QCOMPARE(w.Memo1->palette().color(QPalette::Text), QColor(0, 0, 160));
        // The dialog started from the main pane's font, in the window-text colour.
        QCOMPARE(p.platform.callsOfKind("font-dialog"),
                 QStringList({"Arial 9 " + QApplication::palette().color(QPalette::Text).name()}));

        p.platform.queueFont(std::nullopt);
        w.MenuItem6->trigger();
        QCOMPARE(w.Memo1->fontChoice(), chosen);
        QCOMPARE(p.word->Memo1->fontChoice(), chosen);
        QCOMPARE(p.platform.callsOfKind("font-dialog").last(),
                 QStringLiteral("DejaVu Serif 15 #0000a0"));
    }

    void aChosenColourReachesBothPanes()
    {
        Program p;
        Tmainfrm& w = *p.window;
        w.SBword->click();
        const QColor before = w.Memo1->color();
        p.platform.queueColor(QColor(255, 255, 200));
        w.Ncolorset->trigger();
        QCOMPARE(w.Memo1->color(), QColor(255, 255, 200));
        QCOMPARE(p.word->Memo1->color(), QColor(255, 255, 200));
        QCOMPARE(p.platform.callsOfKind("color-dialog"), QStringList({before.name()}));

        p.platform.queueColor(std::nullopt);
        w.MenuItem7->trigger();
        QCOMPARE(w.Memo1->color(), QColor(255, 255, 200));
        QCOMPARE(p.platform.callsOfKind("color-dialog").last(), QStringLiteral("#ffffc8"));
    }

    void theWrapToggleSwitchesTheMainPaneOnly()
    {
        Program p;
        Tmainfrm& w = *p.window;
        w.SBword->click();
        w.N8->trigger();
        QVERIFY(w.N8->isChecked());
        QCOMPARE(w.Memo1->scrollBars(), LessonMemo::ScrollBars::Both);
        QCOMPARE(w.Memo1->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(w.Memo1->text(), kLesson);
        QCOMPARE(p.word->Memo1->scrollBars(), LessonMemo::ScrollBars::Vertical);
        w.N8->trigger();
        QVERIFY(!w.N8->isChecked());
        QCOMPARE(w.Memo1->scrollBars(), LessonMemo::ScrollBars::Vertical);
        QCOMPARE(w.Memo1->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QCOMPARE(w.Memo1->text(), kLesson);
    }

    void printingFollowsTheWrapping()
    {
        Program p;
        Tmainfrm& w = *p.window;
        QByteArray paragraph;
        for (int i = 10; i < 24; ++i)
            paragraph += "plural" + QByteArray::number(i) + " ";
        p.writeLesson(2, paragraph + "\r\n");
        w.SBword->click();
        w.TV2->selectIndex(1);
        const int screenLines = w.Memo1->lines().size();
        QVERIFY(screenLines > 1);
        p.platform.queuePrinterAccepted(true);
        w.Nwprint->trigger();
        QCOMPARE(pdfText(p.printPath).trimmed().count(u'\n') + 1, screenLines);

        w.N8->trigger();
        p.platform.queuePrinterAccepted(true);
        w.Nwprint->trigger();
        // 126 characters are wider than the pane but fit across the page.
        QCOMPARE(pdfText(p.printPath).trimmed().count(u'\n'), 0);
    }
};

QTEST_MAIN(TestTextTools)
#include "tst_texttools.moc"
