#include "sound/PlayerCommand.h"

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

} // namespace tav
