// Before any Qt header: the session headers use names Qt defines as macros ("slots").
#include "settings/Latin1Text.h"
#include "term/TermSession.h"
#include "term/qt/InputLine.h"

#include "app/ClientHub.h"
#include "app/CustomButtonBar.h"
#include "app/MainFrame.h"
#include "app/MainMenu.h"
#include "app/MenuCommands.h"
#include "app/ScriptCommands.h"
#include "app/ToolBar.h"
#include "settings/CustomButtonFile.h"
#include "settings/ProfileSession.h"
#include "settings/Settings.h"
#include "settings/StoredValues.h"
#include "triggers/TriggerList.h"
#include "windows/TermWindow.h"
#include "windows/TriggerDialogs.h"

#include <initializer_list>

// The steps the profile session asks of the main frame as it loads, applies and leaves a
// profile, and the bars it builds for it.

namespace tav {

void TSDIDecFrame::SetCaption(std::string_view caption) {
    setWindowTitle(Latin1ToQString(caption));
}

void TSDIDecFrame::LoadSettings() {
    // The rectangle loaded now is the one PlaceFrame places the frame at; until then the
    // frame's own moves (the always-on-top flag shows the window again, say) must not
    // overwrite it.
    recordRect_ = false;
    term_->LoadSettings();
    // A game of another kind names where it is too, so windows on several games tell apart.
    if (term_->Options().otherGame)
        setWindowTitle(windowTitle() + QStringLiteral(" - ") +
                       Latin1ToQString(FieldView(settings_.addy)) + QLatin1Char(':') +
                       Latin1ToQString(FieldView(settings_.port)));
}

void TSDIDecFrame::SaveSettings() {
    term_->SaveSettings();
}

void TSDIDecFrame::ApplyScreenSettings() {
    term_->ApplyScreenSettings(true);
}

void TSDIDecFrame::ApplySizes() {
    term_->ApplySizes();
}

void TSDIDecFrame::PlaceFrame() {
    const Rect& r = stored_.termpos;
    PlaceFrame(QRect(r.left, r.top, r.Width(), r.Height()), settings_.ontop != 0);
}

void TSDIDecFrame::RestoreSideWindows() {
    term_->SetUpTextWindows();
    client_->RestoreToolWindows();
}

void TSDIDecFrame::LoadTriggers() {
    triggers_.LoadTriggers(session_->Name());
    // Said once per load; the lines themselves are kept in the file.
    for (const std::string& problem : triggers_.TakeActionFileProblems())
        term_->Session().PrintLocal(problem + "\r\n");
    triggerWindow_->Refill();
    // The scripts come after the triggers and before the autoconnect.
    scripts_->OpenScripts();
}

void TSDIDecFrame::TermStartup() {
    term_->Session().TermStartup();
}

void TSDIDecFrame::AutoConnect() {
    term_->Session().AutoConnect();
}

void TSDIDecFrame::StartTimers() {
    term_->Session().StartTimers();
}

void TSDIDecFrame::ReleaseLayout() {
    term_->SetLayoutLock(false);
    raise();
    activateWindow();
}

bool TSDIDecFrame::TermConnected() {
    // A reconnect waiting for its time belongs to this profile's connection too.
    return term_->Session().Connected() || term_->Session().Connecting() ||
           term_->Session().ReconnectPending();
}

void TSDIDecFrame::TermDisconnect() {
    // A connect still under way would otherwise complete into the new profile.
    term_->Session().CancelConnect();
    term_->Session().TermDisconnect();
}

void TSDIDecFrame::ClientDisconnect() {
    client_->Connection().Disconnect();
}

void TSDIDecFrame::CreateBars() {
    PrintLocal("Creating toolbars...\r\n");
    for (QToolBar* bar : std::initializer_list<QToolBar*>{toolBar_, customBar_}) {
        if (bar == nullptr) continue;
        removeToolBar(bar);
        delete bar;
    }
    toolBar_ = new ToolBar(*menu_, this);
    addToolBar(Qt::TopToolBarArea, toolBar_);
    toolBar_->setVisible(toolBarShown_);
    customBar_ = new CustomButtonBar(
        [this](std::string_view command) {
            TermSession& session = term_->Session();
            session.TermSend(session.GameBytes(command), true, true);
        },
        [this] { return CustomButtonPath(term_->DataRoot(), session_->Name()); }, this);
    customBar_->Load(term_->Session());
    // A row of its own below the toolbar, so neither bar hides the other's buttons.
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, customBar_);
    customBar_->setVisible(customBarShown_);
}

// A bar's toggle: hides a shown bar, shows a hidden one; the menu's check mark follows.
void TSDIDecFrame::ToggleBar(QToolBar* bar, bool& shown, int command) {
    if (bar == nullptr) return;
    shown = bar->isHidden();
    bar->setVisible(shown);
    menu_->SetChecked(command, shown);
}

void TSDIDecFrame::PrintLocal(std::string_view text) {
    term_->Session().PrintLocal(text);
}

} // namespace tav
