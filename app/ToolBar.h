#pragma once

#include <QToolBar>

namespace tav {

class MainMenu;

// "TavClient ToolBar": a dockable row of picture buttons, each issuing a command of the
// main menu. The buttons share the menu's actions, so a button is enabled, checked and
// hinted exactly as its menu item; its hint is also its tool tip and accessible name.
class ToolBar : public QToolBar {
    Q_OBJECT
public:
    ToolBar(MainMenu& menu, QWidget* parent);
};

} // namespace tav
