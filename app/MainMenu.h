#pragma once

#include <QObject>

#include <map>

class QAction;
class QMenuBar;
class QWidget;

namespace tav {

// The main menu built from its table (MenuCommands.h): every command as a QAction with its
// text, mnemonic, shortcut text, check mark and status-bar hint, plus the accelerator
// table on the frame. Items are disabled until a handler is there for them; a triggered
// item or accelerator is reported by its command id.
class MainMenu : public QObject {
    Q_OBJECT
public:
    // Fills `bar`; the accelerators are attached to `frame`.
    MainMenu(QMenuBar& bar, QWidget& frame);

    // The action of a menu item; null for an id without an item.
    QAction* Action(int id) const;
    bool IsEnabled(int id) const;
    void SetEnabled(int id, bool enabled);
    bool IsChecked(int id) const;
    void SetChecked(int id, bool checked);

signals:
    void command(int id);

private:
    void Dispatch(int id);

    std::map<int, QAction*> actions_;
};

} // namespace tav
