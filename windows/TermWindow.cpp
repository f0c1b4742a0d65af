#include "windows/TermWindow.h"

#include "net/TelnetCodes.h"
#include "screen/qt/ScreenAnnouncer.h"
#include "settings/Latin1Text.h"

#include "term/MonotonicClock.h"
#include "term/qt/QtMessageBoxes.h"

#include "screen/TextDecoder.h"
#include "settings/SettingsFile.h"
#include "settings/SizesStep.h"
#include "term/CommandTimers.h"
#include "term/SessionMapper.h"
#include "term/TermSession.h"
#include "term/qt/InputLine.h"
#include "term/qt/QtEventLoop.h"
#include "windows/Divider.h"
#include "windows/FindBar.h"
#include "windows/MapWindow.h"
#include "windows/QtRect.h"
#include "windows/StatusWindow.h"
#include "windows/TextListWindow.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QThread>

namespace tav {

namespace {

// Runs fn on the calls' own thread later when called from another thread; true then.
template <class Fn> bool QueueOffThread(PostedCalls& calls, Fn&& fn) {
    if (QThread::currentThread() == calls.thread()) return false;
    calls.Post(std::forward<Fn>(fn));
    return true;
}

constexpr std::string_view kTimeTemplate = "Connect client for updated Mud time...";
constexpr std::string_view kDateTemplate = "Connect client for updated Mud date...";

} // namespace

// The session's window services, answered by the terminal window and the parts
// attached to it later (client connection, client log, terminal log).
class tmudterm::Services final : public MessageBoxes,
                                 public TermStatus,
                                 public TermWindow,
                                 public IntervalClock,
                                 public ClientControl,
                                 public LogSink,
                                 public LineLog,
                                 public TriggerEffects {
public:
    explicit Services(tmudterm& term) : term_(term) {}

    // TriggerEffects: the bell's player (so "Don't play: Wav" silences these too) and the
    // channel window once it exists.
    void PlayTriggerSound(std::string_view path) override {
        if (term_.settings_.nowav == 0) term_.mainWidget_->Bell(std::string(path));
    }
    void CopyToChannel(std::string_view line) override {
        if (!term_.chan_) return;
        // The line is the main screen's text (UTF-8 where its cells are Unicode, else
        // Latin-1): the channel screen reads it so, as the Client text sets its own encoding
        // before each of its additions. 0xFF there starts a telnet command unless doubled.
        TMudScreen& channel = term_.chan_->Screen();
        channel.SetEncoding(term_.RecentTextEncoding());
        channel.AddText(telnet::EscapeIac(line) + "\r\n");
    }

    // MessageBoxes, owned by the main window.
    void ShowMessage(std::string_view text, std::string_view title) override {
        if (term_.boxesOverride_) return term_.boxesOverride_->ShowMessage(text, title);
        QtMessageBoxes(term_.window()).ShowMessage(text, title);
    }
    bool AskYesNo(std::string_view text, std::string_view title) override {
        if (term_.boxesOverride_) return term_.boxesOverride_->AskYesNo(text, title);
        return QtMessageBoxes(term_.window()).AskYesNo(text, title);
    }
    std::size_t Ask(std::string_view text, std::string_view title,
                    std::span<const std::string_view> buttons, std::size_t defaultButton) override {
        if (term_.boxesOverride_)
            return term_.boxesOverride_->Ask(text, title, buttons, defaultButton);
        return QtMessageBoxes(term_.window()).Ask(text, title, buttons, defaultButton);
    }

    // TermStatus
    void ShowTermState(bool connected) override { term_.status_.ShowTermState(connected); }
    void ShowTermSecure(bool secure) override { term_.status_.ShowTermSecure(secure); }
    void UpdateCursorText(int, int) override { term_.UpdateCursorText(); }
    void SetLatencyText(std::string_view text) override { term_.status_.SetLatencyText(text); }
    void SetMessageText(std::string_view text) override { term_.status_.SetMessageText(text); }

    // TermWindow
    void ShowTimeAndDate(std::string_view time, std::string_view date) override {
        term_.SetTimeAndDate(time, date);
    }
    void ToggleSplitView() override { term_.ToggleSplitView(); }
    void ToggleCursor(CursorStyle style) override { term_.mainWidget_->ToggleCursor(style); }
    std::pair<int, int> ScreenPixelSize() override {
        return {term_.mainWidget_->width(), term_.mainWidget_->height()};
    }

    // IntervalClock
    std::int32_t NowMs() override { return clock_.NowMs(); }

    // ClientControl: the Client connection once attached.
    bool IsConnected() override { return term_.client_ && term_.client_->IsConnected(); }
    void Connect() override {
        if (term_.client_) term_.client_->Connect();
    }
    void SendPing() override {
        if (term_.client_) term_.client_->SendPing();
    }
    void PollSoundPlayer() override {
        if (term_.client_) term_.client_->PollSoundPlayer();
    }

    // LogSink: the client log once attached, the status bar until then.
    void LogLine(std::string_view line) override {
        if (term_.clientLog_)
            term_.clientLog_->LogLine(line);
        else
            term_.status_.SetMessageText(line);
    }
    void AppendToLogWindow(std::string_view line) override {
        if (term_.clientLog_) term_.clientLog_->AppendToLogWindow(line);
    }

    // LineLog: the user's terminal log once attached.
    bool IsOpen() const override { return term_.lineLog_ && term_.lineLog_->IsOpen(); }
    void Write(std::string_view text) override {
        if (term_.lineLog_) term_.lineLog_->Write(text);
    }
    void WriteColored(std::string_view line, const LineLook& look) override {
        if (term_.lineLog_) term_.lineLog_->WriteColored(line, look);
    }

private:
    tmudterm& term_;
    MonotonicClock clock_;
};

tmudterm::tmudterm(Settings& settings, StoredValues& stored, TriggerList& triggers,
                   StatusBarSink& status, QWidget* parent)
    : QWidget(parent), settings_(settings), stored_(stored), status_(status) {
    setWindowTitle("TavClient");
    // Children in creation order; later ones lie above earlier ones.
    mainWidget_ = MakeScreen(main_, "TavClient MudScreen");
    descWidget_ = MakeScreen(desc_, "TavClient DescWin");
    exitWidget_ = MakeScreen(exit_, "TavClient ExitWin");
    listWidget_ = MakeScreen(list_, "TavClient ListWin");
    hdiv_ = new Divider(Qt::Horizontal, this);
    h2div_ = new Divider(Qt::Horizontal, this);
    vdiv_ = new Divider(Qt::Vertical, this);
    hdiv_->setObjectName("TavClient HDivWin");
    h2div_->setObjectName("TavClient H2DivWin");
    vdiv_->setObjectName("TavClient VDivWin");
    map_ = new MapWindow(this);
    stat_ = new StatusWindow(this);
    splitWidget_ = MakeScreen(split_, "TavClient MudScroll");
    // The split view shows the recent text, which holds the main screen's cells: Latin-1.
    split_->SetEncoding(TextEncoding::Latin1);
    splitWidget_->hide();
    for (QWidget* w : {static_cast<QWidget*>(descWidget_), static_cast<QWidget*>(exitWidget_),
                       static_cast<QWidget*>(listWidget_), static_cast<QWidget*>(hdiv_),
                       static_cast<QWidget*>(h2div_), static_cast<QWidget*>(vdiv_),
                       static_cast<QWidget*>(map_), static_cast<QWidget*>(stat_)})
        w->hide();

    input_ = new tinedit(this);
    // The game time and date come from the server: never read as markup.
    time_ = new QLabel(Latin1ToQString(kTimeTemplate), this);
    date_ = new QLabel(Latin1ToQString(kDateTemplate), this);
    time_->setTextFormat(Qt::PlainText);
    date_->setTextFormat(Qt::PlainText);
    time_->hide();
    date_->hide();
    mlSend_ = new QPushButton("ml-send", this);
    mlSend_->setFocusPolicy(Qt::TabFocus);
    mlSend_->resize(mlSend_->sizeHint());
    find_ = new FindBar(*main_, this);

    services_ = std::make_unique<Services>(*this);
    loop_ = std::make_unique<QtEventLoop>();
    TermServices services;
    services.boxes = services_.get();
    services.status = services_.get();
    services.input = input_;
    services.client = services_.get();
    services.window = services_.get();
    services.log = services_.get();
    services.clientLog = services_.get();
    services.clock = services_.get();
    services.triggers = &triggers;
    services.triggerEffects = services_.get();
    services.screenReaderActive = [] { return QAccessible::isActive(); };
    auto* announcer = new ScreenAnnouncer(*mainWidget_, *services_, {}, this);
    // Screen readers hear the game's lines as they arrive; Tab completes from their words.
    services.onLine = [announcer, input = input_](std::string_view line) {
        announcer->LineCompleted(line);
        input->Words().AddLine(line);
    };
    session_ = std::make_unique<TermSession>(settings_, *main_, *loop_, std::move(services));
    input_->SetSession(session_.get());
    timers_ = std::make_unique<CommandTimers>(*session_, *loop_);
    automap_ = std::make_unique<SessionMapper>(*session_, *loop_, services_.get());
    session_->SetFollower(automap_.get());
    map_->SetAutomap(automap_.get());

    connect(input_, &tinedit::submitted, this, &tmudterm::OnInputEnter);
    connect(input_, &tinedit::pageRequested, this, [this](bool up) {
        if (up)
            mainWidget_->PageUp(true);
        else
            mainWidget_->PageDown(true);
    });
    connect(input_, &tinedit::selectScreenRequested, this, [this] { mainWidget_->SelectAll(); });
    connect(input_, &tinedit::searchPrompt, this,
            [this](const QString& prompt) { status_.SetMessageText(QStringToLatin1(prompt)); });
    connect(input_, &tinedit::frameCommand, this, &tmudterm::frameCommand);
    connect(mlSend_, &QPushButton::clicked, this, [this] { emit frameCommand(kCmdMultiLineSend); });
    connect(mainWidget_, &ScreenWidget::parentCommand, this, &tmudterm::screenCommand);
    connect(find_, &FindBar::foundChanged, this, &tmudterm::ShowFoundText);
    connect(find_, &FindBar::closed, this, &tmudterm::OnFindClosed);
    input_->SetKeyTaker(
        [this](const QKeyEvent& key) { return find_->TakeKey(key) || map_->TakeWalkKey(key); });
    for (Divider* divider : {hdiv_, h2div_, vdiv_})
        connect(divider, &Divider::moved, this, [this] { Relayout(); });

    NameForScreenReaders();
    ApplyScreenSettings(true);
    SetUpTextWindows();
    input_->setFocus();
}

tmudterm::~tmudterm() {
    // The session goes first (it closes the socket and stops the timers), then the
    // widgets that show the screens, then the screens themselves. The input line is one
    // of those widgets and must not reach the session in between.
    input_->SetSession(nullptr);
    map_->SetAutomap(nullptr);
    session_->SetFollower(nullptr);
    automap_.reset();
    timers_.reset();
    session_.reset();
    for (txtdlg* window : {who_.data(), chan_.data(), eq_.data(), inv_.data(), scroll_.data()})
        delete window;
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void tmudterm::NameForScreenReaders() {
    // Each screen and pane is named by what it shows; Tab walks them in the order they
    // appear, top left to bottom right, and back to the input line.
    const std::pair<QWidget*, const char*> names[] = {
        {time_, "Game time"},
        {date_, "Game date"},
        {descWidget_, "Room description"},
        {exitWidget_, "Exits"},
        {listWidget_, "Room contents"},
        {mainWidget_, "Game text"},
        {splitWidget_, "Scroll back"},
        {map_, "Map"},
        {stat_, "Hit/Mana/Move"},
        {input_, "Command input"},
        {hdiv_, "Divider above the game text"},
        {h2div_, "Divider between exits and room contents"},
        {vdiv_, "Divider beside the room description"},
    };
    for (const auto& [widget, name] : names)
        widget->setAccessibleName(QString::fromLatin1(name));
    QWidget* order[] = {descWidget_, exitWidget_, listWidget_, splitWidget_, mainWidget_,
                        map_,        stat_,       input_,      mlSend_};
    for (QWidget* w : {static_cast<QWidget*>(map_), static_cast<QWidget*>(stat_)})
        w->setFocusPolicy(Qt::TabFocus);
    for (std::size_t k = 0; k + 1 < std::size(order); ++k)
        setTabOrder(order[k], order[k + 1]);
}

ScreenWidget* tmudterm::MakeScreen(std::unique_ptr<TMudScreen>& screen, const char* title) {
    screen = std::make_unique<TMudScreen>(settings_);
    // Only the main screen's completed lines are taken (by the session).
    screen->queueLines = &screen == &main_;
    auto* widget = new ScreenWidget(*screen, settings_, stored_.mudcolors, this);
    widget->setWindowTitle(title);
    widget->setObjectName(title);
    return widget;
}

TermSession& tmudterm::Session() {
    return *session_;
}

QtEventLoop& tmudterm::Loop() {
    return *loop_;
}

TMudScreen& tmudterm::MainScreen() {
    return *main_;
}

ScreenWidget& tmudterm::MainScreenWidget() {
    return *mainWidget_;
}

// --- settings ---------------------------------------------------------------------------

void tmudterm::LoadSettings() {
    SettingsFile file(settings_, stored_, *this, *session_, *services_, dataRoot_);
    file.LoadSettings(profileName_);
    for (std::size_t k = 0; k < kFunctionKeyCount; ++k)
        session_->FunctionKeys()[k] = stored_.fkeys[k];
    options_ = LoadProfileOptions(OptionsPath());
    LoadAliases();
    ApplyOptions();
    timers_->Load(TimerFilePath(dataRoot_, profileName_));
    automap_->SetProfile(dataRoot_ + "/profiles/" + profileName_);
}

void tmudterm::SaveSettings() {
    // The function-key dialog edits the stored texts; the session sends from its copy.
    for (std::size_t k = 0; k < kFunctionKeyCount; ++k)
        session_->FunctionKeys()[k] = stored_.fkeys[k];
    SettingsFile file(settings_, stored_, *this, *session_, *services_, dataRoot_);
    file.SaveSettings(profileName_);
    SaveOptions();
}

// --- text list windows ----------------------------------------------------------------

txtdlg& tmudterm::WhoWindow() {
    return *who_;
}
txtdlg& tmudterm::ChannelWindow() {
    return *chan_;
}
txtdlg& tmudterm::EquipmentWindow() {
    return *eq_;
}
txtdlg& tmudterm::InventoryWindow() {
    return *inv_;
}
txtdlg& tmudterm::ScrollWindow() {
    return *scroll_;
}

void tmudterm::SetUpTextWindows() {
    struct Window {
        QPointer<txtdlg>& window;
        const char* caption;
        TextListStore store;
        const char* shows; // what screen readers call its text
    };
    const Window windows[] = {
        {who_,
         "TavClient WhoDlg",
         {stored_.whopos, stored_.whofont, &stored_.whoontop},
         "Who list"},
        {chan_,
         "TavClient ChanDlg",
         {stored_.gosspos, stored_.chanfont, &stored_.chanontop},
         "Channel"},
        {eq_, "TavClient EqDlg", {stored_.eqpos, stored_.eqfont, &stored_.eqontop}, "Equipment"},
        {inv_,
         "TavClient InvDlg",
         {stored_.invpos, stored_.invfont, &stored_.invontop},
         "Inventory"},
        {scroll_,
         "TavClient ScrollDlg",
         {stored_.scrollpos, stored_.scrollfont, nullptr},
         "Scroll buffer"},
    };
    for (const Window& w : windows) {
        if (w.window == nullptr) {
            w.window = new txtdlg(w.caption, w.store, settings_, stored_.mudcolors, window());
            if (auto* text = w.window->findChild<ScreenWidget*>())
                text->setAccessibleName(QString::fromLatin1(w.shows));
        }
        w.window->SetUp();
    }
    scroll_->AddFindBar();
}

TextEncoding tmudterm::RecentTextEncoding() const {
    // The recent text holds the main screen's lines as it hands them out: the cells'
    // Latin-1 bytes, or UTF-8 when its cells are Unicode.
    return HasUnicodeCells(session_->Encoding()) ? TextEncoding::Utf8 : TextEncoding::Latin1;
}

void tmudterm::ShowScrollBuffer() {
    TMudScreen& screen = scroll_->Screen();
    const SizesStep step = ComputeSizesStep(settings_, screen.Lines(), 0);
    screen.ResetScreen(step.scrollLines.value_or(screen.Lines()));
    scroll_->ShowRaised();
    screen.SetEncoding(RecentTextEncoding());
    screen.AddText(session_->RecentText());
}

void tmudterm::SetClientConnected(bool connected) {
    if (QueueOffThread(offThread_, [this, connected] { SetClientConnected(connected); })) return;
    clientConnected_ = connected;
    map_->SetClientConnected(connected);
    Relayout();
}

// --- effects of Client messages ----------------------------------------------------------

void tmudterm::SetMap(const MapGrid& grid) {
    if (QueueOffThread(offThread_, [this, grid] { SetMap(grid); })) return;
    map_->SetMap(grid);
}

void tmudterm::SetStatusValues(int hit, int hitMax, int mana, int manaMax, int move, int moveMax) {
    if (QueueOffThread(offThread_,
                       [=, this] { SetStatusValues(hit, hitMax, mana, manaMax, move, moveMax); }))
        return;
    stat_->SetStatus(hit, hitMax, mana, manaMax, move, moveMax);
}

void tmudterm::SetTimeAndDate(std::string_view time, std::string_view date) {
    if (QueueOffThread(offThread_, [this, t = std::string(time), d = std::string(date)] {
            SetTimeAndDate(t, d);
        }))
        return;
    time_->setText(Latin1ToQString(FirstLine(time)));
    date_->setText(Latin1ToQString(FirstLine(date)));
}

// --- input and painting ------------------------------------------------------------------

void tmudterm::OnInputEnter() {
    session_->SubmitInput();
    if (settings_.noerase)
        input_->selectAll();
    else
        input_->clear();
}

void tmudterm::paintEvent(QPaintEvent*) {
    // The dividers' pattern, so the time and date texts stay readable whatever the
    // screens' colours.
    QPainter painter(this);
    Divider::PaintPattern(painter, rect(), palette());
}

} // namespace tav
