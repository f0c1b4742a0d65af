#pragma once

#include "settings/GamePort.h"
#include "settings/LogSink.h"
#include "settings/ProfileOptions.h"
#include "settings/Settings.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// Bounds of the numbers the configuration dialog accepts (the port's are in GamePort.h).
// The sizes are what the screens and the input history really allocate; the client
// autoconnect waits at most a minute.
inline constexpr int kMaxWaitSeconds = 60;

// The four check boxes of the configuration dialog that hold each other in check.
enum class ConfigBox { MidiInternal, MidiExternal, AutoClient, WaitClient };

struct ConfigBoxStates {
    bool midiInternal = false;
    bool midiExternal = false;
    bool autoClient = false;
    bool waitClient = false;
    friend bool operator==(const ConfigBoxStates&, const ConfigBoxStates&) = default;
};

// The states after a click on `clicked`, given the states with that box already toggled:
// exactly one of the two MIDI boxes ends up checked, and waiting after the Term connects
// is possible only together with the Client autoconnect.
ConfigBoxStates ApplyConfigInterlock(ConfigBoxStates toggled, ConfigBox clicked);

// What the settings a configuration dialog left say: the first refusal (shown as an
// "Error..." box, then the dialog opens again), or the log lines of the chosen options.
struct ConfigVerdict {
    std::optional<std::string> error;
    std::vector<std::string_view> logLines;
};
// With `accountOptional` (a game of another kind) the username, the password and the
// player programs may stay empty; every other rule holds as it is. A player program the
// built-in player stands in for (`builtIn`) may stay empty too.
ConfigVerdict ValidateConfig(const Settings& settings, bool accountOptional = false,
                             BuiltInPlayers builtIn = {});

// The rest of the "Config..." command around the dialog. The desktop layer implements it
// on the main frame; tests record the calls.
class ConfigCommandHost : public LogSink {
public:
    // Runs the configuration dialog over `edited` and the built-in player choices; true
    // for OK.
    virtual bool RunConfigDialog(Settings& edited, BuiltInPlayers& builtIn) = 0;
    virtual void ShowConfigError(std::string_view text) = 0;
    virtual void SetTopmost(bool topmost) = 0;
    // Screen settings (not the initial ones), then the save, then the buffer sizes.
    virtual void ApplyScreenSettings() = 0;
    virtual void SaveSettings() = 0;
    virtual void ApplySizes() = 0;
    virtual void Relayout() = 0;
};

// The "Config..." command: the dialog edits a copy of the record and opens again until
// the copy is valid or the user cancels. Only a valid copy reaches the record, and then it
// is applied and saved; Cancel, also after a refusal, leaves the record as it was. The
// window is laid out again when the MultiScreen or Enhanced Term choice changed. True
// when new settings were taken. `accountOptional` as for ValidateConfig; `builtIn`, when
// given, is edited beside the record and changes with it.
bool RunConfigCommand(Settings& settings, ConfigCommandHost& host, bool accountOptional = false,
                      BuiltInPlayers* builtIn = nullptr);

} // namespace tav
