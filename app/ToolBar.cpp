#include "app/ToolBar.h"

#include "app/MainMenu.h"
#include "app/MenuCommands.h"
#include "app/ToolBarIcons.h"

#include <QAction>
#include <QToolButton>

namespace tav {

namespace {

// The buttons in order; 0 is a narrow gap, -1 a wide one.
constexpr int kNarrowGap = 0;
constexpr int kWideGap = -1;
constexpr int kButtons[] = {
    kCmExit,        kNarrowGap,       kCmTermConnect,      kCmTermDisconnect,
    kWideGap,       kCmClientConnect, kCmClientDisconnect, kNarrowGap,
    kCmWho,         kCmOoc,           kCmEquipment,        kCmInventory,
    kCmIdentify,    kCmMudCom,        kCmMonitor,          kCmClientLog,
    kCmTriggers,    kCmBoards,        kCmServerHelp,       kNarrowGap,
    kCmScrollback,  kNarrowGap,       kCmTermFont,         kCmTextColor,
    kCmBkgndColor,  kCmConfig,        kNarrowGap,          kCmToggleHide,
    kCmIgnoreTrigs, kCmStopSound,     kNarrowGap,          kCmQuickConnect,
};

} // namespace

ToolBar::ToolBar(MainMenu& menu, QWidget* parent)
    : QToolBar(QStringLiteral("TavClient ToolBar"), parent) {
    setObjectName(QStringLiteral("ToolBar"));
    setAccessibleName(windowTitle());
    // The button that shows the buttons a narrow window cannot hold has no text of its own.
    if (auto* more = findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(QStringLiteral("More buttons"));
    QFont gadgets = font();
    gadgets.setPointSize(10);
    setFont(gadgets);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    // The bar's shown flag is the frame's, through the View menu.
    toggleViewAction()->setVisible(false);

    for (int id : kButtons) {
        if (id == kNarrowGap) {
            addSeparator();
            continue;
        }
        if (id == kWideGap) {
            addSeparator();
            auto* blank = new QWidget(this);
            blank->setFixedWidth(6);
            addWidget(blank);
            continue;
        }
        QAction* action = menu.Action(id);
        if (action == nullptr) continue;
        action->setIcon(ToolBarIcon(id));
        action->setIconVisibleInMenu(false);
        action->setToolTip(action->statusTip());
        addAction(action);
        if (QWidget* button = widgetForAction(action))
            button->setAccessibleName(action->statusTip());
    }
}

} // namespace tav
