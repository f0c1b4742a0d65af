#pragma once

#include "settings/Rect.h"
#include "term/TermServices.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <span>
#include <string>

class QWidget;

namespace tav {

class ClientHub;
class ScriptConsole;
class tmudterm;

// The main window's side of the profile's Lua scripts: Options > Scripts > Reload
// scripts, View > Script console, and the windows the scripts write to (the status
// window's and the monitor's gauges, the panes, the sound players, the console).
class ScriptCommands : public QObject, public ScriptWindows {
    Q_OBJECT
public:
    // `profileDir` names the loaded profile's folder, empty before one is.
    ScriptCommands(tmudterm& term, ClientHub& hub, QWidget& owner,
                   std::function<std::string()> profileDir);
    ~ScriptCommands() override;

    static std::span<const int> Ids();
    static bool Handles(int id);
    void Run(int id);
    // Opens the scripts of the profile just loaded (before its autoconnect).
    void OpenScripts();

    // The console, made the first time.
    ScriptConsole& Console();

    // ScriptWindows
    void SetGauge(ScriptGauge gauge, long value, long max) override;
    void WritePane(ScriptPane pane, std::string_view text) override;
    void PlaySound(const std::string& path) override;
    void ConsolePrint(std::string_view text) override;
    void ConsoleError(std::string_view text) override;

private:
    tmudterm& term_;
    ClientHub& hub_;
    QWidget& owner_;
    std::function<std::string()> profileDir_;
    QPointer<ScriptConsole> console_;
    Rect consoleRect_{}; // where the console was last, for this run only
};

} // namespace tav
