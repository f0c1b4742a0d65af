#pragma once

#include "commands/Alias.h"

#include "commands/TimerFile.h"
#include "settings/CustomButtonFile.h"
#include "settings/StoredValues.h"
#include "triggers/TriggerFile.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// One file holding what a player builds up in a profile -- triggers, timers, aliases,
// custom buttons and function keys -- to share or keep. UTF-8 text, one entry a line:
//
//   [triggers]            trigger=<pattern>, then reaction=<line> for each reaction line
//   [timers]              timer=<name>|<seconds>|<on or off>|<command>, as in timers.cfg
//   [aliases]             <name>=<body>, as in aliases.cfg (only when the profile has one)
//   [buttons]             button=<name>, then command=<line> for each command line
//   [function keys]       F1=<text> ... F12=<text> (keys without text are left out)
//
// Blank lines and lines beginning with '#' outside an entry are notes. The profile's
// texts are Latin-1 (UTF-8 in a profile whose screen holds Unicode characters); the file
// holds them as UTF-8.

inline constexpr std::size_t kMaxImportBytes = 4 * 1024 * 1024;
inline constexpr std::size_t kMaxImportLine = 4096;
// More than any profile needs, so a mistaken file cannot fill the memory.
inline constexpr std::size_t kMaxImportEntries = 10000;

using AliasEntry = Alias; // a line of aliases.cfg

struct SettingsBundle {
    std::vector<TriggerRecord> triggers; // reactions held as stored: lines with CR LF
    std::vector<CommandTimer> timers;
    std::optional<std::vector<AliasEntry>> aliases; // nothing: no alias file / section
    std::vector<CustomButtonRecord> buttons;        // commands as stored: lines with CR LF
    std::array<std::string, kFunctionKeyCount> functionKeys{}; // empty: not set
    // The profile's texts are UTF-8 (its screen holds Unicode characters), not Latin-1.
    bool utf8 = false;
};

std::string FormatSettingsExport(const SettingsBundle& bundle);

struct SettingsImport {
    SettingsBundle bundle;
    // "line N: why", for every line that was not taken.
    std::vector<std::string> refused;
};
// `storedUtf8`: the profile keeps its texts as UTF-8, so any character is taken.
SettingsImport ParseSettingsImport(std::string_view utf8, bool storedUtf8 = false);

// Merges `from` into `into`: an entry of a name (trigger pattern, timer, alias or button
// name, function key) already there is replaced in place, a new one is added at the end.
// Returns what happened, one line per entry ("Trigger added: hungry").
std::vector<std::string> MergeSettings(SettingsBundle& into, const SettingsBundle& from);

} // namespace tav
