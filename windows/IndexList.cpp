#include "windows/IndexList.h"

#include "client/MessageDecoder.h"

#include <QSignalBlocker>

namespace tav {

IndexList::IndexList(const QString& name, QWidget* parent) : QListWidget(parent) {
    setAccessibleName(name);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // One line of text each: the view lays out thousands of rows without measuring them.
    setUniformItemSizes(true);
}

void IndexList::Fill(const QStringList& texts) {
    const QSignalBlocker blocker(this);
    setUpdatesEnabled(false);
    clear();
    addItems(texts.mid(0, static_cast<qsizetype>(kMaxIndexEntries)));
    setUpdatesEnabled(true);
}

} // namespace tav
