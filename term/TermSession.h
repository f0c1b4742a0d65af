#pragma once

#include "commands/CommandExpander.h"
#include "net/GameData.h"
#include "net/MsspReader.h"
#include "net/TelnetProtocol.h"
#include "screen/MudScreen.h"
#include "script/LuaState.h"
#include "settings/LocalPrinter.h"
#include "settings/LogSink.h"
#include "settings/Settings.h"
#include "term/EventLoop.h"
#include "term/InputHistory.h"
#include "term/ReconnectPolicy.h"
#include "term/TcpConnector.h"
#include "term/TermServices.h"
#include "triggers/TriggerList.h"
#include "triggers/TriggerSender.h"

#include <atomic>

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

class ScriptEngine;

// Timer ids of the main terminal window.
enum TermTimer : int {
    kSoundPollTimer = 56,   // every 500 ms: has the external sound player finished?
    kPingTimer = 57,        // every 10 s: stamp the ping time, ping the Client
    kCountdownTimer = 58,   // every 1 s while the Client autoconnect counts down
    kCursorBlinkTimer = 59, // every 500 ms: blink the terminal cursor
    kReconnectTimer = 60,   // every 1 s while a reconnect of the Term connection waits
    kMapWalkTimer = 61,     // every 1 s while the automapper walks the player
    kScriptTimer = 62,      // when the next timer of the profile's scripts is due
};

inline constexpr std::size_t kReceiveBlock = 1024;
// Blocks read for one readiness notification before the event loop gets its turn again:
// a flood then costs one wake-up per 64 KiB instead of one per block.
inline constexpr int kReceiveBlocksPerWake = 64;
inline constexpr std::size_t kRecentTextChars = 16383;
inline constexpr std::size_t kMaxCommandStringChars = 255;
inline constexpr int kMaxCountdownSeconds = 60;
inline constexpr int kFunctionKeys = 12;
// Bytes sent and not yet taken by the socket wait in the session, at most this many; a
// send that would pass the bound fails, and the connection ends (a server that has
// stopped reading).
inline constexpr std::size_t kMaxPendingSendBytes = 4 << 20;
// A connect or secure handshake still under way after this long is shown in the status bar.
inline constexpr int kStalledConnectMs = 1000;

// A script's text as the main screen is given it: its colours (SGR sequences) kept, other
// escape sequences and control characters dropped, lines ended with CR LF (one at the
// end), 0xFF doubled, and the colours reset after it when it set any.
std::string ScriptEchoText(std::string_view text);

// Everything the session reaches outside itself. Any pointer may be null: that part of
// the program is simply not there (a tool, a test).
struct TermServices {
    MessageBoxes* boxes = nullptr;
    TermStatus* status = nullptr;
    InputLineControl* input = nullptr;
    ClientControl* client = nullptr;
    TermWindow* window = nullptr;
    LineLog* log = nullptr;
    LogSink* clientLog = nullptr;
    IntervalClock* clock = nullptr;
    // The reconnect's clock; the system's steady clock when null.
    SteadyClock* steadyClock = nullptr;
    TriggerList* triggers = nullptr;
    // Sounds and channel copies of trigger actions; none when null.
    TriggerEffects* triggerEffects = nullptr;
    // Receives the vitals, rooms and channel text a game sends by GMCP or MSDP.
    GameDataSink* gameData = nullptr;
    // Whether an assistive technology is listening (told to games in the terminal type).
    std::function<bool()> screenReaderActive;
    // Called with every chunk of bytes sent on the socket (the replay tool records them).
    std::function<void(std::string_view)> onSent;
    // Called with every completed line of the screen after its trigger pass (the screen
    // reader announcements).
    std::function<void(std::string_view)> onLine;
};

// The Term connection: the plain text stream to the game's text port, from the socket to
// the main terminal screen. It validates and opens the connection (off the user-interface
// thread), feeds what arrives to the screen, runs every completed line through the
// trigger pass, the log file and the recent-text buffer, sends lines with or without
// echo, runs the login commands and the start-up autoconnect, and owns the input history
// and the window's timers. Everything runs on the event loop's thread.
class TermSession final : public LocalPrinter, public TriggerSender, public TriggerObserver {
public:
    TermSession(Settings& settings, TMudScreen& screen, EventLoop& loop, TermServices services);
    ~TermSession() override;
    TermSession(const TermSession&) = delete;
    TermSession& operator=(const TermSession&) = delete;

