#pragma once

#include <QObject>
#include <QPointer>

class QKeyEvent;
class QWidget;

namespace tav {

// Gives the keyboard back to the command input line whenever a dialog or tool window of
// the main window closes, so someone who cannot see the screen always knows where typing
// goes. Watches the hiding of every window whose parent is the main window (menus and
// tooltips excepted); while the main window is not active this only sets the widget that
// gets the focus when it is activated again. Escape that leaves the menu bar with the
// keyboard and nothing chosen gives the keyboard to the input line too.
class InputFocusReturn final : public QObject {
public:
    InputFocusReturn(QWidget& frame, QWidget& input);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WatchMenuBarEscape(QObject* watched, QKeyEvent* key);

    QWidget& frame_;
    QPointer<QWidget> input_;
};

} // namespace tav
