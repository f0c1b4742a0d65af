#include "windows/MessageListBox.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

namespace tav {

TMsgListBox::TMsgListBox(const QString& name, std::initializer_list<std::pair<QString, int>> menu,
                         QWidget* parent)
    : IndexList(name, parent), menu_(new QMenu(this)) {
    for (const auto& [text, id] : menu) {
        QAction* action = menu_->addAction(text);
        connect(action, &QAction::triggered, this, [this, id = id] { emit command(id); });
    }
}

void TMsgListBox::contextMenuEvent(QContextMenuEvent* event) {
    menu_->popup(event->globalPos());
    event->accept();
}

void TMsgListBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QListWidget::mousePressEvent(event);
}

} // namespace tav
