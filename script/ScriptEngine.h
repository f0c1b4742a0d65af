#pragma once

#include "script/LuaState.h"
#include "script/ScriptHost.h"
#include "script/ScriptSandbox.h"
#include "script/ScriptTriggerSet.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tav {

struct ScriptApi;

// One profile's scripts: a Lua state that runs profiles/<name>/scripts/init.lua, and the
// triggers, aliases, timers and event handlers the scripts make through the `tav` table.
// The terminal session feeds it the game's lines, typed lines, prompts, game data and
// connection changes, and drives its timers; what the scripts do outside themselves goes
// to the ScriptHost. Everything runs on the caller's thread.
//
// A script error never reaches the caller: it is told to the console with its script,
// line and traceback, and the line, command or message goes on as if the handler had not
// been there. A handler that fails ten times in a row is switched off. A call that runs
// past its time budget is stopped, and the state never uses more than its memory limit.
//
// While a script runs (the host may print lines or send commands that come straight back),
// the engine takes no new line, message or event: those calls return at once.
class ScriptEngine {
public:
    static constexpr std::string_view kScriptsFolder = "scripts";
    static constexpr std::string_view kInitScript = "init.lua";
    static constexpr int kMaxErrorsInRow = 10;
    // Bounds of what the game sends in: a GMCP message, how deep its JSON nests, and the
    // packages kept for tav.gmcp across a reload (in number and in bytes).
    static constexpr std::size_t kMaxGmcpBytes = 256 * 1024;
    static constexpr int kMaxGmcpDepth = 32;
    static constexpr std::size_t kMaxKeptPackages = 1024;
    static constexpr std::size_t kMaxKeptGmcpBytes = std::size_t{4} << 20;
    // Bounds of tav.vars: the file's size and how deep its tables nest.
    static constexpr std::size_t kMaxVarsBytes = std::size_t{64} << 20;
    static constexpr int kMaxVarsDepth = 64;
    // Bounds of what scripts make outside the state's memory: handlers of all kinds, those
    // with a regular expression, the bytes of a pattern and of a group name; and a timer's
    // shortest and longest wait.
    static constexpr std::size_t kMaxHandlers = 50'000;
    static constexpr std::size_t kMaxRegexHandlers = 5'000;
    static constexpr std::size_t kMaxPatternBytes = 16 * 1024;
    static constexpr std::size_t kMaxGroupBytes = 64;
    static constexpr std::int64_t kMinTimerMs = 10;
    static constexpr double kMaxTimerSeconds = 366.0 * 24 * 3600;

    // `profileDir` is the profile's directory ("profiles/<name>"), holding the scripts
    // folder and the vars file.
    ScriptEngine(ScriptHost& host, const ScriptClock& clock, std::string profileDir,
                 ScriptLimits limits = {});
    ~ScriptEngine();
    ScriptEngine(const ScriptEngine&) = delete;
    ScriptEngine& operator=(const ScriptEngine&) = delete;

    // Makes the state, reads tav.vars back and runs init.lua (when there is one). Call it
    // when the profile opens, before the autoconnect, so its handlers see the first
    // connect.
    void Open();
    // Saves tav.vars, drops every trigger, alias, timer and handler the scripts made and
    // the state itself, then opens again (tav.gmcp keeps the latest packages).
    void Reload();
    // Saves tav.vars and drops the state; when the profile closes.
    void Close();
    bool IsOpen() const { return state_ != nullptr; }
    // Writes tav.vars to its file as JSON, atomically; false (told to the console) when
    // it cannot.
    bool SaveVars();

