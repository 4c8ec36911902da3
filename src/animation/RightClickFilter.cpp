#include "RightClickFilter.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

namespace quorvane {

RightClickFilter::RightClickFilter(QWidget* player, QMenu* popup, QObject* parent)
    : QObject(parent), m_player(player), m_popup(popup)
{
    qApp->installEventFilter(this);
}

RightClickFilter::~RightClickFilter()
{
    qApp->removeEventFilter(this);
}

bool RightClickFilter::isPlayerOrInside(QObject* object) const
{
    for (QObject* o = object; o; o = o->parent()) {
        if (o == m_player)
            return true;
    }
    return false;
}

bool RightClickFilter::isOverPlayer(const QPoint& globalPosition) const
{
    if (!m_player || !m_player->isVisible())
        return false;
    return isPlayerOrInside(QApplication::widgetAt(globalPosition));
}

bool RightClickFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        auto* press = static_cast<QMouseEvent*>(event);
        const QPoint at = press->globalPosition().toPoint();
        if (press->button() == Qt::RightButton && watched->isWidgetType() && isOverPlayer(at)) {
            m_popup->popup(at);
            return true;
        }
    } else if (event->type() == QEvent::ContextMenu) {
        // Qt follows a right press with a context-menu request of its own;
        // the press was answered already, so the player sees neither.
        auto* request = static_cast<QContextMenuEvent*>(event);
        if (request->reason() == QContextMenuEvent::Mouse && isPlayerOrInside(watched))
            return true;
    }
    return false;
}

} // namespace quorvane
