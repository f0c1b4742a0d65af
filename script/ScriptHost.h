#pragma once

#include "triggers/TriggerActions.h"
#include "triggers/TriggerPattern.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// The gauges of the status window and the monitor a script may set.
enum class ScriptGauge : std::uint8_t { Hit, Mana, Move };
// The panes a script may write.
enum class ScriptPane : std::uint8_t { Description, Exits, Contents };

// Everything a script does outside itself goes through here: the terminal session and the
// windows implement it, the tests record it. Called on the thread that calls the engine,
// while a script runs; texts are the script's bytes, untrusted.
class ScriptHost {
public:
    virtual ~ScriptHost() = default;
    // Sends one line to the game as a typed command (echoed as typed lines are); without
    // a line end, never through the script aliases again.
    virtual void SendCommand(std::string_view line) = 0;
    // Prints `text` on the main screen locally, as one or more lines; ANSI SGR sequences in
    // it give colour.
    virtual void Echo(std::string_view text) = 0;
    // Sends a GMCP message: the package name and its JSON value (may be empty).
    virtual void SendGmcp(std::string_view package, std::string_view json) = 0;
    virtual void SetGauge(ScriptGauge gauge, long value, long max) = 0;
    virtual void WritePane(ScriptPane pane, std::string_view text) = 0;
    // Plays a sound file of the profile's folder (a checked path inside it).
    virtual void PlaySound(const std::string& path) = 0;
    // The script console: what `print` writes, and every error with its script, line and
    // traceback, and what the engine says about switched-off handlers and the vars file.
    virtual void ConsolePrint(std::string_view text) = 0;
    virtual void ConsoleError(std::string_view text) = 0;
};

// The time timers are measured in: milliseconds of a clock that never goes back. The
// session gives its monotonic clock; tests turn one by hand.
class ScriptClock {
public:
    virtual ~ScriptClock() = default;
    virtual std::int64_t NowMs() const = 0;
};

// A colouring a script trigger asks for on the line it matched.
struct ScriptHighlight {
    HighlightScope scope = HighlightScope::Match; // Match: `span` only; Line: the whole line
    MatchSpan span;
    std::optional<std::uint32_t> textColor; // 0x00BBGGRR
    std::optional<std::uint32_t> backColor;
    bool operator==(const ScriptHighlight& other) const {
        return scope == other.scope && span.begin == other.span.begin &&
               span.end == other.span.end && textColor == other.textColor &&
               backColor == other.backColor;
    }
};

// What the script triggers that matched a completed line ask of the line itself, applied
// by the session as the trigger actions are: a gag hides it from the screen (and from the
// log with gagLog), highlights colour it in the order given.
struct ScriptLineActions {
    bool gag = false;
    bool gagLog = false;
    std::vector<ScriptHighlight> highlights;
    bool operator==(const ScriptLineActions&) const = default;
};

} // namespace tav
