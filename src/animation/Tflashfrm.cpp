#include "Tflashfrm.h"

#include "RightClickFilter.h"
#include "SWF1.h"
#include "platform/AccessibleRole.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QVBoxLayout>

namespace quorvane {

Tflashfrm::Tflashfrm(Platform& platform, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Tflashfrm"));
    setAccessibleRole(this, QAccessible::Window);
    setWindowTitle(QStringLiteral("动画教程"));
    resize(536, 348);

    Panel1 = new QWidget(this);
    Panel1->setAutoFillBackground(true);
    QPalette white = Panel1->palette();
    white.setColor(QPalette::Window, Qt::white);
    Panel1->setPalette(white);
    SWF1 = new quorvane::SWF1(Panel1);
    SWF1->setObjectName(QStringLiteral("SWF1"));
    SWF1->setPlatform(&platform);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Panel1);
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->setContentsMargins(1, 1, 1, 1);
    panelLayout->addWidget(SWF1);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setAccessibleName(QStringLiteral("动画菜单"));
    N11 = PopupMenu1->addAction(QStringLiteral("暂停播放"), this, &Tflashfrm::N11Click);
    N12 = PopupMenu1->addAction(QStringLiteral("继续播放"), this, &Tflashfrm::N12Click);
    N13 = PopupMenu1->addAction(QStringLiteral("重新播放"), this, &Tflashfrm::N13Click);
    PopupMenu1->addSeparator();
    N32 = PopupMenu1->addAction(QStringLiteral("退出全屏"), this, &QWidget::close);
    m_applicationEvents1 = new RightClickFilter(SWF1, PopupMenu1, this);
    FormCreate();
}

Tflashfrm::~Tflashfrm() = default;

void Tflashfrm::FormCreate()
{
    // Its restored bounds are the whole screen too.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(QRect(QPoint(0, 0), screen->size()));
    setWindowState(Qt::WindowMaximized);
}

void Tflashfrm::N11Click()
{
    if (SWF1->IsPlaying())
        SWF1->Stop();
}

void Tflashfrm::N12Click()
{
    if (!SWF1->IsPlaying())
        SWF1->Play();
}

void Tflashfrm::N13Click()
{
    SWF1->Rewind();
}

void Tflashfrm::FormCloseQuery()
{
    const int frame = SWF1->FrameNum();
    emit handBack(frame);
    SWF1->Rewind();
    SWF1->Stop();
    emit mainWindowWanted();
}

void Tflashfrm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Keys the movie listens for reach it without a click first.
    SWF1->setFocus(Qt::ActiveWindowFocusReason);
}

void Tflashfrm::closeEvent(QCloseEvent* event)
{
    FormCloseQuery();
    event->accept();
}

} // namespace quorvane
