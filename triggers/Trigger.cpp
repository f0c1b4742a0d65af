#include "triggers/Trigger.h"

namespace tav {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

} // namespace

TTrigger::TTrigger(std::string_view pattern, std::string_view reaction) {
    Set(pattern, reaction);
}

void TTrigger::Set(std::string_view pattern, std::string_view reaction) {
    pattern_ = NormalizePattern(pattern);
    reaction_ = NormalizeReaction(reaction);
    compiled_ = TriggerPattern(pattern_);
}

std::string NormalizePattern(std::string_view pattern) {
    pattern = pattern.substr(0, pattern.find_first_of("\r\n"));
    return std::string(pattern.substr(0, kMaxPatternChars));
}

std::string NormalizeReaction(std::string_view reaction) {
    std::string lines;
    while (!reaction.empty()) {
        const std::size_t lf = reaction.find('\n');
        std::string_view line = reaction.substr(0, lf);
        reaction.remove_prefix(lf == std::string_view::npos ? reaction.size() : lf + 1);
        if (lf != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty() && line.front() == '#') continue;
        lines.append(line);
        lines.append(kLineEnd);
    }
    return LimitLines(lines, kMaxReactionChars);
}

std::string LimitLines(std::string_view text, std::size_t maxChars) {
    if (text.size() <= maxChars) return std::string(text);
    std::string out;
    while (!text.empty()) {
        const std::size_t end = text.find(kLineEnd);
        const std::string_view line = text.substr(0, end);
        const std::string_view lineEnd =
            end == std::string_view::npos ? std::string_view() : kLineEnd;
        if (out.size() + line.size() + lineEnd.size() <= maxChars) {
            out.append(line).append(lineEnd);
            text.remove_prefix(line.size() + lineEnd.size());
            continue;
        }
        const std::size_t room = maxChars - out.size();
        if (room > lineEnd.size())
            out.append(line.substr(0, room - lineEnd.size())).append(lineEnd);
        break;
    }
    return out;
}

} // namespace tav
