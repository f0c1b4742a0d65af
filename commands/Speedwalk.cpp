#include "commands/Speedwalk.h"

#include <algorithm>

namespace tav {

std::vector<std::string> WalkDirections(std::string_view list) {
    std::vector<std::string> words;
    std::size_t from = 0;
    while (from <= list.size() && words.size() < kMaxWalkDirections) {
        std::size_t end = list.find_first_of(", ", from);
        if (end == std::string_view::npos) end = list.size();
        const std::string_view word = list.substr(from, end - from);
        const bool digits = word.find_first_of("0123456789") != std::string_view::npos;
        if (!word.empty() && !digits && word.size() <= kMaxWalkDirectionChars)
            words.emplace_back(word);
        from = end + 1;
    }
    return words;
}

Walk ParseWalk(std::string_view text, std::string_view prefix,
               const std::vector<std::string>& directions) {
    if (prefix.empty() || !text.starts_with(prefix) || text.size() == prefix.size()) return {};
    struct Step {
        const std::string* direction;
        int count;
    };
    std::vector<Step> parsed;
    bool tooLong = false;
    int total = 0;
    std::size_t at = prefix.size();
    while (at < text.size()) {
        int count = -1; // no digits
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            // Held just past the bound, so a long run of digits cannot overflow.
            count = std::min((count < 0 ? 0 : count) * 10 + (text[at] - '0'), kMaxWalkRepeat + 1);
            ++at;
        }
        if (count == 0) return {};
        const std::string* longest = nullptr;
        for (const std::string& direction : directions)
            if (!direction.empty() && text.substr(at).starts_with(direction) &&
                (!longest || direction.size() > longest->size()))
                longest = &direction;
        if (!longest) return {};
        at += longest->size();
        if (count < 0) count = 1;
        tooLong = tooLong || count > kMaxWalkRepeat;
        total = std::min(total + count, kMaxWalkSteps + 1);
        parsed.push_back({longest, count});
    }
    if (tooLong || total > kMaxWalkSteps) return {Walk::Kind::TooLong, {}};
    Walk walk{Walk::Kind::Steps, {}};
    for (const Step& step : parsed)
        walk.steps.insert(walk.steps.end(), static_cast<std::size_t>(step.count), *step.direction);
    return walk;
}

} // namespace tav
