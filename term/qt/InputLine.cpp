#include "term/qt/InputLine.h"

#include "screen/qt/GameText.h"
#include "settings/Latin1Text.h"
#include "term/TermSession.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QProxyStyle>

#include <memory>

namespace tav {

// Shows '*' for each masked character, at once, whatever the platform's own choice.
class tinedit::MaskStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return '*';
        if (hint == SH_LineEdit_PasswordMaskDelay) return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

tinedit::tinedit(QWidget* parent) : QLineEdit(parent) {
    maskStyle_ = new MaskStyle;
    maskStyle_->setParent(this);
    setStyle(maskStyle_);
    setMaxLength(static_cast<int>(kMaxHistoryChars));
}

tinedit::~tinedit() = default;

TextEncoding tinedit::Encoding() const {
    return session_ ? session_->Encoding() : TextEncoding::SevenBit;
}

void tinedit::SetLongLines(bool on) {
    byteLimit_ = on ? kLongInputBytes : kMaxHistoryChars;
    setMaxLength(static_cast<int>(on ? kLongInputChars : kMaxHistoryChars));
}

std::optional<std::string> tinedit::ReadText() {
    // The game's bytes, at most 254 of them (cut at a character boundary) unless long
    // lines are on.
    QString typed = text();
    std::string bytes = QStringToGameBytes(typed, Encoding());
    while (bytes.size() > byteLimit_) {
        typed.chop(typed.size() >= 2 && typed.back().isLowSurrogate() ? 2 : 1);
        bytes = QStringToGameBytes(typed, Encoding());
    }
    return bytes;
}

void tinedit::SetMasked(bool masked) {
    // Only the display changes; the typed text stays as it is.
    setEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
}

namespace {

bool IsSearchKey(const QKeyEvent& e) {
    return e.key() == Qt::Key_R && (e.modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
}

} // namespace

int tinedit::ShortcutCommand(const QKeyEvent& e) {
    if ((e.modifiers() & ~Qt::KeypadModifier) != Qt::ControlModifier) return 0;
    switch (e.key()) {
    case Qt::Key_A: return kCmdSelectAll;
    case Qt::Key_C: return kCmdCopy;
    case Qt::Key_V: return kCmdPasteToMud;
    case Qt::Key_F: return kCmdFunctionKeys;
    case Qt::Key_P: return kCmdProfiles;
    case Qt::Key_T: return kCmdTriggers;
    default: return 0;
    }
}

bool tinedit::event(QEvent* e) {
    // Claim the program's shortcuts while the input line has the focus, so they reach
    // keyPressEvent once instead of also firing the frame's own shortcuts.
    if (e->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (ShortcutCommand(*key) != 0 || (key->key() >= Qt::Key_F1 && key->key() <= Qt::Key_F12) ||
            IsSearchKey(*key)) {
            e->accept();
            return true;
        }
    }
    // Tab completes before it can move the keyboard to the next control.
    if (e->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (key->key() == Qt::Key_Tab && (key->modifiers() & ~Qt::KeypadModifier) == 0 &&
            tabCompletion_ && !search_ && CompleteWord())
            return true;
        if (key->key() != Qt::Key_Tab) completion_.End();
    }
    return QLineEdit::event(e);
}

void tinedit::keyPressEvent(QKeyEvent* e) {
    if (search_ && SearchKey(*e)) {
        e->accept();
        return;
    }
    if (HandleKey(*e)) {
        e->accept();
        return;
    }
    // The platform's other paste keys (Shift+Insert) paste the same way, never cut.
    if (pasteToInput_ && e->matches(QKeySequence::Paste)) {
        PasteIntoLine(QGuiApplication::clipboard()->text());
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void tinedit::focusOutEvent(QFocusEvent* e) {
    if (search_) EndSearch();
    QLineEdit::focusOutEvent(e);
}

bool tinedit::HandleKey(const QKeyEvent& e) {
    const int key = e.key();
    if (keyTaker_ && keyTaker_(e)) return true;
    if (IsSearchKey(e)) {
        StartSearch();
        return true;
    }
    if (const int command = ShortcutCommand(e)) {
        if (command == kCmdPasteToMud && pasteToInput_)
            PasteIntoLine(QGuiApplication::clipboard()->text());
        else if (command == kCmdSelectAll)
            emit selectScreenRequested();
        else
            emit frameCommand(command);
        return true;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
        if (session_) session_->SendFunctionKey(key - Qt::Key_F1 + 1);
        return true;
    }
    // Keypad digits and signs arrive with the keypad modifier only while Num Lock is on;
    // with it off they are the cursor keys and edit as usual.
    if (e.modifiers() & Qt::KeypadModifier) {
        char pad = 0;
        if (key >= Qt::Key_0 && key <= Qt::Key_9)
            pad = static_cast<char>('0' + (key - Qt::Key_0));
        else if (key == Qt::Key_Minus)
            pad = '-';
        else if (key == Qt::Key_Plus)
            pad = '+';
        if (pad != 0) {
            if (session_) session_->SendKeypadWord(pad);
            return true; // the digit or sign is not typed
        }
    }
    switch (key) {
    case Qt::Key_Up: WalkHistory(true); return true;
    case Qt::Key_Down: WalkHistory(false); return true;
    case Qt::Key_PageUp: emit pageRequested(true); return true;
    case Qt::Key_PageDown: emit pageRequested(false); return true;
    case Qt::Key_ScrollLock:
        if (session_) session_->ToggleHold();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: emit submitted(); return true;
    case Qt::Key_Escape: return true; // cancel does nothing here
    default: return false;
    }
}

QMenu* tinedit::MakeContextMenu() {
    QMenu* menu = createStandardContextMenu();
    for (QAction* action : menu->actions()) {
        // Found by its words, which the line edit's own translation gives it.
        if (action->text().section(QLatin1Char('\t'), 0, 0) != QLineEdit::tr("&Paste")) continue;
        action->setObjectName(QStringLiteral("edit-paste"));
        if (!pasteToInput_) continue;
        action->disconnect(this);
        connect(action, &QAction::triggered, this,
                [this] { PasteIntoLine(QGuiApplication::clipboard()->text()); });
    }
    return menu;
}

void tinedit::contextMenuEvent(QContextMenuEvent* e) {
    const std::unique_ptr<QMenu> menu(MakeContextMenu());
    menu->exec(e->globalPos());
}

bool tinedit::PasteIntoLine(const QString& text) {
    QString pasted = text;
    pasted.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const int from = hasSelectedText() ? selectionStart() : cursorPosition();
    const int to = hasSelectedText() ? from + static_cast<int>(selectedText().size()) : from;
    QStringList lines =
        (this->text().left(from) + pasted + this->text().mid(to)).split(QLatin1Char('\n'));
    const QString rest = lines.takeLast();
    for (const QString& line : lines + QStringList{rest}) {
        if (line.size() <= maxLength()) continue;
        QApplication::beep();
        if (session_)
            session_->PrintLocal("Paste refused: a line of it is longer than " +
                                 std::to_string(maxLength()) + " characters.\r\n");
        return false;
    }
    if (lines.size() > kFewPasteLines) {
        QMessageBox ask(QMessageBox::Question, QStringLiteral("Paste"),
                        QStringLiteral("Send %1 lines to the game?").arg(lines.size()),
                        QMessageBox::Yes | QMessageBox::No, this);
        ask.setDefaultButton(QMessageBox::No);
        ask.setTextFormat(Qt::PlainText);
        if (ask.exec() != QMessageBox::Yes) return false;
    }
    for (const QString& line : lines) {
        setText(line);
        emit submitted();
    }
    setText(rest);
    const qsizetype lastBreak = pasted.lastIndexOf(QLatin1Char('\n'));
    setCursorPosition(lastBreak < 0 ? from + static_cast<int>(pasted.size())
                                    : static_cast<int>(pasted.size() - lastBreak - 1));
    return true;
}

void tinedit::WalkHistory(bool back) {
    if (!session_) return;
    InputHistory& history = session_->History();
    const InputHistory::Step step = back ? history.WalkBack() : history.WalkForward();
    switch (step.kind) {
    case InputHistory::Step::Kind::Beep:
        QApplication::beep();
        emit beeped();
        break;
    case InputHistory::Step::Kind::Show:
        setText(GameBytesToQString(step.text, Encoding()));
        selectAll();
        break;
    case InputHistory::Step::Kind::Clear: clear(); break;
    }
}

bool tinedit::CompleteWord() {
    // The words come as the screen hands its lines out: UTF-8 on a screen of Unicode
    // characters, Latin-1 otherwise. Never offer them into a password, nor turn a line
    // that holds what Latin-1 cannot into one that loses it.
    const TextEncoding encoding = Encoding();
    const bool utf8 = HasUnicodeCells(encoding);
    words_.SetUtf8(utf8);
    if (Masked() || (!utf8 && !IsLatin1(text()))) return false;
    const std::size_t cursor = QStringToScreenText(text().left(cursorPosition()), encoding).size();
    const std::optional<TabCompletion::Edit> edit =
        completion_.Tab(QStringToScreenText(text(), encoding), cursor, words_);
    if (!edit) return false;
    setText(ScreenTextToQString(edit->line, encoding));
    setCursorPosition(static_cast<int>(
        ScreenTextToQString(std::string_view(edit->line).substr(0, edit->cursor), encoding)
            .size()));
    return true;
}

void tinedit::StartSearch() {
    // The history holds what was typed at a password prompt too: never shown while masked.
    if (!session_ || Masked()) return;
    std::vector<std::string> lines;
    const InputHistory& history = session_->History();
    for (int k = 0; k < history.Slots(); ++k)
        lines.push_back(history.Slot(k));
    search_.emplace(std::move(lines));
    textBeforeSearch_ = text();
    ShowSearch();
}

bool tinedit::SearchKey(const QKeyEvent& e) {
    const Qt::KeyboardModifiers mods = e.modifiers() & ~Qt::KeypadModifier;
    switch (e.key()) {
    case Qt::Key_R:
        if (mods != Qt::ControlModifier) break;
        search_->Older();
        ShowSearch();
        return true;
    case Qt::Key_Escape:
        setText(textBeforeSearch_);
        EndSearch();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // As a shell does: Enter runs the line found.
        EndSearch();
        emit submitted();
        return true;
    case Qt::Key_Backspace:
        search_->Erase();
        ShowSearch();
        return true;
    // A modifier pressed on its own is the start of a chord, not a key of its own.
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock: return true;
    default: break;
    }
    const QString typed = e.text();
    if (!typed.isEmpty() && typed.at(0).isPrint() &&
        !(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        search_->Type(QStringToGameBytes(typed, Encoding()));
        ShowSearch();
        return true;
    }
    // Any other key keeps the line found and does what it always does.
    EndSearch();
    return false;
}

void tinedit::ShowSearch() {
    if (const std::optional<std::string> match = search_->Match())
        setText(GameBytesToQString(*match, Encoding()));
    emit searchPrompt(GameBytesToQString(search_->Prompt(), Encoding()));
}

void tinedit::EndSearch() {
    search_.reset();
    emit searchPrompt(QString());
}

} // namespace tav
