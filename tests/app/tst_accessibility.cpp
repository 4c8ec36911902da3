// What assistive technologies see of the program: every control a learner
// uses has a role and a name, the windows are windows, the status bar is one,
// open pop-up menus are in the tree, and the keyboard reaches the panes.
#include "TextWindows.h"
#include "animation/SWF1.h"
#include "app/LessonTreeView.h"
#include "app/StatusBar.h"
#include "platform/Gbk.h"
#include "text/LessonMemo.h"

#include <QAccessible>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

using namespace quorvane;
using quorvane::testing::TextWindows;

namespace {

const QList<QAccessible::Role> kControls{
    QAccessible::Window, QAccessible::MenuBar,      QAccessible::PopupMenu, QAccessible::MenuItem,
    QAccessible::Button, QAccessible::PushButton,   QAccessible::CheckBox,  QAccessible::Slider,
    QAccessible::Tree,   QAccessible::EditableText, QAccessible::Animation, QAccessible::StatusBar,
};

QString describe(QAccessibleInterface* node)
{
    const QObject* object = node->object();
    return QStringLiteral("%1 %2 (role %3)")
        .arg(object ? QString::fromLatin1(object->metaObject()->className()) : QStringLiteral("?"),
             object ? object->objectName() : QString())
        .arg(int(node->role()));
}

// Walks the visible part of the tree below `node`; records every control
// without a name and every window that is not announced as one.
void walk(QAccessibleInterface* node, QStringList& faults, QList<QAccessibleInterface*>& seen)
{
    if (!node || node->state().invisible || seen.contains(node))
        return;
    seen << node;
    const QString name = node->text(QAccessible::Name).trimmed();
    if (kControls.contains(node->role()) && name.isEmpty())
        faults << QStringLiteral("no name: ") + describe(node);
    if (const auto* widget = qobject_cast<const QWidget*>(node->object());
        widget && widget->isWindow() && !qobject_cast<const QMenu*>(widget) &&
        node->role() != QAccessible::Window)
        faults << QStringLiteral("a window without the window role: ") + describe(node);
    // A bordered frame reads as a window ("frame") on AT-SPI.
    if (node->role() == QAccessible::Border)
        faults << QStringLiteral("a frame announced like a window: ") + describe(node);
    for (int i = 0; i < node->childCount(); ++i)
        walk(node->child(i), faults, seen);
}

QStringList faultsBelow(QWidget* window)
{
    QStringList faults;
    QList<QAccessibleInterface*> seen;
    walk(QAccessible::queryAccessibleInterface(window), faults, seen);
    return faults;
}

void verifyNoFaults(const QStringList& faults)
{
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
}

// The accessible node of `object` found by walking down from `root`.
QAccessibleInterface* findInTree(QAccessibleInterface* root, const QObject* object)
{
    if (!root)
        return nullptr;
    if (root->object() == object)
        return root;
    for (int i = 0; i < root->childCount(); ++i) {
        if (QAccessibleInterface* found = findInTree(root->child(i), object))
            return found;
    }
    return nullptr;
}

// Presses a key where the keyboard focus of `window` is.
void press(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(window->focusWidget(), key, modifiers);
}

// Whether Tab, pressed at most `limit` times from where the focus is, brings
// the focus to `target`.
bool tabReaches(QWidget* window, QWidget* target, int limit = 20)
{
    for (int i = 0; i < limit; ++i) {
        if (window->focusWidget() == target)
            return true;
        press(window, Qt::Key_Tab);
    }
    return window->focusWidget() == target;
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void everyControlOfBothModesHasARoleAndAName()
    {
        TextWindows p(gbk::fromUnicode(QStringLiteral("名词")));
        Tmainfrm& w = *p.window;
        QAccessibleInterface* main = QAccessible::queryAccessibleInterface(&w);
        QCOMPARE(main->role(), QAccessible::Window);
        QCOMPARE(main->text(QAccessible::Name), QStringLiteral("Quorvane 2009.0106"));
        verifyNoFaults(faultsBelow(&w));
        QAccessibleInterface* player = findInTree(main, w.SWF1);
        QVERIFY(player);
        QCOMPARE(player->role(), QAccessible::Animation);
        QVERIFY(!player->text(QAccessible::Description).isEmpty());
        QAccessibleInterface* button = findInTree(main, w.SBfull);
        QCOMPARE(button->text(QAccessible::Name), QStringLiteral("全屏显示"));
        QVERIFY(!button->text(QAccessible::Description).isEmpty());

        w.SBword->click();
        QVERIFY(w.inTextMode());
        verifyNoFaults(faultsBelow(&w));
        QCOMPARE(findInTree(main, w.TB2)->text(QAccessible::Name), QStringLiteral("朗读速度"));
        QCOMPARE(findInTree(main, w.Memo1)->role(), QAccessible::EditableText);
    }

    void theStatusBarIsOneWithItsFourPanels()
    {
        TextWindows p(gbk::fromUnicode(QStringLiteral("名词")));
        Tmainfrm& w = *p.window;
        QAccessibleInterface* bar = findInTree(QAccessible::queryAccessibleInterface(&w), w.Sbar1);
        QVERIFY(bar);
        QCOMPARE(bar->role(), QAccessible::StatusBar);
        QStringList panels;
        for (int i = 0; i < bar->childCount(); ++i) {
            QCOMPARE(bar->child(i)->role(), QAccessible::StaticText);
            panels << bar->child(i)->text(QAccessible::Name);
        }
        QCOMPARE(panels.size(), StatusBar::kPanelCount);
        QCOMPARE(panels.at(0), QStringLiteral("动画教程"));
        QCOMPARE(panels.at(2), QStringLiteral("发音方式：中文"));
        // The bar sits below the client area, at the designed height.
        QCOMPARE(w.Sbar1->height(), StatusBar::kHeight);
        QCOMPARE(w.Sbar1->width(), Tmainfrm::kClientWidth);
        QCOMPARE(w.Sbar1->geometry().top(), w.centralWidget()->geometry().bottom() + 1);
    }

    void theFullScreenWindowsAreWindowsAndTheirMenusAreInTheTree()
    {
        TextWindows p(gbk::fromUnicode(QStringLiteral("名词")));
        Tmainfrm& w = *p.window;
        w.SBfull->click();
        Tflashfrm& flash = *p.flash;
        QVERIFY(QTest::qWaitForWindowExposed(&flash));
        QCOMPARE(QAccessible::queryAccessibleInterface(&flash)->role(), QAccessible::Window);
        verifyNoFaults(faultsBelow(&flash));
        flash.close();

        w.SBword->click();
        w.SBfull->click();
        Twordfrm& word = *p.word;
        QVERIFY(QTest::qWaitForWindowExposed(&word));
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&word);
        QCOMPARE(window->role(), QAccessible::Window);
        QAccessibleInterface* application = QAccessible::queryAccessibleInterface(qApp);
        QVERIFY(!findInTree(application, word.PopupMenu1));
        word.PopupMenu1->popup(word.mapToGlobal(QPoint(40, 40)));
        QVERIFY(QTest::qWaitForWindowExposed(word.PopupMenu1));
        QAccessibleInterface* menu = findInTree(application, word.PopupMenu1);
        QVERIFY(menu);
        QCOMPARE(menu->role(), QAccessible::PopupMenu);
        // Parent and child agree, so a reader can walk either way.
        QCOMPARE(menu->parent()->object(), qApp);
        QCOMPARE(application->child(application->indexOfChild(menu)), menu);
        // The way out of the window is there by its caption.
        QStringList items;
        for (int i = 0; i < menu->childCount(); ++i)
            items << menu->child(i)->text(QAccessible::Name);
        QVERIFY2(items.contains(QString(word.N5->text()).remove(u'&')),
                 qPrintable(items.join(u'|')));
        QStringList faults;
        QList<QAccessibleInterface*> seen;
        walk(menu, faults, seen);
        verifyNoFaults(faults);
        word.PopupMenu1->hide();
        QVERIFY(!findInTree(application, word.PopupMenu1));
        word.close();
    }

