#include "SWF1.h"

#include "platform/AccessibleRole.h"
#include "platform/Platform.h"
#include "player/avm1/ScriptHost.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <chrono>
#include <cstdio>

namespace quorvane {

namespace {

// Checked often enough that frame changes land within a few milliseconds of
// their time; the engine keeps the rhythm itself, so jitter here never adds up.
constexpr int kClockMilliseconds = 5;
// How far the sound is mixed ahead of what the output plays: enough to ride
// out a busy moment of the interface, little enough that the sound follows
// the pictures closely.
constexpr std::int64_t kSoundAheadFrames = player::kMixRate / 10;

// Flash's key codes for the keys that have no character of their own.
int flashKeyCode(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    default:
        break;
    }
    const int key = event.key();
    return key >= Qt::Key_0 && key <= Qt::Key_Z ? key : 0;
}

} // namespace

// What the movie's scripts say: addresses go to the platform's desktop, as
// the sound goes to its output; commands and halts to standard error.
class SWF1::ScriptBridge : public player::avm1::ScriptHost {
public:
    explicit ScriptBridge(SWF1& owner) : m_owner(owner) {}

    void openAddress(const std::string& address, const std::string&) override
    {
        if (m_owner.m_platform)
            m_owner.m_platform->openAddress(QString::fromStdString(address));
    }
    void fscommand(const std::string& command, const std::string& arguments) override
    {
        std::fprintf(stderr, "fscommand: %s %s\n", command.c_str(), arguments.c_str());
    }
    void scriptsHalted(const std::string& reason) override
    {
        std::fprintf(stderr, "quorvane: movie scripts halted: %s\n", reason.c_str());
    }

private:
    SWF1& m_owner;
};

SWF1::~SWF1() = default;

SWF1::SWF1(QWidget* parent) : QWidget(parent), m_scriptBridge(std::make_unique<ScriptBridge>(*this))
{
    m_player.setScriptHost(m_scriptBridge.get());
    setMouseTracking(true);
    // Tab reaches the movie too, for learners who answer its questions with
    // the keyboard.
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleRole(this, QAccessible::Animation);
    setAccessibleName(QStringLiteral("课件动画"));
    setAccessibleDescription(QStringLiteral("本课的动画课件；右击打开播放菜单"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_clock.setTimerType(Qt::PreciseTimer);
    m_clock.setInterval(kClockMilliseconds);
    connect(&m_clock, &QTimer::timeout, this, &SWF1::advance);
}

void SWF1::setPlatform(Platform* platform)
{
    m_output.reset();
    m_player.setPacedBySound(false);
    m_outputFailed = false;
    m_platform = platform;
}

void SWF1::setMovie(const QString& path)
{
    m_movie = path;
    m_clock.stop();
    silenceOutput();
    if (path.isEmpty()) {
        m_player.unload();
    } else if (auto failure = m_player.load(path.toStdString())) {
        std::fprintf(stderr, "quorvane: cannot play %s: %s\n", qPrintable(path), failure->c_str());
    } else {
        // Loading plays at once, as a Flash control set to play on load does.
        m_player.play();
    }
    m_zoom = 1.0;
    m_viewCentre = QRectF(QPointF(), m_player.stageSize()).center();
    restartClock();
    update();
}

int SWF1::FrameNum() const
{
    return m_player.isLoaded() ? m_player.currentFrame() : 0;
}

int SWF1::TotalFrames() const
{
    return m_player.isLoaded() ? m_player.totalFrames() : 0;
}

void SWF1::setScale(const QString& mode)
{
    if (mode.compare(QStringLiteral("ShowAll"), Qt::CaseInsensitive) == 0)
        Zoom(0);
}

void SWF1::Zoom(int percent)
{
    if (percent == 0) {
        m_zoom = 1.0;
        m_viewCentre = QRectF(QPointF(), m_player.stageSize()).center();
    } else if (percent > 0) {
        m_zoom *= 100.0 / percent;
    }
    update();
}

void SWF1::Play()
{
    m_player.play();
    restartClock();
}

void SWF1::Stop()
{
    m_player.stop();
}

void SWF1::Rewind()
{
    m_player.rewind();
    update();
}

void SWF1::GotoFrame(int frame)
{
    if (!m_player.isLoaded() || frame == m_player.currentFrame())
        return;
    m_player.gotoFrame(frame);
    update();
}

bool SWF1::IsPlaying() const
{
    return m_player.isPlaying();
}

void SWF1::Refresh()
{
    repaint();
}

QTransform SWF1::stageToWidget() const
{
    const QSizeF stage = m_player.stageSize();
    if (stage.isEmpty())
        return {};
    const double fit = std::min(width() / stage.width(), height() / stage.height());
    const double scale = fit * m_zoom;
    QTransform transform;
    transform.translate(width() / 2.0, height() / 2.0);
    transform.scale(scale, scale);
    transform.translate(-m_viewCentre.x(), -m_viewCentre.y());
    return transform;
}

void SWF1::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_player.isLoaded()) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    // Letterbox in the movie's own background colour.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    m_player.renderWhole(painter, stageToWidget());
}

