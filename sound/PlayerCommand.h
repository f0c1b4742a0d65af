#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tav {

// Splits a player setting such as `"/opt/my player/play" -q` into words: blanks and tabs
// separate words, double quotes group blanks into a word and are dropped ("" is an empty
// word), an unclosed quote runs to the end. Backslashes are ordinary characters.
std::vector<std::string> SplitPlayerCommand(std::string_view command);

} // namespace tav
