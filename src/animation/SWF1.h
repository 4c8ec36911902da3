#pragma once

#include "platform/AudioOutput.h"
#include "player/Player.h"

#include <QPointF>
#include <QTimer>
#include <QWidget>
#include <memory>

namespace quorvane {

class Platform;

// The movie player as the windows see it: the operations of a Flash player
// control, by their names, over our own engine. Writing Movie loads a file;
// a file that cannot be loaded leaves the player empty (no frames) and the
// reason goes to standard error.
class SWF1 : public QWidget {
    Q_OBJECT

public:
    explicit SWF1(QWidget* parent = nullptr);
    ~SWF1() override;

    // Where the movie's sound is heard and its links (getURL of an http,
    // https or mailto address) are opened; without a platform the movie is
    // silent and its links go nowhere. The output opens when the movie first
    // makes a sound.
    void setPlatform(Platform* platform);

    QString Movie() const { return m_movie; }
    void setMovie(const QString& path);
    // 0-based; 0 while no movie is loaded.
    int FrameNum() const;
    int TotalFrames() const;
    bool Menu() const { return m_menu; }
    // With the menu off, the player's own right-click menu has no playback commands.
    void setMenu(bool enabled) { m_menu = enabled; }
    QString Scale() const { return QStringLiteral("ShowAll"); }
    // "ShowAll" is the one scale mode: the whole stage fitted, aspect kept.
    void setScale(const QString& mode);

    // Rescales the view by 100/percent around its centre; successive calls
    // compound, and 0 returns to the whole stage.
    void Zoom(int percent);
    void Play();
    void Stop();
    void Rewind();
    void GotoFrame(int frame);
    bool IsPlaying() const;
    void Refresh();

    // The current view scale relative to the whole stage fitted.
    double zoomFactor() const { return m_zoom; }
    const player::Player& engine() const { return m_player; }
    QTransform stageToWidget() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Mouse and keys go to the movie's buttons and scripts. Right presses
    // reach the main window's right-click filter before they get here.
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    class ScriptBridge;

    void advance();
    void restartClock();
    // Keeps the audio output a little ahead of what it plays.
    void feedSound();
    void silenceOutput();

    std::unique_ptr<ScriptBridge> m_scriptBridge;
    player::Player m_player;
    QString m_movie;
    bool m_menu = true;
    double m_zoom = 1.0;
    QPointF m_viewCentre; // stage point shown at the widget's centre
    QTimer m_clock;

    Platform* m_platform = nullptr;
    std::unique_ptr<AudioOutput> m_output;
    bool m_outputFailed = false;
    std::vector<std::int16_t> m_soundBuffer;
};

} // namespace quorvane
