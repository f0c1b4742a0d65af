#include "client/MessageDecoder.h"

#include "client/MessageHeader.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace tav {

namespace {

bool IsSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::size_t SkipSpace(std::string_view text, std::size_t pos) {
    while (pos < text.size() && IsSpace(text[pos]))
        ++pos;
    return pos;
}

// Reads one "%d" at pos; returns false when no digit follows.
bool ReadNumber(std::string_view text, std::size_t& pos, int& value) {
    std::size_t p = SkipSpace(text, pos);
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) negative = text[p++] == '-';
    if (p >= text.size() || !std::isdigit(static_cast<unsigned char>(text[p]))) return false;
    constexpr long long kLimit = std::numeric_limits<int>::max();
    long long magnitude = 0;
    for (; p < text.size() && std::isdigit(static_cast<unsigned char>(text[p])); ++p) {
        magnitude = std::min(magnitude * 10 + (text[p] - '0'), kLimit + 1);
    }
    value = static_cast<int>(negative ? -magnitude : std::min(magnitude, kLimit));
    pos = p;
    return true;
}

// The text of a fixed-size entry: up to its first NUL, and never the entry's last byte,
// which stands for the terminating NUL.
std::string EntryText(std::span<const std::uint8_t> entry) {
    const auto limit = entry.begin() + static_cast<std::ptrdiff_t>(entry.size() - 1);
    const auto end = std::find(entry.begin(), limit, std::uint8_t{0});
    return std::string(entry.begin(), end);
}

std::size_t WholeEntries(int count, std::size_t entrySize, std::size_t dataSize) {
    if (count <= 0 || entrySize == 0) return 0;
    return std::min(static_cast<std::size_t>(count), dataSize / entrySize);
}

// The entries of a reply a list takes: at most kMaxIndexEntries.
std::size_t KeptEntries(std::size_t entries, bool* cut) {
    if (cut != nullptr) *cut = entries > kMaxIndexEntries;
    return std::min(entries, kMaxIndexEntries);
}

} // namespace

void ScanNumbers(std::string_view text, std::string_view format, std::span<int> out) {
    std::fill(out.begin(), out.end(), 0);
    std::size_t pos = 0;
    std::size_t next = 0;
    for (std::size_t f = 0; f < format.size(); ++f) {
        if (format.substr(f, 2) == "%d") {
            if (next >= out.size() || !ReadNumber(text, pos, out[next])) return;
            ++next;
            ++f;
        } else if (IsSpace(format[f])) {
            pos = SkipSpace(text, pos);
        } else {
            if (pos >= text.size() || text[pos] != format[f]) return;
            ++pos;
        }
    }
}

int ParseNumber(std::string_view text) {
    std::array<int, 1> value{};
    ScanNumbers(text, "%d", value);
    return value[0];
}

std::array<int, 2> ParseNumberPair(std::string_view text) {
    std::array<int, 2> values{};
    ScanNumbers(text, "%d %d", values);
    return values;
}

HitManaMove ParseHitManaMove(std::string_view text) {
    std::array<int, 6> v{};
    ScanNumbers(text, "%d/%d %d/%d %d/%d", v);
    return {v[0], v[1], v[2], v[3], v[4], v[5]};
}

std::string_view CutAtLineEnd(std::string_view text) {
    return text.substr(0, std::min(text.find_first_of("\r\n"), text.size()));
}

MapGrid DecodeMap(std::span<const std::uint8_t> data) {
    MapGrid grid{};
    const std::size_t values = std::min(data.size(), kMapBytes) / 4;
    for (std::size_t i = 0; i < values; ++i) {
        grid[i / kMapSide][i % kMapSide] = static_cast<std::int32_t>(LoadLe32(&data[i * 4]));
    }
    return grid;
}

std::vector<BoardEntry> DecodeBoardIndex(int count, std::span<const std::uint8_t> data, bool* cut) {
    std::vector<BoardEntry> boards;
    const std::size_t n = KeptEntries(WholeEntries(count, kBoardEntryBytes, data.size()), cut);
    boards.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const auto entry = data.subspan(i * kBoardEntryBytes, kBoardEntryBytes);
        boards.push_back({static_cast<std::int32_t>(LoadLe32(entry.data())),
                          EntryText(entry.subspan(4, kBoardTitleBytes))});
    }
    return boards;
}

std::vector<std::string> DecodeMessageIndex(int count, std::span<const std::uint8_t> data,
                                            bool* cut) {
    std::vector<std::string> lines;
    const std::size_t n = KeptEntries(WholeEntries(count, kMessageEntryBytes, data.size()), cut);
    lines.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        lines.push_back(EntryText(data.subspan(i * kMessageEntryBytes, kMessageEntryBytes)));
    }
    return lines;
}

std::string_view MessageHeading(std::string_view line) {
    const std::size_t mark = line.find("::");
    if (mark == std::string_view::npos) return {};
    return line.substr(mark + 2);
}

std::vector<std::string> DecodeHelpIndex(int entrySize, int count,
                                         std::span<const std::uint8_t> data, bool* cut) {
    std::vector<std::string> topics;
    if (cut != nullptr) *cut = false;
    if (entrySize <= 0) return topics;
    const auto size = static_cast<std::size_t>(entrySize);
    const std::size_t n = WholeEntries(count, size, data.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto entry = data.subspan(i * size, size);
        if (entry[0] == 0) break;
        if (topics.size() == kMaxIndexEntries) {
            if (cut != nullptr) *cut = true;
            break;
        }
        topics.push_back(EntryText(entry));
    }
    return topics;
}

} // namespace tav