    void tabReachesTheTreeThePlayerAndThePaneAndCtrlTabLeavesThePane()
    {
        TextWindows p(gbk::fromUnicode(QStringLiteral("名词")));
        Tmainfrm& w = *p.window;
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.SBflash->setFocus();
        QVERIFY(tabReaches(&w, w.tv1));
        QVERIFY(tabReaches(&w, w.SWF1));

        w.SBword->click();
        w.SBword->setFocus();
        QVERIFY(tabReaches(&w, w.TV2));
        QVERIFY(tabReaches(&w, w.Memo1));
        // The pane keeps the tab key ...
        press(&w, Qt::Key_Tab);
        QCOMPARE(w.focusWidget(), w.Memo1);
        // ... and Ctrl+Tab, forwards or back, leaves it.
        press(&w, Qt::Key_Tab, Qt::ControlModifier);
        QVERIFY(w.focusWidget() != w.Memo1);
        QVERIFY(tabReaches(&w, w.Memo1));
        press(&w, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(w.focusWidget() != w.Memo1);
    }

    void theMainWindowKeepsItsDesignedSize()
    {
        TextWindows p(gbk::fromUnicode(QStringLiteral("名词")));
        Tmainfrm& w = *p.window;
        const QSize designed = w.size();
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QCOMPARE(w.centralWidget()->width(), Tmainfrm::kClientWidth);
        QCOMPARE(w.centralWidget()->height() + w.Sbar1->height(), Tmainfrm::kClientHeight);
        QCOMPARE(designed.height(), w.menuBar()->height() + Tmainfrm::kClientHeight);
        const Qt::WindowFlags flags = w.windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));

        // Neither a stretch nor a maximise changes it.
        w.resize(1200, 900);
        QCOMPARE(w.size(), designed);
        w.showMaximized();
        QTRY_VERIFY(!w.isMaximized());
        QTRY_COMPARE(w.size(), designed);
        QCOMPARE(w.GB2->geometry(), QRect(184, 38, 569, 430));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
