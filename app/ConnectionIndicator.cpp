#include "app/ConnectionIndicator.h"

#include <QPainter>

#include <algorithm>

namespace tav {

namespace {

constexpr int kPictureWidth = 20;
constexpr int kPictureHeight = 16;
constexpr int kBorder = 2;

const QColor kConnected(0, 170, 0);
const QColor kDisconnected(170, 0, 0);

} // namespace

ConnectionIndicator::ConnectionIndicator(Picture picture, QWidget* parent)
    : QWidget(parent), picture_(picture) {
    setFixedSize(sizeHint());
}

QSize ConnectionIndicator::sizeHint() const {
    return {kPictureWidth + 2 * kBorder, kPictureHeight + 2 * kBorder};
}

void ConnectionIndicator::SetImage(int image) {
    const int next = std::clamp(image, 0, 2);
    if (next == image_) return;
    image_ = next;
    update();
}

void ConnectionIndicator::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    // Embossed border: light on the top and left, dark on the bottom and right.
    QRect outer = rect().adjusted(0, 0, -1, -1);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(outer.topLeft(), outer.topRight());
    painter.drawLine(outer.topLeft(), outer.bottomLeft());
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(outer.bottomLeft(), outer.bottomRight());
    painter.drawLine(outer.topRight(), outer.bottomRight());

    QRect area = rect().adjusted(kBorder, kBorder, -kBorder, -kBorder);
    painter.setRenderHint(QPainter::Antialiasing);
    if (picture_ == Picture::Term)
        PaintTerm(painter, area);
    else
        PaintClient(painter, area);
}

void ConnectionIndicator::PaintTerm(QPainter& painter, const QRect& area) const {
    // A monitor whose screen shows a prompt line when connected and is dark otherwise.
    QRectF screen(area.left() + 2, area.top() + 1, area.width() - 4, area.height() - 5);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(image_ != 0 ? QColor(0, 40, 0) : QColor(60, 60, 60));
    painter.drawRoundedRect(screen, 2, 2);
    painter.fillRect(QRectF(area.center().x() - 3, area.bottom() - 3, 6, 3), Qt::darkGray);
    QColor lamp = image_ != 0 ? kConnected : kDisconnected;
    painter.setPen(QPen(lamp, 1.5));
    if (image_ != 0) {
        painter.drawLine(QPointF(screen.left() + 3, screen.top() + 3),
                         QPointF(screen.right() - 4, screen.top() + 3));
        painter.drawLine(QPointF(screen.left() + 3, screen.top() + 6),
                         QPointF(screen.left() + 7, screen.top() + 6));
    } else {
        QPointF c = screen.center();
        painter.drawLine(c + QPointF(-3, -3), c + QPointF(3, 3));
        painter.drawLine(c + QPointF(-3, 3), c + QPointF(3, -3));
    }
    if (image_ == 2) {
        // A small gold padlock in the screen's lower right corner.
        const QPointF corner(screen.right() - 6, screen.bottom() - 6);
        painter.setPen(QPen(QColor(230, 190, 40), 1.2));
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRectF(corner.x() + 0.5, corner.y() - 3, 4, 5), 0, 180 * 16);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(230, 190, 40));
        painter.drawRect(QRectF(corner.x(), corner.y(), 5, 4));
    }
}

void ConnectionIndicator::PaintClient(QPainter& painter, const QRect& area) const {
    // Two plugs: joined when connected, apart otherwise.
    QColor color = image_ != 0 ? kConnected : kDisconnected;
    int gap = image_ != 0 ? 0 : 4;
    qreal mid = area.center().y() + 0.5;
    qreal centre = area.center().x() + 0.5;
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    QRectF left(centre - 6 - gap / 2.0, mid - 4, 6, 8);
    QRectF right(centre + gap / 2.0, mid - 4, 6, 8);
    painter.drawRect(left);
    painter.drawRect(right);
    painter.setPen(QPen(Qt::black, 1.5));
    painter.drawLine(QPointF(area.left(), mid), QPointF(left.left(), mid));
    painter.drawLine(QPointF(right.right(), mid), QPointF(area.right() + 1, mid));
}

} // namespace tav
