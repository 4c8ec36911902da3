#pragma once

#include "catalogue/AnimationLookup.h"
#include "catalogue/LessonDirectories.h"
#include "catalogue/LessonList.h"
#include "speech/SpeechVoice.h"
#include "text/PrintDialog.h"
#include "text/SaveDialog.h"
#include "text/Twordfrm.h"

#include <QMainWindow>
#include <QTimer>

#include <memory>

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QSlider;
class QToolButton;

namespace quorvane {

class HintStyle;
class LessonMemo;
class LessonTreeView;
class PaneSplitter;
class Platform;
class RightClickFilter;
class Tflashfrm;
class SpeechVoice;
class StatusBar;
class SWF1;

// The main window: the two lesson trees, the player and the text pane, the
// toolbar, menus and status bar, and the switch between animation mode
// (Panel1 visible) and text mode (Panel2 visible). There is no mode variable:
// the panels' visibility is the mode.
class Tmainfrm : public QMainWindow, private AnimationLessonHost, private TwordfrmHost {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 753;
    static constexpr int kClientHeight = 487;

    // Without a voice of its own the window speaks through espeak-ng.
    explicit Tmainfrm(Platform& platform, std::unique_ptr<SpeechVoice> voice = nullptr,
                      QWidget* parent = nullptr);
    ~Tmainfrm() override;

    // The full-screen windows, created after this one and kept for the run.
    void setFullScreenWindows(Tflashfrm* flashfrm, Twordfrm* wordfrm);

    bool inAnimationMode() const;
    bool inTextMode() const;

    // Shared state, read by the other windows and by tests.
    int CurrentLessonIndex() const { return m_currentLessonIndex; }
    int SavedFrame() const { return m_savedFrame; }
    bool PlaybackPaused() const { return m_playbackPaused; }
    const QByteArray& AnimationStatusText() const { return m_animationStatusText; }
    const LessonDirectories& directories() const { return m_directories; }
    const LessonList& lessonList() const { return m_lessonList; }
    QString aboutText() const;

    // Controls, by their designed names.
    QWidget* pltitle;
    QToolButton* SBflash;
    QToolButton* SBword;
    QToolButton* SBfull;
    QToolButton* SBstop;
    QToolButton* Sbplay;
    QToolButton* SBread;
    QToolButton* SBprint;
    QToolButton* SBexit;
    QLabel* lbl1;
    QSlider* TB1;
    QSlider* TB2;
    QGroupBox* GB1;
    LessonTreeView* tv1;
    LessonTreeView* TV2;
    PaneSplitter* Splitter1;
    QGroupBox* GB2;
    QFrame* Panel1;
    quorvane::SWF1* SWF1;
    QFrame* Panel2;
    LessonMemo* Memo1;
    StatusBar* Sbar1;
    QTimer Timer1;
    QTimer Timer2;
    SaveDialog SaveDialog1;
    PrintDialog PrintDialog1;

    QMenu* PopupMenu1;
    QMenu* PopupMenu2;
    // Main menu items; separators are unnamed.
    QAction *Nflash, *Nword, *Nexit;
    QAction *Nfstop, *Nfplay, *nfrplay, *Nflast, *Nnextflash, *Nfbig, *Nfsmall, *Nffull;
    QAction *Nwcopy, *Nwselectall, *Nwsave, *Nwprint, *Nfontset, *Ncolorset, *Nwfull;
    QAction *Nreadall, *Nreadselect, *Npausesp, *Nplaysp, *Nstopsp, *nreadchr;
    QAction *Nchsread, *N48, *N49, *N47, *N60, *N51, *N18, *N52, *N61;
    QAction *Nmail, *nhp, *Nhelp, *N7, *N19, *Nxyy, *N39;
    // Pop-up items.
    QAction *N8, *MenuItem1, *MenuItem2, *MenuItem3, *MenuItem4, *MenuItem6, *MenuItem7,
        *MenuItem9;
    QAction *N11, *N12, *N13, *N16, *N17, *N28, *N29, *N32;

    // Handlers.
    void FormShow();
    void FormResize();
    void Splitter1CanResize(int proposedLeftWidth);
    void Splitter1Moved();
    void SBflashClick();
    void SBwordClick();
    void SBexitClick();
    void TV1Change();
    void TV2Change();
    void Timer1Timer();
    void TB1Change();
    void Timer2Timer();
    void NhelpClick();
    void SBstopClick();
    void SbplayClick();
    void NfstopClick();
    void NfplayClick();
    void nfrplayClick();
    void NflastClick();
    void NnextflashClick();
    void NfbigClick();
    void NfsmallClick();
    void NffullClick();
    void SBfullClick();
    void SBreadClick();
    void NreadallClick();
    void NreadselectClick();
    void NstopspClick();
    void NpausespClick();
    void NplayspClick();
    void NchsreadClick();
    void N48Click();
    void N49Click();
    void N47Click();
    void N60Click();
    void N51Click();
    void N18Click();
    void N52Click();
    void N61Click();
    void TB2Change();
    void N7Click();
    void NwcopyClick();
    void NwselectallClick();
    void NwsaveClick();
    void NwprintClick();
    void NfontsetClick();
    void NcolorsetClick();
    void NwfullClick();
    void N8Click();
    void MenuItem1Click();
    void MenuItem2Click();
    void MenuItem3Click();
    void MenuItem4Click();
    void MenuItem6Click();
    void MenuItem7Click();
    void MenuItem9Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // A window manager that maximises even a window of fixed size is
    // answered by restoring it.
    void changeEvent(QEvent* event) override;

private:
    void createControls();
    void createToolbar();
    void createMenus();
    void createPopupMenus();
    // Names and descriptions for assistive technologies, which read no pixels.
    void describeControls();
    void connectHandlers();
    void connectPlaybackHandlers();
    void connectReadingHandlers();
    void connectTextHandlers();
    void openFullScreenText();
    // The window in front: dialogs asked for from the full-screen text
    // window must not belong to the hidden main window.
    QWidget* frontWindow();
    // Runs a voice command; a failure of the voice leaves it without effect.
    template <typename Command>
    void ignoringVoiceFailures(Command command);
    void continueFromFullScreen(int frame);
    void FormCreate();
    bool FormCloseQuery();
    void showAnimationModeControls();
    void layoutPanes(bool resizing);

    using Handler = void (Tmainfrm::*)();
    // Connects a handler through the general error handler.
    void onTriggered(QAction* action, Handler handler);
    void onClicked(QToolButton* button, Handler handler);

    // The animation lookup's steps, applied to this window and its player.
    void setLessonStatus(const QByteArray& text) override;
    void setCurrentLessonIndex(int flatIndex) override;
    void reportMissingLesson() override;
    void playMovie(const QString& path) override;
    void showAnimationMode() override;

    // What the full-screen text window borrows.
    SaveDialog& saveDialog() override { return SaveDialog1; }
    void performFontCommand() override;
    void performColorCommand() override;
    void showMainWindow() override;

    Platform& m_platform;
    std::unique_ptr<SpeechVoice> SpVoice1;
    Tflashfrm* m_flashfrm = nullptr;
    Twordfrm* m_wordfrm = nullptr;
    RightClickFilter* m_applicationEvents1 = nullptr;
    HintStyle* m_hints = nullptr;
    LessonDirectories m_directories;
    LessonList m_lessonList;
    int m_currentLessonIndex = 1;
    int m_savedFrame = 0;
    bool m_playbackPaused = false;
    bool m_centred = false; // placed in the middle of the screen when first shown
    QByteArray m_animationStatusText;
    QStringList m_memo2;
};

} // namespace quorvane
