// Before any Qt header: the session headers use names Qt defines as macros ("slots").
#include "term/TermSession.h"
#include "term/qt/InputLine.h"

#include "app/MainFrame.h"

#include "app/AboutBox.h"
#include "app/ClientHub.h"
#include "app/CustomButtonBar.h"
#include "app/ExtraCommands.h"
#include "app/FrameCommands.h"
#include "app/InputFocusReturn.h"
#include "app/MainMenu.h"
#include "app/MenuCommands.h"
#include "app/ScriptCommands.h"
#include "app/StatusBar.h"
#include "app/ToolBar.h"
#include "client/ClientLogWindow.h"
#include "screen/qt/ScreenWidget.h"
#include "settings/ColorDialog.h"
#include "settings/ConfigDialog.h"
#include "settings/FKeyDialog.h"
#include "settings/MoreOptionsDialog.h"
#include "settings/ProfileDialogs.h"
#include "settings/Settings.h"
#include "settings/StoredValues.h"
#include "term/qt/QtMessageBoxes.h"
#include "triggers/TriggerList.h"
#include "windows/AliasDialog.h"
#include "windows/BoardsWindow.h"
#include "windows/CommandPad.h"
#include "windows/GameInfoDialog.h"
#include "windows/HelpIndexWindow.h"
#include "windows/IdentificationWindow.h"
#include "windows/MonitorWindow.h"
#include "windows/TermWindow.h"
#include "windows/TextListWindow.h"
#include "windows/TriggerDialogs.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>

#include <utility>

