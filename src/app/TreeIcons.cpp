#include "TreeIcons.h"

#include <QPainter>
#include <QPixmap>

namespace quorvane {

namespace {

QPixmap blankIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

QIcon chapterIcon()
{
    QPixmap pixmap = blankIcon();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(20, 40, 120));
    painter.setBrush(QColor(40, 90, 200));
    painter.drawRoundedRect(QRectF(2.5, 1.5, 11, 13), 1.5, 1.5);
    painter.setPen(QPen(QColor(235, 235, 225), 1.5));
    painter.drawLine(QPointF(4.5, 2.5), QPointF(4.5, 13.5)); // the spine
    painter.setPen(QColor(220, 225, 245));
    painter.drawLine(QPointF(7, 5.5), QPointF(11.5, 5.5));
    painter.drawLine(QPointF(7, 7.5), QPointF(11.5, 7.5));
    return QIcon(pixmap);
}

QIcon lessonIcon()
{
    QPixmap pixmap = blankIcon();
    QPainter painter(&pixmap);
    painter.setPen(QColor(90, 90, 90));
    painter.setBrush(Qt::white);
    painter.drawRect(QRect(3, 1, 10, 14));
    painter.setPen(QColor(60, 100, 170));
    for (int y = 4; y <= 12; y += 2)
        painter.drawLine(5, y, y == 12 ? 9 : 11, y);
    return QIcon(pixmap);
}

} // namespace quorvane
