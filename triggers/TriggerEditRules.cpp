#include "triggers/TriggerEditRules.h"

#include "triggers/TriggerLimits.h"

#include <vector>

namespace tav {

namespace {

// The editor's lines, a CR before an LF taken as part of the line end. A text ending in a
// line end has no empty line after it.
std::vector<std::string_view> EditorLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

} // namespace

std::size_t StoredReactionChars(std::string_view reaction) {
    std::size_t chars = 0;
    for (std::string_view line : EditorLines(reaction))
        chars += line.size() + 2;
    return chars;
}

std::optional<TriggerEditProblem> CheckTriggerReaction(std::string_view reaction) {
    for (std::string_view line : EditorLines(reaction)) {
        if (!line.empty() && line.front() == '#')
            return TriggerEditProblem{
                "TavClient TrigEdit",
                "A reaction line cannot begin with '#': the trigger file would end the "
                "trigger there. Change or remove the line: \"" +
                    std::string(line) + "\""};
    }
    if (const std::size_t chars = StoredReactionChars(reaction); chars > kMaxReactionChars)
        return TriggerEditProblem{"TavClient TrigEdit",
                                  "The reaction is too long: " + std::to_string(chars) +
                                      " characters, counting two for the end of each line, "
                                      "where at most " +
                                      std::to_string(kMaxReactionChars) + " fit."};
    return std::nullopt;
}

} // namespace tav
