#pragma once

#include <QListWidget>

namespace tav {

// A list of one of the server's indexes (boards, the messages of a board, help topics).
// It takes at most kMaxIndexEntries rows, and fills them in one go without repainting or
// measuring each, so a long index does not hold up the window.
//
// Each choice of the user is reported with chosen(): a row becoming selected (a click,
// the arrow keys), a double click, or Enter. Focus alone chooses nothing: tabbing into
// the list makes its first row current but selects nothing.
class IndexList : public QListWidget {
    Q_OBJECT
public:
    // name: the list's accessible name.
    IndexList(const QString& name, QWidget* parent);

    // Replaces the rows with the first kMaxIndexEntries texts. Filling is not choosing:
    // the list's signals are blocked meanwhile.
    void Fill(const QStringList& texts);
    // The selected row, or -1 when none is (the current row may only have the focus).
    int SelectedRow() const;

signals:
    void chosen(int row);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace tav
