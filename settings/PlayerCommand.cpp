#include "settings/PlayerCommand.h"

namespace tav {

std::vector<std::string> SplitPlayerCommand(std::string_view command) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (const char c : command) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true; // "" still makes a word
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word.push_back(c);
            inWord = true;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

std::optional<std::string> PlayerCommandFor(std::string_view program) {
    if (program.empty() || program.find('"') != std::string_view::npos) return std::nullopt;
    if (program.find_first_of(" \t") == std::string_view::npos) return std::string(program);
    std::string quoted;
    quoted.reserve(program.size() + 2);
    quoted.append("\"").append(program).append("\"");
    return quoted;
}

} // namespace tav
