#pragma once

#include "commands/HistorySearch.h"
#include "commands/RecentWords.h"
#include "settings/ProfileOptions.h"
#include "term/InputHistory.h"
#include "term/TermServices.h"

#include <QLineEdit>

class QMenu;

#include <functional>
#include <optional>
#include <string>

namespace tav {

class TermSession;

// A paste of more lines than this asks before they are sent.
inline constexpr int kFewPasteLines = 3;

// The command input line under the terminal screen. Besides plain editing it walks the
// session's command history with Up and Down, sends the function-key macros (F1-F12) and
// the keypad direction words (Num Lock on; the typed digit is dropped), pages the main
// screen (Page Up/Down), holds it (Scroll Lock), and routes the program's shortcuts:
// Ctrl+A selects the whole terminal screen, Ctrl+C/V/F/P/T go to the frame as menu
// commands. Enter is reported with submitted(); the owner sends the line and then clears
// it or selects it. While the server echoes, typed characters show as '*'.
// While the line is not masked, Ctrl+R searches the history backwards as a shell does, and
// where the profile chose it, Tab completes the word before the cursor from the words
// lately shown on the screen (repeated Tabs cycle; with nothing to complete, or not chosen,
// Tab moves the keyboard on as a dialog's Tab does).
class tinedit : public QLineEdit, public InputLineControl {
    Q_OBJECT
public:
    // Menu commands of the main frame the input line passes on.
    static constexpr int kCmdCopy = 11851;
    static constexpr int kCmdSelectAll = 11852;
    static constexpr int kCmdPasteToMud = 11854;
    static constexpr int kCmdTriggers = 5606;
    static constexpr int kCmdProfiles = 11866;
    static constexpr int kCmdFunctionKeys = 11869;

    explicit tinedit(QWidget* parent = nullptr);
    ~tinedit() override;

    // The session whose history, function keys and keypad words the keys use; without
    // one those keys do nothing.
    void SetSession(TermSession* session) { session_ = session; }
    // Offered each key before the line's own handling; a true answer takes the key. The
    // find bar takes F3 and Escape this way while it is open.
    void SetKeyTaker(std::function<bool(const QKeyEvent&)> taker) { keyTaker_ = std::move(taker); }

    // --- InputLineControl ---------------------------------------------------------------
    // The typed line in the session's encoding (GameBytes).
    std::optional<std::string> ReadText() override;
    void SetMasked(bool masked) override;
    bool Masked() const { return echoMode() == QLineEdit::Password; }

    // The words Tab completes from; the owner adds the lines the screen completes.
    RecentWords& Words() { return words_; }
    void SetTabCompletion(bool on) { tabCompletion_ = on; }
    // Lines up to kLongInputChars characters, whose bytes are never cut; off, 254 bytes.
    void SetLongLines(bool on);
    // Ctrl+V, Shift+Insert and the line's menu put the clipboard into the line (PasteIntoLine)
    // instead of Ctrl+V sending it to the game.
    void SetPasteToInput(bool on) { pasteToInput_ = on; }
    // Inserts `text` at the cursor (over a selection) for editing. Each line a text of
    // several lines ends is entered as if typed and Enter pressed, more than
    // kFewPasteLines only after a Yes; what follows the last line break stays in the line.
    // A text with a line longer than the line holds is refused whole, said on the screen.
    // False when refused or not confirmed.
    bool PasteIntoLine(const QString& text);
    // The line's context menu; its Paste pastes as Ctrl+V does. The caller owns it.
    QMenu* MakeContextMenu();
    bool Searching() const { return search_.has_value(); }

signals:
    void submitted();             // Enter
    void pageRequested(bool up);  // Page Up (true) or Page Down (false)
    void selectScreenRequested(); // Ctrl+A: select the whole terminal screen
    void frameCommand(int id);    // Ctrl+C/V/F/P/T as the frame's menu command ids
    void beeped();                // walked back past the oldest slot
    // The history search's prompt as it changes; empty when the search ends.
    void searchPrompt(const QString& prompt);

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    // Leaving the line ends a history search, keeping the line found.
    void focusOutEvent(QFocusEvent* e) override;

private:
    // The frame command for a Ctrl+key shortcut, 0 when the key is none of them.
    static int ShortcutCommand(const QKeyEvent& e);
    bool HandleKey(const QKeyEvent& e);
    void WalkHistory(bool back);
    bool CompleteWord();
    void StartSearch();
    // A key while searching; false when it ends the search and is handled as usual.
    bool SearchKey(const QKeyEvent& e);
    void ShowSearch();
    void EndSearch();
    TextEncoding Encoding() const;

    TermSession* session_ = nullptr;
    std::function<bool(const QKeyEvent&)> keyTaker_;
    class MaskStyle;
    MaskStyle* maskStyle_ = nullptr;
    RecentWords words_;
    TabCompletion completion_;
    bool tabCompletion_ = false;
    std::size_t byteLimit_ = kMaxHistoryChars;
    bool pasteToInput_ = false;
    std::optional<HistorySearch> search_;
    QString textBeforeSearch_;
};

} // namespace tav
