#include "LessonTreeView.h"
#include "Tmainfrm.h"
#include "text/LessonMemo.h"

#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>

namespace quorvane {

namespace {

QAction* item(QMenu* menu, const QString& caption, const char* name)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace

void Tmainfrm::createMenus()
{
    QMenuBar* bar = menuBar();
    // Captions carry no access letters: a bare "&" would make one.
    QMenu* N1 = bar->addMenu(QStringLiteral("教学"));
    Nflash = item(N1, QStringLiteral("动画教学"), "Nflash");
    Nword = item(N1, QStringLiteral("文字教学"), "Nword");
    N1->addSeparator();
    Nexit = item(N1, QStringLiteral("退出系统"), "Nexit");

    QMenu* N2 = bar->addMenu(QStringLiteral("动画"));
    Nfstop = item(N2, QStringLiteral("暂停播放"), "Nfstop");
    Nfplay = item(N2, QStringLiteral("继续播放"), "Nfplay");
    nfrplay = item(N2, QStringLiteral("重新播放"), "nfrplay");
    N2->addSeparator();
    Nflast = item(N2, QStringLiteral("上一课"), "Nflast");
    Nnextflash = item(N2, QStringLiteral("下一课"), "Nnextflash");
    N2->addSeparator();
    Nfbig = item(N2, QStringLiteral("放大画面"), "Nfbig");
    Nfsmall = item(N2, QStringLiteral("缩小画面"), "Nfsmall");
    N2->addSeparator();
    Nffull = item(N2, QStringLiteral("全屏显示"), "Nffull");

    QMenu* N3 = bar->addMenu(QStringLiteral("文本"));
    Nwcopy = item(N3, QStringLiteral("复制"), "Nwcopy");
    Nwselectall = item(N3, QStringLiteral("全选"), "Nwselectall");
    Nwsave = item(N3, QStringLiteral("保存"), "Nwsave");
    Nwprint = item(N3, QStringLiteral("打印输出"), "Nwprint");
    N3->addSeparator();
    Nfontset = item(N3, QStringLiteral("字体设置"), "Nfontset");
    Ncolorset = item(N3, QStringLiteral("背景颜色"), "Ncolorset");
    N3->addSeparator();
    Nwfull = item(N3, QStringLiteral("全屏显示"), "Nwfull");

    QMenu* N4 = bar->addMenu(QStringLiteral("朗读"));
    Nreadall = item(N4, QStringLiteral("朗读全文"), "Nreadall");
    Nreadselect = item(N4, QStringLiteral("朗读选择区域"), "Nreadselect");
    N4->addSeparator();
    Npausesp = item(N4, QStringLiteral("暂停朗读"), "Npausesp");
    Nplaysp = item(N4, QStringLiteral("继续朗读"), "Nplaysp");
    Nstopsp = item(N4, QStringLiteral("停止朗读"), "Nstopsp");
    N4->addSeparator();
    nreadchr = item(N4, QStringLiteral("朗读符号"), "nreadchr");
    nreadchr->setCheckable(true);
    N4->addSeparator();
    QMenu* N43 = N4->addMenu(QStringLiteral("朗读方式"));
    Nchsread = item(N43, QStringLiteral("中文语音"), "Nchsread");
    Nchsread->setCheckable(true);
    QMenu* N45 = N4->addMenu(QStringLiteral("朗读音量"));
    N48 = item(N45, QStringLiteral("降低音量"), "N48");
    N49 = item(N45, QStringLiteral("增大音量"), "N49");
    N47 = item(N45, QStringLiteral("最大音量"), "N47");
    QMenu* N46 = N4->addMenu(QStringLiteral("朗读速度"));
    N60 = item(N46, QStringLiteral("最慢"), "N60");
    N51 = item(N46, QStringLiteral("减慢"), "N51");
    N18 = item(N46, QStringLiteral("正常"), "N18");
    N52 = item(N46, QStringLiteral("加快"), "N52");
    N61 = item(N46, QStringLiteral("最快"), "N61");

    QMenu* N5 = bar->addMenu(QStringLiteral("帮助"));
    Nmail = item(N5, QStringLiteral("给我写信"), "Nmail");
    nhp = item(N5, QStringLiteral("软件主页"), "nhp");
    Nhelp = item(N5, QStringLiteral("关于软件"), "Nhelp");
    N5->addSeparator();
    N7 = item(N5, QStringLiteral("安装中文语音库"), "N7");
    N19 = item(N5, QStringLiteral("Tellmark软件论坛"), "N19");
    QMenu* N35 = N5->addMenu(QStringLiteral("Tellmark学习软件"));
    Nxyy = item(N35, QStringLiteral("Pellandra"), "Nxyy");
    N39 = item(N35, QStringLiteral("Ostrevin"), "N39");
}

void Tmainfrm::createPopupMenus()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    N8 = item(PopupMenu1, QStringLiteral("自动换行"), "N8");
    N8->setCheckable(true);
    PopupMenu1->addSeparator();
    MenuItem1 = item(PopupMenu1, QStringLiteral("复制(&C)"), "MenuItem1");
    MenuItem2 = item(PopupMenu1, QStringLiteral("全选(&A)"), "MenuItem2");
    MenuItem3 = item(PopupMenu1, QStringLiteral("保存(&S)"), "MenuItem3");
    MenuItem4 = item(PopupMenu1, QStringLiteral("打印(&P)"), "MenuItem4");
    PopupMenu1->addSeparator();
    MenuItem6 = item(PopupMenu1, QStringLiteral("字体设置"), "MenuItem6");
    MenuItem7 = item(PopupMenu1, QStringLiteral("背景颜色"), "MenuItem7");
    PopupMenu1->addSeparator();
    MenuItem9 = item(PopupMenu1, QStringLiteral("全屏显示"), "MenuItem9");

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    N11 = item(PopupMenu2, QStringLiteral("暂停播放"), "N11");
    N12 = item(PopupMenu2, QStringLiteral("继续播放"), "N12");
    N13 = item(PopupMenu2, QStringLiteral("重新播放"), "N13");
    PopupMenu2->addSeparator();
    N16 = item(PopupMenu2, QStringLiteral("上一课"), "N16");
    N17 = item(PopupMenu2, QStringLiteral("下一课"), "N17");
    N28 = item(PopupMenu2, QStringLiteral("放大画面"), "N28");
    N29 = item(PopupMenu2, QStringLiteral("缩小画面"), "N29");
    PopupMenu2->addSeparator();
    N32 = item(PopupMenu2, QStringLiteral("全屏显示"), "N32");

    // Each pop-up item performs the click of its menu item, so that item's
    // own test of the mode applies.
    const std::pair<QAction*, QAction*> clicks[] = {
        {N11, Nfstop},     {N12, Nfplay}, {N13, nfrplay}, {N16, Nflast},
        {N17, Nnextflash}, {N28, Nfbig},  {N29, Nfsmall}, {N32, Nffull}};
    for (const auto& [popupItem, menuItem] : clicks)
        connect(popupItem, &QAction::triggered, menuItem, [item = menuItem] { item->trigger(); });

    for (QWidget* owner : {static_cast<QWidget*>(Panel1), static_cast<QWidget*>(Memo1)}) {
        owner->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(owner, &QWidget::customContextMenuRequested, this,
                [this, owner](const QPoint& at) { PopupMenu1->popup(owner->mapToGlobal(at)); });
    }
}

} // namespace quorvane
