#include "term/InputLine.h"

#include "term/GameText.h"
#include "term/TermSession.h"

#include <QApplication>
#include <QKeyEvent>
#include <QProxyStyle>

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

std::optional<std::string> tinedit::ReadText() {
    // The game's bytes, at most 254 of them, cut at a character boundary.
    QString typed = text();
    std::string bytes = QStringToGameBytes(typed, Encoding());
    while (bytes.size() > kMaxHistoryChars) {
        typed.chop(typed.size() >= 2 && typed.back().isLowSurrogate() ? 2 : 1);
        bytes = QStringToGameBytes(typed, Encoding());
    }
    return bytes;
}

void tinedit::SetMasked(bool masked) {
    // Only the display changes; the typed text stays as it is.
    setEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
}

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
        if (ShortcutCommand(*key) != 0 || (key->key() >= Qt::Key_F1 && key->key() <= Qt::Key_F12)) {
            e->accept();
            return true;
        }
    }
    return QLineEdit::event(e);
}

void tinedit::keyPressEvent(QKeyEvent* e) {
    if (HandleKey(*e)) {
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

bool tinedit::HandleKey(const QKeyEvent& e) {
    const int key = e.key();
    if (keyTaker_ && keyTaker_(e)) return true;
    if (const int command = ShortcutCommand(e)) {
        if (command == kCmdSelectAll)
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

} // namespace tav
