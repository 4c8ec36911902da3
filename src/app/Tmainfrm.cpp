#include "Tmainfrm.h"

#include "HelpText.h"
#include "HintStyle.h"
#include "LessonTreeView.h"
#include "PaneSplitter.h"
#include "StatusBar.h"
#include "TreeIcons.h"
#include "animation/SWF1.h"
#include "catalogue/LessonTrees.h"
#include "catalogue/MissingLessonBox.h"
#include "catalogue/TextLookup.h"
#include "platform/AccessibleRole.h"
#include "platform/Gbk.h"
#include "platform/GeneralErrorHandler.h"
#include "platform/Platform.h"
#include "speech/EspeakVoice.h"
#include "text/LessonMemo.h"
#include "text/TextLessonLoader.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSlider>
#include <QTime>
#include <QToolButton>
#include <QVBoxLayout>

namespace quorvane {

namespace {

const QString kAnimationMode = QStringLiteral("动画教程");
const QString kTextMode = QStringLiteral("文字教程");

QFont treeFont()
{
    // SimSun does not exist outside Windows; a Song-style face does the same
    // job, with a sans-serif CJK face behind it.
    QFont font;
    font.setFamilies({QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL UMing"),
                      QStringLiteral("宋体"), QStringLiteral("SimSun"),
                      QStringLiteral("WenQuanYi Micro Hei")});
    font.setPixelSize(16);
    return font;
}

void styleTree(LessonTreeView* tree)
{
    tree->setFont(treeFont());
    QPalette palette = tree->palette();
    palette.setColor(QPalette::Base, QColor(255, 255, 235));
    tree->setPalette(palette);
    tree->setStyleSheet(QStringLiteral("QTreeView::item:hover { color: #0000e0; }"));
}

// The child fills the panel inside its border, whatever size the panel takes.
void fill(QFrame* panel, QWidget* child)
{
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(child);
}

QFrame* whitePanel(QWidget* parent)
{
    auto* panel = new QFrame(parent);
    // A bordered frame would read as a nameless window.
    setAccessibleRole(panel, QAccessible::Pane);
    panel->setFrameShape(QFrame::Box);
    panel->setLineWidth(1);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, Qt::white);
    panel->setPalette(palette);
    return panel;
}

// The time of day in the system's long time format, without the time zone
// that Qt's long format adds.
QString longTimeOfDay()
{
    const QLocale locale = QLocale::system();
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return locale.toString(QTime::currentTime(), format.trimmed());
}

} // namespace

