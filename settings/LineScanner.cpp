#include "settings/LineScanner.h"

#include <cstdint>
#include <limits>

namespace tav {

namespace {

bool IsSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}
bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

// Reads one "%d" number from the front of `text`; on success removes it from `text`.
std::optional<int> ReadNumber(std::string_view& text) {
    std::size_t pos = 0;
    while (pos < text.size() && IsSpace(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos >= text.size() || !IsDigit(text[pos])) return std::nullopt;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<int>::max()} + 1;
    std::int64_t value = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
        if (value < kLimit) value = value * 10 + (text[pos] - '0');
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int>::max()) value = std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min()) value = std::numeric_limits<int>::min();
    text.remove_prefix(pos);
    return static_cast<int>(value);
}

} // namespace

std::optional<std::string_view> LineScanner::NextLine() {
    if (rest_.empty()) return std::nullopt;
    std::size_t end = rest_.find('\n');
    std::string_view line = rest_.substr(0, end);
    rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
    return line;
}

KeyMatch MatchKey(std::string_view line, std::string_view key) {
    std::size_t n = 0;
    while (n < key.size() && n < line.size() && line[n] == key[n])
        ++n;
    return {n == key.size(), line.substr(n)};
}

std::size_t ScanNumbers(std::string_view line, std::span<int> out) {
    std::size_t count = 0;
    while (count < out.size()) {
        std::optional<int> value = ReadNumber(line);
        if (!value) break;
        out[count++] = *value;
    }
    return count;
}

int TextToNumber(std::string_view text) {
    return ReadNumber(text).value_or(0);
}

} // namespace tav
