#pragma once

// Before any Qt header: the session headers use names Qt defines as macros ("slots").
#include "client/AddressCheck.h"
#include "client/ClientConnection.h"
#include "client/ClientLog.h"
#include "client/ClientSound.h"
#include "client/ClientWindows.h"
#include "client/GameDataWindows.h"
#include "client/PendingEdit.h"
#include "settings/Rect.h"
#include "sound/SoundBackends.h"
#include "sound/SoundPlayer.h"
#include "term/MonotonicClock.h"
#include "term/TermSession.h"
#include "term/qt/QtMessageBoxes.h"

#include "client/StatusBarSink.h"

#include <QPointer>

#include <functional>
#include <memory>

class QWidget;

namespace tav {

class TmarrowDlgClient;
class brddlg;
class iddlg;
class tidxdlg;
class tmonitor;
class tmudcon;
class tmudterm;

// The Client connection as the desktop holds it: the client log and its window, the
// sound player with the desktop's backends, the pending-edit slot and the connection,
// with the connection's window effects applied to the terminal window on the
// user-interface thread. Effects for tool windows that do not exist yet are dropped.
// It owns its log window and the tool windows it feeds (children of `parent` for
// placement) and deletes them once the connection is gone, the log window before the log; the
// terminal window, the status bar and `parent` must outlive it.
class ClientHub final : private ClientWindows, private ClientSound, private StatusBarSink {
public:
    // status: the frame's status bar; parent: owner of the log window and message boxes.
    ClientHub(Settings& settings, tmudterm& term, StatusBarSink& status, QWidget* parent);
    ~ClientHub() override;
    ClientHub(const ClientHub&) = delete;
    ClientHub& operator=(const ClientHub&) = delete;

    ClientConnection& Connection() { return *connection_; }
    SoundPlayer& Sound() { return *sound_; }
    ClientLog& Log() { return log_; }
    TmarrowDlgClient& LogWindow();
    PendingEdit& Edits() { return pendingEdit_; }
    // Where a command the connection posts (the edit request) goes; dropped without one.
    void SetCommandPoster(std::function<void(int)> post) { post_ = std::move(post); }
    tidxdlg& HelpWindow();
    brddlg& BoardsWindow();
    // Tool windows the connection's effects reach, made hidden with the hub.
    tmonitor& Monitor();
    iddlg& Identification();
    tmudcon& CommandPad();

    // At start and on a profile switch: the tool windows take the profile's fonts and
    // rectangles, and the help index window the profile's help.ndx.
    void RestoreToolWindows();

private:
    // ClientWindows, on the user-interface thread.
    void ClearScreen(ClientScreen screen) override;
    void AppendText(ClientScreen screen, std::string_view text) override;
    void SetMap(const MapGrid& grid) override;
    void SetStatusValues(const HitManaMove& values) override;
    void SetGauge(int gaugeId, int value, int maximum) override;
    void SetBoardIndex(std::vector<BoardEntry> boards) override;
    void SetMessageIndex(std::vector<std::string> lines) override;
    void BoardUpdate(int board) override;
    void SetHelpIndex(std::vector<std::string> topics) override;
    void ShowIdentification(std::string_view name, std::string_view path,
                            std::string_view text) override;
    void SetCharacterLevel(int level) override { level_ = level; }
    void SetTimeAndDate(std::string_view time, std::string_view date) override;
    void ShowMessageBox(std::string_view text, std::string_view title) override;
    void PostCommand(int commandId) override {
        if (post_) post_(commandId);
    }

    // ClientSound, from either thread: the player takes its decisions and writes its log
    // lines at once, and its Qt backends hand their work to the user-interface thread.
    void PlaySound(std::string_view path) override;
    void StopSound() override;
    void PollSoundPlayer() override;

    // StatusBarSink: passes everything to the frame's status bar; the Client indicator
    // also shows or hides the terminal window's time and date line.
    void SetMessageText(std::string_view text) override { status_.SetMessageText(text); }
    void SetLatencyText(std::string_view text) override { status_.SetLatencyText(text); }
    void ShowClientState(bool connected) override;
    void ShowProgress(long long received, long long total) override {
        status_.ShowProgress(received, total);
    }

    TMudScreen* PaneOf(ClientScreen screen);

    Settings& settings_;
    tmudterm& term_;
    StatusBarSink& status_;
    QWidget* parent_;
    ClientLog log_;
    QPointer<TmarrowDlgClient> logWindow_;
    QPointer<tidxdlg> help_;
    QPointer<brddlg> boards_;
    Rect monitorRect_{}; // not stored: placed beside the frame at first
    QPointer<tmonitor> monitor_;
    QPointer<iddlg> identification_;
    Rect padRect_{}; // not stored either
    QPointer<tmudcon> pad_;
    SoundBackendSet backends_;
    // Shared only so that a MIDI completion still queued at destruction can see it is gone.
    std::shared_ptr<SoundPlayer> sound_;
    PendingEdit pendingEdit_;
    QtMessageBoxes boxes_;
    MonotonicClock clock_;
    AddressCheckOf<TermSession> address_;
    std::unique_ptr<ClientConnection> connection_;
    // Another game's GMCP/MSDP data, shown here while the Client connection is down.
    std::unique_ptr<GameDataWindows> gameData_;
    int level_ = kInitialCharacterLevel;
    std::function<void(int)> post_;
};

} // namespace tav
