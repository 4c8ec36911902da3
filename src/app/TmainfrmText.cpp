#include "StatusBar.h"
#include "Tmainfrm.h"
#include "platform/Gbk.h"
#include "platform/Platform.h"
#include "text/LessonMemo.h"
#include "text/TextPrinting.h"
#include "text/TextSaver.h"
#include "text/Twordfrm.h"

#include <QToolButton>

namespace quorvane {

void Tmainfrm::connectTextHandlers()
{
    onTriggered(Nwcopy, &Tmainfrm::NwcopyClick);
    onTriggered(Nwselectall, &Tmainfrm::NwselectallClick);
    onTriggered(Nwsave, &Tmainfrm::NwsaveClick);
    onTriggered(Nwprint, &Tmainfrm::NwprintClick);
    onTriggered(Nfontset, &Tmainfrm::NfontsetClick);
    onTriggered(Ncolorset, &Tmainfrm::NcolorsetClick);
    onTriggered(Nwfull, &Tmainfrm::NwfullClick);
    onTriggered(N8, &Tmainfrm::N8Click);
    onTriggered(MenuItem1, &Tmainfrm::MenuItem1Click);
    onTriggered(MenuItem2, &Tmainfrm::MenuItem2Click);
    onTriggered(MenuItem3, &Tmainfrm::MenuItem3Click);
    onTriggered(MenuItem4, &Tmainfrm::MenuItem4Click);
    onTriggered(MenuItem6, &Tmainfrm::MenuItem6Click);
    onTriggered(MenuItem7, &Tmainfrm::MenuItem7Click);
    onTriggered(MenuItem9, &Tmainfrm::MenuItem9Click);
}

QWidget* Tmainfrm::frontWindow()
{
    if (isHidden() && m_wordfrm && m_wordfrm->isVisible())
        return m_wordfrm;
    return this;
}

void Tmainfrm::NwcopyClick()
{
    if (inTextMode())
        Memo1->copy();
}

void Tmainfrm::NwselectallClick()
{
    if (inTextMode())
        Memo1->selectAll();
}

void Tmainfrm::NwsaveClick()
{
    if (!inTextMode())
        return;
    const std::optional<QString> name = SaveDialog1.execute(m_platform, this);
    if (!name)
        return;
    saveTextFile(withTxtAppended(*name), Memo1->text());
}

void Tmainfrm::NwprintClick()
{
    printPaneText(*Memo1, PrintDialog1, m_platform, this,
                  {QStringLiteral("您的电脑未安装打印机！"), QStringLiteral("错误")});
}

void Tmainfrm::NfontsetClick()
{
    if (!inTextMode())
        return;
    // A font dialog speaks in points; the designed pane font is set in pixels.
    FontChoice current = Memo1->fontChoice();
    current.font = pointSizedFont(current.font, Memo1->logicalDpiY());
    const std::optional<FontChoice> chosen = m_platform.chooseFont(frontWindow(), current);
    if (!chosen)
        return;
    Memo1->setFontChoice(*chosen);
    if (m_wordfrm)
        m_wordfrm->Memo1->setFontChoice(*chosen);
}

void Tmainfrm::NcolorsetClick()
{
    if (!inTextMode())
        return;
    const std::optional<QColor> colour = m_platform.chooseColor(frontWindow(), Memo1->color());
    if (!colour)
        return;
    Memo1->setColor(*colour);
    if (m_wordfrm)
        m_wordfrm->Memo1->setColor(*colour);
}

void Tmainfrm::NwfullClick()
{
    if (inTextMode())
        SBfull->click();
}

void Tmainfrm::N8Click()
{
    // The check mark stands for "not wrapping"; a checkable menu item has
    // already flipped it by the time this runs, so the pane's state decides.
    const bool wrapping = Memo1->scrollBars() == LessonMemo::ScrollBars::Vertical;
    Memo1->setScrollBars(wrapping ? LessonMemo::ScrollBars::Both
                                  : LessonMemo::ScrollBars::Vertical);
    N8->setChecked(wrapping);
}

void Tmainfrm::MenuItem1Click()
{
    Memo1->copy();
}

void Tmainfrm::MenuItem2Click()
{
    Memo1->selectAll();
}

void Tmainfrm::MenuItem3Click()
{
    const std::optional<QString> name = SaveDialog1.execute(m_platform, this);
    if (!name)
        return;
    saveTextFile(withTxtExtension(*name), Memo1->text());
}

void Tmainfrm::MenuItem4Click()
{
    Nwprint->trigger();
}

void Tmainfrm::MenuItem6Click()
{
    Nfontset->trigger();
}

void Tmainfrm::MenuItem7Click()
{
    Ncolorset->trigger();
}

void Tmainfrm::MenuItem9Click()
{
    Nwfull->trigger();
}

void Tmainfrm::openFullScreenText()
{
    m_wordfrm->setWindowTitle(gbk::toUnicode(Sbar1->panelText(1)));
    m_wordfrm->Memo1->setText(Memo1->text());
    m_wordfrm->showMaximized();
    m_wordfrm->raise();
    m_wordfrm->activateWindow();
    hide();
}

void Tmainfrm::performFontCommand()
{
    Nfontset->trigger();
}

void Tmainfrm::performColorCommand()
{
    Ncolorset->trigger();
}

void Tmainfrm::showMainWindow()
{
    show();
    raise();
    activateWindow();
}

} // namespace quorvane
