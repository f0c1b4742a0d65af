#include "windows/TermWindow.h"

#include "commands/AliasFile.h"
#include "commands/Speedwalk.h"
#include "net/CertificateTrust.h"
#include "net/TelnetCodes.h"
#include "screen/qt/ScreenAnnouncer.h"
#include "settings/Latin1Text.h"
#include "settings/ProfileText.h"

#include "term/MonotonicClock.h"
#include "term/qt/QtMessageBoxes.h"

#include "screen/TextDecoder.h"
#include "screen/qt/ScreenFonts.h"
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
#include "windows/StatusWindow.h"
#include "windows/TextListWindow.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QThread>

#include <algorithm>
#include <cstdio>

namespace tav {

namespace {

QRect ToQRect(const Rect& r) {
    return QRect(r.left, r.top, std::max(r.Width(), 0), std::max(r.Height(), 0));
}

Rect FromQRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void Place(QWidget& widget, bool shown, const Rect& rect) {
    if (shown) widget.setGeometry(ToQRect(rect));
    widget.setVisible(shown);
}

// Runs fn on the calls' own thread later when called from another thread; true then.
template <class Fn> bool QueueOffThread(PostedCalls& calls, Fn&& fn) {
    if (QThread::currentThread() == calls.thread()) return false;
    calls.Post(std::forward<Fn>(fn));
    return true;
}

constexpr std::string_view kTimeTemplate = "Connect client for updated Mud time...";
constexpr std::string_view kDateTemplate = "Connect client for updated Mud date...";
// The frame's bottom lies this far below the date text in hidden mode.
constexpr int kHiddenBottomGap = 7;
constexpr int kTimeTextTop = 2;

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

void tmudterm::LoadAliases() {
    AliasFileContents contents = LoadAliasFile(AliasFilePath(dataRoot_, profileName_));
    aliases_ = std::move(contents.aliases);
    if (contents.notUnderstood > 0)
        session_->PrintLocal("aliases.cfg: " + std::to_string(contents.notUnderstood) +
                             " line(s) not understood, kept as they are...\r\n");
}

bool tmudterm::SetAliases(std::vector<Alias> aliases) {
    aliases_ = std::move(aliases);
    // Only the typed-line rules: the rest of the options (an encoding the server agreed
    // on) stays as it is.
    ApplyCommandRules();
    if (SaveAliasFile(AliasFilePath(dataRoot_, profileName_), aliases_)) return true;
    session_->PrintLocal("Unable to open aliases.cfg for writing...\r\n");
    return false;
}

void tmudterm::SaveSettings() {
    // The function-key dialog edits the stored texts; the session sends from its copy.
    for (std::size_t k = 0; k < kFunctionKeyCount; ++k)
        session_->FunctionKeys()[k] = stored_.fkeys[k];
    SettingsFile file(settings_, stored_, *this, *session_, *services_, dataRoot_);
    file.SaveSettings(profileName_);
    SaveOptions();
}

std::string tmudterm::OptionsPath() const {
    return ProfileOptionsPath(dataRoot_, profileName_);
}

void tmudterm::ApplyOptions() {
    session_->SetEncoding(options_.encoding);
    session_->SetColourMode(options_.colours);
    split_->SetColourMode(options_.colours);
    session_->SetEchoColour(options_.echoColoured ? std::optional(options_.echoColour)
                                                  : std::nullopt);
    SetProfileTextUtf8(HasUnicodeCells(options_.encoding));
    session_->SetAutoReconnect(options_.autoReconnect);
    session_->SetNegotiation(options_.negotiate);
    input_->SetTabCompletion(options_.tabComplete);
    input_->SetLongLines(options_.longLines);
    input_->SetPasteToInput(options_.pasteToInput);
    session_->SetInputLimit(options_.longLines ? kLongInputBytes : kMaxHistoryChars);
    session_->SetGaPrompts(options_.gaPrompts);
    session_->SetConnectLogin(options_.connectLogin);
    const int columns = options_.wideScreen ? kWideBufferColumns : kBufferColumns;
    main_->SetBufferColumns(columns);
    split_->SetBufferColumns(columns);
    session_->SetTls(
        {options_.tls, options_.tlsPort, CertificateTrustPath(dataRoot_, profileName_)});
    ApplyCommandRules();
    emit optionsApplied();
}

void tmudterm::ApplyCommandRules() {
    session_->SetCommandRules({options_.separator, options_.speedwalk,
                               WalkDirections(options_.speedwalkDirections), aliases_});
}

bool tmudterm::SetOptions(const ProfileOptions& options) {
    options_ = options;
    ApplyOptions();
    return SaveOptions();
}

bool tmudterm::SaveOptions() {
    if (SaveProfileOptions(OptionsPath(), options_)) return true;
    session_->PrintLocal("Unable to open options.cfg for writing...\r\n");
    return false;
}

void tmudterm::ApplyScreenSettings(bool initial) {
    struct Screen {
        TMudScreen& screen;
        ScreenWidget& widget;
        const FontSpec& font;
    };
    const Screen screens[] = {{*main_, *mainWidget_, stored_.termfont},
                              {*split_, *splitWidget_, stored_.termfont},
                              {*desc_, *descWidget_, stored_.descfont},
                              {*exit_, *exitWidget_, stored_.exitfont},
                              {*list_, *listWidget_, stored_.listfont}};
    for (const Screen& s : screens) {
        if (s.font.face[0] != '\0') s.widget.SetScreenFont(s.font);
        s.screen.autowrap = settings_.autowrap != 0;
        s.screen.appendcr = settings_.appendcr != 0;
        s.screen.smoothscroll = settings_.smoothscroll != 0;
        s.screen.explicitmode = settings_.explicitmode != 0;
        s.screen.bellPath = settings_.bell;
    }

    const bool panes = settings_.multiscreen != 0;
    for (QWidget* w : {static_cast<QWidget*>(descWidget_), static_cast<QWidget*>(exitWidget_),
                       static_cast<QWidget*>(listWidget_), static_cast<QWidget*>(hdiv_),
                       static_cast<QWidget*>(h2div_), static_cast<QWidget*>(vdiv_)})
        w->setVisible(panes);
    map_->setVisible(settings_.enhancedterm != 0);
    stat_->setVisible(settings_.enhancedterm != 0);

    if (initial) {
        // While a profile is being applied the window does not have its final size yet
        // (the frame is placed afterwards): the first positions are then taken from the
        // size the window has when the layout is released.
        if (layoutLock_)
            dividersPending_ = true;
        else
            PlaceInitialDividers();
    }
    if (stored_.inputfont.face[0] != '\0') input_->setFont(FontFromSpec(stored_.inputfont));
}

void tmudterm::ApplySizes() {
    const SizesStep step = ComputeSizesStep(settings_, main_->Lines(), session_->History().Slots());
    if (step.scrollLines) {
        main_->ResetScreen(*step.scrollLines);
        split_->ResetScreen(*step.scrollLines);
        emit scrollLinesChanged(*step.scrollLines);
    }
    if (step.historyLines) session_->History().Resize(*step.historyLines);
}

void tmudterm::ReplaceFont(FontItem item, const FontSpec& font) {
    switch (item) {
    case FontItem::Term:
        mainWidget_->SetScreenFont(font);
        splitWidget_->SetScreenFont(font);
        break;
    case FontItem::Input: input_->setFont(FontFromSpec(font)); break;
    case FontItem::Desc: descWidget_->SetScreenFont(font); break;
    case FontItem::Exit: exitWidget_->SetScreenFont(font); break;
    case FontItem::List: listWidget_->SetScreenFont(font); break;
    default: break; // the tool windows take their fonts from the stored values
    }
}

void tmudterm::SetScreenColor(ScreenColor which, ColorRef color) {
    for (ScreenWidget* w : {mainWidget_, splitWidget_, descWidget_, exitWidget_, listWidget_}) {
        if (which == ScreenColor::Background)
            w->SetBackgroundColor(color);
        else
            w->SetTextColor(color);
    }
    (which == ScreenColor::Background ? stored_.bcolor : stored_.tcolor) = color;
}

void tmudterm::SetTopmost(bool topmost) {
    emit topmostRequested(topmost);
}

void tmudterm::PlaceFrame(const Rect& frame) {
    emit placeFrameRequested(ToQRect(frame));
}

void tmudterm::PostConfigCommand() {
    QMetaObject::invokeMethod(
        this, [this] { emit configRequested(); }, Qt::QueuedConnection);
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

// --- layout -----------------------------------------------------------------------------

int tmudterm::TimeTextHeight() const {
    return time_->sizeHint().height();
}

void tmudterm::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    Layout(e->size().width(), e->size().height());
}

void tmudterm::Relayout() {
    // The current size: it differs from the last laid-out one only when the window was
    // resized while the layout was locked.
    Layout(width(), height());
}

void tmudterm::SetLayoutLock(bool locked) {
    layoutLock_ = locked;
    if (locked) return;
    if (dividersPending_) PlaceInitialDividers();
    Relayout();
}

void tmudterm::PlaceInitialDividers() {
    dividersPending_ = false;
    const DividerRects d = InitialDividers(FromQRect(rect()), TimeTextHeight());
    hdiv_->setGeometry(ToQRect(d.hdiv));
    h2div_->setGeometry(ToQRect(d.h2div));
    vdiv_->setGeometry(ToQRect(d.vdiv));
}

void tmudterm::Layout(int width, int height) {
    if (layoutLock_ || hidden_) return;
    lastWidth_ = width;
    lastHeight_ = height;

    TermLayoutInput in;
    in.width = width;
    in.height = height;
    in.inputFontHeight = QFontMetrics(input_->font()).height();
    in.timeTextHeight = TimeTextHeight();
    in.mlSendWidth = mlSend_->width();
    in.clientConnected = clientConnected_;
    in.multiscreen = settings_.multiscreen != 0;
    in.enhancedterm = settings_.enhancedterm != 0;
    in.splitView = splitView_;
    in.screenLineHeight = mainWidget_->CellHeight();
    in.dividers = {FromQRect(hdiv_->geometry()), FromQRect(h2div_->geometry()),
                   FromQRect(vdiv_->geometry())};
    const TermLayoutResult r = LayoutTerm(in);
    lastLayout_ = r;

    Place(*hdiv_, r.showPanes, r.dividers.hdiv);
    Place(*h2div_, r.showPanes, r.dividers.h2div);
    Place(*vdiv_, r.showPanes, r.dividers.vdiv);
    for (auto [widget, rect] :
         {std::pair{descWidget_, r.descPane}, std::pair{exitWidget_, r.exitPane},
          std::pair{listWidget_, r.listPane}}) {
        if (r.showPanes) widget->SetScreenRect(ToQRect(rect), false);
        widget->setVisible(r.showPanes);
    }
    Place(*map_, r.showMapAndStatus, r.map);
    Place(*stat_, r.showMapAndStatus, r.status);
    Rect mainScreen = r.mainScreen;
    if (!find_->isHidden()) {
        // The find bar takes the bottom of the main screen's place.
        const int barHeight = std::min(find_->sizeHint().height(), mainScreen.Height());
        mainScreen.bottom -= barHeight;
        find_->setGeometry(mainScreen.left, mainScreen.bottom, mainScreen.Width(), barHeight);
    }
    mainWidget_->SetScreenRect(ToQRect(mainScreen), false);
    if (r.showSplitView) splitWidget_->SetScreenRect(ToQRect(r.splitView), false);
    splitWidget_->setVisible(r.showSplitView);
    input_->setGeometry(ToQRect(r.input));
    mlSend_->setGeometry(ToQRect(r.mlSend));
    Place(*time_, r.showTimeAndDate, r.timeText);
    Place(*date_, r.showTimeAndDate, r.dateText);

    UpdateSizeText();
    UpdateCursorText();
    update();
}

void tmudterm::ToggleSplitView() {
    splitView_ = !splitView_;
    splitOpenedByFind_ = false;
    splitHoldsMainLines_ = false;
    splitWidget_->SetFoundText({}, std::nullopt);
    if (splitView_) {
        split_->ClearScreen();
        split_->SetEncoding(RecentTextEncoding());
        split_->AddText(session_->RecentText());
    }
    Relayout();
}

void tmudterm::OpenFindBar() {
    find_->show();
    Relayout();
    find_->Open();
}

void tmudterm::ShowFoundText() {
    const std::optional<SearchMatch> current = find_->Current();
    mainWidget_->SetFoundText(find_->Matches(), current);
    if (current) RevealFound(*current);
    if (splitHoldsMainLines_) splitWidget_->SetFoundText(find_->Matches(), current);
}

// A match already on the main screen stays where it is; on a screen scrolled back the
// screen goes to it; otherwise the main screen keeps following the game and the split
// view above it shows the match among a copy of the main screen's lines.
void tmudterm::RevealFound(const SearchMatch& match) {
    const std::optional<int> line = BufferLineOf(*main_, match);
    if (!line) return;
    const int rows = main_->Rows();
    if (*line >= main_->Top() && *line < main_->Top() + rows) return;
    if (main_->ScrolledBack()) {
        main_->ScrollBar(ScrollRequest::ThumbTrack, *line - rows / 2);
        return;
    }
    if (!splitView_) {
        ToggleSplitView();
        splitOpenedByFind_ = true;
    }
    split_->CopyLinesFrom(*main_);
    splitHoldsMainLines_ = true;
    split_->ScrollBar(ScrollRequest::ThumbTrack, *line - split_->Rows() / 2);
}

void tmudterm::keyPressEvent(QKeyEvent* e) {
    if (find_->TakeKey(*e)) return e->accept();
    QWidget::keyPressEvent(e);
}

void tmudterm::OnFindClosed() {
    if (splitOpenedByFind_ && splitView_) ToggleSplitView();
    splitWidget_->SetFoundText({}, std::nullopt);
    Relayout();
    input_->setFocus();
}

void tmudterm::ToggleHidden() {
    hidden_ = !hidden_;
    // Hidden mode keeps only the time and date line: no place for the find bar.
    if (hidden_ && !find_->isHidden()) find_->Close();
    const bool wasLocked = layoutLock_;
    layoutLock_ = true;
    // In hidden mode only the time and date line stays: the window keeps the height down
    // to 7 pixels below the date text.
    emit hiddenModeChanged(hidden_,
                           hidden_ ? kTimeTextTop + TimeTextHeight() + kHiddenBottomGap : 0);
    layoutLock_ = wasLocked;
    if (!hidden_) Relayout();
    UpdateSizeText();
    UpdateCursorText();
    update();
}

void tmudterm::UpdateSizeText() {
    if (hidden_) return status_.SetSizeText("Hidden");
    char text[32];
    std::snprintf(text, sizeof text, "%d x %d", main_->Rows(), main_->Columns());
    status_.SetSizeText(text);
}

void tmudterm::UpdateCursorText() {
    if (hidden_) return status_.SetCursorText("Hidden");
    char text[32];
    std::snprintf(text, sizeof text, "%d,%d", main_->CursorRow(), main_->CursorCol());
    status_.SetCursorText(text);
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
