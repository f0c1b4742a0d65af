#include "triggers/GroupCommand.h"

#include "triggers/TriggerList.h"

#include <optional>

namespace tav {

namespace {

struct GroupSwitch {
    std::string_view name;
    bool on;
};

std::string_view TrimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::optional<GroupSwitch> ParseGroupLine(std::string_view line) {
    if (!line.starts_with(kGroupCommand)) return std::nullopt;
    line.remove_prefix(kGroupCommand.size());
    if (!line.starts_with(' ')) return std::nullopt;
    line = TrimSpaces(line);
    bool on = false;
    if (line.starts_with("on "))
        on = true;
    else if (!line.starts_with("off "))
        return std::nullopt;
    const std::string_view name = TrimSpaces(line.substr(on ? 3 : 4));
    if (name.empty()) return std::nullopt;
    return GroupSwitch{name, on};
}

} // namespace

GroupCommandResult RunGroupCommands(std::string_view reaction, TriggerList& list) {
    GroupCommandResult result;
    while (!reaction.empty()) {
        const std::size_t lf = reaction.find('\n');
        const std::size_t next = lf == std::string_view::npos ? reaction.size() : lf + 1;
        std::string_view line = reaction.substr(0, lf);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (const auto command = ParseGroupLine(line)) {
            list.SetGroupEnabled(command->name, command->on);
            result.ran = true;
        } else {
            result.rest.append(reaction.substr(0, next));
        }
        reaction.remove_prefix(next);
    }
    return result;
}

} // namespace tav
