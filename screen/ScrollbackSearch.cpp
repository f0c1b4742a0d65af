#include "screen/ScrollbackSearch.h"

#include "screen/TextDecoder.h"

#include <utf8proc.h>

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

// The same rule for a character of a Unicode line, and past Latin-1 the letters, digits,
// combining marks and connectors of every script.
bool IsWordCharacter(char32_t c) {
    if (c < 0x100) return IsWordByte(static_cast<char>(c));
    switch (utf8proc_category(static_cast<utf8proc_int32_t>(c))) {
    case UTF8PROC_CATEGORY_LU:
    case UTF8PROC_CATEGORY_LL:
    case UTF8PROC_CATEGORY_LT:
    case UTF8PROC_CATEGORY_LM:
    case UTF8PROC_CATEGORY_LO:
    case UTF8PROC_CATEGORY_MN:
    case UTF8PROC_CATEGORY_MC:
    case UTF8PROC_CATEGORY_ME:
    case UTF8PROC_CATEGORY_ND:
    case UTF8PROC_CATEGORY_NL:
    case UTF8PROC_CATEGORY_NO:
    case UTF8PROC_CATEGORY_PC: return true;
    default: return false;
    }
}

// The character of UTF-8 `text` that ends just before byte `at` (0 < at <= size), and the
// one that starts at `at` (< size). The text comes from cells, so it is well-formed; a
// malformed sequence reads as U+0000, which joins no word.
char32_t CharacterBefore(std::string_view text, std::size_t at) {
    std::size_t start = at - 1;
    while (start > 0 && at - start < 4 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
        --start;
    const Utf8Step step = DecodeUtf8(text.substr(start, at - start));
    return step.kind == Utf8Step::Kind::Char ? step.codePoint : 0;
}

char32_t CharacterAt(std::string_view text, std::size_t at) {
    const Utf8Step step = DecodeUtf8(text.substr(at));
    return step.kind == Utf8Step::Kind::Char ? step.codePoint : 0;
}

std::string Folded(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(kFold[static_cast<unsigned char>(c)]);
    return out;
}

// A line of Unicode cells as UTF-8 (lower case unless the case matters), with the cell
// each byte came from.
struct LineBytes {
    std::string text;
    std::vector<int> cellOf;
};

void AppendFolded(std::string& out, char32_t c, bool matchCase) {
    AppendEncoded(out, matchCase ? c : LowerCase(c), TextEncoding::Utf8);
}

void ReadUnicodeLine(const ScreenLine& line, int length, bool matchCase, LineBytes& bytes) {
    bytes.text.clear();
    bytes.cellOf.clear();
    for (int k = 0; k < length; ++k) {
        if (line.ch[k] == kWideTail) continue;
        AppendFolded(bytes.text, line.ch[k], matchCase);
        if (const Cell* marks = line.MarksOf(k))
            for (int m = 0; m < kMaxCellMarks && marks[m] != 0; ++m)
                AppendFolded(bytes.text, marks[m], matchCase);
        bytes.cellOf.resize(bytes.text.size(), k);
    }
}

std::string FoldedUtf8(std::string_view text) {
    std::string out;
    while (!text.empty()) {
        const Utf8Step step = DecodeUtf8(text);
        if (step.kind == Utf8Step::Kind::Char)
            AppendFolded(out, step.codePoint, false);
        else
            out.append(text.substr(0, step.length));
        text.remove_prefix(step.length);
    }
    return out;
}

bool Before(const SearchMatch& a, const SearchMatch& b) {
    return a.line != b.line ? a.line < b.line : a.col < b.col;
}

SearchResult SearchUnicode(const TMudScreen& screen, std::string_view text, SearchOptions options);

} // namespace

SearchResult SearchScreen(const TMudScreen& screen, std::string_view text, SearchOptions options) {
    SearchResult result;
    if (HasUnicodeCells(screen.Encoding())) return SearchUnicode(screen, text, options);
    if (text.empty() || text.size() > static_cast<std::size_t>(screen.BufferColumns()))
        return result;
    const std::string needle = options.matchCase ? std::string(text) : Folded(text);
    const std::int64_t dropped = screen.LinesDropped();
    char folded[kMaxBufferColumns];

    for (int n = 0; n < screen.Lines(); ++n) {
        const ScreenLine& screenLine = screen.Line(n);
        const auto length = static_cast<std::size_t>(TextLength(screenLine));
        if (length < needle.size()) continue;
        for (std::size_t k = 0; k < length; ++k) {
            const auto byte = static_cast<unsigned char>(screenLine.ch[k]);
            folded[k] = static_cast<char>(options.matchCase ? byte : kFold[byte]);
        }
        const char* cells = folded;
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

namespace {

SearchResult SearchUnicode(const TMudScreen& screen, std::string_view text, SearchOptions options) {
    SearchResult result;
    const std::string needle = options.matchCase ? std::string(text) : FoldedUtf8(text);
    if (needle.empty() || needle.size() > std::size_t{4} * (1 + kMaxCellMarks) * kMaxBufferColumns)
        return result;
    const std::int64_t dropped = screen.LinesDropped();
    LineBytes bytes;
    for (int n = 0; n < screen.Lines(); ++n) {
        const ScreenLine& cells = screen.Line(n);
        ReadUnicodeLine(cells, TextLength(cells), options.matchCase, bytes);
        const std::string_view line(bytes.text);
        for (std::size_t at = line.find(needle); at != std::string_view::npos;
             at = line.find(needle, at)) {
            const std::size_t end = at + needle.size();
            // Whole characters decide, not their bytes: a match right after "É" is inside
            // a word, and one before "×" is not.
            if (options.wholeWords &&
                ((at > 0 && IsWordCharacter(CharacterBefore(line, at))) ||
                 (end < line.size() && IsWordCharacter(CharacterAt(line, end))))) {
                ++at;
                continue;
            }
            if (result.matches.size() == kMaxSearchMatches) {
                result.truncated = true;
                return result;
            }
            const int first = bytes.cellOf[at];
            int last = bytes.cellOf[end - 1];
            if (last + 1 < cells.width && cells.ch[last + 1] == kWideTail) ++last;
            result.matches.push_back({dropped + n, first, last - first + 1});
            at = end;
        }
    }
    return result;
}

} // namespace

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
