#include "windows/Divider.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>

namespace tav {

Divider::Divider(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), orientation_(orientation) {
    setCursor(Horizontal() ? Qt::SizeVerCursor : Qt::SizeHorCursor);
}

QRect Divider::Outline() const {
    return dragging_ && outline_ ? outline_->geometry() : QRect();
}

void Divider::PaintPattern(QPainter& painter, const QRect& area, const QPalette& palette) {
    painter.fillRect(area, palette.color(QPalette::Dark));
    painter.fillRect(area, QBrush(palette.color(QPalette::Light), Qt::Dense4Pattern));
}

void Divider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintPattern(painter, rect(), palette());
}

int Divider::AxisPos(const QMouseEvent& e) const {
    // Parent coordinates: the divider itself stays put during the drag.
    const QPoint p = mapToParent(e.position().toPoint());
    return Horizontal() ? p.y() : p.x();
}

QRect Divider::Shifted(int delta) const {
    return geometry().translated(Horizontal() ? QPoint(0, delta) : QPoint(delta, 0));
}

void Divider::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
    dragging_ = true;
    dragStart_ = AxisPos(*e);
    // Qt grabs the mouse for the pressed widget until the release.
    if (!outline_) outline_ = new QRubberBand(QRubberBand::Rectangle, parentWidget());
    outline_->setGeometry(geometry());
    outline_->raise();
    outline_->show();
}

void Divider::mouseMoveEvent(QMouseEvent* e) {
    if (!dragging_ || !outline_) return QWidget::mouseMoveEvent(e);
    outline_->setGeometry(Shifted(AxisPos(*e) - dragStart_));
}

void Divider::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !dragging_) return QWidget::mouseReleaseEvent(e);
    dragging_ = false;
    if (outline_) outline_->hide();
    const int delta = AxisPos(*e) - dragStart_;
    setGeometry(Shifted(delta));
    emit moved(delta);
}

} // namespace tav
