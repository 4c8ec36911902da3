#include "Twordfrm.h"

#include "LessonMemo.h"
#include "SaveDialog.h"
#include "TextPrinting.h"
#include "TextSaver.h"
#include "platform/AccessibleRole.h"
#include "platform/GeneralErrorHandler.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QVBoxLayout>

namespace quorvane {

Twordfrm::Twordfrm(Platform& platform, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_platform(platform)
{
    setObjectName(QStringLiteral("Twordfrm"));
    setAccessibleRole(this, QAccessible::Window);
    setWindowTitle(QStringLiteral("文字教程"));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    setAccessibleRole(Panel1, QAccessible::Pane);
    Panel1->setFrameShape(QFrame::Box);
    Panel1->setLineWidth(1);
    Panel1->setAutoFillBackground(true);
    QPalette white = Panel1->palette();
    white.setColor(QPalette::Window, Qt::white);
    Panel1->setPalette(white);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Panel1);

    Memo1 = new LessonMemo(Panel1);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setAccessibleName(QStringLiteral("课文"));
    Memo1->setAccessibleDescription(QStringLiteral("全屏显示的课文；右击打开菜单，可退出全屏"));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(16);
    Memo1->setFont(font);
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->setContentsMargins(1, 1, 1, 1);
    panelLayout->addWidget(Memo1);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->setAccessibleName(QStringLiteral("课文菜单"));
    const auto item = [this](const QString& caption, const char* name,
                             void (Twordfrm::*handler)()) {
        QAction* action = PopupMenu1->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this,
                guarded(m_platform, [this, handler] { (this->*handler)(); }));
        return action;
    };
    N1 = item(QStringLiteral("复制(&C)"), "N1", &Twordfrm::N1Click);
    N2 = item(QStringLiteral("全选(&A)"), "N2", &Twordfrm::N2Click);
    N3 = item(QStringLiteral("保存(&S)"), "N3", &Twordfrm::N3Click);
    N4 = item(QStringLiteral("打印(&P)"), "N4", &Twordfrm::N4Click);
    PopupMenu1->addSeparator();
    N8 = item(QStringLiteral("字体设置"), "N8", &Twordfrm::N8Click);
    N9 = item(QStringLiteral("背景颜色"), "N9", &Twordfrm::N9Click);
    PopupMenu1->addSeparator();
    N5 = item(QStringLiteral("退出(&E)"), "N5", &Twordfrm::N5Click);
    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Memo1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(Memo1->mapToGlobal(at)); });

    // Its restored bounds are the whole screen too, so it fills the screen
    // where no window manager maximises it.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(QRect(QPoint(0, 0), screen->size()));
    setWindowState(Qt::WindowMaximized);
}

Twordfrm::~Twordfrm() = default;

void Twordfrm::N1Click()
{
    Memo1->copy();
}

void Twordfrm::N2Click()
{
    Memo1->selectAll();
}

void Twordfrm::N3Click()
{
    if (!m_host)
        return;
    const std::optional<QString> name = m_host->saveDialog().execute(m_platform, this);
    if (!name)
        return;
    saveTextFile(withTxtExtension(*name), Memo1->text());
}

void Twordfrm::N4Click()
{
    printPaneText(*Memo1, PrintDialog1, m_platform, this,
                  {QStringLiteral("请确认您的电脑已安装了打印机"), QStringLiteral("Quorvane")});
}

void Twordfrm::N8Click()
{
    if (m_host)
        m_host->performFontCommand();
}

void Twordfrm::N9Click()
{
    if (m_host)
        m_host->performColorCommand();
}

void Twordfrm::N5Click()
{
    close();
}

void Twordfrm::FormCloseQuery()
{
    if (m_host)
        m_host->showMainWindow();
}

void Twordfrm::closeEvent(QCloseEvent* event)
{
    runGuarded(m_platform, [this] { FormCloseQuery(); });
    event->accept();
}

} // namespace quorvane