namespace tav {

namespace {

// Commands whose effect is there; the rest of the menu stays disabled until it is.
constexpr int kAvailableCommands[] = {
    kCmTermConnect,
    kCmTermDisconnect,
    kCmClientConnect,
    kCmClientDisconnect,
    kCmStopSound,
    kCmClientLog,
    kCmExit,
    kCmCopy,
    kCmSelectAll,
    kCmProfiles,
    kCmIgnoreTrigs,
    kCmToggleHide,
    kCmAbout,
    // Tool windows.
    kCmServerHelp,
    kCmBoards,
    kCmWho,
    kCmEquipment,
    kCmInventory,
    kCmOoc,
    kCmScrollBuffer,
    kCmScrollback,
    kCmFind,
    kCmMonitor,
    kCmIdentify,
    kCmMudCom,
    // The bars.
    kCmToolbar,
    kCmCustombar,
    kCmAddCustomButton,
    kCmRemoveCustomButton,
    // Trigger list and function keys.
    kCmTriggers,
    kCmFunctionKeys,
    // Configuration.
    kCmConfig,
    // The profile's own options beside its settings.
    kCmMoreOptions,
    kCmAliases,
    kCmGameInfo,
    kCmQuickConnect,
};

// The menu command a context-menu item of the terminal screen stands for.
int ScreenCommandId(ScreenCommand command) {
    switch (command) {
    case ScreenCommand::PasteToMud: return kCmPasteToMud;
    case ScreenCommand::PasteToMudNl: return kCmPasteToMudNl;
    case ScreenCommand::SelectedToMud: return kCmSelectedToMud;
    case ScreenCommand::SelectedToMudNl: return kCmSelectedToMudNl;
    case ScreenCommand::SaveSelected: return kCmSaveSelected;
    case ScreenCommand::BeginLog: return kCmBeginLog;
    case ScreenCommand::EndLog: return kCmEndLog;
    case ScreenCommand::EditScrollBuffer: return kCmScrollBuffer;
    }
    return 0;
}

// The frame's icon: a small terminal screen with a prompt.
QIcon MakeIcon() {
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        qreal unit = size / 16.0;
        painter.setPen(QPen(QColor(40, 40, 40), unit));
        painter.setBrush(QColor(0, 30, 60));
        painter.drawRoundedRect(QRectF(unit, 2 * unit, 14 * unit, 11 * unit), 2 * unit, 2 * unit);
        painter.setPen(QPen(QColor(80, 220, 80), 1.5 * unit));
        painter.drawLine(QPointF(4 * unit, 5 * unit), QPointF(7 * unit, 7.5 * unit));
        painter.drawLine(QPointF(7 * unit, 7.5 * unit), QPointF(4 * unit, 10 * unit));
        painter.drawLine(QPointF(8 * unit, 10 * unit), QPointF(12 * unit, 10 * unit));
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

TSDIDecFrame::TSDIDecFrame(Settings& settings, StoredValues& stored, TriggerList& triggers,
                           QWidget* parent)
    : QMainWindow(parent), settings_(settings), stored_(stored), triggers_(triggers) {
    setWindowTitle(QStringLiteral("TavClient"));
    setWindowIcon(MakeIcon());

    status_ = new StatusBar(this);
    setStatusBar(status_);
    term_ = new tmudterm(settings_, stored_, triggers_, *status_, this);
    setCentralWidget(term_);
    client_ = std::make_unique<ClientHub>(settings_, *term_, *status_, this);
    connect(term_, &tmudterm::optionsApplied, this,
            [this] { client_->Sound().SetBuiltInPlayers(term_->Options().builtInPlayers); });
    session_ = std::make_unique<ProfileSession>(term_->ProfileName(), settings_,
                                                static_cast<ProfileHost&>(*this));
    triggerWindow_ = new ttrigdlg(
        triggers_,
        [this]() -> std::string { return session_ && session_->Loaded() ? session_->Name() : ""; },
        this);

    menu_ = new MainMenu(*menuBar(), *this);
    for (int id : kAvailableCommands)
        menu_->SetEnabled(id, true);
    // Clipboard, selection, log, colours, fonts, screen, mixer and help.
    commands_ = new FrameCommands(*term_, stored_, *this, [this] { session_->SaveIfLoaded(); });
    for (int id : FrameCommands::Ids())
        menu_->SetEnabled(id, true);
    // Timers, the variables view, export and import.
    extras_ = new ExtraCommands(*term_, triggers_, *this, [this]() -> std::string {
        return session_ && session_->Loaded() ? session_->Name() : "";
    });
    extras_->SetImportFollowUp([this] {
        triggerWindow_->Refill();
        if (customBar_) customBar_->Load(term_->Session());
    });
    for (int id : ExtraCommands::Ids())
        menu_->SetEnabled(id, true);
    // The profile's Lua scripts: reload and the console.
    scripts_ = new ScriptCommands(*term_, *client_, *this, [this] {
        const std::string name = session_ ? session_->Name() : "";
        return name.empty() ? name : ProfileStore(term_->DataRoot()).ProfileDir(name);
    });
    for (int id : ScriptCommands::Ids())
        menu_->SetEnabled(id, true);
    connect(menu_, &MainMenu::command, this, &TSDIDecFrame::OnCommand);

    connect(term_, &tmudterm::frameCommand, this, &TSDIDecFrame::OnCommand);
    connect(term_, &tmudterm::screenCommand, this,
            [this](ScreenCommand command) { OnCommand(ScreenCommandId(command)); });
    connect(term_, &tmudterm::configRequested, this, [this] { OnCommand(kCmConfig); });
    connect(term_, &tmudterm::placeFrameRequested, this,
            [this](QRect rect) { PlaceFrame(rect, settings_.ontop != 0); });
    connect(term_, &tmudterm::topmostRequested, this, &TSDIDecFrame::SetTopmost);
    connect(term_, &tmudterm::hiddenModeChanged, this, &TSDIDecFrame::OnHiddenModeChanged);
    new InputFocusReturn(*this, term_->InputLine());
    // A posted command runs after the effect that posted it, from the event loop.
    client_->SetCommandPoster([this](int id) {
        QMetaObject::invokeMethod(
            this, [this, id] { OnCommand(id); }, Qt::QueuedConnection);
    });
}

TSDIDecFrame::~TSDIDecFrame() {
    ShutDown();
    delete scripts_; // writes to the monitor and the terminal window
    scripts_ = nullptr;
    // Members go before Qt deletes the children, and some children refer to each other:
    // the Client hub (and its log window) refers to the terminal window and the status
    // bar, the terminal window to the status bar. Take them down in that order here so
    // that nothing is left to refer to a freed one.
    client_.reset();
    session_.reset();
    delete commands_; // holds the terminal log the terminal window writes to
    commands_ = nullptr;
    delete term_;
    term_ = nullptr;
}

bool TSDIDecFrame::Start(const std::optional<std::string>& profile,
                         const std::optional<QuickGame>& game) {
    int result = 2;
    if (game) {
        if (const auto known = FindGameProfile(store_, *game)) {
            // Taken unless another process has it open; then the user chooses.
            result = RunProfileSelection(known);
            quickPending_ = quickPending_ || (result == 1 && session_->Name() == *known);
        } else {
            profilesBusy_ = true;
            tprofdlg dialog(store_, *session_, this);
            result = dialog.RunQuick(*game);
            profilesBusy_ = false;
            quickPending_ = result == 1;
        }
    }
    if (result != 1) result = RunProfileSelection(profile);
    if (!session_->StartWith(result == 1)) return false;
    ConnectQuickGame();
    return true;
}

int TSDIDecFrame::RunProfileSelection(const std::optional<std::string>& requested) {
    profilesBusy_ = true;
    tprofdlg dialog(store_, *session_, this);
    int result = dialog.Run(requested);
    profilesBusy_ = false;
    quickPending_ = result == 1 && dialog.QuickChosen();
    if (session_->Loaded()) ConnectQuickGame();
    return result;
}

void TSDIDecFrame::RunQuickConnect(const QuickGame& game) {
    if (profilesBusy_ || !session_->Loaded()) return;
    profilesBusy_ = true;
    tprofdlg dialog(store_, *session_, this);
    quickPending_ = dialog.RunQuick(game) == 1;
    profilesBusy_ = false;
    ConnectQuickGame();
}

void TSDIDecFrame::ConnectQuickGame() {
    // A game's profile with a character has connected through its autoconnect already.
    if (!std::exchange(quickPending_, false)) return;
    TermSession& session = term_->Session();
    if (!session.Connected() && !session.Connecting()) session.TermConnect();
}

void TSDIDecFrame::OnCommand(int id) {
    // Commands without a menu item: posted by the Client connection, and the input
    // line's "ml-send" button.
    if (id == kCmEditRequest) return RunServerEdit();
    if (id == tmudterm::kCmdMultiLineSend) return RunMultiLineSend();
    if (!menu_->IsEnabled(id)) return;
    TermSession& session = term_->Session();
    switch (id) {
    case kCmTermConnect:
        // A reconnect already connecting gives way to the user's own connect.
        session.CancelReconnect();
        if (!session.Connected() && !session.Connecting()) session.TermConnect();
        break;
    case kCmTermDisconnect:
        // Also stops a connect still under way, and a pending reconnect.
        session.TermDisconnect();
        break;
    case kCmClientConnect:
        if (!client_->Connection().IsConnected()) client_->Connection().Connect();
        break;
    case kCmClientDisconnect: client_->Connection().Disconnect(); break;
    case kCmStopSound: client_->Sound().Stop(); break;
    case kCmClientLog: client_->LogWindow().Toggle(); break;
    case kCmServerHelp: client_->HelpWindow().Toggle(); break;
    case kCmBoards: client_->BoardsWindow().Toggle(); break;
    case kCmExit: close(); break;
    case kCmCopy: term_->MainScreenWidget().CopySelection(); break;
    case kCmSelectAll: term_->MainScreenWidget().SelectAll(); break;
    case kCmProfiles:
        // At start-up the selection is run by Start; later the dialog applies a change.
        if (!profilesBusy_ && session_->Loaded()) RunProfileSelection();
        break;
    case kCmIgnoreTrigs:
        triggers_.ToggleIgnoreTrigs();
        menu_->SetChecked(kCmIgnoreTrigs, triggers_.IgnoreTrigs());
        break;
    case kCmToggleHide:
        term_->ToggleHidden();
        menu_->SetChecked(kCmToggleHide, term_->Hidden());
        break;
    case kCmAbout: ShowAbout(); break;
    case kCmWho: term_->WhoWindow().Toggle(); break;
    case kCmEquipment: term_->EquipmentWindow().Toggle(); break;
    case kCmInventory: term_->InventoryWindow().Toggle(); break;
    case kCmOoc: term_->ChannelWindow().Toggle(); break;
    case kCmScrollBuffer:
    case kCmScrollback: term_->ShowScrollBuffer(); break;
    case kCmFind: term_->OpenFindBar(); break;
    case kCmMonitor: client_->Monitor().Toggle(); break;
    case kCmIdentify: client_->Identification().Toggle(); break;
    case kCmMudCom: client_->CommandPad().Toggle(); break;
    // The bars.
    case kCmToolbar: ToggleBar(toolBar_, toolBarShown_, kCmToolbar); break;
    case kCmCustombar: ToggleBar(customBar_, customBarShown_, kCmCustombar); break;
    case kCmAddCustomButton:
        if (customBar_) customBar_->AddButton();
        break;
    case kCmRemoveCustomButton:
        if (customBar_) customBar_->RemoveButton();
        break;
    // Trigger list and function keys.
    case kCmTriggers: triggerWindow_->ToggleTriggerWindow(); break;
    case kCmFunctionKeys: RunFunctionKeys(); break;
    // Configuration.
    case kCmConfig: RunConfig(); break;
    case kCmMoreOptions:
        if (!moreOptionsBusy_ && session_->Loaded()) RunMoreOptions();
        break;
    case kCmAliases:
        if (!aliasesBusy_ && session_->Loaded()) RunAliases();
        break;
    case kCmGameInfo: {
        GameInfoDialog dialog(term_->Session().GameInformation(), this);
        dialog.exec();
        break;
    }
    case kCmQuickConnect: RunQuickConnect(); break;
    default:
        if (FrameCommands::Handles(id))
            commands_->Run(id);
        else if (ExtraCommands::Handles(id))
            extras_->Run(id);
        else if (ScriptCommands::Handles(id))
            scripts_->Run(id);
        break;
    }
}

void TSDIDecFrame::RunFunctionKeys() {
    fkeydlg dialog(stored_, this);
    if (dialog.Run() == QDialog::Accepted) session_->SaveIfLoaded();
}

void TSDIDecFrame::RunMoreOptions() {
    moreOptionsBusy_ = true;
    MoreOptionsDialog dialog(term_->Options(), this);
    // Saved at once, and the encoding applies from the next bytes received.
    if (dialog.exec() == QDialog::Accepted) term_->SetOptions(dialog.Options());
    moreOptionsBusy_ = false;
}

void TSDIDecFrame::RunAliases() {
    aliasesBusy_ = true;
    AliasDialog dialog(term_->Aliases(), this);
    // Saved at once, and used from the next typed line.
    if (dialog.exec() == QDialog::Accepted) term_->SetAliases(dialog.Aliases());
    aliasesBusy_ = false;
}

void TSDIDecFrame::ShowAbout() {
    taboutdlg about(this);
    about.exec();
}

// --- configuration ---------------------------------------------------------------------

void TSDIDecFrame::RunConfig() {
    // Also posted when a profile has no settings file; once is enough while it is open.
    if (configBusy_ || !session_->Loaded()) return;
    configBusy_ = true;

    // The command's effects on this frame, its terminal window and the client log.
    class Host final : public ConfigCommandHost {
    public:
        explicit Host(TSDIDecFrame& frame) : frame_(frame) {}
        bool RunConfigDialog(Settings& edited, BuiltInPlayers& builtIn) override {
            tmarrowcfg dialog(&frame_);
            // The MUD colours change in place at once, whatever the configuration's end;
            // they are saved with the next settings save.
            // So does the local echo colour, which is saved at once with the profile's options.
            dialog.SetColorsAction([this, &dialog] {
                ProfileOptions options = frame_.term_->Options();
                mcolordlg colors(frame_.stored_.mudcolors, frame_.stored_.custcolors, &dialog);
                colors.OfferLocalEcho(options);
                colors.exec();
                if (options != frame_.term_->Options()) frame_.term_->SetOptions(options);
            });
            return dialog.Run(edited, builtIn) == 1;
        }
        void ShowConfigError(std::string_view text) override {
            ExecPlainMessageBox(&frame_, BoxIcon::Critical, "Error...", text);
        }
        void LogLine(std::string_view line) override { frame_.client_->Log().LogLine(line); }
        void SetTopmost(bool topmost) override { frame_.SetTopmost(topmost); }
        void ApplyScreenSettings() override { frame_.term_->ApplyScreenSettings(false); }
        void SaveSettings() override { frame_.term_->SaveSettings(); }
        void ApplySizes() override { frame_.term_->ApplySizes(); }
        void Relayout() override { frame_.term_->Relayout(); }

    private:
        TSDIDecFrame& frame_;
    } host(*this);
    ProfileOptions options = term_->Options();
    if (RunConfigCommand(settings_, host, options.otherGame, &options.builtInPlayers) &&
        options.builtInPlayers != term_->Options().builtInPlayers)
        term_->SetOptions(options);
    configBusy_ = false;
}

// --- placement and position tracking --------------------------------------------------

void TSDIDecFrame::PlaceFrame(const QRect& rect, bool topmost) {
    SetTopmost(topmost);
    placement_.Place(rect);
    recordRect_ = true;
}

bool TSDIDecFrame::Topmost() const {
    return placement_.Topmost();
}

void TSDIDecFrame::SetTopmost(bool topmost) {
    placement_.SetTopmost(topmost);
}

void TSDIDecFrame::RecordRect() {
    if (minMax_ || !recordRect_) return;
    if (const std::optional<Rect> outer = placement_.OuterRect()) stored_.termpos = *outer;
}

void TSDIDecFrame::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    placement_.Follow();
    RecordRect();
}

void TSDIDecFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    placement_.Follow();
    minMax_ = isMinimized() || isMaximized() || isFullScreen();
    RecordRect();
}

void TSDIDecFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        minMax_ = isMinimized() || isMaximized() || isFullScreen();
        RecordRect();
    }
}

