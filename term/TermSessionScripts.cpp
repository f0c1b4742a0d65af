// The Term connection's side of the profile's Lua scripts: what the session feeds them
// (completed lines, typed lines, prompts, GMCP and MSDP, connects) and what they do
// through it (commands, text on the screen, GMCP) or through the script windows.

#include "term/TermSessionScripts.h"
#include "script/ScriptEngine.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <filesystem>
#include <utility>

namespace tav {

namespace {

bool IsSgrParameter(char c) {
    return (c >= '0' && c <= '9') || c == ';' || c == ':';
}

} // namespace

std::string ScriptEchoText(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    bool coloured = false;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const auto c = static_cast<unsigned char>(text[k]);
        if (c == 0x1B) { // ESC: colours (CSI ... m) are kept, every other sequence dropped
            std::size_t end = k + 1;
            if (end < text.size() && text[end] == '[') {
                ++end;
                while (end < text.size() && IsSgrParameter(text[end]))
                    ++end;
                if (end < text.size() && text[end] == 'm') {
                    out.append(text.substr(k, end + 1 - k));
                    coloured = true;
                } else {
                    while (end < text.size() && static_cast<unsigned char>(text[end]) >= 0x20 &&
                           static_cast<unsigned char>(text[end]) < 0x40)
                        ++end;
                }
            }
            k = end;
            continue;
        }
        if (c == '\n') {
            out += "\r\n";
        } else if (c == 0xFF) {
            out += "\xFF\xFF"; // the screen reads telnet's echo commands
        } else if ((c >= 0x20 && c != 0x7F) || c == '\t') {
            out += static_cast<char>(c);
        }
    }
    if (out.ends_with("\r\n")) out.resize(out.size() - 2);
    if (coloured) out += "\x1B[0m";
    out += "\r\n";
    return out;
}

void TermSession::OpenScripts(std::string profileDir, ScriptLimits limits) {
    CloseScripts();
    scriptProfileDir_ = std::move(profileDir);
    scriptLimits_ = limits;
    if (scriptProfileDir_.empty()) return;
    std::error_code error;
    const std::filesystem::path folder =
        std::filesystem::path(scriptProfileDir_) / ScriptEngine::kScriptsFolder;
    if (!std::filesystem::is_directory(folder, error)) return;
    if (!scriptBridge_) scriptBridge_ = std::make_unique<ScriptBridge>(*this);
    scripts_ =
        std::make_unique<ScriptEngine>(*scriptBridge_, *scriptBridge_, scriptProfileDir_, limits);
    scripts_->Open();
    ArmScriptTimer();
}

void TermSession::ReloadScripts() {
    if (scripts_) {
        scripts_->Reload();
        ArmScriptTimer();
        return;
    }
    if (scriptProfileDir_.empty()) return;
    OpenScripts(scriptProfileDir_, scriptLimits_);
    if (!scripts_ && scriptWindows_)
        scriptWindows_->ConsoleError("There are no scripts: " + scriptProfileDir_ + "/" +
                                     std::string(ScriptEngine::kScriptsFolder) +
                                     " is not a folder.");
}

void TermSession::CloseScripts() {
    if (!scripts_) return;
    // Out of reach while it closes: nothing it does on the way reaches it again.
    const std::unique_ptr<ScriptEngine> engine = std::move(scripts_);
    engine->Close();
    loop_.StopTimer(kScriptTimer);
    scriptTimerDue_.reset();
    scriptGameData_.clear();
    scriptGameDataDropped_ = 0;
}

void TermSession::RunScriptLine(std::string_view code) {
    if (!scripts_) {
        ReloadScripts();
        if (!scripts_) return;
    }
    scripts_->RunConsoleLine(code);
    ArmScriptTimer();
}

void TermSession::RunScriptTriggers(CompletedLine& line) {
    const std::uint64_t calls = scripts_->LuaCalls();
    const ScriptLineActions actions = scripts_->OnLine(line.taken.text);
    if (scripts_ && scripts_->LuaCalls() != calls) ArmScriptTimer();
    const std::uint64_t serial = line.taken.serial;
    for (const ScriptHighlight& highlight : actions.highlights) {
        const CellColor text = highlight.textColor ? ExplicitCellColor(*highlight.textColor) : 0;
        const CellColor back = highlight.backColor ? ExplicitCellColor(*highlight.backColor) : 0;
        if (highlight.scope == HighlightScope::Line) {
            screen_.ColorWholeCompletedLine(serial, text, back);
        } else {
            const auto [first, last] = line.taken.Columns(highlight.span.begin, highlight.span.end);
            screen_.ColorCompletedLine(serial, first, last, text, back);
        }
    }
    if (actions.gag) {
        if (line.shown) screen_.RemoveCompletedLine(serial);
        line.shown = false;
        if (actions.gagLog) line.logged = false;
    }
}

bool TermSession::RunScriptAlias(std::string_view line) {
    const std::uint64_t calls = scripts_->LuaCalls();
    const bool taken = scripts_->OnTypedLine(line);
    if (scripts_ && scripts_->LuaCalls() != calls) ArmScriptTimer();
    return taken;
}

void TermSession::RunScriptGameData() {
    const auto messages = std::exchange(scriptGameData_, {});
    if (const std::size_t dropped = std::exchange(scriptGameDataDropped_, 0);
        dropped > 0 && scriptWindows_)
        scriptWindows_->ConsoleError(
            std::to_string(dropped) +
            " GMCP or MSDP messages or prompts of one read were not given to "
            "the scripts: they take " +
            std::to_string(kMaxPendingScriptMessages) + " at most.");
    for (const auto& [kind, message] : messages) {
        if (!scripts_) return;
        switch (kind) {
        case ScriptInput::Gmcp: scripts_->OnGmcp(message); break;
        case ScriptInput::Msdp: scripts_->OnMsdp(message); break;
        case ScriptInput::Prompt: scripts_->OnPrompt(message); break;
        }
    }
    ArmScriptTimer();
}

void TermSession::ScriptEvent(bool connected) {
    if (!scripts_) return;
    if (connected)
        scripts_->OnConnect();
    else
        scripts_->OnDisconnect();
    ArmScriptTimer();
}

void TermSession::ArmScriptTimer() {
    const std::optional<std::int64_t> due = scripts_ ? scripts_->NextTimerDue() : std::nullopt;
    if (due == scriptTimerDue_) return;
    scriptTimerDue_ = due;
    if (!due) {
        loop_.StopTimer(kScriptTimer);
        return;
    }
    const std::int64_t wait = std::clamp<std::int64_t>(*due - scriptBridge_->NowMs(), 1, INT_MAX);
    // A tick that comes early runs nothing and arms the timer again.
    loop_.StartTimer(kScriptTimer, static_cast<int>(wait), [this] {
        loop_.StopTimer(kScriptTimer);
        scriptTimerDue_.reset();
        if (scripts_) scripts_->OnTimers();
        ArmScriptTimer();
    });
}

} // namespace tav
