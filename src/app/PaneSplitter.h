#pragma once

#include <QWidget>

class QRubberBand;

namespace quorvane {

// Splitter1: a vertical bar between the two columns. While it is dragged
// only a line follows the mouse; the columns change on release. Each side
// keeps at least kMinSize pixels, and a left column dragged below that is
// closed completely.
class PaneSplitter : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMinSize = 30;

    explicit PaneSplitter(QWidget* parent = nullptr);

    // The left column's new width for a drag that ends at x (in the parent's
    // coordinates), given the band's total width.
    static int snappedLeftWidth(int x, int totalWidth, int splitterWidth);

signals:
    // At every move of a drag, with the width it would give.
    void canResize(int proposedLeftWidth);
    // Once, on release.
    void moved(int newLeftWidth);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int proposedWidth(const QMouseEvent* event) const;

    QRubberBand* m_line = nullptr;
    int m_grabOffset = 0;
    bool m_dragging = false;
};

} // namespace quorvane
