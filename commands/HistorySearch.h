#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// Incremental reverse search of the command history, as a shell's Ctrl+R: typing narrows
// the search from the match shown, "older" looks further back for the same text, and
// the prompt tells what is searched and what was found.
class HistorySearch {
public:
    // The history, oldest first (empty lines are never matched).
    explicit HistorySearch(std::vector<std::string> lines);

    const std::string& Query() const { return query_; }
    // The line found, or nothing (no query yet, or no line holds it).
    std::optional<std::string> Match() const;
    bool Failed() const { return !query_.empty() && !match_; }

    // Adds to the query; the search goes on from the match shown (inclusive).
    void Type(std::string_view text);
    // Drops the query's last byte; the search starts again from the newest line.
    void Erase();
    // The next older line holding the query that differs from the one shown.
    void Older();

    // "(reverse-i-search)'query': match", or "(failed reverse-i-search)'query': ".
    std::string Prompt() const;

private:
    // The newest line at or before `from` that holds the query and is not `skip`.
    std::optional<std::size_t> Find(std::size_t from, const std::string* skip) const;

    std::vector<std::string> lines_;
    std::string query_;
    std::optional<std::size_t> match_;
};

} // namespace tav
