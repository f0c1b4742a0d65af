#include "windows/IndexList.h"

#include "client/MessageDecoder.h"

#include <QKeyEvent>
#include <QSignalBlocker>

namespace tav {

IndexList::IndexList(const QString& name, QWidget* parent) : QListWidget(parent) {
    setAccessibleName(name);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // One line of text each: the view lays out thousands of rows without measuring them.
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        if (const int row = SelectedRow(); row >= 0) emit chosen(row);
    });
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { emit chosen(row(item)); });
}

void IndexList::Fill(const QStringList& texts) {
    const QSignalBlocker blocker(this);
    setUpdatesEnabled(false);
    clear();
    addItems(texts.mid(0, static_cast<qsizetype>(kMaxIndexEntries)));
    setUpdatesEnabled(true);
}

int IndexList::SelectedRow() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : row(selected.front());
}

// Enter chooses the current row: selecting it reports the choice, and a row already
// selected is chosen again, as a double click does.
void IndexList::keyPressEvent(QKeyEvent* event) {
    QListWidgetItem* current = currentItem();
    if ((event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) || current == nullptr) {
        QListWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (current->isSelected())
        emit chosen(row(current));
    else
        setCurrentItem(current, QItemSelectionModel::ClearAndSelect);
}

} // namespace tav
