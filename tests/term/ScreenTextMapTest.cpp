#include "term/ScreenTextMap.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace tav {
namespace {

struct Fixture {
    Settings settings{};
    TMudScreen screen{settings};
    ScreenTextMap map{screen};

    explicit Fixture(int lines) { screen.ResetScreen(lines); }
    void Feed(std::string_view bytes) {
        screen.AddText(bytes);
        while (screen.TakeLine()) {
        }
        map.Invalidate();
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
        Fixture f(lines);
        f.Feed(fed);
        const int count = f.map.CharacterCount();
        EXPECT_EQ(count, static_cast<int>(text.size()));
        EXPECT_EQ(f.map.Text(0, count), text);
        // Every offset maps to a line and column and back, and each piece of text read
        // through the map agrees with the whole.
        for (int offset = 0; offset <= count; ++offset) {
            const ScreenTextMap::Position at = f.map.PositionAt(offset);
            EXPECT_EQ(f.map.OffsetAt(at.line, at.col), offset) << offset;
            EXPECT_EQ(f.map.Text(offset, count), text.substr(offset)) << offset;
            EXPECT_EQ(f.map.Text(0, offset), text.substr(0, offset)) << offset;
        }
    }
}

TEST(ScreenTextMap, OutOfRangeQueriesAreClampedAndChangesAreFollowedOnRequest) {
    Fixture f(3);
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
    EXPECT_EQ(f.map.LineLength(1), 2);
    EXPECT_EQ(f.map.LineStart(2), 7);

    // Without Invalidate the map keeps what it computed; after it, it reads again.
    f.screen.AddText("fg");
    EXPECT_EQ(f.map.CharacterCount(), 7);
    f.map.Invalidate();
    EXPECT_EQ(f.map.CharacterCount(), 9);
    // A new line count is noticed even without Invalidate.
    f.screen.ResetScreen(6);
    EXPECT_EQ(f.map.CharacterCount(), 5);
    EXPECT_EQ(f.map.LineCount(), 6);
}

TEST(ScreenTextMap, ReadsAroundTheMiddleOfALongScrollback) {
    constexpr int kLines = 50'000;
    Fixture f(kLines);
    std::string fed;
    for (int n = 0; n < kLines - 1; ++n)
        fed += "line " + std::to_string(n) + "\r\n";
    f.Feed(fed);
    const int start = f.map.LineStart(25'000);
    EXPECT_EQ(f.map.Text(start, f.map.LineStart(25'002)), "line 25000\nline 25001\n");
    EXPECT_EQ(f.map.PositionAt(start + 3), (ScreenTextMap::Position{25'000, 3}));
    EXPECT_EQ(f.map.LineText(kLines - 2), "line 49998");
}

} // namespace
} // namespace tav