    // --- connection ------------------------------------------------------------------
    bool TermStartup();
    bool ValidateAddress();
    int PortNumber() const { return port_; }
    // Starts connecting: -1 at once when the address is invalid, else 0 while the lookup
    // and connect run; `done` then receives 1 (connected) or -1 on the loop's thread.
    // A reconnect still pending is cancelled: the user's connect replaces it.
    int TermConnect(std::function<void(int)> done = {});
    // The user's disconnect: closes the connection, or stops a connect still under way
    // (its handshake and certificate question included), and cancels a pending reconnect.
    void TermDisconnect();
    // Drops, without a word, a connect still in progress (its certificate question is then
    // answered No) and any pending reconnect (profile switch, shut-down).
    void CancelConnect() {
        CancelReconnect();
        DropConnect();
    }
    bool Connected() const { return connected_; }
    // Told true when a connection opens and false when it is closed.
    void SetConnectionListener(std::function<void(bool)> listener) {
        connectionListener_ = std::move(listener);
    }
    // A connect is under way: lookup, connect, handshake or the certificate question.
    bool Connecting() const { return connector_.Pending() || askingTrust_; }
    // Takes fd as the open connection (secure through `tls` when given); -1 makes a
    // connection without a socket whose sends are only reported to onSent (the replay tool).
    void Adopt(int fd, std::unique_ptr<TlsChannel> tls = nullptr);

    // --- receiving -------------------------------------------------------------------
    // Reads what is waiting, block by block (at most kReceiveBlocksPerWake), and feeds each
    // block to the screen; the bytes read, or -1 when the peer closed or the read failed.
    int TermReceive();
    // Feeds bytes as if they had arrived on the socket (screen, masking, lines), all of
    // them handed over when it returns.
    void ReceiveBytes(const char* bytes, std::size_t count);
    void DrainLines();
    // Scroll Lock: holds the screen's output, or releases it through ReceiveBytes so held
    // text is handled exactly like text that was never held.
    void ToggleHold();
    void AppendRecent(std::string_view text);
    std::string_view RecentText() const { return std::string_view(recent_).substr(recentStart_); }

    // --- sending ---------------------------------------------------------------------
    // The text encoding of the connection, both ways: the main screen decodes what
    // arrives with it, and the program's own Latin-1 texts (settings, function keys,
    // login commands, trigger reactions, the screen's cells) are sent in it. TermSend,
    // SendText and TermSendAll take bytes already in it (GameBytes).
    // The player's choice replaces an encoding the server agreed on (CHARSET) for good.
    void SetEncoding(TextEncoding encoding) {
        encodingBeforeCharset_.reset();
        screen_.SetEncoding(encoding);
    }
    TextEncoding Encoding() const { return screen_.Encoding(); }
    // The main screen's colour mode; a connection made in full colour tells the server
    // that it takes 256 colours and true colour.
    void SetColourMode(ColourMode mode) { screen_.SetColourMode(mode); }
    // The colour commands echoed on the screen show in; nothing: the game's colours.
    void SetEchoColour(std::optional<ColorRef> colour) {
        echoColour_ = colour ? ExplicitCellColor(*colour) : 0;
    }
    std::string GameBytes(std::string_view latin1) const;
    // Writes the bytes whole, each 0xFF doubled as telnet wants; every send ends here.
    // Never waits: what the socket cannot take yet waits in the session, in order. The
    // bytes sent or waiting (0xFF counted twice), or -1 when the send failed, which ends
    // the connection as a lost one once the event loop has its turn.
    int TermSendAll(std::string_view bytes);
    // Bytes sent that the socket has not taken yet.
    std::size_t PendingSendBytes() const { return outgoing_.size() - outgoingSent_; }
    // Sends `text` (with "\n" unless raw) whole, however long, and echoes it when echo is
    // on and input is visible, unless the send failed.
    int TermSend(std::string_view text, bool echo, bool raw);
    // Sends the bytes exactly as they are (no line end added, no splitting) and echoes
    // them when input is visible; nothing at all when not connected. -1 when the send failed.
    int SendText(std::string_view text);
    void SendCommandString(std::string_view text);
    void SendFunctionKey(int key); // 1..12
    void SendKeypadWord(char key);
    // Sends the typed line: special words, history, then the line's commands (split at
    // the separator, speedwalks and aliases expanded) unless the input is masked, when
    // the line goes out exactly as typed.
    void SubmitInput();
    // How typed lines become commands, in Latin-1 like the profile's files; they are
    // matched against typed lines in the connection's encoding.
    void SetCommandRules(CommandRules rules) {
        commandRules_ = std::move(rules);
        expander_.reset();
    }
    void PrintLocal(std::string_view text) override;
    // Sends a reaction raw and without echo, every line as written (in the game's encoding).
    void Send(std::string_view reaction) override;
    bool SendDoesSomething(std::string_view reaction) const override;
    // Acts on the line being matched: colours or gags it on the screen, plays a sound,
    // copies it to the channel window.
    void TriggerFired(const TTrigger& trigger, MatchSpan span) override;
    bool FiringAgainActs() const override;

