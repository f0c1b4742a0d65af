// The screen's text as read: the screen reader's map, scrollback search, announcements.
#include "screen/AnnouncementThrottle.h"
#include "screen/ScreenTextMap.h"
#include "screen/ScrollbackSearch.h"
#include "settings/Utf8Text.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace tav {
namespace {

struct TextMapFixture {
    Settings settings{};
    TMudScreen screen{settings};
    ScreenTextMap map{screen};

    explicit TextMapFixture(int lines) {
        screen.SetEncoding(TextEncoding::Latin1);
        screen.ResetScreen(lines);
    }
    void Feed(std::string_view bytes) {
        screen.AddText(bytes);
        while (screen.TakeLine()) {
        }
        map.Invalidate();
    }
    // (buffer line, column) of each match.
    std::vector<std::pair<int, int>> Find(std::string_view text, SearchOptions options) const {
        std::vector<std::pair<int, int>> out;
        for (const SearchMatch& m : SearchScreen(screen, text, options).matches)
            out.emplace_back(BufferLineOf(screen, m).value_or(-1), m.col);
        return out;
    }
};

TEST(ScreenTextMap, TextIsLinesJoinedWithLineEnds) {
    const std::tuple<const char*, int, std::string, std::string> cases[] = {
        {"empty buffer", 3, "", "\n\n"},
        {"two lines and the cursor line", 4, "one\r\ntwo\r\nth", "one\ntwo\nth\n"},
        {"empty cells inside a line read as spaces", 2, "ab\x1b[3Ccd", "ab   cd\n"},
        {"oldest lines dropped by the ring", 3, "a\r\nb\r\nc\r\nd\r\ne", "c\nd\ne"},
        {"a long line alone", 1, std::string(70, 'x'), std::string(70, 'x')},
    };
    for (const auto& [name, lines, fed, text] : cases) {
        SCOPED_TRACE(name);
        TextMapFixture f(lines);
        f.Feed(fed);
        const int count = f.map.CharacterCount();
        EXPECT_EQ(count, static_cast<int>(text.size()));
        EXPECT_EQ(f.map.Text(0, count), text);
        // Every offset maps to a line and column and back; every piece agrees with the whole.
        for (int offset = 0; offset <= count; ++offset) {
            const ScreenTextMap::Position at = f.map.PositionAt(offset);
            EXPECT_EQ(f.map.OffsetAt(at.line, at.col), offset) << offset;
            EXPECT_EQ(f.map.Text(offset, count), text.substr(offset)) << offset;
            EXPECT_EQ(f.map.Text(0, offset), text.substr(0, offset)) << offset;
        }
    }
}

TEST(ScreenTextMap, OutOfRangeQueriesAreClampedAndChangesAreFollowedOnRequest) {
    TextMapFixture f(3);
    f.Feed("abc\r\nde");
    const int count = f.map.CharacterCount(); // "abc\nde\n"
    ASSERT_EQ(count, 7);
    const std::pair<int, ScreenTextMap::Position> positions[] = {
        {-5, {0, 0}}, {3, {0, 3}}, {4, {1, 0}}, {6, {1, 2}}, {7, {2, 0}}, {1000, {2, 0}},
    };
    for (const auto& [offset, position] : positions)
        EXPECT_EQ(f.map.PositionAt(offset), position) << offset;
    EXPECT_EQ(f.map.OffsetAt(0, 99), 3); // past the line's end: its end
    EXPECT_EQ(f.map.OffsetAt(-1, 1), 1); // before the first line: the first
    EXPECT_EQ(f.map.OffsetAt(50, 4), 7); // past the last line: the last
    EXPECT_EQ(f.map.Text(5, 2), "");     // reversed range
    EXPECT_EQ(f.map.Text(-3, 2), "ab");
    EXPECT_EQ(f.map.Text(5, 500), "e\n");

    // Without Invalidate the map keeps what it computed; after it, it reads again.
    f.screen.AddText("fg");
    EXPECT_EQ(f.map.CharacterCount(), 7);
    f.map.Invalidate();
    EXPECT_EQ(f.map.CharacterCount(), 9);
    // A new line count is noticed even without Invalidate, a smaller one too.
    f.screen.ResetScreen(6);
    EXPECT_EQ(std::pair(f.map.CharacterCount(), f.map.LineCount()), std::pair(5, 6));
    f.screen.ResetScreen(3);
    f.Feed("abc\r\nde");
    EXPECT_EQ(f.map.PositionAt(7), (ScreenTextMap::Position{2, 0})); // the last line's end
}

// Offsets count UTF-16 units: a character beyond the first plane is a pair of them, read
// back whole only when a range holds both (U+20000 and U+203FF end their pairs in the first
// and the last low unit).
TEST(ScreenTextMap, AstralCharactersTakeTwoOffsets) {
    TextMapFixture f(2);
    f.screen.SetEncoding(TextEncoding::Utf8);
    const std::string first = "\xF0\xA0\x80\x80", last = "\xF0\xA0\x8F\xBF";
    f.Feed("a" + first + last);
    ASSERT_EQ(f.map.CharacterCount(), 6);
    EXPECT_EQ((std::vector<std::string>{f.map.Text(0, 6), f.map.Text(1, 3), f.map.Text(3, 5),
                                        f.map.Text(2, 4), f.map.Text(4, 5)}),
              (std::vector<std::string>{"a" + first + last + "\n", first, last, "??", "?"}));
}

// A character with combining marks reads as the one character they compose to, or as
// itself where they compose to none.
TEST(ScreenTextMap, MarksComposeWhereTheyCan) {
    TextMapFixture f(2);
    f.screen.SetEncoding(TextEncoding::Utf8);
    f.Feed("e\xCC\x81x\xCC\x81!");
    ASSERT_EQ(f.map.CharacterCount(), 4);
    EXPECT_EQ(f.map.Text(0, 4), "\xC3\xA9x!\n");
    // Two marks, as many as a cell holds, compose without the next cell's: ế, then à.
    f.Feed("\r\ne\xCC\x82\xCC\x81"
           "a\xCC\x80");
    EXPECT_EQ(f.map.LineText(1), "\xE1\xBA\xBF\xC3\xA0");
}

TEST(ScreenTextMap, ReadsAroundTheMiddleOfALongScrollback) {
    constexpr int kLines = 50'000;
    TextMapFixture f(kLines);
    std::string fed;
    for (int n = 0; n < kLines - 1; ++n)
        fed += "line " + std::to_string(n) + "\r\n";
    f.Feed(fed);
    const int start = f.map.LineStart(25'000);
    EXPECT_EQ(f.map.Text(start, f.map.LineStart(25'002)), "line 25000\nline 25001\n");
    EXPECT_EQ(f.map.PositionAt(start + 3), (ScreenTextMap::Position{25'000, 3}));
    EXPECT_EQ(f.map.LineText(kLines - 2), "line 49998");
}

using Cells = std::vector<std::pair<int, int>>;

TEST(ScrollbackSearch, FindsEveryOccurrenceByCaseAndWholeWords) {
    TextMapFixture f(20);
    f.Feed("The Orc hits the orc.\r\norcish orcs; Orc_2 ORC orca orc9\r\n\xC9lan \xE9lan, "
           "aaaa\r\norc\xC0 \xC0orc \xDEorn Zed\r\n");
    const std::tuple<const char*, SearchOptions, Cells> cases[] = {
        {"orc",
         {},
         {{0, 4}, {0, 17}, {1, 0}, {1, 7}, {1, 13}, {1, 19}, {1, 23}, {1, 28}, {3, 0}, {3, 6}}},
        {"orc", {.matchCase = true}, {{0, 17}, {1, 0}, {1, 7}, {1, 23}, {1, 28}, {3, 0}, {3, 6}}},
        {"orc", {.wholeWords = true}, {{0, 4}, {0, 17}, {1, 19}}},
        {"Orc", {.matchCase = true, .wholeWords = true}, {{0, 4}}},
        {"orc", {.matchCase = true, .wholeWords = true}, {{0, 17}}}, // \xC0 is a letter too
        {"\xE9LAN", {}, {{2, 0}, {2, 5}}},
        {"\xE9lan", {.matchCase = true}, {{2, 5}}},
        {"\xFEORN", {}, {{3, 10}}},     // the last of the accented capitals folds too
        {"zED", {}, {{3, 15}}},         // and the last letter
        {"aa", {}, {{2, 11}, {2, 13}}}, // occurrences do not overlap
        {"AA", {}, {{2, 11}, {2, 13}}}, // the first letter folds
        {"\xE0ORC", {}, {{3, 5}}},      // and the first accented capital
        {"hits the orc. ", {}, {}},     // nothing past the line's text
        {"", {}, {}},
        {"zebra", {}, {}},
    };
    for (const auto& [text, options, expected] : cases)
        EXPECT_EQ(f.Find(text, options), expected) << text;

    // A word that ends its line is whole, whatever a longer line before it held there; a
    // text as wide as the buffer is found.
    TextMapFixture ends(4);
    ends.Feed("the orcish\r\nthe orc\r\n");
    EXPECT_EQ(ends.Find("orc", {.wholeWords = true}), (Cells{{1, 4}}));
    ends.screen.autowrap = false;
    const std::string full(static_cast<std::size_t>(ends.screen.BufferColumns()), 'q');
    ends.Feed(full + "\r\n");
    EXPECT_EQ(ends.Find(full, {}), (Cells{{2, 0}}));

    // Letters and digits at either end of each range, and '_', join a word; '@', '[',
    // '`', '{', '/' and ':' do not, whether or not the case must match.
    TextMapFixture words(4);
    words.Feed("orca Zorc orcz 0orc orc9 Aorc _orc orc@ [orc` {orc/ :orc:\r\n");
    for (const bool matchCase : {false, true})
        EXPECT_EQ(words.Find("orc", {.matchCase = matchCase, .wholeWords = true}),
                  (Cells{{0, 35}, {0, 41}, {0, 47}, {0, 53}}));

    // A Unicode screen tells words by their characters as a Latin-1 one does: accented
    // letters join a word, the multiplication and division signs do not, nor does
    // anything of Latin-1 below the accented letters; past Latin-1, letters of every
    // script do, and symbols do not.
    for (const TextEncoding encoding : {TextEncoding::Latin1, TextEncoding::Utf8}) {
        TextMapFixture both(4);
        both.screen.SetEncoding(encoding);
        const std::string latin1 = "\xC9orc orc\xE9 orc \xF7orc orc\xD7 \xABorc\xBB";
        both.Feed((encoding == TextEncoding::Utf8 ? Latin1ToUtf8(latin1) : latin1) + "\r\n");
        for (const bool matchCase : {false, true})
            EXPECT_EQ(both.Find("orc", {.matchCase = matchCase, .wholeWords = true}),
                      (Cells{{0, 10}, {0, 15}, {0, 19}, {0, 25}}))
                << static_cast<int>(encoding) << matchCase;
    }
    TextMapFixture wide(4);
    wide.screen.SetEncoding(TextEncoding::Utf8);
    wide.Feed("\xE4\xB8\xADorc orc\xF0\x9F\x98\x80 orc \xC4\x80orc\r\n"); // 中, 😀, Ā
    for (const bool matchCase : {false, true})
        EXPECT_EQ(wide.Find("orc", {.matchCase = matchCase, .wholeWords = true}),
                  (Cells{{0, 6}, {0, 12}}));

    // A match in the last cell of a line as wide as the buffer.
    TextMapFixture edge(4);
    edge.screen.autowrap = false;
    edge.screen.SetSize(24, kBufferColumns);
    edge.Feed(std::string(kBufferColumns - 3, '.') + "orc\r\n");
    const std::vector<SearchMatch> last = SearchScreen(edge.screen, "orc", {}).matches;
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(std::pair(last[0].col, last[0].length), std::pair(kBufferColumns - 3, 3));
}

TEST(ScrollbackSearch, StepsWrapRoundAndMatchesFollowTheirLinesAsTheBufferScrolls) {
    TextMapFixture f(4);
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
    TextMapFixture f(400);
    std::string line;
    for (int k = 0; k < 30; ++k)
        line += "a ";
    for (int k = 0; k < 400; ++k)
        f.Feed(line + "\r\n");
    const SearchResult all = SearchScreen(f.screen, "a", {});
    EXPECT_EQ(std::pair(all.truncated, all.matches.size()), std::pair(true, kMaxSearchMatches));
    EXPECT_FALSE(SearchScreen(f.screen, "a a", {}).truncated);
}

struct TestClock : IntervalClock {
    std::int32_t now = 0;
    std::int32_t NowMs() override { return now; }
};

using Said = std::vector<std::string>;

// At a time a line arrives (or, with no line, the timer ticks), and what is announced.
struct Arrival {
    std::int32_t at;
    const char* line; // nullptr: a timer tick
    Said said;
};

void RunScript(const char* name, std::int32_t start, const std::vector<Arrival>& steps) {
    TestClock clock;
    clock.now = start;
    AnnouncementThrottle throttle(clock, {3, 1000});
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Arrival& step = steps[i];
        clock.now = static_cast<std::int32_t>(static_cast<std::uint32_t>(start) +
                                              static_cast<std::uint32_t>(step.at));
        Said said;
        if (step.line)
            said = throttle.Offer(step.line);
        else if (auto summary = throttle.Tick())
            said.push_back(*summary);
        EXPECT_EQ(said, step.said) << name << " step " << i;
    }
}

// Four lines at `at`: three are read, the fourth is held back.
std::vector<Arrival> Burst(std::int32_t at, std::vector<Arrival> then) {
    std::vector<Arrival> steps = {
        {at, "1", {"1"}}, {at, "2", {"2"}}, {at, "3", {"3"}}, {at, "4", {}}};
    steps.insert(steps.end(), then.begin(), then.end());
    return steps;
}

TEST(AnnouncementThrottle, BurstsAreCutToAFewLinesAndASummary) {
    const std::vector<std::pair<const char*, std::vector<Arrival>>> scripts = {
        {"a slow trickle is read line by line",
         {{0, "a", {"a"}}, {600, "b", {"b"}}, {1200, "c", {"c"}}, {1900, "d", {"d"}}}},
        {"a burst: three lines, then the summary when the timer ticks",
         {{0, "1", {"1"}},
          {1, "2", {"2"}},
          {2, "3", {"3"}},
          {3, "4", {}},
          {4, "5", {}},
          {999, nullptr, {}},
          {1000, nullptr, {"2 more lines"}},
          {1001, nullptr, {}}}},
        {"the summary takes a place in the next window", Burst(0, {{1000, nullptr, {"1 more line"}},
                                                                   {1001, "5", {"5"}},
                                                                   {1002, "6", {"6"}},
                                                                   {1003, "7", {}}})},
        {"a line after the window, before the timer, comes after the summary",
         Burst(0, {{1500, "5", {"1 more line", "5"}}, {1600, nullptr, {}}})},
        {"a clock that steps back ends the window instead of stopping announcements",
         Burst(5000, {{1000, nullptr, {"1 more line"}}, {1001, "5", {"5"}}})},
        {"blank lines are neither read nor counted",
         {{0, "", {}}, {0, "   ", {}}, {0, "\r", {}}, {0, "x", {"x"}}}},
    };
    for (const auto& [name, steps] : scripts) {
        RunScript(name, 0, steps);
        RunScript(name, -300, steps); // the 32-bit clock wraps during the script
    }
}

TEST(AnnouncementThrottle, ToldWhenTheSummaryIsDue) {
    TestClock clock;
    AnnouncementThrottle throttle(clock, {1, 500});
    EXPECT_FALSE(throttle.HoldingBack());
    throttle.Offer("a");
    clock.now = 100;
    throttle.Offer("b");
    EXPECT_EQ(std::pair(throttle.HoldingBack(), throttle.MsUntilSummary()), std::pair(true, 400));
    clock.now = 900;
    EXPECT_EQ(throttle.MsUntilSummary(), 0);
    EXPECT_EQ(throttle.Tick(), "1 more line");
    EXPECT_FALSE(throttle.HoldingBack());

    // Limits of nothing are one line in one millisecond.
    AnnouncementThrottle least(clock, {0, 0});
    EXPECT_EQ(least.Offer("a"), std::vector<std::string>{"a"});
    EXPECT_TRUE(least.Offer("b").empty());
    clock.now += 1;
    EXPECT_EQ(least.Tick(), "1 more line");
}

} // namespace
} // namespace tav
