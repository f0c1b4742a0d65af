#include "app/MainMenu.h"
#include "settings/Latin1Text.h"

#include "app/MenuCommands.h"

#include <QAccessible>
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <vector>

namespace tav {

MainMenu::MainMenu(QMenuBar& bar, QWidget& frame) : QObject(&frame) {
    std::vector<QMenu*> open; // the popups being filled, innermost last
    for (const MenuEntry& entry : kMainMenu) {
        switch (entry.kind) {
        case MenuEntry::Kind::Popup: {
            QMenu* menu = open.empty() ? bar.addMenu(Latin1ToQString(entry.text))
                                       : open.back()->addMenu(Latin1ToQString(entry.text));
            // A pop-up is named by its item's words, which is how a screen reader calls it.
            menu->setWindowTitle(menu->title().remove(QLatin1Char('&')));
            open.push_back(menu);
            break;
        }
        case MenuEntry::Kind::End: open.pop_back(); break;
        case MenuEntry::Kind::Separator: open.back()->addSeparator(); break;
        case MenuEntry::Kind::Blank: bar.addAction(QString())->setEnabled(false); break;
        case MenuEntry::Kind::Item: {
            QAction* action = open.back()->addAction(Latin1ToQString(entry.text));
            action->setStatusTip(Latin1ToQString(entry.hint));
            action->setCheckable(entry.checkable);
            action->setChecked(entry.checked);
            action->setEnabled(false);
            int id = entry.id;
            connect(action, &QAction::triggered, this, [this, id] { Dispatch(id); });
            actions_[id] = action;
            break;
        }
        }
    }

    // Commands without a menu item (a toolbar button, the screen's pop-up menu) have an
    // action of their own too, so they are enabled and hinted like the others.
    for (const CommandHint& extra : kExtraHints) {
        auto* action = new QAction(this);
        action->setStatusTip(Latin1ToQString(extra.hint));
        action->setEnabled(false);
        int id = extra.id;
        connect(action, &QAction::triggered, this, [this, id] { emit command(id); });
        actions_[id] = action;
    }

    // The accelerator table. The shortcut stays off the menu items themselves, whose texts
    // already show it, so each key is bound once; a key does nothing while its item is
    // disabled.
    for (const MenuEntry& entry : kMainMenu) {
        if (entry.kind != MenuEntry::Kind::Item || entry.accel.empty()) continue;
        auto* accel = new QAction(&frame);
        accel->setShortcut(QKeySequence(Latin1ToQString(entry.accel), QKeySequence::PortableText));
        accel->setShortcutContext(Qt::WindowShortcut);
        int id = entry.id;
        connect(accel, &QAction::triggered, this, [this, id] {
            if (IsEnabled(id)) emit command(id);
        });
        frame.addAction(accel);
    }
}

void MainMenu::Dispatch(int id) {
    // A screen reader triggers a menu item through the accessibility bridge, which answers
    // it only once the action returns: a modal dialog run from here would hold the screen
    // reader until the dialog closes. While one listens, the command runs from the event
    // loop just after.
    if (!QAccessible::isActive()) return emit command(id);
    QMetaObject::invokeMethod(
        this, [this, id] { emit command(id); }, Qt::QueuedConnection);
}

QAction* MainMenu::Action(int id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

bool MainMenu::IsEnabled(int id) const {
    QAction* action = Action(id);
    return action != nullptr && action->isEnabled();
}

void MainMenu::SetEnabled(int id, bool enabled) {
    if (QAction* action = Action(id)) action->setEnabled(enabled);
}

bool MainMenu::IsChecked(int id) const {
    QAction* action = Action(id);
    return action != nullptr && action->isChecked();
}

void MainMenu::SetChecked(int id, bool checked) {
    if (QAction* action = Action(id)) action->setChecked(checked);
}

} // namespace tav
