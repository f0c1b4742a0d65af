#pragma once

#include "commands/Alias.h"
#include "commands/VariablesReport.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// Bounds of one typed line's expansion: aliases within aliases at most this deep, and
// at most this many commands or bytes sent for it.
inline constexpr int kMaxAliasDepth = 8;
inline constexpr std::size_t kMaxExpandedCommands = 1000;
inline constexpr std::size_t kMaxExpandedBytes = 64 * 1024;

// How typed lines become commands. Every text is in the bytes the line is typed in.
struct CommandRules {
    std::string separator;       // splits a line into commands; empty: never split
    std::string speedwalkPrefix; // starts a speedwalk; empty: no speedwalks
    std::vector<std::string> directions;
    std::vector<Alias> aliases; // the first of two with one name counts
};

// The commands of one typed line, in order, or why none are sent.
struct Expansion {
    std::vector<std::string> commands;
    std::string refusal; // empty unless the line was refused (then commands is empty)
    // The last alias the line itself named, with its words (for the variables view).
    std::optional<AliasCall> alias;
};

// `text` cut at every separator; a backslash right before a separator keeps it as text
// ("say hi\;there" is one command). Each command loses the spaces around it; empty ones
// are left out. An empty separator gives the text whole.
std::vector<std::string> SplitCommands(std::string_view text, std::string_view separator);

// Turns a typed line into the commands to send: the line is split at the separator, and
// each command, in order, is a speedwalk (sent as its steps), or an alias (its body split
// at the separator, %1..%9 and %* filled in, the words no mark takes added to its last
// command in order, each of those commands expanded the same way), or sent as it is. An alias used
// again inside its own expansion is sent as a plain word, so an alias may carry the game command of
// its name. A line that would nest deeper than kMaxAliasDepth, make more than kMaxExpandedCommands
// commands or kMaxExpandedBytes, or walk too far is refused whole.
class CommandExpander {
public:
    explicit CommandExpander(CommandRules rules = {});
    Expansion Expand(std::string_view typed) const;

private:
    struct Run;
    bool ExpandCommand(std::string command, int depth, Run& run) const;
    bool ExpandAlias(const std::string& name, const std::string& body, std::string_view rest,
                     int depth, Run& run) const;

    CommandRules rules_;
    std::map<std::string, std::string, std::less<>> aliases_;
};

} // namespace tav
