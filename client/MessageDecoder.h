#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// Map grid of a `mapinfo` message: 22 groups of 22 values, in the order they arrive.
inline constexpr std::size_t kMapSide = 22;
inline constexpr std::size_t kMapBytes = kMapSide * kMapSide * 4;
using MapGrid = std::array<std::array<std::int32_t, kMapSide>, kMapSide>;

// Entry sizes of the board index and message index replies.
inline constexpr std::size_t kBoardEntryBytes = 144;
inline constexpr std::size_t kBoardTitleBytes = kBoardEntryBytes - 4;
inline constexpr std::size_t kMessageEntryBytes = 128;

// The most entries one index list takes: the boards, the messages of a board and the help
// topics alike. Far above any game's, low enough that a hostile or broken reply cannot
// swamp the lists (a million help topics once took 278 MB and stalled the window).
inline constexpr std::size_t kMaxIndexEntries = 10000;

// One board of a `bindex_reply`.
struct BoardEntry {
    std::int32_t number = 0;
    std::string title;
    friend bool operator==(const BoardEntry&, const BoardEntry&) = default;
};

// The six numbers of a `hitmanamove`.
struct HitManaMove {
    int hit = 0;
    int hitMax = 0;
    int mana = 0;
    int manaMax = 0;
    int move = 0;
    int moveMax = 0;
    friend bool operator==(const HitManaMove&, const HitManaMove&) = default;
};

// Reads numbers out of a text the way a scanf format of "%d" conversions, spaces and
// literal characters does: a space skips any white space, "%d" takes optional white
// space, a sign and digits (clamped to the int range), any other character must match.
// Reading stops at the first mismatch; numbers not read are 0. Fills out in order.
void ScanNumbers(std::string_view text, std::string_view format, std::span<int> out);

// "%d": `levelreport`, `brdupdate`, and the counts of `bindex_reply` and `msgindex_reply`.
int ParseNumber(std::string_view text);
// "%d %d": entry size and entry count of a `helpindex_reply`.
std::array<int, 2> ParseNumberPair(std::string_view text);
// "%d/%d %d/%d %d/%d".
HitManaMove ParseHitManaMove(std::string_view text);

// `datetime` texts end at the first CR or LF.
std::string_view CutAtLineEnd(std::string_view text);

// The grid of a `mapinfo` data block; values missing from a short block are 0, bytes
// beyond kMapBytes are ignored.
MapGrid DecodeMap(std::span<const std::uint8_t> data);

// The decoders of the index replies keep at most kMaxIndexEntries entries; `cut`, when
// given, tells whether the reply held more.
// The first count entries of a `bindex_reply`, as far as whole entries fit the data.
std::vector<BoardEntry> DecodeBoardIndex(int count, std::span<const std::uint8_t> data,
                                         bool* cut = nullptr);
// The first count lines of a `msgindex_reply`, as far as whole entries fit the data.
std::vector<std::string> DecodeMessageIndex(int count, std::span<const std::uint8_t> data,
                                            bool* cut = nullptr);
// The heading of a message index line: the text after its first "::", or empty.
std::string_view MessageHeading(std::string_view line);
// The topics of a `helpindex_reply`: entry i at i × entrySize, up to the first entry that
// starts with NUL, the count-th entry, or the last whole entry in the data.
std::vector<std::string> DecodeHelpIndex(int entrySize, int count,
                                         std::span<const std::uint8_t> data, bool* cut = nullptr);

} // namespace tav
