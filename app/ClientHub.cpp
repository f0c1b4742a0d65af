#include "app/ClientHub.h"

#include "client/ClientLogWindow.h"
#include "settings/AtomicFile.h"
#include "settings/HelpIndexFile.h"
#include "settings/Latin1Text.h"
#include "sound/QtSoundBackends.h"
#include "term/qt/QtEventLoop.h"
#include "windows/BoardsWindow.h"
#include "windows/CommandPad.h"
#include "windows/HelpIndexWindow.h"
#include "windows/IdentificationWindow.h"
#include "windows/MonitorWindow.h"
#include "windows/TermWindow.h"
#include "windows/TextListWindow.h"

#include <QFile>

namespace tav {

ClientHub::ClientHub(Settings& settings, tmudterm& term, StatusBarSink& status, QWidget* parent)
    : settings_(settings), term_(term), status_(status), parent_(parent), boxes_(parent),
      address_(term.Session()) {
    log_.AttachStatusBar(&status_);
    logWindow_ = new TmarrowDlgClient(log_, parent);
    monitor_ = new tmonitor(monitorRect_, parent);
    monitor_->PlaceStored(false);
    StoredValues& stored = term_.Stored();
    identification_ = new iddlg(stored.idpos, stored.idfont, parent);
    identification_->SetUp();

    backends_ = MakeQtSoundBackends(log_);
    sound_ = std::make_shared<SoundPlayer>(settings_, log_, backends_.View());
    QtEventLoop& loop = term_.Loop();
    // The device's watcher thread ends when the device closes, but a completion it has
    // already posted may still be queued on the loop, which outlives this hub.
    backends_.midi->SetCompletionCallback(
        [&loop, weakSound = std::weak_ptr<SoundPlayer>(sound_)](int deviceId) {
            loop.Post([weakSound, deviceId] {
                if (const std::shared_ptr<SoundPlayer> sound = weakSound.lock())
                    sound->OnMidiNotify(deviceId);
            });
        });

    connection_ = std::make_unique<ClientConnection>(
        settings_, ClientServices{loop, *this, *this, *this, log_, boxes_, address_, clock_,
                                  pendingEdit_, term_.Session().PingStamp()});
    term_.SetClientLog(&log_);
    term_.SetClientControl(connection_.get());
    gameData_ = std::make_unique<GameDataWindows>(
        static_cast<ClientWindows&>(*this), [this] { return connection_->IsConnected(); },
        [this] { return term_.ClientTextEncoding(); });
    term_.Session().SetGameDataSink(gameData_.get());
    help_ = new tidxdlg(settings_, term_.Stored(), *connection_, parent);
    boards_ = new brddlg(settings_, term_.Stored(), *connection_, parent);
    pad_ = new tmudcon(*connection_, padRect_, parent);
    pad_->PlaceStored(false);
}

ClientHub::~ClientHub() {
    term_.Session().SetGameDataSink(nullptr);
    term_.SetClientControl(nullptr);
    term_.SetClientLog(nullptr);
    delete pad_.data();  // it sends through the connection
    connection_.reset(); // ends the network thread before the windows and sound go
    delete help_.data();
    delete boards_.data();
    sound_->Stop();
    // The window observes the log, so it goes first (unless its parent took it already).
    delete logWindow_.data();
    delete monitor_.data();
    delete identification_.data();
    log_.AttachStatusBar(nullptr);
}

TmarrowDlgClient& ClientHub::LogWindow() {
    return *logWindow_;
}

tidxdlg& ClientHub::HelpWindow() {
    return *help_;
}

brddlg& ClientHub::BoardsWindow() {
    return *boards_;
}

tmonitor& ClientHub::Monitor() {
    return *monitor_;
}

iddlg& ClientHub::Identification() {
    return *identification_;
}

tmudcon& ClientHub::CommandPad() {
    return *pad_;
}

TMudScreen* ClientHub::PaneOf(ClientScreen screen) {
    switch (screen) {
    case ClientScreen::Description: return &term_.DescPane();
    case ClientScreen::Exits: return &term_.ExitPane();
    case ClientScreen::Contents: return &term_.ListPane();
    case ClientScreen::BoardMessage: return &boards_->Screen();
    case ClientScreen::HelpText: return &help_->Screen();
    case ClientScreen::Who: return &term_.WhoWindow().Screen();
    case ClientScreen::Channel: return &term_.ChannelWindow().Screen();
    case ClientScreen::Equipment: return &term_.EquipmentWindow().Screen();
    case ClientScreen::Inventory: return &term_.InventoryWindow().Screen();
    default: return nullptr;
    }
}

void ClientHub::ClearScreen(ClientScreen screen) {
    if (TMudScreen* pane = PaneOf(screen)) pane->ResetScreen(pane->Lines());
}

void ClientHub::AppendText(ClientScreen screen, std::string_view text) {
    if (TMudScreen* pane = PaneOf(screen)) {
        pane->SetEncoding(term_.ClientTextEncoding());
        pane->AddText(text);
    }
}

void ClientHub::SetMap(const MapGrid& grid) {
    term_.SetMap(grid);
}

void ClientHub::SetStatusValues(const HitManaMove& v) {
    term_.SetStatusValues(v.hit, v.hitMax, v.mana, v.manaMax, v.move, v.moveMax);
}

void ClientHub::SetBoardIndex(std::vector<BoardEntry> boards) {
    boards_->SetBoardIndex(std::move(boards));
}

void ClientHub::SetMessageIndex(std::vector<std::string> lines) {
    boards_->SetMessageIndex(std::move(lines));
}

void ClientHub::BoardUpdate(int board) {
    const std::optional<std::string> title = boards_->BoardUpdate(board);
    if (title && settings_.boardnotify != 0)
        ExecPlainMessageBox(parent_, BoxIcon::Information, "Notification...",
                            "Board content update: " + *title);
}

void ClientHub::SetHelpIndex(std::vector<std::string> topics) {
    help_->SetHelpIndex(std::move(topics));
}

void ClientHub::RestoreToolWindows() {
    identification_->SetUp();
    help_->Restore(HelpIndexPath(term_.DataRoot(), term_.ProfileName()));
    boards_->Restore();
}

void ClientHub::SetGauge(int gaugeId, int value, int maximum) {
    monitor_->SetGauge(gaugeId, value, maximum);
}

// The file keeps the bytes as they came; the window only shows them.
void ClientHub::ShowIdentification(std::string_view name, std::string_view path,
                                   std::string_view text) {
    identification_->ShowDescription(name, path, text);
    if (path.empty()) return; // a name that would leave the text folder: logged already
    const std::string file(path);
    // The log holds Latin-1 text; the path's name is UTF-8 on disk.
    const auto shown = [&file] { return QStringToLatin1(QFile::decodeName(file.c_str())); };
    switch (ReplaceFileAtomically(file, text)) {
    case AtomicWriteResult::Replaced:
    case AtomicWriteResult::NotSynced: break;
    case AtomicWriteResult::NotCreated:
        log_.LogLine("Unable to open " + shown() + " for write.");
        break;
    case AtomicWriteResult::NotWritten: log_.LogLine("Unable to write " + shown() + "."); break;
    }
}

void ClientHub::SetTimeAndDate(std::string_view time, std::string_view date) {
    term_.SetTimeAndDate(time, date);
}

void ClientHub::ShowMessageBox(std::string_view text, std::string_view title) {
    ExecPlainMessageBox(parent_, BoxIcon::Information, title, text);
}

void ClientHub::PlaySound(std::string_view path) {
    sound_->Play(path);
}
void ClientHub::StopSound() {
    sound_->Stop();
}
void ClientHub::PollSoundPlayer() {
    sound_->PollPlayer();
}

void ClientHub::ShowClientState(bool connected) {
    status_.ShowClientState(connected);
    term_.SetClientConnected(connected);
}

} // namespace tav
