#pragma once

#include "screen/ScreenBuffer.h"
#include "screen/ScreenView.h"
#include "script/ScriptHost.h"
#include "settings/Clocks.h"
#include "settings/MessageBoxes.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tav {

// Small role interfaces through which the terminal session reaches the rest of the
// program. The desktop layer implements them with widgets; the tests with recorders.

// The status bar texts and indicators the session updates.
class TermStatus {
public:
    virtual ~TermStatus() = default;
    virtual void ShowTermState(bool /*connected*/) {}
    // The Term connection is secure (TLS), or no longer.
    virtual void ShowTermSecure(bool /*secure*/) {}
    virtual void UpdateCursorText(int /*row*/, int /*col*/) {}
    virtual void SetLatencyText(std::string_view /*text*/) {}
    // The message area (the reconnect countdown).
    virtual void SetMessageText(std::string_view /*text*/) {}
};

// The command input line as the session drives it.
class InputLineControl {
public:
    virtual ~InputLineControl() = default;
    // The typed text, at most 254 characters; nothing when it cannot be read.
    virtual std::optional<std::string> ReadText() = 0;
    // Shows '*' for every typed character while the server echoes (password entry).
    virtual void SetMasked(bool masked) = 0;
};

// The Client connection as the terminal session sees it.
class ClientControl {
public:
    virtual ~ClientControl() = default;
    virtual bool IsConnected() = 0;
    virtual void Connect() = 0;
    virtual void SendPing() = 0;
    // Checks whether an external sound player has finished.
    virtual void PollSoundPlayer() = 0;
};

// The other parts of the main terminal window the session reaches.
class TermWindow {
public:
    virtual ~TermWindow() = default;
    // The game time and date texts under the panes.
    virtual void ShowTimeAndDate(std::string_view /*time*/, std::string_view /*date*/) {}
    virtual void ToggleSplitView() {}
    virtual void ToggleCursor(CursorStyle /*style*/) {}
    // The terminal screen's window size in pixels.
    virtual std::pair<int, int> ScreenPixelSize() { return {0, 0}; }
};

// The user's terminal log file.
class LineLog {
public:
    virtual ~LineLog() = default;
    virtual bool IsOpen() const = 0;
    virtual void Write(std::string_view text) = 0;
    // The same line (without its line end) with the look of each character, for a log in
    // colour; empty attributes when the screen was not keeping them.
    virtual void WriteColored(std::string_view /*line*/, const LineLook& /*look*/) {}
};

// What trigger actions reach beyond the terminal screen.
class TriggerEffects {
public:
    virtual ~TriggerEffects() = default;
    // Plays a WAV file as the terminal bell does.
    virtual void PlayTriggerSound(std::string_view path) = 0;
    // Adds a completed line (without its line end) to the channel window.
    virtual void CopyToChannel(std::string_view line) = 0;
};

// Follows what passes on the Term connection besides the game's text: the game's GMCP
// and MSDP messages, the commands sent and the connection's state (the automapper).
class SessionFollower {
public:
    virtual ~SessionFollower() = default;
    virtual void Gmcp(std::string_view /*message*/) {}
    virtual void Msdp(std::string_view /*payload*/) {}
    // Everything one read from the connection brought has been handled.
    virtual void EndOfInput() {}
    // A command line that went to the game (in the game's bytes), typed or sent for the
    // player: never one typed while input is masked.
    virtual void CommandSent(std::string_view /*command*/) {}
    virtual void ConnectionChanged(bool /*open*/) {}
    // A typed line the follower takes as a command of its own ("#goto 12"), instead of
    // sending it; false leaves it to go to the game.
    virtual bool TakeTypedLine(std::string_view /*line*/) { return false; }
};

// Where the profile's scripts reach the windows: the gauges of the status window and the
// monitor, the panes, the sound players and the script console. Texts are the scripts'
// bytes, untrusted: shown as plain text only.
class ScriptWindows {
public:
    virtual ~ScriptWindows() = default;
    virtual void SetGauge(ScriptGauge gauge, long value, long max) = 0;
    virtual void WritePane(ScriptPane pane, std::string_view text) = 0;
    // A checked path of a file inside the profile's folder.
    virtual void PlaySound(const std::string& path) = 0;
    virtual void ConsolePrint(std::string_view text) = 0;
    virtual void ConsoleError(std::string_view text) = 0;
};

} // namespace tav
