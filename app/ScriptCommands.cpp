// Before any Qt header: the session headers use names Qt defines as macros ("slots").
#include "term/TermSession.h"

#include "app/ScriptCommands.h"

#include "app/ClientHub.h"
#include "app/MenuCommands.h"
#include "client/ClientWindows.h"
#include "windows/MonitorWindow.h"
#include "windows/ScriptConsole.h"
#include "windows/StatusWindow.h"
#include "windows/TermWindow.h"

#include <algorithm>
#include <array>
#include <climits>

namespace tav {

namespace {

constexpr int kScriptIds[] = {kCmReloadScripts, kCmScriptConsole};

int Clamped(long value) {
    return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

} // namespace

ScriptCommands::ScriptCommands(tmudterm& term, ClientHub& hub, QWidget& owner,
                               std::function<std::string()> profileDir)
    : QObject(&owner), term_(term), hub_(hub), owner_(owner), profileDir_(std::move(profileDir)) {
    term_.Session().SetScriptWindows(this);
}

ScriptCommands::~ScriptCommands() {
    term_.Session().SetScriptWindows(nullptr);
    delete console_.data();
}

std::span<const int> ScriptCommands::Ids() {
    return kScriptIds;
}

bool ScriptCommands::Handles(int id) {
    return std::find(std::begin(kScriptIds), std::end(kScriptIds), id) != std::end(kScriptIds);
}

void ScriptCommands::Run(int id) {
    if (id == kCmScriptConsole) return Console().Toggle();
    if (id == kCmReloadScripts) term_.Session().ReloadScripts();
}

void ScriptCommands::OpenScripts() {
    const std::string dir = profileDir_();
    if (dir.empty())
        term_.Session().CloseScripts();
    else
        term_.Session().OpenScripts(dir);
}

ScriptConsole& ScriptCommands::Console() {
    if (!console_) {
        console_ = new ScriptConsole(
            consoleRect_, [this](const std::string& code) { term_.Session().RunScriptLine(code); },
            &owner_);
    }
    return *console_;
}

void ScriptCommands::SetGauge(ScriptGauge gauge, long value, long max) {
    static constexpr int kGauges[] = {kHitGauge, kManaGauge, kMoveGauge};
    const auto index = static_cast<std::size_t>(gauge);
    hub_.Monitor().SetGauge(kGauges[index], Clamped(value), Clamped(max));
    StatusWindow& status = term_.Status();
    std::array<int, 6> values = status.Values();
    values[2 * index] = Clamped(value);
    values[2 * index + 1] = Clamped(max);
    status.SetStatus(values[0], values[1], values[2], values[3], values[4], values[5]);
}

void ScriptCommands::WritePane(ScriptPane pane, std::string_view text) {
    TMudScreen& screen = pane == ScriptPane::Description ? term_.DescPane()
                         : pane == ScriptPane::Exits     ? term_.ExitPane()
                                                         : term_.ListPane();
    screen.ResetScreen(screen.Lines());
    // The scripts' text is the game text as the main screen hands it out.
    screen.SetEncoding(term_.RecentTextEncoding());
    screen.AddText(ScriptEchoText(text));
}

void ScriptCommands::PlaySound(const std::string& path) {
    // The players of the server's sound cues, by the file's extension, with their
    // "Don't play" choices; the client log says what plays.
    hub_.Sound().Play(path);
}

void ScriptCommands::ConsolePrint(std::string_view text) {
    Console().Append(text);
}

void ScriptCommands::ConsoleError(std::string_view text) {
    Console().Append(text);
}

} // namespace tav
