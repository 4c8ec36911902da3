#pragma once

#include "PrintDialog.h"

#include <QWidget>

class QAction;
class QFrame;
class QMenu;

namespace quorvane {

class LessonMemo;
class Platform;
class SaveDialog;

// What the full-screen text window borrows from the main window.
class TwordfrmHost {
public:
    // The main window's SaveDialog1.
    virtual SaveDialog& saveDialog() = 0;
    // The main window's font and colour commands, which restyle both panes.
    virtual void performFontCommand() = 0;
    virtual void performColorCommand() = 0;
    virtual void showMainWindow() = 0;

protected:
    ~TwordfrmHost() = default;
};

// The full-screen text window: created once at start-up, hidden between
// uses; it shows a copy of the main pane's lesson in a larger font while the
// main window is hidden, and every road to closing brings the main window
// back.
class Twordfrm : public QWidget {
    Q_OBJECT

public:
    explicit Twordfrm(Platform& platform, QWidget* parent = nullptr);
    ~Twordfrm() override;

    // Until a host is given, the commands that borrow from it do nothing.
    void setHost(TwordfrmHost* host) { m_host = host; }

    QFrame* Panel1;
    LessonMemo* Memo1;
    QMenu* PopupMenu1;
    QAction *N1, *N2, *N3, *N4, *N8, *N9, *N5;
    PrintDialog PrintDialog1;

    void N1Click();
    void N2Click();
    void N3Click();
    void N4Click();
    void N8Click();
    void N9Click();
    void N5Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCloseQuery();

    Platform& m_platform;
    TwordfrmHost* m_host = nullptr;
};

} // namespace quorvane
