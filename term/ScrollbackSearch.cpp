#include "term/ScrollbackSearch.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

namespace tav {

namespace {

// Latin-1 lower case: A-Z and the accented capitals 0xC0-0xDE except the multiplication
// sign 0xD7.
constexpr std::array<unsigned char, 256> MakeFoldTable() {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c) {
        const bool upper = (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
        table[static_cast<std::size_t>(c)] = static_cast<unsigned char>(upper ? c + 0x20 : c);
    }
    return table;
}
constexpr std::array<unsigned char, 256> kFold = MakeFoldTable();

bool IsWordByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_' ||
           (b >= 0xC0 && b != 0xD7 && b != 0xF7);
}

std::string Folded(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(kFold[static_cast<unsigned char>(c)]);
    return out;
}

bool Before(const SearchMatch& a, const SearchMatch& b) {
    return a.line != b.line ? a.line < b.line : a.col < b.col;
}

} // namespace

SearchResult SearchScreen(const TMudScreen& screen, std::string_view text, SearchOptions options) {
    SearchResult result;
    if (text.empty() || text.size() > static_cast<std::size_t>(kBufferColumns)) return result;
    const std::string needle = options.matchCase ? std::string(text) : Folded(text);
    const std::int64_t dropped = screen.LinesDropped();
    char folded[kBufferColumns];

    for (int n = 0; n < screen.Lines(); ++n) {
        const char* cells = screen.Line(n).ch;
        const auto length =
            static_cast<std::size_t>(std::find(cells, cells + kBufferColumns, '\0') - cells);
        if (length < needle.size()) continue;
        if (!options.matchCase) {
            for (std::size_t k = 0; k < length; ++k)
                folded[k] = static_cast<char>(kFold[static_cast<unsigned char>(cells[k])]);
            cells = folded;
        }
        const std::string_view line(cells, length);
        for (std::size_t at = line.find(needle); at != std::string_view::npos;
             at = line.find(needle, at)) {
            const std::size_t end = at + needle.size();
            if (options.wholeWords &&
                ((at > 0 && IsWordByte(line[at - 1])) || (end < length && IsWordByte(line[end])))) {
                ++at;
                continue;
            }
            if (result.matches.size() == kMaxSearchMatches) {
                result.truncated = true;
                return result;
            }
            result.matches.push_back(
                {dropped + n, static_cast<int>(at), static_cast<int>(needle.size())});
            at = end;
        }
    }
    return result;
}

std::optional<std::size_t> StepMatch(const std::vector<SearchMatch>& matches,
                                     const SearchMatch& from, bool forward) {
    if (matches.empty()) return std::nullopt;
    if (forward) {
        const auto next = std::upper_bound(matches.begin(), matches.end(), from, Before);
        return next == matches.end() ? 0 : static_cast<std::size_t>(next - matches.begin());
    }
    const auto first = std::lower_bound(matches.begin(), matches.end(), from, Before);
    return first == matches.begin() ? matches.size() - 1
                                    : static_cast<std::size_t>(first - matches.begin()) - 1;
}

std::optional<int> BufferLineOf(const TMudScreen& screen, const SearchMatch& match) {
    const std::int64_t line = match.line - screen.LinesDropped();
    if (line < 0 || line >= screen.Lines()) return std::nullopt;
    return static_cast<int>(line);
}

} // namespace tav