void TSDIDecFrame::OnHiddenModeChanged(bool hidden, int clientHeight) {
    bool wasLocked = term_->LayoutLocked();
    term_->SetLayoutLock(true);
    if (hidden) {
        heightBeforeHidden_ = height();
        int bars = height() - term_->height();
        setFixedSize(width(), std::max(0, clientHeight) + bars);
    } else {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        if (heightBeforeHidden_ > 0) resize(width(), heightBeforeHidden_);
    }
    term_->SetLayoutLock(wasLocked);
    RecordRect();
    term_->UpdateSizeText();
    term_->UpdateCursorText();
    menu_->SetChecked(kCmToggleHide, hidden);
    update();
}

// --- shut-down --------------------------------------------------------------------------

bool TSDIDecFrame::CanClose() {
    if (term_->Session().Connected() && !exitConfirmed_) {
        auto answer = QMessageBox::warning(this, QStringLiteral("Warning..."),
                                           QStringLiteral("Still connected... exit?"),
                                           QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes) return false;
        exitConfirmed_ = true;
    }
    return true;
}

void TSDIDecFrame::closeEvent(QCloseEvent* event) {
    if (!CanClose()) {
        event->ignore();
        return;
    }
    ShutDown();
    event->accept();
}

void TSDIDecFrame::SaveAll() {
    if (!session_ || !session_->Loaded()) return;
    session_->SaveIfLoaded();
    triggers_.SaveTriggers(session_->Name());
}

void TSDIDecFrame::ShutDown() {
    if (shutDown_) return;
    shutDown_ = true;
    SaveAll();
    // From here on nothing may connect again: the Term session's timers (ping, sound
    // poll, the Client autoconnect countdown) reach the Client connection only through
    // this control.
    term_->SetClientControl(nullptr);
    TermDisconnect();
    term_->Session().CloseScripts(); // tav.vars saved
    client_->Connection().Disconnect();
    client_->Sound().Stop();
}

} // namespace tav
