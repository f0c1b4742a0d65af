// The frame's two commands that run the edit dialog: the server's edit request and the
// multi-line send of the "ml-send" button.
// Before any Qt header: the session headers use names Qt defines as macros ("slots").
#include "client/ServerEdit.h"
#include "term/TermSession.h"

#include "app/ClientHub.h"
#include "app/MainFrame.h"
#include "settings/Settings.h"
#include "settings/StoredValues.h"
#include "term/qt/InputLine.h"
#include "term/qt/QtMessageBoxes.h"
#include "windows/ServerEditDialog.h"
#include "windows/TermWindow.h"

#include <QApplication>
#include <QPointer>

namespace tav {

namespace {

// The edit dialog of a server request, with the font and rectangle the settings keep.
class EditDialogOfFrame final : public EditDialogRunner {
public:
    EditDialogOfFrame(StoredValues& stored, QWidget* owner) : stored_(stored), owner_(owner) {}
    std::optional<std::string> RunEditDialog(std::string_view heading, std::string_view text,
                                             std::size_t byteLimit) override {
        tmarrowedit dialog(heading, text, byteLimit, stored_.editfont, stored_.editorpos, owner_);
        return dialog.Run();
    }

private:
    StoredValues& stored_;
    QWidget* owner_;
};

} // namespace

void TSDIDecFrame::RunServerEdit() {
    const QPointer<QWidget> previous = QApplication::activeWindow();
    if (isMinimized()) showNormal();
    raise();
    activateWindow();

    EditDialogOfFrame dialog(stored_, this);
    QtMessageBoxes boxes(this);
    AnswerEditRequest(client_->Edits(), client_->Connection(), dialog, boxes);

    if (settings_.minimizeonedit) showMinimized();
    ReturnFocusAfterEdit(previous);
}

void TSDIDecFrame::RunMultiLineSend() {
    TermSession& session = term_->Session();
    if (!session.Connected()) {
        session.PrintLocal("Not connected...\r\n");
        return;
    }
    const QPointer<QWidget> previous = QApplication::activeWindow();
    // A copy: the multi-line send's font choice is its own.
    FontSpec font = stored_.editfont;
    tmarrowedit dialog(kMultiLinePrompt, "", kEditTextBytes - 1, font, stored_.editorpos, this);
    const std::optional<std::string> text = dialog.Run();
    if (text && !text->empty()) {
        // Whole, with its own line breaks and no final newline.
        session.TermSend(session.GameBytes(ToGameLineEnds(*text)), true, true);
    }
    ReturnFocusAfterEdit(previous);
}

void TSDIDecFrame::ReturnFocusAfterEdit(QWidget* previous) {
    // Only the program's own windows take the focus back; the input line is where typing
    // goes on.
    if (previous != nullptr && previous != this && previous->isVisible())
        previous->activateWindow();
    else if (!isMinimized())
        activateWindow();
    term_->InputLine().setFocus();
}

} // namespace tav
