#include "commands/HistorySearch.h"

namespace tav {

HistorySearch::HistorySearch(std::vector<std::string> lines) : lines_(std::move(lines)) {}

std::optional<std::string> HistorySearch::Match() const {
    if (!match_) return std::nullopt;
    return lines_[*match_];
}

std::optional<std::size_t> HistorySearch::Find(std::size_t from, const std::string* skip) const {
    if (query_.empty() || lines_.empty()) return std::nullopt;
    for (std::size_t k = std::min(from, lines_.size() - 1) + 1; k-- > 0;) {
        const std::string& line = lines_[k];
        if (line.find(query_) == std::string::npos) continue;
        if (skip && line == *skip) continue;
        return k;
    }
    return std::nullopt;
}

void HistorySearch::Type(std::string_view text) {
    query_ += text;
    // A failed search stays failed: a longer query cannot be found either.
    if (Failed() && query_.size() > text.size()) return;
    match_ = Find(match_.value_or(lines_.size()), nullptr);
}

void HistorySearch::Erase() {
    if (query_.empty()) return;
    query_.pop_back();
    match_ = Find(lines_.size(), nullptr);
}

void HistorySearch::Older() {
    if (!match_) return;
    if (*match_ == 0) return;
    const std::string shown = lines_[*match_];
    if (auto older = Find(*match_ - 1, &shown)) match_ = older;
}

std::string HistorySearch::Prompt() const {
    const std::string match = match_ ? lines_[*match_] : std::string();
    return std::string(Failed() ? "(failed reverse-i-search)'" : "(reverse-i-search)'") + query_ +
           "': " + match;
}

} // namespace tav
