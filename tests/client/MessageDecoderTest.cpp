#include "client/MessageDecoder.h"
#include "client/MessageHeader.h"

#include <gtest/gtest.h>

#include <ostream>

namespace tav {

std::ostream& operator<<(std::ostream& os, const HitManaMove& v) {
    return os << v.hit << '/' << v.hitMax << ' ' << v.mana << '/' << v.manaMax << ' ' << v.move
              << '/' << v.moveMax;
}

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(MessageDecoderTest, NumbersReadLikeTheServersFormats) {
    const std::vector<std::pair<std::string_view, HitManaMove>> hmm = {
        {"10/20 30/40 50/60", {10, 20, 30, 40, 50, 60}},
        {"  -5/+7\t1/2   3/4 trailing", {-5, 7, 1, 2, 3, 4}},
        {"10/20 30", {10, 20, 30, 0, 0, 0}},
        {"10 /20 30/40 50/60", {10, 0, 0, 0, 0, 0}}, // '/' must follow at once
        {"99999999999/-99999999999 1/1 1/1", {2147483647, -2147483647 - 1, 1, 1, 1, 1}},
        {"", {}},
        {"hp", {}},
    };
    for (const auto& [text, expected] : hmm)
        EXPECT_EQ(ParseHitManaMove(text), expected) << text;

    EXPECT_EQ(ParseNumber(" 42abc"), 42);
    EXPECT_EQ(ParseNumber("-"), 0);
    EXPECT_EQ(ParseNumber(""), 0);
    EXPECT_EQ(ParseNumberPair("64 12"), (std::array<int, 2>{64, 12}));
    EXPECT_EQ(ParseNumberPair("64"), (std::array<int, 2>{64, 0}));
}

TEST(MessageDecoderTest, MapFillsGroupsInOrderAndZeroesWhatIsMissing) {
    Bytes data(kMapBytes + 8);
    for (std::size_t i = 0; i < data.size() / 4; ++i)
        StoreLe32(&data[i * 4], static_cast<std::uint32_t>(static_cast<int>(i) - 242));
    const MapGrid grid = DecodeMap(data);
    EXPECT_EQ(grid[0][0], -242);
    EXPECT_EQ(grid[0][21], -221);
    EXPECT_EQ(grid[1][0], -220);
    EXPECT_EQ(grid[21][21], 241);

    const MapGrid partial = DecodeMap(std::span(data).first(23 * 4 + 3));
    EXPECT_EQ(partial[1][0], -220);
    EXPECT_EQ(partial[1][1], 0);
    EXPECT_EQ(partial[21][21], 0);
}

Bytes Entries(std::size_t size, const std::vector<std::string>& texts) {
    Bytes b(size * texts.size(), 0);
    for (std::size_t i = 0; i < texts.size(); ++i)
        std::copy(texts[i].begin(), texts[i].end(), b.begin() + i * size);
    return b;
}

TEST(MessageDecoderTest, BoardIndexTakesOnlyWholeEntries) {
    Bytes data(2 * kBoardEntryBytes, 0);
    StoreLe32(&data[0], 7);
    const std::string title = "General";
    std::copy(title.begin(), title.end(), data.begin() + 4);
    StoreLe32(&data[kBoardEntryBytes], static_cast<std::uint32_t>(-3));
    std::fill(data.begin() + kBoardEntryBytes + 4, data.end(), 'T'); // no NUL
    const std::vector<BoardEntry> both = {{7, "General"}, {-3, std::string(139, 'T')}};

    EXPECT_EQ(DecodeBoardIndex(2, data), both);
    EXPECT_EQ(DecodeBoardIndex(5, data), both);
    EXPECT_EQ(DecodeBoardIndex(1, data).size(), 1u);
    EXPECT_TRUE(DecodeBoardIndex(-1, data).empty());
    EXPECT_EQ(DecodeBoardIndex(2, std::span(data).first(200)).size(), 1u);
}

TEST(MessageDecoderTest, MessageIndexLinesAndHeadings) {
    const Bytes data = Entries(kMessageEntryBytes, {"1 bob :: Hello", "2 ann::Re: x::y", "3"});
    const std::vector<std::string> lines = {"1 bob :: Hello", "2 ann::Re: x::y", "3"};
    EXPECT_EQ(DecodeMessageIndex(3, data), lines);
    EXPECT_EQ(DecodeMessageIndex(9, std::span(data).first(300)).size(), 2u);
    EXPECT_EQ(MessageHeading(lines[0]), " Hello");
    EXPECT_EQ(MessageHeading(lines[1]), "Re: x::y");
    EXPECT_EQ(MessageHeading(lines[2]), "");
}

TEST(MessageDecoderTest, HelpIndexStopsAtEmptyEntryOrDataEnd) {
    const Bytes data = Entries(16, {"armor", "bash", "", "cast"});
    EXPECT_EQ(DecodeHelpIndex(16, 4, data), (std::vector<std::string>{"armor", "bash"}));
    EXPECT_EQ(DecodeHelpIndex(16, 1, data), (std::vector<std::string>{"armor"}));
    EXPECT_EQ(DecodeHelpIndex(16, 100, std::span(data).first(20)),
              (std::vector<std::string>{"armor"}));
    EXPECT_TRUE(DecodeHelpIndex(0, 4, data).empty());
    EXPECT_TRUE(DecodeHelpIndex(-16, 4, data).empty());
}

// An index reply keeps at most kMaxIndexEntries entries and says whether it cut any.
TEST(MessageDecoderTest, IndexesKeepAtMostTheirLimitAndSaySo) {
    for (const std::size_t n : {kMaxIndexEntries, kMaxIndexEntries + 1}) {
        const int count = static_cast<int>(n);
        const bool over = n > kMaxIndexEntries;
        bool boardsCut = !over, messagesCut = !over, helpCut = !over;
        EXPECT_EQ(DecodeBoardIndex(count, Bytes(n * kBoardEntryBytes, 'b'), &boardsCut).size(),
                  kMaxIndexEntries);
        EXPECT_EQ(
            DecodeMessageIndex(count, Bytes(n * kMessageEntryBytes, 'm'), &messagesCut).size(),
            kMaxIndexEntries);
        EXPECT_EQ(DecodeHelpIndex(2, count, Bytes(n * 2, 'h'), &helpCut).size(), kMaxIndexEntries);
        EXPECT_EQ(std::vector<bool>({boardsCut, messagesCut, helpCut}), std::vector<bool>(3, over));
    }
}

} // namespace
} // namespace tav
