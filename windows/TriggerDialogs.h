#pragma once

#include "triggers/TriggerActions.h"

#include <QDialog>
#include <QListWidget>
#include <QWidget>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

class QLineEdit;
class QPlainTextEdit;

namespace tav {

class TTrigger;
class TriggerList;

// The two texts the trigger edit dialog works on: the pattern and the reaction, its lines
// ending in CR LF as the trigger list keeps them; and the trigger's further actions.
struct TriggerTexts {
    std::string pattern;
    std::string reaction;
    TriggerActions actions;
    // The Enabled state goes to every trigger of the actions' group.
    bool switchGroup = false;
};

class TriggerActionsBox;

// A list box with a context menu: a right click selects the line under the pointer and
// shows the menu; the chosen command goes to `command`.
class TMenuListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TMenuListBox(QWidget* parent = nullptr);

signals:
    void command(int id);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
};

// The modal trigger edit dialog over a TriggerTexts buffer. Run copies the buffer into the
// fields and returns Accepted (the fields copied back), Rejected or kDeleteResult. OK is
// refused with a message while a reaction line begins with '#', the reaction does not fit
// or a field holds a character Latin-1 lacks; the typed text stays for the user to change.
class ttrigedit : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDeleteResult = 9;

    ttrigedit(TriggerTexts& buffer, QWidget* parent);
    int Run();

    void done(int result) override;

private:
    TriggerTexts& buffer_;
    QLineEdit* pattern_;
    QPlainTextEdit* reaction_;
    TriggerActionsBox* actions_;
};

// The trigger list window: one line per trigger of the list, in the list's own order,
// each line tied to its trigger, with New, Edit (double click or context menu) and
// Delete. Every change is saved at once to the current profile's trigs.ndx and a failed
// save is reported. Closing only hides the window; the list itself is loaded with the
// profile, never by the window, so triggers whose save failed stay as they are.
class ttrigdlg : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCmDelete = 11846;
    static constexpr int kCmEdit = 11847;
    static constexpr int kCmNew = 11848;

    // profileName: the profile whose trigs.ndx is written; empty while none is loaded.
    ttrigdlg(TriggerList& triggers, std::function<std::string()> profileName, QWidget* owner);

    // Shows the window restored and raised when it is hidden; hides it when it is shown.
    void ToggleTriggerWindow();
    // Lists the triggers again (the list was loaded or changed elsewhere).
    void Refill();

    void NewTrigger();
    void EditSelectedTrigger();
    void DeleteSelectedTrigger();

    TMenuListBox& ListBox() { return *list_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The list position of the selected line's trigger, if a line is selected and its
    // trigger is still in the list.
    std::optional<std::size_t> SelectedPosition() const;
    void SaveAndRefill(std::optional<std::size_t> select);
    // Gives the trigger at `pos` the buffer's actions (and its group their Enabled state).
    std::optional<std::size_t> StoreActions(std::optional<std::size_t> pos);
    void OnCommand(int id);

    TriggerList& triggers_;
    std::function<std::string()> profileName_;
    TriggerTexts buffer_;
    TMenuListBox* list_;
    ttrigedit* edit_;
};

} // namespace tav
