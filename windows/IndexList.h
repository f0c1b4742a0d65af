#pragma once

#include <QListWidget>

namespace tav {

// A list of one of the server's indexes (boards, the messages of a board, help topics).
// It takes at most kMaxIndexEntries rows, and fills them in one go without repainting or
// measuring each, so a long index does not hold up the window.
class IndexList : public QListWidget {
    Q_OBJECT
public:
    // name: the list's accessible name.
    IndexList(const QString& name, QWidget* parent);

    // Replaces the rows with the first kMaxIndexEntries texts. Filling is not choosing:
    // the list's signals are blocked meanwhile.
    void Fill(const QStringList& texts);
};

} // namespace tav
