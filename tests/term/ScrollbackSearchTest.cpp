#include "term/ScrollbackSearch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tav {
namespace {

struct SearchFixture {
    Settings settings{};
    TMudScreen screen{settings};

    explicit SearchFixture(int lines) {
        screen.SetEncoding(TextEncoding::Latin1);
        screen.ResetScreen(lines);
    }
    void Feed(const std::string& bytes) {
        screen.AddText(bytes);
        while (screen.TakeLine()) {
        }
    }
    // (buffer line, column) of each match.
    std::vector<std::pair<int, int>> Find(std::string_view text, SearchOptions options) const {
        std::vector<std::pair<int, int>> out;
        for (const SearchMatch& m : SearchScreen(screen, text, options).matches)
            out.emplace_back(BufferLineOf(screen, m).value_or(-1), m.col);
        return out;
    }
};

using Cells = std::vector<std::pair<int, int>>;

TEST(ScrollbackSearch, FindsEveryOccurrenceByCaseAndWholeWords) {
    SearchFixture f(20);
    f.Feed("The Orc hits the orc.\r\norcish orcs; Orc_2 ORC\r\n\xC9lan \xE9lan, aaaa\r\n");
    struct Case {
        const char* text;
        SearchOptions options;
        Cells expected;
    };
    const Case cases[] = {
        {"orc", {}, {{0, 4}, {0, 17}, {1, 0}, {1, 7}, {1, 13}, {1, 19}}},
        {"orc", {.matchCase = true}, {{0, 17}, {1, 0}, {1, 7}}},
        {"orc", {.wholeWords = true}, {{0, 4}, {0, 17}, {1, 19}}},
        {"Orc", {.matchCase = true, .wholeWords = true}, {{0, 4}}},
        {"\xE9LAN", {}, {{2, 0}, {2, 5}}},
        {"\xE9lan", {.matchCase = true}, {{2, 5}}},
        {"aa", {}, {{2, 11}, {2, 13}}}, // occurrences do not overlap
        {"hits the orc. ", {}, {}},     // nothing past the line's text
        {"", {}, {}},
        {"zebra", {}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(f.Find(c.text, c.options), c.expected) << c.text;
}

TEST(ScrollbackSearch, StepsWrapRoundAndMatchesFollowTheirLinesAsTheBufferScrolls) {
    SearchFixture f(4);
    f.Feed("one orc\r\nno match\r\norc orc\r\n");
    const std::vector<SearchMatch> matches = SearchScreen(f.screen, "orc", {}).matches;
    ASSERT_EQ(matches.size(), 3u);
    EXPECT_EQ(StepMatch(matches, matches[0], true), 1u);
    EXPECT_EQ(StepMatch(matches, matches[2], true), 0u);
    EXPECT_EQ(StepMatch(matches, matches[0], false), 2u);
    EXPECT_EQ(StepMatch(matches, matches[2], false), 1u);
    // From a place between matches: the nearest one in that direction.
    const SearchMatch between{matches[0].line + 1, 0, 0};
    EXPECT_EQ(StepMatch(matches, between, true), 1u);
    EXPECT_EQ(StepMatch(matches, between, false), 0u);
    EXPECT_EQ(StepMatch({}, between, true), std::nullopt);

    // Two more lines push the first one out of the four-line buffer.
    f.Feed("x\r\ny\r\n");
    EXPECT_EQ(BufferLineOf(f.screen, matches[0]), std::nullopt);
    EXPECT_EQ(BufferLineOf(f.screen, matches[1]), 0);
    EXPECT_EQ(SearchScreen(f.screen, "orc", {}).matches,
              (std::vector<SearchMatch>{matches[1], matches[2]}));
}

TEST(ScrollbackSearch, StopsCountingAtTheBound) {
    SearchFixture f(400);
    std::string line;
    for (int k = 0; k < 30; ++k)
        line += "a ";
    for (int k = 0; k < 400; ++k)
        f.Feed(line + "\r\n");
    const SearchResult all = SearchScreen(f.screen, "a", {});
    EXPECT_TRUE(all.truncated);
    EXPECT_EQ(all.matches.size(), kMaxSearchMatches);
    EXPECT_FALSE(SearchScreen(f.screen, "a a", {}).truncated);
}

} // namespace
} // namespace tav
