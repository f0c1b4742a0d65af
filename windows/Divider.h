#pragma once

#include <QPointer>
#include <QWidget>

class QPainter;
class QRubberBand;

namespace tav {

// A draggable divider between the MultiScreen panes: a horizontal divider moves up and
// down, a vertical one left and right. While the left button drags it only an outline
// follows the mouse; on release the divider moves by the distance dragged (no limit) and
// reports it with moved(), after which the owner lays the window out again.
class Divider : public QWidget {
    Q_OBJECT
public:
    Divider(Qt::Orientation orientation, QWidget* parent);

    bool Horizontal() const { return orientation_ == Qt::Horizontal; }
    bool Dragging() const { return dragging_; }
    // The outline being dragged, in the parent's coordinates; empty when not dragging.
    QRect Outline() const;

    // The pattern dividers and the main window's background are painted with.
    static void PaintPattern(QPainter& painter, const QRect& area, const QPalette& palette);

signals:
    void moved(int delta);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    int AxisPos(const QMouseEvent& e) const;
    QRect Shifted(int delta) const;

    Qt::Orientation orientation_;
    bool dragging_ = false;
    int dragStart_ = 0;
    QPointer<QRubberBand> outline_;
};

} // namespace tav
