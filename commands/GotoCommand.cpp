#include "commands/GotoCommand.h"

#include <algorithm>
#include <charconv>

namespace tav {

namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

bool IsWord(std::string_view text, std::string_view word) {
    if (text.size() != word.size()) return false;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char c = text[k] >= 'A' && text[k] <= 'Z' ? char(text[k] - 'A' + 'a') : text[k];
        if (c != word[k]) return false;
    }
    return true;
}

} // namespace

std::optional<GotoCommand> ReadGotoCommand(std::string_view line) {
    line = Trimmed(line);
    const std::size_t space = std::min(line.find(' '), line.size());
    if (!IsWord(line.substr(0, space), "#goto")) return std::nullopt;
    const std::string_view rest = Trimmed(line.substr(space));
    std::int64_t room = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), room);
    if (rest.empty() || error != std::errc() || end != rest.data() + rest.size())
        return GotoCommand{};
    return GotoCommand{room};
}

} // namespace tav
