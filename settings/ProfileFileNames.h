#pragma once

#include <string_view>

namespace tav {

// The files of a profile's directory, "profiles/<name>/", by name: the ones every player's
// profile has always held, then the ones this program keeps beside them. Deleting a
// profile removes all of them, so a new profile of the same name starts afresh.
inline constexpr std::string_view kSettingsFileName = "tav.cfg";
inline constexpr std::string_view kTriggerFileName = "trigs.ndx";
inline constexpr std::string_view kStoredProfileFiles[] = {
    kSettingsFileName, "colors.dat", "help.ndx", "custbut.ndx", kTriggerFileName};

inline constexpr std::string_view kOptionsFileName = "options.cfg";
inline constexpr std::string_view kTriggerActionFileName = "trigs.act";
inline constexpr std::string_view kAliasFileName = "aliases.cfg";
inline constexpr std::string_view kTimerFileName = "timers.cfg";
inline constexpr std::string_view kTrustFileName = "trusted-certificates.cfg";
// The automapper's SQLite file, and what SQLite keeps beside it while it is open or after
// a kill.
inline constexpr std::string_view kMapFileName = "map.db";
// What the scripts keep in tav.vars, as JSON.
inline constexpr std::string_view kScriptVarsFileName = "scriptvars.json";
inline constexpr std::string_view kOwnProfileFiles[] = {
    kOptionsFileName,    kTriggerActionFileName, kAliasFileName, kTimerFileName, kTrustFileName,
    kScriptVarsFileName, kMapFileName,           "map.db-wal",   "map.db-shm",   "map.db-journal"};

} // namespace tav
