#include "PaneSplitter.h"

#include <QMouseEvent>
#include <QRubberBand>

namespace quorvane {

PaneSplitter::PaneSplitter(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::SplitHCursor);
}

int PaneSplitter::snappedLeftWidth(int x, int totalWidth, int splitterWidth)
{
    const int widest = std::max(0, totalWidth - splitterWidth - kMinSize);
    const int left = std::min(x, widest);
    return left < kMinSize ? 0 : left;
}

int PaneSplitter::proposedWidth(const QMouseEvent* event) const
{
    const int x = mapToParent(event->position().toPoint()).x() - m_grabOffset;
    return snappedLeftWidth(x, parentWidget()->width(), width());
}

void PaneSplitter::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_grabOffset = event->position().toPoint().x();
    if (!m_line)
        m_line = new QRubberBand(QRubberBand::Line, parentWidget());
    m_line->setGeometry(geometry());
    m_line->show();
}

void PaneSplitter::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging)
        return;
    const int left = proposedWidth(event);
    m_line->setGeometry(left, y(), width(), height());
    emit canResize(left);
}

void PaneSplitter::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    m_line->hide();
    emit moved(proposedWidth(event));
}

} // namespace quorvane
