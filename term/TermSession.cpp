#include "term/TermSession.h"

#include "net/TelnetCodes.h"
#include "screen/TextDecoder.h"
#include "script/ScriptEngine.h"
#include "settings/GamePort.h"
#include "term/TermSessionScripts.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tav {

namespace {

constexpr std::string_view kNotConnected = "Not connected...\r\n";

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

} // namespace

int TermSession::DecimalValue(const char* text) {
    const long value = std::strtol(text, nullptr, 10);
    return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

TermSession::TermSession(Settings& settings, TMudScreen& screen, EventLoop& loop,
                         TermServices services)
    : settings_(settings), screen_(screen), loop_(loop), services_(std::move(services)),
      connector_(loop) {
    if (services_.triggers) {
        services_.triggers->SetSender(this);
        services_.triggers->SetObserver(this);
    }
}

TermSession::~TermSession() {
    CloseScripts();
    connector_.Cancel();
    for (int id : {kSoundPollTimer, kPingTimer, kCountdownTimer, kCursorBlinkTimer, kReconnectTimer,
                   kScriptTimer})
        loop_.StopTimer(id);
    if (fd_ >= 0) {
        loop_.Unwatch(fd_);
        ::close(fd_);
    }
    if (services_.triggers) {
        services_.triggers->SetSender(nullptr);
        services_.triggers->SetObserver(nullptr);
    }
}

// --- connection ---------------------------------------------------------------------

bool TermSession::TermStartup() {
    // There is no socket manager to start here; the lines tell what the sockets layer has.
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    const long maxSockets =
        limit.rlim_cur == RLIM_INFINITY ? INT_MAX : static_cast<long>(limit.rlim_cur);
    PrintLocal("POSIX sockets (TCP/IPv4)\r\n");
    PrintLocal(Format("%ld max sockets available.\r\n", maxSockets));
    PrintLocal("Running.\r\n");
    started_ = true;
    return true;
}

bool TermSession::ValidateAddress() {
    port_ = settings_.port[0] == '\0' ? -1 : DecimalValue(settings_.port);
    auto box = [this](std::string_view text, std::string_view title) {
        if (services_.boxes) services_.boxes->ShowMessage(text, title);
        return false;
    };
    if (settings_.addy[0] == '\0')
        return box("You must enter the IP address to connect to.", "Error...");
    if (settings_.port[0] == '\0') return box("You must enter the port to connect to.", "Error...");
    if (!IsGamePort(port_)) return box("Invalid port.", "Warning...");
    return true;
}

int TermSession::TermConnect(std::function<void(int)> done) {
    CancelReconnect();
    return StartConnect(std::move(done));
}

int TermSession::StartConnect(std::function<void(int)> done) {
    if (!ValidateAddress()) return -1;
    if (!started_ && !TermStartup()) return -1;
    if (Connecting()) return 0; // already on its way
    const std::string where = Format("%s %d", settings_.addy, ConnectPort());
    PrintLocal("Connecting to " + where + " ...\r\n");
    const std::uint64_t attempt = ++connectAttempt_;
    connector_.Start(
        settings_.addy, ConnectPort(),
        [this, done = std::move(done)](ConnectResult result) { OnConnectResult(result, done); },
        tlsOptions_.enabled);
    // A quick connect says nothing more; a host that keeps it waiting is shown, with the
    // way out.
    loop_.SingleShot(kStalledConnectMs, [this, alive = std::weak_ptr<int>(alive_), attempt, where] {
        if (!alive.expired() && attempt == connectAttempt_ && connector_.Pending())
            ShowMessageText("TavTerm: still connecting to " + where + "... (Disconnect stops it)");
    });
    return 0;
}

bool TermSession::DropConnect() {
    const bool pending = Connecting();
    ++connectAttempt_; // a certificate question still open is answered No
    connector_.Cancel();
    askingTrust_ = false;
    return pending;
}

void TermSession::OnConnectResult(const ConnectResult& result,
                                  const std::function<void(int)>& done) {
    if (result.stage != ConnectResult::Stage::Connected) {
        PrintLocal(result.stage == ConnectResult::Stage::CreateSocket ? "CreateSocket()\r\n"
                                                                      : "Connect()\r\n");
        PrintLocal(result.reason);
        PrintLocal("\r\n");
        ShowConnectionText("TavTerm: not connected.");
        if (done) done(-1);
        return;
    }
    if (result.tls) {
        const std::uint64_t attempt = connectAttempt_;
        const std::weak_ptr<int> alive = alive_;
        askingTrust_ = true;
        const bool accepted = AcceptCertificate(*result.tls, ConnectPort());
        // The session may have ended, or the connect been stopped by the user or a
        // profile switch, while the question was open.
        const bool dropped = alive.expired() || attempt != connectAttempt_;
        if (!accepted || dropped) {
            result.tls->channel->Shutdown();
            ::close(result.fd);
            if (dropped) return;
            askingTrust_ = false;
            PrintLocal("Connect()\r\nThe server's certificate was not accepted.\r\n");
            ShowConnectionText("TavTerm: not connected.");
            if (done) done(-1);
            // A reconnect would only ask again, or show the changed certificate again.
            CancelReconnect();
            return;
        }
        askingTrust_ = false;
    }
    Adopt(result.fd, result.tls ? std::move(result.tls->channel) : nullptr);
    if (services_.status) services_.status->ShowTermState(true);
    if (connectionListener_) connectionListener_(true);
    if (result.tls) {
        const std::string secure = "Secure connection (" + result.tls->version + ")";
        PrintLocal(secure + ".\r\n");
        if (services_.status) services_.status->ShowTermSecure(true);
        ShowMessageText("TavTerm: " + secure);
    } else {
        ShowConnectionText("TavTerm: connected.");
    }
    const std::weak_ptr<int> alive = alive_;
    if (done) done(1);
    if (!alive.expired() && connected_) ScriptEvent(true);
}

void TermSession::Adopt(int fd, std::unique_ptr<TlsChannel> tls) {
    if (fd_ >= 0) { // not expected: every close clears it
        loop_.Unwatch(fd_);
        ::close(fd_);
    }
    fd_ = fd;
    tls_ = std::move(tls);
    connected_ = true;
    outgoing_.clear();
    outgoingSent_ = 0;
    ++connectionSerial_;
    reconnect_.Connected(SteadyNow());
    gameInformation_.clear();
    StartProtocol();
    if (follower_) follower_->ConnectionChanged(true);
    if (fd_ < 0) return;
    loop_.WatchReadable(fd_, [this] {
        if (TermReceive() < 0) LoseConnection();
    });
}

void TermSession::TermDisconnect() {
    CancelReconnect();
    if (DropConnect()) {
        PrintLocal("TavTerm connect cancelled.\r\n");
        ShowConnectionText("TavTerm: not connected.");
    }
    if (Open()) CloseConnection();
}

void TermSession::CloseConnection() {
    PrintLocal("TavTerm disconnecting...\r\n");
    if (fd_ >= 0) {
        loop_.Unwatch(fd_);
        if (tls_) tls_->Shutdown();
        ::close(fd_);
        fd_ = -1;
    }
    if (tls_ && services_.status) services_.status->ShowTermSecure(false);
    tls_.reset();
    connected_ = false;
    outgoing_.clear();
    outgoingSent_ = 0;
    sendFailure_.clear();
    ++connectionSerial_;
    StopProtocol();
    if (services_.status) services_.status->ShowTermState(false);
    ShowConnectionText("TavTerm: not connected.");
    if (follower_) follower_->ConnectionChanged(false);
    if (connectionListener_) connectionListener_(false);
    ScriptEvent(false);
}

// --- sending ------------------------------------------------------------------------

std::string TermSession::GameBytes(std::string_view latin1) const {
    return Latin1ToGameBytes(latin1, Encoding());
}

int TermSession::TermSendAll(std::string_view bytes) {
    // 0xFF is telnet's IAC: a data byte of that value goes out doubled, or the server
    // would take it and the byte after it for a command ("\xFF\xF4" is IAC IP). Every
    // send passes here once, after its text was encoded, so nothing is doubled twice.
    if (bytes.find('\xFF') == std::string_view::npos) return SendRaw(bytes);
    return SendRaw(telnet::EscapeIac(bytes));
}

void TermSession::Send(std::string_view reaction) {
    // A trigger that only colours or gags has an empty reaction: while connected, sending
    // it puts nothing on the wire and prints nothing.
    if (!SendDoesSomething(reaction)) return;
    screen_.SetCompletionTag(kReactionLine);
    TermSend(GameBytes(reaction), false, true);
    screen_.SetCompletionTag(0);
}

bool TermSession::SendDoesSomething(std::string_view reaction) const {
    return !reaction.empty() || !connected_;
}

bool TermSession::FiringAgainActs() const {
    // A trigger fired again only repeats the sound and the channel copy of the one before.
    return matching_ != nullptr && matching_->lastPlays && services_.triggerEffects != nullptr;
}

void TermSession::TriggerFired(const TTrigger& trigger, MatchSpan span) {
    if (matching_ == nullptr) return;
    CompletedLine& line = *matching_;
    const TriggerActions& actions = trigger.Actions();
    // The same trigger fired just before on this line: the colours and the gag it asks for
    // are there already, and only its sound and its channel copy come again. The trigger
    // is read only for those: a long list keeps it out of the caches.
    if (services_.triggers != nullptr && services_.triggers->FiringAgain()) {
        if (line.lastPlays && services_.triggerEffects) PlayEffects(line, actions);
        return;
    }
    line.lastPlays = !actions.sound.empty() || actions.toChannel;
    // Equal patterns fire one after another on the same spans: a trigger that would colour
    // the cells the trigger just before it coloured, the same again, is spared the work.
    CompletedLine::Highlight& before = line.lastHighlight;
    const bool afterColouring = before.justBefore;
    before.justBefore = false;
    if (!actions.ActsOnLine()) return;
    const CellColor text = actions.textColor ? ExplicitCellColor(*actions.textColor) : 0;
    const CellColor back = actions.backColor ? ExplicitCellColor(*actions.backColor) : 0;
    const bool repeated = afterColouring && services_.triggers != nullptr &&
                          services_.triggers->FiringRepeatsLast() &&
                          before.scope == actions.highlight && before.text == text &&
                          before.back == back;
    if (!repeated && actions.highlight == HighlightScope::Match) {
        // Every match in the line, each searched for after the one before, unless the
        // list knows there is no other.
        const std::string_view bytes = line.taken.text;
        const bool only = services_.triggers != nullptr && services_.triggers->FiringMatchIsOnly();
        TriggerCaptures captures;
        for (MatchSpan at = span;;) {
            const auto [first, last] = line.taken.Columns(at.begin, at.end);
            screen_.ColorCompletedLine(line.taken.serial, first, last, text, back);
            const std::size_t from = std::max(at.end, at.begin + 1);
            if (only || from >= bytes.size() ||
                !trigger.Compiled().Find(bytes.substr(from), captures))
                break;
            at = {from + captures.match.begin, from + captures.match.end};
        }
    } else if (!repeated && actions.highlight == HighlightScope::Line) {
        screen_.ColorWholeCompletedLine(line.taken.serial, text, back);
    }
    if (actions.highlight != HighlightScope::None) before = {true, actions.highlight, text, back};
    if (actions.gag) {
        screen_.RemoveCompletedLine(line.taken.serial);
        line.shown = false;
        if (actions.gagLog) line.logged = false;
    }
    if (line.lastPlays && services_.triggerEffects) PlayEffects(line, actions);
}

void TermSession::PlayEffects(const CompletedLine& line, const TriggerActions& actions) {
    if (!actions.sound.empty()) services_.triggerEffects->PlayTriggerSound(actions.sound);
    if (actions.toChannel) services_.triggerEffects->CopyToChannel(line.taken.text);
}

int TermSession::TermSend(std::string_view text, bool echo, bool raw) {
    if (!connected_) {
        PrintLocal(kNotConnected);
        return -1;
    }
    std::string buffer(text);
    if (!raw) buffer.push_back('\n');
    const int result = TermSendAll(buffer);
    if (result >= 0 && inputVisible_ && follower_) FollowSent(text);
    // Text that did not go out is not shown as if it had.
    if (echo && inputVisible_ && result >= 0) {
        buffer.push_back('\r');
        PrintEcho(buffer);
    }
    return result;
}

int TermSession::SendText(std::string_view text) {
    if (!connected_) return -1;
    const int result = TermSendAll(text);
    if (result >= 0 && inputVisible_) PrintEcho(text);
    return result;
}

void TermSession::SendCommandString(std::string_view text) {
    const std::string buffer(text.substr(0, kMaxCommandStringChars));
    std::size_t start = 0;
    for (std::size_t k = 0; k < buffer.size(); ++k) {
        if (buffer[k] != ';') continue;
        if (k == start)
            TermSend("\n", false, true);
        else
            TermSend(GameBytes(std::string_view(buffer).substr(start, k - start)), true, false);
        start = k + 1;
    }
}

void TermSession::SendFunctionKey(int key) {
    if (key < 1 || key > kFunctionKeys) return;
    if (connected_)
        SendCommandString(functionKeys_[static_cast<std::size_t>(key - 1)]);
    else
        PrintLocal(kNotConnected);
}

void TermSession::SendKeypadWord(char key) {
    if (auto word = KeypadWord(key)) TermSend(*word, true, false);
}

void TermSession::SubmitInput() {
    std::optional<std::string> text;
    if (services_.input) text = services_.input->ReadText();
    if (!text || text->empty()) {
        TermSend("", true, false);
        return;
    }
    std::string line = text->substr(0, inputLimit_);

    if (line[0] == '_') {
        if (line == "_test") {
            ShowDiagnostics();
        } else if (line == "_connect") {
            if (!connected_) TermConnect();
        } else if (line == "_disconnect") {
            TermDisconnect();
        } else if (inputVisible_) {
            // Shown only: the line it completes goes to no trigger, log or recent text.
            screen_.AddText(line + "\r\n");
            while (screen_.TakeLine()) {
            }
        }
        return;
    }

    // A line typed while the server echoes is a password: it is sent exactly as typed
    // and never kept, so the history cannot show it again in clear text.
    if (!inputVisible_) {
        if (!connected_)
            PrintLocal(kNotConnected);
        else
            TermSend(line, true, false);
        return;
    }
    history_.Add(line);
    if (follower_ && follower_->TakeTypedLine(line)) return;
    if (scripts_ && RunScriptAlias(line)) return;
    Expansion expansion = Expander().Expand(line);
    if (expansion.alias) {
        lastAlias_ = std::move(expansion.alias);
        if (aliasListener_) aliasListener_();
    }
    if (!expansion.refusal.empty()) {
        PrintLocal(expansion.refusal + "\r\n");
        return;
    }
    if (!connected_) {
        PrintLocal(kNotConnected);
        return;
    }
    // Once a send fails the rest would only repeat "Not connected...".
    for (const std::string& command : expansion.commands)
        if (TermSend(command, true, false) < 0) break;
}

void TermSession::FollowSent(std::string_view text) {
    // A reaction may hold several lines.
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) follower_->CommandSent(line);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
}