    // A completed game line, after the trigger list's own triggers: runs the script
    // triggers it matches, in the order they were made, then the "line" handlers. Returns
    // what those triggers ask of the line. A line that matches no script trigger, with no
    // "line" handler, costs no call into Lua.
    ScriptLineActions OnLine(std::string_view line);
    // A line the user typed: true when a script alias took it (it then goes nowhere else).
    bool OnTypedLine(std::string_view line);
    // A prompt (a line the game ended with GA or EOR, or the incomplete line last shown).
    void OnPrompt(std::string_view prompt);
    // A GMCP message, "Package.Name <json>": kept in tav.gmcp, then the "gmcp" handlers.
    void OnGmcp(std::string_view message);
    // An MSDP payload: the "msdp" handlers, once per variable.
    void OnMsdp(std::string_view payload);
    void OnConnect();
    void OnDisconnect();
    // Runs every timer that is due by the clock, the earliest first.
    void OnTimers();
    // When the next timer is due, by the clock; nothing when there is no timer. The session
    // arms its timer for this after every call into the engine.
    std::optional<std::int64_t> NextTimerDue() const;
    // A line typed into the script console: an expression's values are printed.
    void RunConsoleLine(std::string_view code);

    // What a handler is called with (ScriptApi.h).
    struct Invocation;

    // How many calls into Lua have been made.
    std::uint64_t LuaCalls() const { return luaCalls_; }
    // The vars file: "<profile>/scriptvars.json".
    std::string VarsFilePath() const;

private:
    friend struct ScriptApi;

    enum class Event : std::uint8_t { Connect, Disconnect, Line, Prompt, Gmcp, Msdp };
    // A function a script handed over, kept in the state's handler table under its id.
    struct Handler {
        int id = 0;
        std::string label; // how messages name it: trigger "pattern" (init.lua:12)
        int errorsInRow = 0;
    };
    struct TriggerInfo : Handler {
        bool hasFunction = true;
        bool once = false;
        bool gag = false;
        bool gagLog = false;
        std::optional<ScriptHighlight> highlight;
        std::string group;
    };
    struct AliasInfo : Handler {
        std::string pattern; // plain: the first word of the typed line
        RegexPattern regex;
        bool isRegex = false;
        bool enabled = true;
        std::string group;
    };
    struct TimerInfo : Handler {
        std::int64_t dueMs = 0;
        std::int64_t everyMs = 0; // 0: once
    };
    struct EventInfo : Handler {
        Event event = Event::Line;
    };

    void OpenState();
    void CloseState();
    void LoadVars();
    void RunInit();
    bool Busy() const { return state_ == nullptr || state_->Calling(); }
    // Runs handler `id` with `invocation`; counts its errors and switches it off after
    // kMaxErrorsInRow. False when it failed.
    bool RunHandler(int id, Invocation& invocation);
    // Counts how a call of handler `id` went (reporting a failure); false when it failed.
    bool Counted(int id, LuaOutcome outcome);
    Handler* FindHandler(int id);
    LuaOutcome Run(LuaState::Body body, void* context, std::chrono::milliseconds budget);
    void Report(std::string_view what, LuaOutcome outcome);
    // Drops handler `id` and its function; `L` is the thread of the script that asks, if
    // one does (its own stack is the one to use while it runs).
    void RemoveHandler(int id, lua_State* L = nullptr);
    void RunEvent(Event event, Invocation& invocation);
    bool RunAlias(std::string_view line);
    void RunTimers();
    void StoreGmcp(std::string_view package, std::string_view body);

    ScriptHost& host_;
    const ScriptClock& clock_;
    std::string profileDir_;
    ScriptLimits limits_;
    ScriptFolder folder_;
    std::unique_ptr<LuaState> state_;
    std::uint64_t luaCalls_ = 0;
    int nextId_ = 1;

    ScriptTriggerSet triggerSet_;
    std::map<int, TriggerInfo> triggers_;
    std::vector<AliasInfo> aliases_; // in the order made
    std::map<int, TimerInfo> timers_;
    std::vector<EventInfo> events_; // in the order made
    // The latest value of each GMCP package, as text, in the order first seen.
    std::vector<std::pair<std::string, std::string>> gmcp_;
    std::size_t gmcpBytes_ = 0;
    std::size_t regexHandlers_ = 0;

    // Kept here rather than in the C functions that fill them (see LuaState).
    std::string error_;
    std::string scratch_;
    std::vector<ScriptTriggerSet::Hit> hits_;
    std::vector<RegexPattern::Span> groups_;
    std::vector<std::pair<std::string, int>> names_;
    std::vector<int> eventIds_;
};

} // namespace tav