Tmainfrm::Tmainfrm(Platform& platform, std::unique_ptr<SpeechVoice> voice, QWidget* parent)
    : QMainWindow(parent), m_platform(platform),
      SpVoice1(voice ? std::move(voice) : std::make_unique<EspeakVoice>(platform))
{
    setObjectName(QStringLiteral("Tmainfrm"));
    setWindowTitle(QStringLiteral("Quorvane 2009.0106"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    setFont(font);
    // Its context menus are part of what a screen reader can find.
    setAccessibleRole(this, QAccessible::Window);
    createControls();
    createMenus();
    createPopupMenus();
    describeControls();
    connectHandlers();
    // The design's window is of one size: neither the learner nor the window
    // manager can stretch or maximise it (a fixed size is how the manager is
    // told).
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    FormResize();
    FormCreate();
}

Tmainfrm::~Tmainfrm() = default;

void Tmainfrm::createControls()
{
    // The client area above the status bar; the bar is the window's own.
    auto* client = new QWidget(this);
    client->setFixedSize(kClientWidth, kClientHeight - StatusBar::kHeight);
    setCentralWidget(client);

    pltitle = new QWidget(client);
    pltitle->setGeometry(0, 0, kClientWidth, 38);
    createToolbar();

    GB1 = new QGroupBox(client);
    GB1->setGeometry(0, 38, 180, 430);
    tv1 = new LessonTreeView(animationTree(), GB1);
    tv1->setObjectName(QStringLiteral("tv1"));
    tv1->move(7, 14);
    styleTree(tv1);
    TV2 = new LessonTreeView(textTree(), GB1);
    TV2->setObjectName(QStringLiteral("TV2"));
    TV2->setGeometry(8, 13, 160, 408);
    styleTree(TV2);
    TV2->hide();

    Splitter1 = new PaneSplitter(client);
    Splitter1->setGeometry(180, 38, 4, 430);

    GB2 = new QGroupBox(client);
    GB2->setGeometry(184, 38, 569, 430);
    Panel1 = whitePanel(GB2);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->move(7, 14);
    SWF1 = new quorvane::SWF1(Panel1);
    SWF1->setObjectName(QStringLiteral("SWF1"));
    SWF1->setPlatform(&m_platform);
    fill(Panel1, SWF1);
    Panel2 = whitePanel(GB2);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->move(7, 16);
    Panel2->hide();
    Memo1 = new LessonMemo(Panel2);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setFrameShape(QFrame::NoFrame);
    fill(Panel2, Memo1);

    Sbar1 = new StatusBar(this);
    setStatusBar(Sbar1);

    // The about text's lines, kept as the hidden holder kept them.
    m_memo2 = help::aboutLines();

    Timer1.setInterval(100);
    Timer2.setInterval(1000);
    Timer1.start();
    Timer2.start();
}

void Tmainfrm::createToolbar()
{
    auto button = [this](int left, const QString& caption, const char* name) {
        auto* tool = new QToolButton(pltitle);
        tool->setObjectName(QString::fromLatin1(name));
        tool->setText(caption);
        tool->setAutoRaise(true);
        tool->setGeometry(left, 2, 73, 34);
        tool->setCursor(Qt::PointingHandCursor);
        return tool;
    };
    SBflash = button(8, QStringLiteral("动画教程"), "SBflash");
    SBword = button(85, QStringLiteral("文字教程"), "SBword");
    SBfull = button(167, QStringLiteral("全屏显示"), "SBfull");
    SBstop = button(249, QStringLiteral("暂停播放"), "SBstop");
    Sbplay = button(327, QStringLiteral("继续播放"), "Sbplay");
    SBread = button(249, QStringLiteral("全文朗读"), "SBread");
    SBprint = button(327, QStringLiteral("停止朗读"), "SBprint");
    SBexit = button(631, QStringLiteral("退出系统"), "SBexit");
    SBread->hide();
    SBprint->hide();

    for (int left : {2, 161, 243, 403, 624}) {
        auto* separator = new QFrame(pltitle);
        separator->setFrameShape(QFrame::VLine);
        separator->setFrameShadow(QFrame::Sunken);
        separator->setGeometry(left, 2, 2, 34);
        setAccessibleRole(separator, QAccessible::Separator);
    }

    lbl1 = new QLabel(QStringLiteral("播放进度："), pltitle);
    lbl1->setGeometry(410, 14, 65, 15);
    TB1 = new QSlider(Qt::Horizontal, pltitle);
    TB1->setObjectName(QStringLiteral("TB1"));
    TB1->setGeometry(464, 8, 160, 23);
    TB1->setRange(0, 0);
    TB1->setTickPosition(QSlider::NoTicks);
    TB1->setToolTipDuration(HintStyle::kHintHidePause);
    TB2 = new QSlider(Qt::Horizontal, pltitle);
    TB2->setObjectName(QStringLiteral("TB2"));
    TB2->setGeometry(464, 7, 160, 23);
    TB2->setRange(-10, 10);
    TB2->setValue(0);
    TB2->setSingleStep(1);
    TB2->setPageStep(2);
    TB2->setTickPosition(QSlider::NoTicks);
    TB2->setToolTipDuration(HintStyle::kHintHidePause);
    TB2->hide();
}

void Tmainfrm::onTriggered(QAction* action, Handler handler)
{
    connect(action, &QAction::triggered, this,
            guarded(m_platform, [this, handler](bool) { (this->*handler)(); }));
}

void Tmainfrm::onClicked(QToolButton* button, Handler handler)
{
    connect(button, &QToolButton::clicked, this,
            guarded(m_platform, [this, handler](bool) { (this->*handler)(); }));
}

void Tmainfrm::connectHandlers()
{
    onClicked(SBflash, &Tmainfrm::SBflashClick);
    onClicked(SBword, &Tmainfrm::SBwordClick);
    onClicked(SBexit, &Tmainfrm::SBexitClick);
    // The menu items perform the buttons' clicks, so they behave alike.
    connect(Nflash, &QAction::triggered, SBflash, &QToolButton::click);
    connect(Nword, &QAction::triggered, SBword, &QToolButton::click);
    onTriggered(Nexit, &Tmainfrm::SBexitClick);
    onTriggered(Nhelp, &Tmainfrm::NhelpClick);
    const auto link = [this](QAction* action, QString (*address)()) {
        connect(action, &QAction::triggered, this,
                guarded(m_platform, [this, address](bool) { m_platform.openAddress(address()); }));
    };
    link(Nmail, &help::mailAddress);
    link(nhp, &help::homePage);
    link(N19, &help::forumPage);
    link(Nxyy, &help::pellandraPage);
    link(N39, &help::ostrevinPage);

    connectPlaybackHandlers();
    connectReadingHandlers();
    connectTextHandlers();
    connect(tv1, &LessonTreeView::selectedIndexChanged, this,
            guarded(m_platform, [this](int) { TV1Change(); }));
    connect(TV2, &LessonTreeView::selectedIndexChanged, this,
            guarded(m_platform, [this](int) { TV2Change(); }));
    connect(TB1, &QSlider::valueChanged, this, guarded(m_platform, [this](int) { TB1Change(); }));
    connect(&Timer1, &QTimer::timeout, this, guarded(m_platform, [this] { Timer1Timer(); }));
    connect(&Timer2, &QTimer::timeout, this, guarded(m_platform, [this] { Timer2Timer(); }));
    connect(Splitter1, &PaneSplitter::canResize, this,
            guarded(m_platform, [this](int proposed) { Splitter1CanResize(proposed); }));
    connect(Splitter1, &PaneSplitter::moved, this, guarded(m_platform, [this](int left) {
                GB1->setGeometry(0, GB1->y(), left, GB1->height());
                Splitter1->move(left, Splitter1->y());
                const int right = left + Splitter1->width();
                GB2->setGeometry(right, GB2->y(), kClientWidth - right, GB2->height());
                Splitter1Moved();
            }));
}

void Tmainfrm::FormCreate()
{
    m_directories = buildLessonDirectories(m_platform.windowsDirectory());
    m_savedFrame = 0;
    m_hints = installHintStyle();
    const QIcon chapter = chapterIcon();
    const QIcon lesson = lessonIcon();
    for (int node = 0; node < TV2->count(); ++node)
        TV2->item(node)->setIcon(0, TV2->tree().isChapter(node) ? chapter : lesson);
    // A list that cannot be read is reported; the program still comes up,
    // in animation mode with no lessons to find.
    runGuarded(m_platform, [this] {
        m_lessonList.load(m_directories.animationDir + QStringLiteral("list.txt"));
    });
    Nchsread->setChecked(true);
    Sbar1->setPanelText(2, gbk::fromUnicode(QStringLiteral("发音方式：中文")));
    tv1->selectIndex(1);
    SWF1->Play();
    SWF1->setMenu(false);
    TB1->setMaximum(SWF1->TotalFrames());
    showAnimationModeControls();
    m_currentLessonIndex = 1;
}

void Tmainfrm::FormShow()
{
    m_playbackPaused = false;
}

void Tmainfrm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (event->spontaneous())
        return;
    if (const QScreen* screen = this->screen(); screen && !m_centred) {
        m_centred = true;
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    runGuarded(m_platform, [this] { FormShow(); });
}

void Tmainfrm::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    const Qt::WindowStates stretched = Qt::WindowMaximized | Qt::WindowFullScreen;
    if (windowState() & stretched)
        setWindowState(windowState() & ~stretched);
}

bool Tmainfrm::inAnimationMode() const
{
    return !Panel1->isHidden();
}

bool Tmainfrm::inTextMode() const
{
    return !Panel2->isHidden();
}

void Tmainfrm::showAnimationModeControls()
{
    tv1->show();
    Panel1->show();
    TV2->hide();
    Panel2->hide();
    lbl1->setText(QStringLiteral("播放进度："));
    TB1->show();
    TB2->hide();
    SBread->hide();
    SBprint->hide();
    SBstop->show();
    Sbplay->show();
}

void Tmainfrm::SBflashClick()
{
    Timer1.start();
    Nstopsp->trigger();
    if (inAnimationMode())
        return;
    SWF1->GotoFrame(m_savedFrame);
    SWF1->Play();
    SWF1->setMenu(false);
    showAnimationModeControls();
    Sbar1->setPanelText(0, gbk::fromUnicode(kAnimationMode));
    Sbar1->setPanelText(1, m_animationStatusText);
}

void Tmainfrm::SBwordClick()
{
    Timer1.stop();
    if (inTextMode())
        return;
    TV2->show();
    Panel2->show();
    tv1->hide();
    Panel1->hide();
    lbl1->setText(QStringLiteral("朗读速度："));
    TB2->show();
    TB1->hide();
    SBread->show();
    SBprint->show();
    SBstop->hide();
    Sbplay->hide();
    m_savedFrame = SWF1->FrameNum();
    SWF1->Rewind();
    SWF1->Stop();
    TV2->selectIndex(0);
    Sbar1->setPanelText(1, TV2->tree().caption(TV2->selectedIndex()));
    Sbar1->setPanelText(0, gbk::fromUnicode(kTextMode));
}

void Tmainfrm::SBexitClick()
{
    close();
}

bool Tmainfrm::FormCloseQuery()
{
    if (!m_platform.question(this, QStringLiteral("确定退出系统吗？"), QStringLiteral("提示")))
        return false;
    // Silence first: the sound stream must not be torn down while it plays.
    NstopspClick();
    m_platform.endProgram(0);
    return true;
}

void Tmainfrm::closeEvent(QCloseEvent* event)
{
    bool mayClose = false;
    runGuarded(m_platform, [&] { mayClose = FormCloseQuery(); });
    if (mayClose)
        event->accept();
    else
        event->ignore();
}

void Tmainfrm::layoutPanes(bool resizing)
{
    const auto inside = [](const QWidget* box) {
        return QSize(std::max(0, box->width() - 15), std::max(0, box->height() - 21));
    };
    tv1->setGeometry(QRect(QPoint(7, 14), inside(GB1)));
    TV2->resize(inside(GB1));
    SWF1->Refresh();
    if (resizing)
        SWF1->setScale(QStringLiteral("ShowAll"));
    Panel1->resize(inside(GB2));
    Panel2->resize(inside(GB2));
    SWF1->Zoom(100);
}

void Tmainfrm::FormResize()
{
    layoutPanes(true);
}

void Tmainfrm::Splitter1CanResize(int)
{
    // Every proposed size is accepted; the panes follow the columns as they
    // stand until the drag ends.
    layoutPanes(false);
}

void Tmainfrm::Splitter1Moved()
{
    layoutPanes(false);
}

void Tmainfrm::TV1Change()
{
    const int selected = tv1->selectedIndex();
    if (selected < 0)
        return;
    runAnimationLookup(tv1->tree(), m_lessonList, m_directories.animationDir, selected, *this);
}

void Tmainfrm::TV2Change()
{
    const int selected = TV2->selectedIndex();
    if (selected < 0)
        return;
    Nstopsp->trigger();
    const TextLesson lesson = findTextLesson(TV2->tree(), m_directories.textDir, selected);
    Sbar1->setPanelText(1, lesson.statusText);
    loadTextLesson(lesson, *Memo1, m_platform, this);
}

void Tmainfrm::setLessonStatus(const QByteArray& text)
{
    Sbar1->setPanelText(1, text);
    m_animationStatusText = text;
}

void Tmainfrm::setCurrentLessonIndex(int flatIndex)
{
    m_currentLessonIndex = flatIndex;
}

void Tmainfrm::reportMissingLesson()
{
    askForMissingLesson(m_platform, this);
}

void Tmainfrm::playMovie(const QString& path)
{
    SWF1->setMovie(path);
    TB1->setMaximum(SWF1->TotalFrames());
    SWF1->Play();
    SWF1->setMenu(false);
}

void Tmainfrm::showAnimationMode()
{
    Sbar1->setPanelText(0, gbk::fromUnicode(kAnimationMode));
}

void Tmainfrm::Timer1Timer()
{
    TB1->setValue(SWF1->FrameNum());
}

void Tmainfrm::TB1Change()
{
    m_hints->setHintPause(0);
    SWF1->Stop();
    SWF1->GotoFrame(TB1->value());
    TB1->setToolTip(QString::number(TB1->value()));
    if (!m_playbackPaused)
        SWF1->Play();
}

void Tmainfrm::Timer2Timer()
{
    Sbar1->setPanelText(3, gbk::fromUnicode(QStringLiteral("当前时间是：") + longTimeOfDay()));
}

QString Tmainfrm::aboutText() const
{
    return m_memo2.join(QLatin1Char('\n'));
}

void Tmainfrm::NhelpClick()
{
    m_platform.notice(this, aboutText(), QStringLiteral("关于软件"));
}

} // namespace quorvane