void SWF1::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.setAccessibleName(QStringLiteral("播放器菜单"));
    if (m_menu) {
        menu.addAction(QStringLiteral("播放"), this, &SWF1::Play);
        menu.addAction(QStringLiteral("暂停"), this, &SWF1::Stop);
        menu.addAction(QStringLiteral("重新播放"), this, &SWF1::Rewind);
        menu.addSeparator();
    }
    menu.addAction(QStringLiteral("关于 Quorvane 动画播放器"))->setEnabled(false);
    menu.exec(event->globalPos());
}

void SWF1::advance()
{
    // A frame that changed nothing is not painted again.
    if (m_player.advanceTo(std::chrono::steady_clock::now()) && m_player.pictureChanged())
        update();
    feedSound();
    // A halted movie's event sounds still play to their end.
    if (!m_player.isPlaying() && m_player.isSilent())
        m_clock.stop();
}

void SWF1::restartClock()
{
    if ((m_player.isPlaying() || !m_player.isSilent()) && !m_clock.isActive())
        m_clock.start();
}

void SWF1::feedSound()
{
    if (!m_platform || m_outputFailed || (m_player.isSilent() && !m_output))
        return;
    if (!m_output) {
        m_output = m_platform->createAudioOutput({player::kMixRate, 2});
        if (!m_output) {
            // No sound device: the movie plays on without sound.
            m_outputFailed = true;
            return;
        }
        m_player.setPacedBySound(true);
    }
    if (m_player.isSilent())
        return;
    const std::int64_t wanted = kSoundAheadFrames - m_output->pendingFrames();
    if (wanted <= 0)
        return;
    m_soundBuffer.resize(std::size_t(wanted) * 2);
    m_player.mixAudio(m_soundBuffer);
    m_output->write(m_soundBuffer);
}

void SWF1::silenceOutput()
{
    if (m_output)
        m_output->stop();
}

void SWF1::mouseMoveEvent(QMouseEvent* event)
{
    m_player.mouseMove(stageToWidget().inverted().map(event->position()));
    update();
}

void SWF1::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_player.mouseMove(stageToWidget().inverted().map(event->position()));
    m_player.mouseDown();
    update();
}

void SWF1::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_player.mouseMove(stageToWidget().inverted().map(event->position()));
    m_player.mouseUp();
    update();
}

void SWF1::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    m_player.keyDown(flashKeyCode(*event), text.isEmpty() ? 0 : text.at(0).unicode());
    update();
}

void SWF1::keyReleaseEvent(QKeyEvent* event)
{
    const QString text = event->text();
    m_player.keyUp(flashKeyCode(*event), text.isEmpty() ? 0 : text.at(0).unicode());
    update();
}

} // namespace quorvane
