#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// custbut.ndx: the custom buttons of a profile. A text-mode file of records, each a name
// line, the command's lines and a line beginning with '#' that ends the record. A command
// is held with CR LF after each line, so in text mode a command line is stored ending in
// CR CR LF: "look\r\n" of the button "L" is written as "L\r\nlook\r\r\n#\r\n". The file
// holds the buttons newest first, in the order of the button list.

inline constexpr std::string_view kCustomButtonFileName = "custbut.ndx";
// The name and the command are at most this long; the command's CR LFs count.
inline constexpr std::size_t kMaxButtonName = 31;
inline constexpr std::size_t kMaxButtonCommand = 255;
// The control id of the first custom button; later ones count up from it.
inline constexpr int kFirstCustomButtonId = 8000;

struct CustomButtonRecord {
    std::string name;
    std::string command; // empty, or lines each ending in CR LF
    bool operator==(const CustomButtonRecord&) const = default;
};

// "<dataRoot>/profiles/<profile>/custbut.ndx".
std::string CustomButtonPath(std::string_view dataRoot, std::string_view profile);

// The records of the file's bytes, in file order. Lines are read whole: a name longer
// than kMaxButtonName is cut to it; command lines are taken whole while the command stays
// within kMaxButtonCommand, and the lines that would pass it are left out whole, so a
// line is never split into two commands. A record without its '#' line at the end of
// the file is left out.
std::vector<CustomButtonRecord> ParseCustomButtons(std::string_view bytes);
// The file's bytes for the records, in the order given.
std::string FormatCustomButtons(const std::vector<CustomButtonRecord>& records);

// Reads the file; nothing when it cannot be opened.
std::optional<std::vector<CustomButtonRecord>> LoadCustomButtons(const std::string& path);
// Replaces the file atomically with the records; with no records the file is deleted
// instead (an empty file is never written). False when that failed.
bool SaveCustomButtons(const std::string& path, const std::vector<CustomButtonRecord>& records);

// --- what the button editor accepts ------------------------------------------------------

// A name as typed or pasted: CR and LF dropped, cut to kMaxButtonName.
std::string CleanButtonName(std::string_view typed);
// A command as typed (lines separated by LF, perhaps CR LF) in its stored form: every line
// ending in CR LF, CR LF added after the last line when it has none; lone CRs dropped.
std::string StoredButtonCommand(std::string_view typed);
// Why a stored command cannot be kept, or nothing when it can: a line beginning with '#'
// would end the record in the file, and the command must fit kMaxButtonCommand.
std::optional<std::string> ButtonCommandProblem(std::string_view stored);

// The id for a new button: one more than the highest id present, or kFirstCustomButtonId.
int NextCustomButtonId(const std::vector<int>& ids);

} // namespace tav
