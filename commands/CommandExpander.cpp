#include "commands/CommandExpander.h"

#include "commands/Speedwalk.h"

#include <algorithm>

namespace tav {

namespace {

// What one line may cost before it is refused, whatever its aliases hold: commands
// looked at and bytes made, counting the ones that expand to nothing.
constexpr std::size_t kMaxExpansionSteps = 10 * kMaxExpandedCommands;
constexpr std::size_t kMaxExpansionWork = 16 * kMaxExpandedBytes;

std::string_view TrimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The words after an alias's name, split on spaces, for %1..%9.
std::vector<std::string_view> Arguments(std::string_view rest) {
    std::vector<std::string_view> words;
    std::size_t from = 0;
    while (words.size() < 9) {
        from = rest.find_first_not_of(' ', from);
        if (from == std::string_view::npos) break;
        const std::size_t end = std::min(rest.find(' ', from), rest.size());
        words.push_back(rest.substr(from, end - from));
        from = end;
    }
    return words;
}

bool IsArgumentMark(std::string_view text, std::size_t at) {
    return text[at] == '%' && at + 1 < text.size() &&
           (text[at + 1] == '*' || (text[at + 1] >= '1' && text[at + 1] <= '9'));
}

// Which words typed after an alias's name its body takes: bit n for %(n+1), or all of
// them for %*.
struct WordUse {
    unsigned marked = 0;
    bool all = false;
};

WordUse UsedWords(std::string_view body) {
    WordUse use;
    for (std::size_t at = 0; at < body.size(); ++at) {
        if (!IsArgumentMark(body, at)) continue;
        const char mark = body[++at];
        if (mark == '*')
            use.all = true;
        else
            use.marked |= 1u << (mark - '1');
    }
    return use;
}

// The words of `rest` the body does not take, in order, so that nothing typed is lost:
// neighbours keep the spaces typed between them, and one space stands where taken words
// were left out.
std::string UnusedWords(std::string_view rest, WordUse use) {
    std::string out;
    if (use.all) return out;
    bool previousUnused = false;
    std::size_t previousEnd = 0;
    for (std::size_t from = 0, index = 0;
         (from = rest.find_first_not_of(' ', from)) != std::string_view::npos; ++index) {
        const std::size_t end = std::min(rest.find(' ', from), rest.size());
        const bool used = index < 9 && ((use.marked >> index) & 1u) != 0;
        if (!used) {
            if (previousUnused)
                out += rest.substr(previousEnd, from - previousEnd);
            else if (!out.empty())
                out += ' ';
            out += rest.substr(from, end - from);
        }
        previousUnused = !used;
        previousEnd = from = end;
    }
    return out;
}

// `command` with %1..%9 (missing ones empty) and %* (all words typed after the name).
std::string FillArguments(std::string_view command, std::string_view rest) {
    const std::vector<std::string_view> words = Arguments(rest);
    std::string out;
    for (std::size_t at = 0; at < command.size(); ++at) {
        if (!IsArgumentMark(command, at)) {
            out.push_back(command[at]);
            continue;
        }
        const char mark = command[++at];
        if (mark == '*') {
            out += rest;
        } else if (const auto n = static_cast<std::size_t>(mark - '1'); n < words.size()) {
            out += words[n];
        }
        if (out.size() > kMaxExpandedBytes) break; // refused by the caller
    }
    return out;
}

} // namespace

struct CommandExpander::Run {
    Expansion out;
    std::vector<std::string_view> active; // aliases being expanded, outermost first
    std::size_t bytes = 0;
    std::size_t steps = 0;
    std::size_t work = 0;

