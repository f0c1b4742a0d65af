#pragma once

#include "windows/IndexList.h"

#include <initializer_list>
#include <utility>

class QMenu;

namespace tav {

// A list box of the boards window with its own context (right-button) menu: each item
// chosen there is reported with command() and its command id, unchanged, for the window
// to carry out. The right button opens the menu without changing the selection (a
// selection change is a request to the server).
class TMsgListBox : public IndexList {
    Q_OBJECT
public:
    // name: the list's accessible name; menu: the context menu's items and their ids.
    TMsgListBox(const QString& name, std::initializer_list<std::pair<QString, int>> menu,
                QWidget* parent);

    QMenu& ContextMenu() { return *menu_; }

signals:
    void command(int id);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QMenu* menu_;
};

} // namespace tav
