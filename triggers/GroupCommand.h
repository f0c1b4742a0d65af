#pragma once

#include <string>
#include <string_view>

namespace tav {

class TriggerList;

// A reaction line "/group on <name>" or "/group off <name>" switches every trigger of that
// group on or off. It is handled here and never sent. (The command cannot begin with '#':
// in trigs.ndx a reaction line beginning with '#' ends the record.)
inline constexpr std::string_view kGroupCommand = "/group";

struct GroupCommandResult {
    std::string rest; // the reaction without its group commands, lines still CR LF ended
    bool ran = false; // whether any line was a group command
};

// Runs the group commands among the lines of an expanded reaction on `list`.
GroupCommandResult RunGroupCommands(std::string_view reaction, TriggerList& list);

} // namespace tav
