#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// Splits a player setting such as `"/opt/my player/play" -q` into words: blanks and tabs
// separate words, double quotes group blanks into a word and are dropped ("" is an empty
// word), an unclosed quote runs to the end. Backslashes are ordinary characters.
std::vector<std::string> SplitPlayerCommand(std::string_view command);

// The player setting that starts exactly `program` (a path chosen in a file chooser):
// the path as it is when it has no blank or tab (so such values stay as they always
// were), in double quotes when it has. Nothing when it is empty or holds a double quote,
// which no setting can express.
std::optional<std::string> PlayerCommandFor(std::string_view program);

} // namespace tav
