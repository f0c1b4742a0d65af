// Selection on the screen: dragging over lines, what is copied, and what a selected line
// leaves behind when the ring reuses it.
#include "screen/MudScreen.h"
#include "tests/screen/MudScreenFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tav {
namespace {

using Fixture = test::MudScreenFixture;
using Lines = std::vector<std::string>;

TEST(MudScreenSelection, DragLimitsAndExtraction) {
    Fixture f;
    f.Feed("first line\r\nsecond\r\nthird");
    f.screen.BeginSelection({0, 6});
    f.screen.ExtendSelection({20, 2}); // below the output line: stops at line 2
    EXPECT_EQ(f.screen.SelectionEnd().line, 2);
    EXPECT_EQ(f.screen.GetSelectedText(), "line\r\nsecond\r\nthi");
    f.screen.EndSelection();
    f.screen.ExtendSelection({1, 2}); // the button is up: a move changes nothing
    EXPECT_EQ(f.screen.GetSelectedText(), "line\r\nsecond\r\nthi");

    f.screen.BeginSelection({1, 3}); // a new button down clears the old selection
    EXPECT_FALSE(f.screen.HasSelection());
    f.screen.ExtendSelection({0, 2});
    EXPECT_EQ(f.screen.GetSelectedText(), "rst line\r\nseco");
    f.screen.ExtendSelection({-1, 4}); // nor does a cell outside the buffer
    EXPECT_EQ(f.screen.GetSelectedText(), "rst line\r\nseco");
    f.screen.ClearSelection();
    EXPECT_FALSE(f.screen.GetSelectedText());
    f.screen.BeginSelection({0, 2}); // straight down, in the same column
    f.screen.ExtendSelection({2, 2});
    EXPECT_EQ(f.screen.GetSelectedText(), "rst line\r\nsecond\r\nthi");

    f.screen.SelectAll();
    EXPECT_EQ(f.screen.GetSelectedText(), "first line\r\nsecond\r\nthird");
    EXPECT_EQ(f.screen.GetAllText().substr(0, 27), "first line\r\nsecond\r\nthird\r\n");
}

// A line the ring reuses is blanked only as far as it was changed, so everything that
// changes cells or attributes, however far out, must be undone by the next blanking.
TEST(MudScreenSelection, ALineReusedByTheRingKeepsNothingOfWhatItHeld) {
    Fixture f;
    f.screen.ResetScreen(3);
    f.Resize(2, 80);
    const auto clean = [&f](const char* when) {
        for (int n = 0; n < 3; ++n)
            for (int col : {5, 60, 131})
                EXPECT_EQ(f.AttrAt(n, col), attr::kNormal) << when << " line " << n;
    };
    f.Feed("ab\r\ncd\r\n");
    f.screen.SelectAll(); // every column of the lines written so far
    f.Feed("1\r\n2\r\n3\r\n");
    clean("after a selection of whole lines");
    f.screen.ClearSelection();
    f.screen.BeginSelection({2, 0}); // a drag far past the text
    f.screen.ExtendSelection({2, 120});
    f.screen.EndSelection();
    f.Feed("\x1b[7m\x1b[K\x1b[0mx\r\n"); // a line erased in reverse, then plain text
    f.Feed("4\r\n5\r\n6\r\n");
    clean("after a drag and an erase in reverse video");
    // Colour cells a line kept for reuse come back empty past the new text's colours.
    f.screen.SetColourMode(ColourMode::Full);
    f.Feed("\x1b[38;5;196m" + std::string(60, 'r') + "\x1b[0m\r\n7\r\n8\r\n");
    f.Feed("\x1b[38;5;20mab\x1b[0m\r\n");
    const ScreenLine& reused = f.screen.Line(f.screen.BufferLine() - 1);
    EXPECT_EQ(std::pair(reused.TextColor(30), reused.TextColor(1) != 0),
              std::pair(CellColor{0}, true));
    // And so do those a trigger coloured after the line was complete.
    f.Lines();
    f.Feed(std::string(40, 't') + "\r\n");
    const std::uint64_t serial = f.screen.TakeLineWithAttributes()->serial;
    ASSERT_TRUE(f.screen.ColorCompletedLine(serial, 0, 40, ExplicitCellColor(0xFF), 0));
    f.Feed("9\r\n10\r\n\x1b[38;5;20mab\x1b[0m\r\n");
    EXPECT_EQ(f.screen.Line(f.screen.BufferLine() - 1).TextColor(30), CellColor{0});
    // Backgrounds as well, given by the text or by a trigger, when the next text on the
    // line has a text colour only; plain text over a background takes it away.
    const auto backs = [&f](int line) {
        std::vector<CellColor> out;
        for (int col : {0, 1, 30})
            out.push_back(f.screen.Line(line).BackColor(col));
        return out;
    };
    const std::vector<CellColor> none(3, 0);
    f.Feed("\x1b[48;5;21m" + std::string(40, 'b') + "\x1b[0m\r\n11\r\n12\r\n");
    f.Lines();
    f.Feed("\x1b[38;5;20mab\x1b[0m\r\n");
    EXPECT_EQ(backs(f.screen.BufferLine() - 1), none);
    f.Lines();
    f.Feed(std::string(40, 't') + "\r\n");
    const std::uint64_t backed = f.screen.TakeLineWithAttributes()->serial;
    ASSERT_TRUE(f.screen.ColorCompletedLine(backed, 0, 40, 0, ExplicitCellColor(0xFF)));
    f.Feed("13\r\n14\r\n\x1b[38;5;20mab\x1b[0m\r\n");
    EXPECT_EQ(backs(f.screen.BufferLine() - 1), none);
    f.Feed("\x1b[38;5;20mab\x1b[48;5;21m" + std::string(30, 'c') + "\x1b[0m\x1b[32D" +
           std::string(40, 'p') + "\r\n");
    EXPECT_EQ(backs(f.screen.BufferLine() - 1), none);
}

// Clearing a selection repaints the rows it was shown on, and only those.
TEST(MudScreenSelection, ClearingRepaintsTheRowsItWasShownOn) {
    Fixture f;
    f.Feed("one\r\ntwo\r\nthree\r\nfour\r\n");
    f.screen.BeginSelection({1, 1});
    f.screen.ExtendSelection({2, 2});
    f.screen.EndSelection();
    f.view.rows.clear();
    f.screen.ClearSelection();
    EXPECT_EQ(f.view.rows, (std::vector<int>{1, 2}));
    f.view.rows.clear();
    f.screen.ClearSelection(); // nothing selected: nothing to repaint
    EXPECT_TRUE(f.view.rows.empty());
}

// A cell just outside the buffer, on any side, starts no selection and has no URL.
TEST(MudScreenSelection, CellsJustOutsideTheBufferStartNothing) {
    Fixture f;
    f.settings.urlaware = 1;
    f.screen.autowrap = false; // the URL reaches the buffer's last cell
    f.Feed("http://x.org/" + std::string(200, 'a') + "\r\n");
    const int lines = f.screen.Lines(), columns = f.screen.BufferColumns();
    for (const TMudScreen::CellPos outside :
         {TMudScreen::CellPos{lines, 0}, TMudScreen::CellPos{0, columns},
          TMudScreen::CellPos{-1, 0}, TMudScreen::CellPos{0, -1}}) {
        f.screen.BeginSelection(outside);
        f.screen.ExtendSelection({0, 3});
        EXPECT_FALSE(f.screen.HasSelection()) << outside.line << "," << outside.col;
        EXPECT_FALSE(f.screen.UrlAt(outside).has_value()) << outside.line << "," << outside.col;
    }
    EXPECT_TRUE(f.screen.UrlAt({0, columns - 1}).has_value()); // the last cell is inside
    // A view row or column past the buffer shows no cell either.
    const int below = lines - f.screen.Top();
    for (const auto& [row, col] :
         {std::pair{below, 0}, std::pair{0, columns}, std::pair{-1, 0}, std::pair{0, -1}})
        EXPECT_FALSE(f.screen.CellInView(row, col).has_value()) << row << "," << col;
    const std::optional<TMudScreen::CellPos> last = f.screen.CellInView(below - 1, columns - 1);
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(std::pair(last->line, last->col), std::pair(lines - 1, columns - 1));
}

} // namespace
} // namespace tav
