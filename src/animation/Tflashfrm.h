#pragma once

#include <QWidget>

class QAction;
class QMenu;

namespace quorvane {

class Platform;
class RightClickFilter;
class SWF1;

// The full-screen animation window: created once at start-up, hidden between
// uses. The main window hands it the current movie and frame; every close
// request hands the frame reached back and is granted. Its player behaves as
// the main one does: the movie is heard, its links open through the platform
// and the keys go to the movie, the window keeping none of its own.
class Tflashfrm : public QWidget {
    Q_OBJECT

public:
    explicit Tflashfrm(Platform& platform, QWidget* parent = nullptr);
    ~Tflashfrm() override;

    QWidget* Panel1;
    quorvane::SWF1* SWF1;
    QMenu* PopupMenu1;
    QAction *N11, *N12, *N13, *N32;

    void N11Click();
    void N12Click();
    void N13Click();

signals:
    // The first steps of handing back: the main player goes on from frame.
    void handBack(int frame);
    // The last step: the main window is shown again.
    void mainWindowWanted();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void FormCloseQuery();

    RightClickFilter* m_applicationEvents1;
};

} // namespace quorvane
