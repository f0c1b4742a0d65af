#pragma once

#include "screen/MudScreen.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tav {

// Searching stops counting here: a search for a very common text stays quick.
inline constexpr std::size_t kMaxSearchMatches = 10'000;

// One match: its line, counted over the whole life of the screen (the buffer line plus
// the lines the buffer has dropped since), its first column and its length in cells.
// Counted that way a match keeps naming the same text while new lines push old ones up.
struct SearchMatch {
    std::int64_t line = 0;
    int col = 0;
    int length = 0;

    friend bool operator==(const SearchMatch&, const SearchMatch&) = default;
};

struct SearchOptions {
    bool matchCase = false;
    bool wholeWords = false;
};

struct SearchResult {
    std::vector<SearchMatch> matches; // oldest line first, left to right
    bool truncated = false;           // more than kMaxSearchMatches were there
};

// Every occurrence of `text` (the screen's cell bytes, Latin-1; UTF-8 when the screen's
// cells are Unicode) in the screen's buffer lines, each line read up to its first empty
// cell. Without matchCase ASCII and Latin-1 letters (any letter with Unicode cells) match
// either case; with wholeWords a match may not touch a letter, digit or
// '_' on either side. Occurrences do not overlap. An empty text matches nothing.
SearchResult SearchScreen(const TMudScreen& screen, std::string_view text, SearchOptions options);

// The index of the match after `from` (or before it, going back), wrapping round at
// either end; nothing when there are no matches. `from` need not be one of the matches.
std::optional<std::size_t> StepMatch(const std::vector<SearchMatch>& matches,
                                     const SearchMatch& from, bool forward);

// The buffer line a match lies on now; nothing when that line has left the buffer.
std::optional<int> BufferLineOf(const TMudScreen& screen, const SearchMatch& match);

} // namespace tav
