#include "LessonTreeView.h"
#include "StatusBar.h"
#include "Tmainfrm.h"
#include "animation/RightClickFilter.h"
#include "animation/SWF1.h"
#include "animation/Tflashfrm.h"
#include "text/Twordfrm.h"
#include "platform/Gbk.h"
#include "platform/GeneralErrorHandler.h"

#include <QMenu>
#include <QSlider>
#include <QToolButton>

namespace quorvane {

void Tmainfrm::connectPlaybackHandlers()
{
    onClicked(SBstop, &Tmainfrm::SBstopClick);
    onClicked(Sbplay, &Tmainfrm::SbplayClick);
    onClicked(SBfull, &Tmainfrm::SBfullClick);
    onTriggered(Nfstop, &Tmainfrm::NfstopClick);
    onTriggered(Nfplay, &Tmainfrm::NfplayClick);
    onTriggered(nfrplay, &Tmainfrm::nfrplayClick);
    onTriggered(Nflast, &Tmainfrm::NflastClick);
    onTriggered(Nnextflash, &Tmainfrm::NnextflashClick);
    onTriggered(Nfbig, &Tmainfrm::NfbigClick);
    onTriggered(Nfsmall, &Tmainfrm::NfsmallClick);
    onTriggered(Nffull, &Tmainfrm::NffullClick);
    m_applicationEvents1 = new RightClickFilter(SWF1, PopupMenu2, this);
}

void Tmainfrm::setFullScreenWindows(Tflashfrm* flashfrm, Twordfrm* wordfrm)
{
    m_flashfrm = flashfrm;
    m_wordfrm = wordfrm;
    wordfrm->setHost(this);
    connect(flashfrm, &Tflashfrm::handBack, this,
            guarded(m_platform, [this](int frame) { continueFromFullScreen(frame); }));
    connect(flashfrm, &Tflashfrm::mainWindowWanted, this, [this] { showMainWindow(); });
}

void Tmainfrm::SBstopClick()
{
    if (SWF1->IsPlaying())
        SWF1->Stop();
    m_playbackPaused = true;
}

void Tmainfrm::SbplayClick()
{
    if (!SWF1->IsPlaying())
        SWF1->Play();
    m_playbackPaused = false;
}

void Tmainfrm::NfstopClick()
{
    if (inAnimationMode())
        SBstop->click();
}

void Tmainfrm::NfplayClick()
{
    if (inAnimationMode())
        Sbplay->click();
}

void Tmainfrm::nfrplayClick()
{
    if (inAnimationMode())
        SWF1->Rewind();
}

void Tmainfrm::NnextflashClick()
{
    if (!inAnimationMode() || SWF1->Movie().isEmpty())
        return;
    const int n = tv1->count();
    if (m_currentLessonIndex >= n - 1)
        m_currentLessonIndex = 0;
    if (tv1->hasChildren(m_currentLessonIndex + 1))
        ++m_currentLessonIndex;
    if (m_currentLessonIndex >= n)
        m_currentLessonIndex = 0;
    tv1->selectIndex(m_currentLessonIndex + 1);
}

void Tmainfrm::NflastClick()
{
    if (!inAnimationMode())
        return;
    const int k = m_currentLessonIndex;
    // Asking for the node before the first fails with the tree's index
    // error, before anything has changed.
    const int previous = tv1->hasChildren(k - 1) ? k - 2 : k - 1;
    m_currentLessonIndex = previous <= 0 ? tv1->count() - 1 : previous;
    tv1->selectIndex(m_currentLessonIndex);
}

void Tmainfrm::NfbigClick()
{
    if (inAnimationMode())
        SWF1->Zoom(80);
}

void Tmainfrm::NfsmallClick()
{
    if (inAnimationMode())
        SWF1->Zoom(125);
}

void Tmainfrm::NffullClick()
{
    if (inAnimationMode())
        SBfull->click();
}

void Tmainfrm::SBfullClick()
{
    if (inAnimationMode() && m_flashfrm) {
        m_flashfrm->showMaximized();
        if (!SWF1->Movie().isEmpty()) {
            quorvane::SWF1* fullScreen = m_flashfrm->SWF1;
            fullScreen->setMovie(SWF1->Movie());
            Timer1.stop();
            fullScreen->GotoFrame(TB1->value());
            fullScreen->Play();
            fullScreen->setMenu(false);
            SWF1->Rewind();
            SWF1->Stop();
            hide();
            fullScreen->Refresh();
            m_flashfrm->setWindowTitle(gbk::toUnicode(Sbar1->panelText(1)));
        }
    }
    if (inTextMode() && m_wordfrm)
        openFullScreenText();
}

void Tmainfrm::continueFromFullScreen(int frame)
{
    SWF1->GotoFrame(frame);
    SWF1->Play();
    Timer1.start();
}

} // namespace quorvane
