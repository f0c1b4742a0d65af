#include "script/ScriptEngine.h"

#include "net/GameDataDecode.h"
#include "script/ScriptApi.h"
#include "script/ScriptPaths.h"
#include "settings/AtomicFile.h"
#include "settings/ProfileFileNames.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

namespace tav {

namespace {

using Invocation = ScriptEngine::Invocation;

// Runs `work`; memory running out in the engine's own C++ skips what was being done.
template <typename Work> void Shielded(ScriptHost& host, std::string_view what, Work&& work) {
    try {
        work();
    } catch (...) {
        try {
            host.ConsoleError("Scripts skipped " + std::string(what) + ": out of memory");
        } catch (...) {
        }
    }
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

} // namespace

ScriptEngine::ScriptEngine(ScriptHost& host, const ScriptClock& clock, std::string profileDir,
                           ScriptLimits limits)
    : host_(host), clock_(clock), profileDir_(std::move(profileDir)), limits_(limits) {
    folder_.path = profileDir_ + "/" + std::string(kScriptsFolder);
}

ScriptEngine::~ScriptEngine() {
    Close();
}

std::string ScriptEngine::VarsFilePath() const {
    return profileDir_ + "/" + std::string(kScriptVarsFileName);
}

LuaOutcome ScriptEngine::Run(LuaState::Body body, void* context, std::chrono::milliseconds budget) {
    ++luaCalls_;
    return state_->Call(body, context, budget, error_);
}

void ScriptEngine::Report(std::string_view what, LuaOutcome outcome) {
    std::string message = "Script error in " + std::string(what) + ": " + error_;
    if (outcome == LuaOutcome::OutOfMemory)
        message += " (scripts may use " + std::to_string(limits_.memoryBytes >> 20) + " MiB)";
    host_.ConsoleError(message);
}

// --- Opening and closing -------------------------------------------------------------------

void ScriptEngine::Open() {
    if (state_ != nullptr) return;
    try {
        OpenState();
        if (state_ == nullptr) return;
        LoadVars();
        // tav.gmcp holds what the game sent before, also across a reload.
        for (const auto& [package, body] : gmcp_) {
            std::optional<Json> value = ParseJson(body, kMaxGmcpDepth);
            Invocation store;
            store.text = package;
            store.value = value ? &*value : nullptr;
            Run(&ScriptApi::StoreGmcp, &store, limits_.callBudget);
        }
        RunInit();
    } catch (...) {
        host_.ConsoleError("Scripts could not start: out of memory");
    }
}

void ScriptEngine::OpenState() {
    auto state = std::make_unique<LuaState>(limits_, this);
    if (!state->Create()) {
        host_.ConsoleError("Scripts could not start: out of memory");
        return;
    }
    state_ = std::move(state);
    for (const auto& [body, context] :
         {std::pair<LuaState::Body, void*>{&OpenSandbox, &folder_}, {&ScriptApi::Install, this}}) {
        const LuaOutcome outcome = Run(body, context, limits_.startBudget);
        if (outcome != LuaOutcome::Ok) {
            Report("the script state", outcome);
            state_.reset();
            return;
        }
    }
}

void ScriptEngine::LoadVars() {
    const std::string path = VarsFilePath();
    std::optional<Json> value;
    if (Exists(path)) {
        std::string why = "it is not a JSON object or array";
        if (std::optional<std::string> text = ReadBoundedFile(path, kMaxVarsBytes)) {
            value = ParseJson(*text, kMaxVarsDepth);
            if (value && !value->is_object() && !value->is_array()) value.reset();
        } else {
            why = "it cannot be read or is larger than " + std::to_string(kMaxVarsBytes >> 20) +
                  " MiB";
        }
        if (value && Run(&ScriptApi::SetVars, &*value, limits_.startBudget) != LuaOutcome::Ok) {
            why = error_;
            value.reset();
        }
        if (!value) {
            // Kept beside, so the next save does not write over what it held.
            const std::string kept = path + ".unreadable";
            std::rename(path.c_str(), kept.c_str());
            host_.ConsoleError("tav.vars could not be read from " + path + ": " + why +
                               "; it starts empty, and the file is kept as " + kept);
        }
    }
    if (!value) Run(&ScriptApi::SetVars, nullptr, limits_.startBudget);
}

void ScriptEngine::RunInit() {
    const std::string relative(kInitScript);
    if (!Exists(folder_.path + "/" + relative)) return;
    if (!folder_.Read(relative)) {
        host_.ConsoleError("Script error in " + relative + ": " + folder_.problem);
        return;
    }
    const std::string text = std::move(folder_.text);
    folder_.text.clear();
    const std::string chunkName = "@" + relative;
    ScriptChunk chunk{text, chunkName.c_str()};
    const LuaOutcome outcome = Run(&ScriptApi::RunChunk, &chunk, limits_.startBudget);
    if (outcome != LuaOutcome::Ok) Report(relative, outcome);
}

void ScriptEngine::Close() {
    if (state_ == nullptr || state_->Calling()) return;
    SaveVars();
    CloseState();
}

void ScriptEngine::CloseState() {
    state_.reset();
    triggerSet_.Clear();
    triggers_.clear();
    aliases_.clear();
    timers_.clear();
    events_.clear();
    regexHandlers_ = 0;
}

void ScriptEngine::Reload() {
    if (state_ != nullptr && state_->Calling()) return;
    Close();
    Open();
}

bool ScriptEngine::SaveVars() {
    if (Busy()) return false;
    const std::string path = VarsFilePath();
    try {
        ScriptVarsOut vars;
        const LuaOutcome outcome = Run(&ScriptApi::GetVars, &vars, limits_.callBudget);
        std::string why;
        if (outcome != LuaOutcome::Ok)
            why = error_;
        else if (!vars.isTable)
            why = "tav.vars is not a table";
        else if (!vars.converted)
            why = vars.problem;
        if (!why.empty()) {
            host_.ConsoleError("tav.vars could not be saved to " + path + ": " + why);
            return false;
        }
        if (!vars.leftOut.empty())
            host_.ConsoleError("tav.vars: a " + vars.leftOut + " cannot be saved and is left out");
        // A profile whose scripts keep nothing gets no file.
        if (vars.value.empty() && !Exists(path)) return true;
        const std::string text =
            vars.value.dump(1, '\t', false, Json::error_handler_t::replace) + "\n";
        // Never a file the next start would refuse to read: the old one stays instead.
        if (text.size() > kMaxVarsBytes) {
            host_.ConsoleError("tav.vars could not be saved to " + path + ": it holds more than " +
                               std::to_string(kMaxVarsBytes >> 20) + " MiB as JSON");
            return false;
        }
        if (!WriteFileAtomically(path, text)) {
            host_.ConsoleError("tav.vars could not be saved to " + path);
            return false;
        }
        return true;
    } catch (...) {
        host_.ConsoleError("tav.vars could not be saved to " + path + ": out of memory");
        return false;
    }
}

// --- Handlers ------------------------------------------------------------------------------

void ScriptEngine::RemoveHandler(int id, lua_State* L) {
    if (triggerSet_.Regex(id) != nullptr) --regexHandlers_;
    if (triggers_.erase(id) != 0) triggerSet_.Remove(id);
    timers_.erase(id);
    const auto hasId = [id](const auto& handler) { return handler.id == id; };
    for (const AliasInfo& alias : aliases_)
        if (alias.id == id && alias.isRegex) --regexHandlers_;
    std::erase_if(aliases_, hasId);
    std::erase_if(events_, hasId);
    if (L == nullptr && state_ != nullptr) L = state_->L();
    if (L != nullptr) ScriptApi::DropFunction(L, id);
}

ScriptEngine::Handler* ScriptEngine::FindHandler(int id) {
    if (auto at = triggers_.find(id); at != triggers_.end()) return &at->second;
    if (auto at = timers_.find(id); at != timers_.end()) return &at->second;
    const auto hasId = [id](const auto& handler) { return handler.id == id; };
    if (auto at = std::find_if(aliases_.begin(), aliases_.end(), hasId); at != aliases_.end())
        return &*at;
    if (auto at = std::find_if(events_.begin(), events_.end(), hasId); at != events_.end())
        return &*at;
    return nullptr;
}

bool ScriptEngine::RunHandler(int id, Invocation& invocation) {
    invocation.id = id;
    const LuaOutcome outcome = Run(&ScriptApi::CallHandler, &invocation, limits_.callBudget);
    return Counted(id, outcome);
}

bool ScriptEngine::Counted(int id, LuaOutcome outcome) {
    // The handler may have dropped itself, or made others that moved it.
    Handler* handler = FindHandler(id);
    if (outcome == LuaOutcome::Ok) {
        if (handler != nullptr) handler->errorsInRow = 0;
        return true;
    }
    if (handler == nullptr) {
        Report("a handler that is gone", outcome);
        return false;
    }
    Report(handler->label, outcome);
    if (++handler->errorsInRow >= kMaxErrorsInRow) {
        host_.ConsoleError("Switched off " + handler->label + ": it failed " +
                           std::to_string(kMaxErrorsInRow) + " times in a row.");
        RemoveHandler(id);
    }
    return false;
}

void ScriptEngine::RunEvent(Event event, Invocation& invocation) {
    eventIds_.clear();
    for (const EventInfo& info : events_)
        if (info.event == event) eventIds_.push_back(info.id);
    // Handlers made or dropped by these calls count from the next event on. (No event
    // runs inside another: the engine is busy meanwhile.)
    for (const int id : eventIds_) {
        if (FindHandler(id) != nullptr) RunHandler(id, invocation);
    }
}

// --- What the session feeds in -------------------------------------------------------------

ScriptLineActions ScriptEngine::OnLine(std::string_view line) {
    ScriptLineActions actions;
    if (Busy()) return actions;
    Shielded(host_, "a line", [&] {
        triggerSet_.Match(line, hits_, groups_);
        // The handlers below cannot match lines (the engine is busy meanwhile), so the
        // hits and groups stay as found.
        for (const ScriptTriggerSet::Hit& hit : hits_) {
            const auto at = triggers_.find(hit.id);
            if (at == triggers_.end()) continue; // dropped by a trigger before it
            TriggerInfo& info = at->second;
            if (hit.gaveUp) {
                error_ = "the regular expression gave up on this line (it backtracks too much)";
                Counted(hit.id, LuaOutcome::Error);
                continue;
            }
            actions.gag = actions.gag || info.gag;
            actions.gagLog = actions.gagLog || info.gagLog;
            if (info.highlight) {
                ScriptHighlight highlight = *info.highlight;
                highlight.span = hit.span;
                actions.highlights.push_back(highlight);
            }
            const bool once = info.once;
            if (info.hasFunction) {
                Invocation call;
                call.kind = Invocation::Kind::Trigger;
                call.text = line;
                call.span = hit.span;
                if (const RegexPattern* regex = triggerSet_.Regex(hit.id)) {
                    names_ = regex->Names();
                    call.names = &names_;
                    call.groups = groups_.data() + hit.firstGroup;
                    call.groupCount = hit.groupCount;
                }
                RunHandler(hit.id, call);
            }
            if (once && triggers_.count(hit.id) != 0) RemoveHandler(hit.id);
        }
        if (std::any_of(events_.begin(), events_.end(),
                        [](const EventInfo& info) { return info.event == Event::Line; })) {
            Invocation call;
            call.kind = Invocation::Kind::Text;
            call.text = line;
            RunEvent(Event::Line, call);
        }
    });
    return actions;
}

bool ScriptEngine::OnTypedLine(std::string_view line) {
    if (Busy()) return false;
    bool taken = false;
    Shielded(host_, "a typed line", [&] { taken = RunAlias(line); });
    return taken;
}

bool ScriptEngine::RunAlias(std::string_view line) {
    for (const AliasInfo& alias : aliases_) {
        if (!alias.enabled) continue;
        Invocation call;
        call.kind = Invocation::Kind::Alias;
        call.text = line;
        if (alias.isRegex) {
            if (alias.regex.Match(line, &groups_) != RegexPattern::Result::Match) continue;
            names_ = alias.regex.Names();
            call.names = &names_;
            call.groups = groups_.data();
            call.groupCount = groups_.size();
        } else {
            const std::string_view name = alias.pattern;
            if (line.substr(0, name.size()) != name ||
                (line.size() > name.size() && line[name.size()] != ' '))
                continue;
            call.aliasWords = name.size();
        }
        RunHandler(alias.id, call);
        return true;
    }
    return false;
}

void ScriptEngine::OnPrompt(std::string_view prompt) {
    if (Busy()) return;
    Invocation call;
    call.kind = Invocation::Kind::Text;
    call.text = prompt;
    Shielded(host_, "a prompt", [&] { RunEvent(Event::Prompt, call); });
}

void ScriptEngine::OnConnect() {
    if (Busy()) return;
    Invocation call;
    Shielded(host_, "a connect", [&] { RunEvent(Event::Connect, call); });
}

void ScriptEngine::OnDisconnect() {
    if (Busy()) return;
    Invocation call;
    Shielded(host_, "a disconnect", [&] { RunEvent(Event::Disconnect, call); });
}

void ScriptEngine::StoreGmcp(std::string_view package, std::string_view body) {
    for (auto& [kept, text] : gmcp_) {
        if (kept != package) continue;
        if (gmcpBytes_ - text.size() + body.size() > kMaxKeptGmcpBytes) return;
        gmcpBytes_ = gmcpBytes_ - text.size() + body.size();
        text = body;
        return;
    }
    if (gmcp_.size() >= kMaxKeptPackages || gmcpBytes_ + body.size() > kMaxKeptGmcpBytes) return;
    gmcp_.emplace_back(package, body);
    gmcpBytes_ += body.size();
}

void ScriptEngine::OnGmcp(std::string_view message) {
    constexpr std::size_t kMaxPackage = 256;
    if (Busy() || message.size() > kMaxGmcpBytes) return;
    const std::size_t space = message.find(' ');
    const std::string_view package = message.substr(0, space);
    std::string_view body =
        space == std::string_view::npos ? std::string_view() : message.substr(space + 1);
    body.remove_prefix(std::min(body.find_first_not_of(" \t\r\n"), body.size()));
    if (package.empty() || package.size() > kMaxPackage) return;
    Shielded(host_, "a GMCP message", [&] {
        std::optional<Json> value;
        if (!body.empty()) {
            value = ParseJson(body, kMaxGmcpDepth);
            if (!value) return; // not JSON: nothing a script could read
        }
        StoreGmcp(package, body);
        Invocation call;
        call.kind = Invocation::Kind::Data;
        call.text = package;
        call.value = value ? &*value : nullptr;
        const LuaOutcome outcome = Run(&ScriptApi::StoreGmcp, &call, limits_.callBudget);
        if (outcome != LuaOutcome::Ok) Report("tav.gmcp", outcome);
        RunEvent(Event::Gmcp, call);
    });
}

void ScriptEngine::OnMsdp(std::string_view payload) {
    if (Busy() || payload.size() > kMaxGmcpBytes) return;
    if (std::none_of(events_.begin(), events_.end(),
                     [](const EventInfo& info) { return info.event == Event::Msdp; }))
        return;
    Shielded(host_, "an MSDP message", [&] {
        for (const auto& [name, value] : ParseMsdp(payload, kMaxGmcpDepth, MsdpNames::AsSent)) {
            Invocation call;
            call.kind = Invocation::Kind::Data;
            call.text = name;
            call.value = &value;
            RunEvent(Event::Msdp, call);
        }
    });
}

void ScriptEngine::OnTimers() {
    if (Busy()) return;
    Shielded(host_, "the timers", [&] { RunTimers(); });
}

void ScriptEngine::RunTimers() {
    const std::int64_t now = clock_.NowMs();
    std::vector<std::pair<std::int64_t, int>> due;
    for (const auto& [id, timer] : timers_)
        if (timer.dueMs <= now) due.emplace_back(timer.dueMs, id);
    std::sort(due.begin(), due.end());
    for (const auto& [when, id] : due) {
        const auto at = timers_.find(id);
        if (at == timers_.end()) continue;
        TimerInfo& timer = at->second;
        const bool repeats = timer.everyMs > 0;
        if (repeats) {
            // A timer that fell behind runs once, then keeps its rhythm from now.
            timer.dueMs += timer.everyMs;
            if (timer.dueMs <= now) timer.dueMs = now + timer.everyMs;
        }
        Invocation call;
        RunHandler(id, call);
        if (!repeats && timers_.count(id) != 0) RemoveHandler(id);
    }
}

std::optional<std::int64_t> ScriptEngine::NextTimerDue() const {
    std::optional<std::int64_t> next;
    for (const auto& [id, timer] : timers_)
        if (!next || timer.dueMs < *next) next = timer.dueMs;
    return next;
}

void ScriptEngine::RunConsoleLine(std::string_view code) {
    if (Busy()) return;
    ScriptChunk chunk{code, "=console"};
    Shielded(host_, "the console line", [&] {
        const LuaOutcome outcome = Run(&ScriptApi::Console, &chunk, limits_.callBudget);
        if (outcome != LuaOutcome::Ok) Report("the console line", outcome);
    });
}

} // namespace tav
