#include "LessonTreeView.h"
#include "Tmainfrm.h"
#include "text/LessonMemo.h"

#include <QMenuBar>
#include <QSlider>
#include <QToolButton>

namespace quorvane {

void Tmainfrm::describeControls()
{
    const auto describe = [](QWidget* control, const QString& name, const QString& description) {
        if (!name.isEmpty())
            control->setAccessibleName(name);
        control->setAccessibleDescription(description);
    };
    // Tool buttons are named by their captions; the description says what
    // a click does.
    describe(SBflash, {}, QStringLiteral("切换到动画教程：在课程目录中选一课观看动画"));
    describe(SBword, {}, QStringLiteral("切换到文字教程：阅读、朗读、保存和打印课文"));
    describe(SBfull, {}, QStringLiteral("全屏显示当前的动画或课文"));
    describe(SBstop, {}, QStringLiteral("暂停动画"));
    describe(Sbplay, {}, QStringLiteral("从暂停处继续播放动画"));
    describe(SBread, {}, QStringLiteral("朗读课文全文"));
    describe(SBprint, {}, QStringLiteral("停止朗读"));
    describe(SBexit, {}, QStringLiteral("退出 Quorvane"));
    describe(TB1, QStringLiteral("播放进度"), QStringLiteral("动画播放到的画面；移动它可跳到别处"));
    describe(TB2, QStringLiteral("朗读速度"),
             QStringLiteral("从 -10（最慢）到 10（最快），0 为正常"));
    describe(tv1, QStringLiteral("动画课程目录"), QStringLiteral("选中一课即播放它的动画"));
    describe(TV2, QStringLiteral("文字课程目录"), QStringLiteral("选中一课即显示它的课文"));
    describe(Memo1, QStringLiteral("课文"),
             QStringLiteral("当前课的课文，只读；Ctrl+Tab 离开课文"));
    describe(menuBar(), QStringLiteral("主菜单"), {});
    describe(PopupMenu1, QStringLiteral("课文菜单"), {});
    describe(PopupMenu2, QStringLiteral("动画菜单"), {});
}

} // namespace quorvane
