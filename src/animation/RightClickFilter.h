#pragma once

#include <QObject>
#include <QPointer>

class QMenu;

namespace quorvane {

// Sees every event of the application before it is delivered. A right-button
// press over the visible player opens the window's own pop-up menu at the
// cursor instead, and the player never receives it; everything else passes.
class RightClickFilter : public QObject {
    Q_OBJECT

public:
    RightClickFilter(QWidget* player, QMenu* popup, QObject* parent = nullptr);
    ~RightClickFilter() override;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isOverPlayer(const QPoint& globalPosition) const;
    bool isPlayerOrInside(QObject* object) const;

    QPointer<QWidget> m_player;
    QMenu* m_popup;
};

} // namespace quorvane