const CommandExpander& TermSession::Expander() {
    if (expander_ && expanderEncoding_ == Encoding()) return *expander_;
    CommandRules rules{
        GameBytes(commandRules_.separator), GameBytes(commandRules_.speedwalkPrefix), {}, {}};
    for (const std::string& direction : commandRules_.directions)
        rules.directions.push_back(GameBytes(direction));
    for (const Alias& alias : commandRules_.aliases)
        rules.aliases.push_back({GameBytes(alias.name), GameBytes(alias.body)});
    expanderEncoding_ = Encoding();
    return expander_.emplace(std::move(rules));
}

void TermSession::ShowDiagnostics() {
    const auto [width, height] =
        services_.window ? services_.window->ScreenPixelSize() : std::pair{0, 0};
    if (services_.window)
        services_.window->ShowTimeAndDate(
            Format("MudScreen Width: %d, MudScreen Height: %d", width, height),
            Format("TopRow: %d, LeftCol: %d", screen_.Top(), 0));
    PrintLocal("This is a major, i say major, i mean that this\r\nis\r\na\r\ntest\r\nof\r\nthe\r\n"
               "emergency\r\nsystem\r\n");
    if (services_.window) services_.window->ToggleSplitView();
}

// --- helpers ------------------------------------------------------------------------

void TermSession::LogLine(std::string_view line) {
    if (services_.clientLog) services_.clientLog->LogLine(line);
}

void TermSession::UpdateCursorText() {
    if (services_.status)
        services_.status->UpdateCursorText(screen_.CursorRow(), screen_.CursorCol());
}

void TermSession::SetMasked(bool masked) {
    if (services_.input) services_.input->SetMasked(masked);
}

} // namespace tav
