#pragma once

#include "commands/SettingsExport.h"

#include <string>
#include <vector>

namespace tav {

class TriggerList;

// Where a profile's shareable settings live: the trigger list, the timers, the function
// keys of the stored values and, in the profile directory below `dataRoot`, the custom
// buttons (custbut.ndx) and the aliases (aliases.cfg).
struct ProfilePlaces {
    std::string dataRoot;
    std::string profile;
    TriggerList& triggers;
    StoredValues& stored;
    bool utf8 = false; // the profile keeps its texts as UTF-8
};

// What the profile holds now; `timers` are the profile's timers as they run.
SettingsBundle ReadProfileBundle(const ProfilePlaces& places,
                                 const std::vector<CommandTimer>& timers);

// What an import did: the merged timers to run (when changed), whether the function keys
// changed (the settings must then be saved), and the report lines, refusals first.
struct ImportOutcome {
    std::optional<std::vector<CommandTimer>> timers;
    bool functionKeysChanged = false;
    std::vector<std::string> report;
};

// Merges `imported` into the profile and writes each file it changed through that file's
// own writer (trigs.ndx, custbut.ndx, aliases.cfg); a file that cannot be written is
// reported. Timers and function keys are left to the caller (see ImportOutcome).
ImportOutcome ApplyImport(const ProfilePlaces& places, const std::vector<CommandTimer>& timers,
                          const SettingsImport& imported);

} // namespace tav