    // --- start-up and timers ---------------------------------------------------------
    void AutoConnect();
    // Starts timers 59, 56 and 57 (restarting them when running).
    void StartTimers();
    void OnTimer(int id);
    int Countdown() const { return countdown_; }
    std::int32_t LastPingTime() const { return lastPingTime_.load(); }
    // The time of the last ping tick, stamped on every tick; the Client connection's
    // network thread reads it when a ping response arrives.
    const std::atomic<std::int32_t>& PingStamp() const { return lastPingTime_; }

    // --- reconnecting after a lost connection (TermSessionReconnect.cpp) --------------
    // Off by default. When on, a connection the server closed or the network broke is
    // opened again after 2, 4, 8 ... 60 s, with the login of the autoconnect; not after a
    // connection of under 30 s. A series has at most kMaxReconnectTries tries and goes on
    // over connections it opens until one lasts kHealthyConnectionMs; no more than
    // kMaxReconnectsPerWindow tries are made in any hour (ReconnectPolicy.h).
    void SetAutoReconnect(bool on);
    bool AutoReconnect() const { return reconnect_.Enabled(); }
    // A reconnect waits for its time or is connecting.
    bool ReconnectPending() const { return reconnect_.Pending(); }
    // Stops a pending reconnect (the user's Connect or Disconnect); says so on the screen.
    void CancelReconnect();

    // --- TLS (TermSessionTelnet.cpp) ----------------------------------------------------
    // From the next connection on: connect securely to `port` (the game port when 0) and
    // accept certificates that do not verify only as `trust` records them.
    struct TlsOptions {
        bool enabled = false;
        int port = 0;
        std::string trustPath; // the profile's trusted-certificates.cfg
    };
    void SetTls(TlsOptions options) { tlsOptions_ = std::move(options); }
    bool Secure() const { return tls_ != nullptr; }

    // --- telnet negotiation (TermSessionTelnet.cpp) -----------------------------------
    // Negotiates telnet options with servers that offer them, from the next connection
    // on. Off (the default here; profiles turn it on), the connection answers nothing.
    void SetNegotiation(bool on) { negotiate_ = on; }
    bool Negotiation() const { return negotiate_; }
    // Whether the text before a GA or EOR is a completed line at once (a prompt), rather
    // than once its line ends. Off by default.
    void SetGaPrompts(bool on) { gaPrompts_ = on; }
    // Whether the automatic login sends "connect <user> <password>" as one line (MUSH, MUX,
    // MOO; a user name with a space in quotes) rather than the user and the password as two.
    // Off by default.
    void SetConnectLogin(bool on) { connectLogin_ = on; }
    // The longest typed line taken and kept in the history, in bytes (254 unless set).
    void SetInputLimit(std::size_t bytes) {
        inputLimit_ = bytes;
        history_.SetLineLimit(bytes);
    }
    bool GaPrompts() const { return gaPrompts_; }
    // Where GMCP/MSDP game data goes from now on (null: nowhere).
    void SetGameDataSink(GameDataSink* sink);
    // Who follows the game's messages and the commands sent (null: nobody).
    void SetFollower(SessionFollower* follower) { follower_ = follower; }
    // What the game said about itself by MSSP on this connection, latest first sent
    // first; empty until it does.
    const std::vector<MsspVariable>& GameInformation() const { return gameInformation_; }
    // The open connection's telnet layer; null without negotiation or connection.
    const TelnetProtocol* Protocol() const { return protocol_.get(); }

    // --- the profile's scripts (TermSessionScripts.cpp) ---------------------------------
    // Opens the scripts of the profile in `profileDir` (closing those open before), which
    // runs its init.lua: nothing when the profile has no scripts folder. The scripts see
    // every completed line after the trigger pass, typed lines before the command rules,
    // prompts, GMCP and MSDP, connects and disconnects, and run their timers on the loop.
    void OpenScripts(std::string profileDir, ScriptLimits limits = {});
    // Runs init.lua again from a new state; opens the scripts when the folder has come
    // to exist since, and says so on the console when there is none.
    void ReloadScripts();
    // Saves tav.vars and drops the scripts (their timers with them).
    void CloseScripts();
    // A line typed into the script console.
    void RunScriptLine(std::string_view code);
    // The windows the scripts write to; null: their gauges, panes, sounds and console
    // output go nowhere.
    void SetScriptWindows(ScriptWindows* windows) { scriptWindows_ = windows; }
    ScriptEngine* Scripts() { return scripts_.get(); }

