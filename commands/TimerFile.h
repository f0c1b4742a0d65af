#pragma once

#include "settings/ProfileFileNames.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// "timers.cfg" in the profile directory: commands the session sends every so many
// seconds while the Term connection is up. A text-mode file, one timer a line:
//
//   timer=<name>|<seconds>|<on or off>|<command>
//
// The command is a command string like a function key's (';' separates lines) and may
// hold '|' itself; the name may not. Other lines are kept as they are.

inline constexpr int kMinTimerSeconds = 1;
inline constexpr int kMaxTimerSeconds = 86400;
inline constexpr std::size_t kMaxTimerName = 63;
// One less than a command string holds, so the ';' that ends its last line still fits.
inline constexpr std::size_t kMaxTimerCommand = 254;
inline constexpr std::size_t kMaxTimers = 100;
// Lines longer than this are bad lines, whatever they hold.
inline constexpr std::size_t kMaxTimerLine = 1024;

struct CommandTimer {
    std::string name;
    int seconds = 60;
    bool enabled = true;
    std::string command;
    bool operator==(const CommandTimer&) const = default;
};

struct TimerFileRead {
    std::vector<CommandTimer> timers;
    // Lines that are not timers (comments, keys of a later version, bad timer lines), in
    // file order: written back so a save loses nothing.
    std::vector<std::string> kept;
    // The bad timer lines among them, to be reported once.
    std::vector<std::string> bad;
};

// Why a timer cannot be kept, or empty when it can.
std::string TimerProblem(const CommandTimer& timer);

// The one line of a timer, without its line end; and the timer of a line, or nothing.
std::string TimerLine(const CommandTimer& timer);
bool ParseTimerLine(std::string_view line, CommandTimer& timer);

// Parses the file's text (line ends already "\n"); at most kMaxTimers timers, later
// timer lines count as bad.
TimerFileRead ReadTimerText(std::string_view text);
// The text to write: the timers, then the kept lines.
std::string WriteTimerText(const std::vector<CommandTimer>& timers,
                           const std::vector<std::string>& kept);

// "<root>/profiles/<profile>/timers.cfg".
std::string TimerFilePath(std::string_view root, std::string_view profile);
// A missing or unreadable file reads as no timers.
TimerFileRead LoadTimerFile(const std::string& path);
// Replaces the file atomically; with neither timers nor kept lines it is deleted.
bool SaveTimerFile(const std::string& path, const std::vector<CommandTimer>& timers,
                   const std::vector<std::string>& kept);

// What a firing timer hands to the command-string sender: its command with a ';' after
// the last line, so that a plain "look" is sent as a line too.
std::string TimerCommandString(std::string_view command);

} // namespace tav