    bool Refuse(std::string why) {
        out.commands.clear();
        out.refusal = std::move(why);
        return false;
    }
    bool TooMuch() {
        return Refuse("Too many commands from one line (at most " +
                      std::to_string(kMaxExpandedCommands) + "); nothing sent.");
    }
    bool Emit(std::string command) {
        bytes += command.size() + 1;
        if (out.commands.size() >= kMaxExpandedCommands || bytes > kMaxExpandedBytes)
            return TooMuch();
        out.commands.push_back(std::move(command));
        return true;
    }
};

std::vector<std::string> SplitCommands(std::string_view text, std::string_view separator) {
    if (separator.empty()) {
        if (text.empty()) return {};
        return {std::string(text)};
    }
    std::vector<std::string> commands;
    std::string current;
    auto finish = [&] {
        if (const std::string_view kept = TrimSpaces(current); !kept.empty())
            commands.emplace_back(kept);
        current.clear();
    };
    for (std::size_t at = 0; at < text.size();) {
        if (text[at] == '\\' && text.substr(at + 1).starts_with(separator)) {
            current += separator;
            at += 1 + separator.size();
        } else if (text.substr(at).starts_with(separator)) {
            finish();
            at += separator.size();
        } else {
            current.push_back(text[at++]);
        }
    }
    finish();
    return commands;
}

CommandExpander::CommandExpander(CommandRules rules) : rules_(std::move(rules)) {
    for (const Alias& alias : rules_.aliases)
        aliases_.emplace(alias.name, alias.body); // keeps the first of a name
}

Expansion CommandExpander::Expand(std::string_view typed) const {
    Run run;
    for (std::string& command : SplitCommands(typed, rules_.separator))
        if (!ExpandCommand(std::move(command), 0, run)) break;
    return std::move(run.out);
}

bool CommandExpander::ExpandCommand(std::string command, int depth, Run& run) const {
    if (command.empty()) return true;
    if (++run.steps > kMaxExpansionSteps || (run.work += command.size()) > kMaxExpansionWork)
        return run.TooMuch();

    const Walk walk = ParseWalk(command, rules_.speedwalkPrefix, rules_.directions);
    if (walk.kind == Walk::Kind::TooLong)
        return run.Refuse("Speedwalk too long (at most " + std::to_string(kMaxWalkRepeat) +
                          " a step, " + std::to_string(kMaxWalkSteps) + " in all); nothing sent.");
    if (walk.kind == Walk::Kind::Steps) {
        for (const std::string& step : walk.steps)
            if (!run.Emit(step)) return false;
        return true;
    }

    const std::string_view line = TrimSpaces(command);
    const std::size_t nameEnd = std::min(line.find(' '), line.size());
    const std::string_view name = line.substr(0, nameEnd);
    const auto alias = aliases_.find(name);
    if (alias == aliases_.end() ||
        std::find(run.active.begin(), run.active.end(), name) != run.active.end())
        return run.Emit(std::move(command));
    if (depth >= kMaxAliasDepth)
        return run.Refuse("Aliases nested deeper than " + std::to_string(kMaxAliasDepth) +
                          "; nothing sent.");
    return ExpandAlias(alias->first, alias->second, TrimSpaces(line.substr(nameEnd)), depth, run);
}

bool CommandExpander::ExpandAlias(const std::string& name, const std::string& body,
                                  std::string_view rest, int depth, Run& run) const {
    // The body is split before the arguments go in, so a separator typed in an argument
    // stays text.
    std::vector<std::string> commands = SplitCommands(body, rules_.separator);
    // Words typed after the name that no mark takes go after its last command.
    const std::string unused = UnusedWords(rest, UsedWords(body));
    if (run.active.empty()) {
        AliasCall call{name, {}};
        for (const std::string_view word : Arguments(rest))
            call.arguments.emplace_back(word);
        run.out.alias = std::move(call);
    }
    run.active.push_back(name);
    for (std::size_t k = 0; k < commands.size(); ++k) {
        std::string command = FillArguments(commands[k], rest);
        if (!unused.empty() && k + 1 == commands.size()) command += " " + unused;
        if (command.size() > kMaxExpandedBytes) return run.TooMuch();
        if (!ExpandCommand(std::move(command), depth + 1, run)) return false;
    }
    run.active.pop_back();
    return true;
}

} // namespace tav