    // --- state -----------------------------------------------------------------------
    bool InputVisible() const { return inputVisible_; }
    InputHistory& History() { return history_; }
    // The alias the last typed line named, with its words; who is told of each new one.
    const std::optional<AliasCall>& LastAlias() const { return lastAlias_; }
    void SetAliasListener(std::function<void()> listener) { aliasListener_ = std::move(listener); }
    std::array<std::string, kFunctionKeys>& FunctionKeys() { return functionKeys_; }
    TMudScreen& Screen() { return screen_; }

private:
    // atoi as the settings texts were always read: leading blanks, a sign, digits; anything
    // else ends the number and a text without digits is 0. Saturates instead of overflowing.
    static int DecimalValue(const char* text);

    void OnConnectResult(const ConnectResult& result, const std::function<void(int)>& done);
    int StartConnect(std::function<void(int)> done);
    // Stops a connect under way; true when there was one.
    bool DropConnect();
    // A connection is open, or a failed send has left its socket still to close.
    bool Open() const { return connected_ || fd_ >= 0; }
    // Closes the connection (the disconnect message, the socket, the indicator).
    void CloseConnection();
    // Closes a connection the peer, the network or a failed send ended, then follows the
    // reconnect rules.
    void LoseConnection();
    // A send failed: says why and ends the connection once the loop has its turn, so that
    // the telnet layer or the trigger pass on the stack keeps its objects.
    void SendFailed(std::string_view reason);
    // Writes what waits in the outgoing buffer as far as the socket takes it.
    void FlushOutgoing();
    // Writes what the socket takes now: the count, 0 when it is full, -1 on failure.
    long WriteSome(std::string_view bytes);
    // The status bar's message area follows the Term connection once the session has
    // shown a text of its own there, so that none of its texts outlives its state.
    void ShowConnectionText(std::string_view text);
    // The login after an automatic connect: user name, password, and after a pause the
    // login commands and the Client autoconnect.
    void LogIn();
    void ClientAutoConnect(bool termConnected);
    void OnConnectionLost();
    // Carries out what the reconnect policy answered to a loss or a failed try.
    void FollowReconnect(const ReconnectStep& step);
    void GiveUpReconnect(const std::string& text);
    void ReconnectTick();
    void TryReconnect(int attempt);
    void ShowMessageText(std::string_view text);
    SteadyMs SteadyNow();
    void LogLine(std::string_view line);
    void UpdateCursorText();
    // Shows sent text as PrintLocal does, its characters in the echo colour when one is set
    // (the line ends after them in the game's, which a new line is blanked with).
    void PrintEcho(std::string_view text);
    void SetMasked(bool masked);
    void ShowDiagnostics();
    // The command rules in the connection's current encoding.
    const CommandExpander& Expander();
    // The screen's part of receiving: interprets the bytes, follows the echo groups and
    // takes the lines they completed.
    void ShowServerBytes(std::string_view bytes);
    // Moves the screen's completed lines to the session's queue, unprocessed.
    // Writes bytes as they are (already escaped); the bytes written or -1.
    int SendRaw(std::string_view bytes);
    void StartProtocol();
    void StopProtocol();
    void UpdateWindowSize();
    // Whether a secure connection's certificate is accepted: verified, trusted before, or
    // trusted now by the user. Says why when it is not.
    bool AcceptCertificate(const TlsHandshake& handshake, int port);
    int ConnectPort() const;
    // A typed line a script alias takes: true when one did.
    bool RunScriptAlias(std::string_view line);
    void RunScriptGameData();
    void ScriptEvent(bool connected);
    // Arms the loop's timer for the scripts' next timer, after every call into them.
    void ArmScriptTimer();

    Settings& settings_;
    TMudScreen& screen_;
    EventLoop& loop_;
    TermServices services_;
    TcpConnector connector_;

