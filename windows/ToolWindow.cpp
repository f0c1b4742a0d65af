#include "windows/ToolWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

namespace tav {

namespace {

// The tiled background: a quiet dark weave, drawn once.
const QPixmap& BackgroundTile() {
    static const QPixmap tile = [] {
        QPixmap p(8, 8);
        p.fill(QColor(0x30, 0x34, 0x3a));
        QPainter painter(&p);
        painter.setPen(QColor(0x3a, 0x3f, 0x46));
        for (int i = 0; i < 8; i += 2) {
            painter.drawPoint(i, i);
            painter.drawPoint((i + 4) % 8, i + 1);
        }
        return p;
    }();
    return tile;
}

} // namespace

ToolWindow::ToolWindow(const QString& caption, Rect& stored, QWidget* owner)
    : QWidget(owner, Qt::Window), stored_(stored) {
    setWindowTitle(caption);
    setAccessibleName(caption);
}

QPushButton* ToolWindow::MakeToolButton(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setAccessibleName(text);
    button->setAutoDefault(false);
    return button;
}

void ToolWindow::Toggle() {
    if (isVisible()) {
        hide();
        return;
    }
    showNormal();
    raise();
    activateWindow();
}

void ToolWindow::PlaceStored(bool topmost) {
    SetTopmost(topmost);
    QRect rect = WindowPlacement::ToQRect(stored_);
    if (rect.width() <= 0 || rect.height() <= 0) {
        // Never placed yet: its preferred size, just inside the owner's top left corner.
        const QPoint origin = parentWidget() != nullptr
                                  ? parentWidget()->frameGeometry().topLeft() + QPoint(40, 40)
                                  : QPoint(40, 40);
        rect = QRect(origin, sizeHint().expandedTo(minimumSizeHint()));
    }
    const bool before = testAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    placement_.Place(rect);
    setAttribute(Qt::WA_ShowWithoutActivating, before);
}

void ToolWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    hide();
}

void ToolWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ToolWindow::Record() {
    if (const std::optional<Rect> outer = placement_.OuterRect()) stored_ = *outer;
}

void ToolWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    placement_.Follow();
    Record();
}

void ToolWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placement_.Follow();
    Record();
}

void ToolWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QBrush(BackgroundTile()));
}

} // namespace tav
