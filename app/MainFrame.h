#pragma once

#include "settings/ProfileHost.h"
#include "settings/ProfileSession.h"
#include "settings/ProfileStore.h"
#include "settings/QuickGame.h"
#include "windows/WindowPlacement.h"

#include <QMainWindow>

#include <memory>
#include <optional>
#include <string>

namespace tav {

class ClientHub;
class CustomButtonBar;
class ExtraCommands;
class ScriptCommands;
class ToolBar;
class FrameCommands;
class MainMenu;
class StatusBar;
class TriggerList;
class tmudterm;
class ttrigdlg;
struct Settings;
struct StoredValues;

// The main frame: menu, the terminal window as its client and the status bar. It runs the
// profile selection at start-up and on "Profiles...", carries out the profile steps on the
// terminal window, keeps its last normal rectangle as "termpos:", places itself from it
// with the always-on-top state, and asks before closing while the Term connection is up.
// Every command of the main menu arrives in OnCommand.
class TSDIDecFrame : public QMainWindow, private ProfileHost {
    Q_OBJECT
public:
    TSDIDecFrame(Settings& settings, StoredValues& stored, TriggerList& triggers,
                 QWidget* parent = nullptr);
    ~TSDIDecFrame() override;

    // Runs when the frame's window exists: the profile selection and, when a profile was
    // chosen, its application. False when the user left without a profile. A `profile`
    // given (from the command line, already checked to be listed) is applied without
    // asking, unless another process has it open. A `game` (from a link) opens the profile
    // that connects to it, or "Connect to a game..." filled in; either connects at once,
    // and cancelling the dialog leaves the usual selection.
    bool Start(const std::optional<std::string>& profile = std::nullopt,
               const std::optional<QuickGame>& game = std::nullopt);

    void OnCommand(int id);
    // Moves and sizes the frame to `rect` (outer frame, screen pixels) and makes it topmost
    // or not. The outer frame is also what is recorded, so a rectangle placed and then
    // recorded comes back the same: a window manager's decorations, known only once it
    // has framed the window, are taken off the size as soon as they are.
    void PlaceFrame(const QRect& rect, bool topmost);
    void SetTopmost(bool topmost);
    bool Topmost() const;

    tmudterm& Term() { return *term_; }
    ClientHub& Client() { return *client_; }
    StatusBar& Status() { return *status_; }
    MainMenu& Menu() { return *menu_; }
    // The bars; null before the first profile is applied.
    CustomButtonBar* CustomBar() { return customBar_; }
    ToolBar* Tools() { return toolBar_; }
    FrameCommands& Commands() { return *commands_; }
    ExtraCommands& Extras() { return *extras_; }
    ScriptCommands& Scripts() { return *scripts_; }
    ProfileSession& Profile() { return *session_; }
    ttrigdlg& TriggerWindow() { return *triggerWindow_; }
    bool ExitConfirmed() const { return exitConfirmed_; }

    // Saves the settings and the triggers of the loaded profile (nothing before one is).
    void SaveAll();
    // What Exit does once confirmed, without asking: saves everything, closes both
    // connections and stops the sound players. Runs once; later calls do nothing. The
    // frame runs it when it closes or is destroyed, the application when it quits.
    void ShutDown();

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // ProfileHost
    void SetCaption(std::string_view caption) override;
    void LoadSettings() override;
    void SaveSettings() override;
    void ApplyScreenSettings() override;
    void ApplySizes() override;
    void PlaceFrame() override;
    void RestoreSideWindows() override;
    void LoadTriggers() override;
    void TermStartup() override;
    void AutoConnect() override;
    void StartTimers() override;
    void ReleaseLayout() override;
    bool TermConnected() override;
    void TermDisconnect() override;
    void ClientDisconnect() override;
    void CreateBars() override;
    void PrintLocal(std::string_view text) override;

    int RunProfileSelection(const std::optional<std::string>& requested = std::nullopt);
    // "Connect to a game...": its dialog filled from `game`, then the connection.
    void RunQuickConnect(const QuickGame& game = {});
    // Connects the profile "Connect to a game..." has just made, once.
    void ConnectQuickGame();
    bool CanClose();
    void RecordRect();
    void OnHiddenModeChanged(bool hidden, int clientHeight);
    void ShowAbout();
    // The edit dialog's commands (FrameEditCommands.cpp).
    void RunServerEdit();
    void RunMultiLineSend();
    void ReturnFocusAfterEdit(QWidget* previous);
    void ToggleBar(QToolBar* bar, bool& shown, int command);
    void RunFunctionKeys();
    // "Config...": the configuration dialog until its values are valid or cancelled, then
    // the new settings applied and saved.
    void RunConfig();
    void RunMoreOptions();
    void RunAliases();

    Settings& settings_;
    StoredValues& stored_;
    TriggerList& triggers_;
    ProfileStore store_;
    StatusBar* status_ = nullptr;
    tmudterm* term_ = nullptr;
    MainMenu* menu_ = nullptr;
    FrameCommands* commands_ = nullptr; // owned by Qt
    ExtraCommands* extras_ = nullptr;   // owned by Qt
    ScriptCommands* scripts_ = nullptr; // owned by Qt
    ttrigdlg* triggerWindow_ = nullptr;
    std::unique_ptr<ClientHub> client_;
    std::unique_ptr<ProfileSession> session_;
    WindowPlacement placement_{*this};
    bool minMax_ = false;
    bool recordRect_ = true; // off while a profile's settings are applied
    bool exitConfirmed_ = false;
    bool shutDown_ = false;
    bool profilesBusy_ = false;
    bool quickPending_ = false;
    bool configBusy_ = false;
    bool moreOptionsBusy_ = false;
    bool aliasesBusy_ = false;
    int heightBeforeHidden_ = 0;
    // The toolbar and the custom button bar, rebuilt for every profile; the shown flags
    // survive the rebuilds.
    ToolBar* toolBar_ = nullptr;
    CustomButtonBar* customBar_ = nullptr;
    bool toolBarShown_ = true;
    bool customBarShown_ = true;
};

} // namespace tav