    bool started_ = false;
    int fd_ = -1;
    int port_ = -1;
    bool connected_ = false;
    // Counts connects started and dropped; a connect's result belongs to one value.
    std::uint64_t connectAttempt_ = 0;
    // The certificate question of the connect under way is open.
    bool askingTrust_ = false;
    // The message area shows a text of the session's (ShowConnectionText).
    bool messageShown_ = false;
    // Bytes sent and not yet written: outgoing_ from outgoingSent_ on.
    std::string outgoing_;
    std::size_t outgoingSent_ = 0;
    // Why the last send failed, said as its connection ends.
    std::string sendFailure_;
    // Counts connections opened and closed; the login pause after an autoconnect belongs
    // to one value and is cancelled when that connection ends or another replaces it.
    std::uint64_t connectionSerial_ = 0;
    // The connection (its serial; 0: none) whose connect login waits for the game's first
    // line, and whether that line has come: the answers to the negotiation the game opens
    // with (the window size) then reach it before the login does.
    std::uint64_t loginAwaitsLine_ = 0;
    bool loginDue_ = false;
    bool inputVisible_ = true;
    CellColor echoColour_ = 0;
    int countdown_ = 0;
    std::atomic<std::int32_t> lastPingTime_{0};
    // The recent text is recent_ from recentStart_ on: dropping from the front only moves
    // the start, and the buffer is compacted once the dropped part outgrows the kept one.
    std::string recent_;
    std::size_t recentStart_ = 0;
    // TermReceive's parts: the blocks waiting on the socket, each fed in (compressed text
    // may still be inflating when ReceiveBlock returns), then what the inflate thread holds;
    // false when the connection cannot go on.
    int ReceiveWaiting();
    void ReceiveBlock(const char* bytes, std::size_t count);
    bool FinishInflating();
    // What follows each block fed in: the cursor text, the completed lines, the scripts'
    // game data and a login that waited for the game's first line.
    void AfterReceive();
    // The completed line being processed.
    struct CompletedLine {
        TakenLine taken;
        bool shown = true;  // false once a trigger gagged it from the screen
        bool logged = true; // false once a trigger gagged it from the log too
        // How the trigger fired last on the line coloured it, if it did.
        struct Highlight {
            bool justBefore = false; // that trigger coloured the line
            HighlightScope scope = HighlightScope::None;
            CellColor text = 0;
            CellColor back = 0;
        };
        Highlight lastHighlight;
        // The trigger fired last on the line plays a sound or copies the line.
        bool lastPlays = false;
    };
    // The scripts' part of a completed line: their triggers and what they ask of it.
    void RunScriptTriggers(CompletedLine& line);
    // The sound and the channel copy of a firing trigger (triggerEffects set).
    void PlayEffects(const CompletedLine& line, const TriggerActions& actions);
    // The screen's tag of the lines completed while a trigger reaction is sent (or a
    // script's command or text printed).
    static constexpr int kReactionLine = 1;
    // The line the trigger pass is working on.
    CompletedLine* matching_ = nullptr;
    bool draining_ = false;
    InputHistory history_;
    std::size_t inputLimit_ = kMaxHistoryChars;
    std::optional<AliasCall> lastAlias_;
    std::function<void()> aliasListener_;
    CommandRules commandRules_;
    std::optional<CommandExpander> expander_;
    TextEncoding expanderEncoding_ = TextEncoding::SevenBit;
    ReconnectPolicy reconnect_;
    std::array<std::string, kFunctionKeys> functionKeys_;
    std::function<void(bool)> connectionListener_;
    bool negotiate_ = false;
    bool gaPrompts_ = false;
    bool connectLogin_ = false;
    TlsOptions tlsOptions_;
    std::unique_ptr<TlsChannel> tls_;
    class ProtocolEvents;
    std::unique_ptr<TelnetEvents> protocolEvents_; // a ProtocolEvents
    std::unique_ptr<TelnetProtocol> protocol_;
    std::unique_ptr<GameDataReader> gameDataReader_;
    SessionFollower* follower_ = nullptr;
    std::vector<MsspVariable> gameInformation_;
    // Tells the follower of the lines of a command sent.
    void FollowSent(std::string_view text);
    // The encoding to go back to when a CHARSET agreement ends with its connection.
    std::optional<TextEncoding> encodingBeforeCharset_;
    // The profile's scripts: the engine and what it reaches the program through.
    class ScriptBridge;
    std::unique_ptr<ScriptBridge> scriptBridge_;
    std::unique_ptr<ScriptEngine> scripts_;
    std::string scriptProfileDir_;
    ScriptLimits scriptLimits_;
    ScriptWindows* scriptWindows_ = nullptr;
    std::optional<std::int64_t> scriptTimerDue_;
    // The GMCP and MSDP messages and prompts of the bytes being received, for the scripts
    // once the telnet layer has returned; at most kMaxPendingScriptMessages of them.
    enum class ScriptInput : std::uint8_t { Gmcp, Msdp, Prompt };
    static constexpr std::size_t kMaxPendingScriptMessages = 256;
    std::vector<std::pair<ScriptInput, std::string>> scriptGameData_;
    std::size_t scriptGameDataDropped_ = 0;
    // Expires with the session, so timers already queued can tell it is gone.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

} // namespace tav
