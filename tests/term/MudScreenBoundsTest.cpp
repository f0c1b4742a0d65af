// Every position the screen keeps must address the buffer after any mix of input, paging,
// scroll-bar requests, resizes, resets and holds (random mixes are screen_fuzzer's).
#include "term/MudScreen.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace tav {
namespace {

struct Screen {
    Settings settings{};
    TMudScreen screen{settings};

    void Feed(std::string_view bytes) { screen.AddText(bytes); }
    // A window of `rows` by `cols` cells with the default 7 x 15 font.
    void Resize(int rows, int cols) {
        screen.SetScreenRect({0, 0, 4 + 7 * cols, 15 * rows}, false);
    }
};

// The bounds, then every visible row and the cursor line read as painting does.
::testing::AssertionResult Consistent(const TMudScreen& s) {
    const int lines = s.Lines();
    const int rows = s.Rows();
    std::string faults;
    auto need = [&](bool ok, const char* what) {
        if (!ok) faults += std::string(what) + "; ";
    };
    auto inBuffer = [&](TMudScreen::CellPos p) {
        return p.line >= 0 && p.line < lines && p.col >= 0 && p.col < kBufferColumns;
    };
    need(rows >= 1 && rows <= lines, "1 <= R <= L");
    need(s.Columns() >= 1 && s.Columns() <= kBufferColumns, "1 <= C <= 132");
    need(s.Top() >= 0 && s.Top() <= lines - rows, "0 <= T <= L - R");
    need(s.SavedTop() >= 0 && s.SavedTop() <= lines - rows, "0 <= saved top <= L - R");
    need(s.CursorRow() >= 0 && s.CursorRow() < rows, "0 <= r < R");
    need(s.CursorCol() >= 0 && s.CursorCol() < kBufferColumns, "0 <= c < 132");
    need(s.BufferLine() >= 0 && s.BufferLine() < lines, "0 <= bl < L");
    need(s.BufferCol() >= 0 && s.BufferCol() < kBufferColumns, "0 <= bc < 132");
    need(inBuffer(s.SelectionAnchor()), "selection anchor in the buffer");
    need(inBuffer(s.SelectionEnd()), "selection end in the buffer");
    if (!faults.empty()) {
        return ::testing::AssertionFailure()
               << faults << "L=" << lines << " R=" << rows << " C=" << s.Columns()
               << " T=" << s.Top() << " saved=" << s.SavedTop() << " r=" << s.CursorRow()
               << " c=" << s.CursorCol() << " bl=" << s.BufferLine() << " bc=" << s.BufferCol();
    }
    for (int k = 0; k < rows; ++k)
        (void)s.Line(s.Top() + k);
    (void)s.Line(s.BufferLine());
    return ::testing::AssertionSuccess();
}

using Op = std::function<void(Screen&)>;
struct Step {
    const char* name;
    Op run;
};

Op Bytes(std::string bytes) {
    return [bytes](Screen& f) { f.Feed(bytes); };
}
Op Request(ScrollRequest request, int position = 0) {
    return [=](Screen& f) { f.screen.ScrollBar(request, position); };
}

std::vector<Step> AllSteps() {
    std::string burst;
    for (int k = 0; k < 40; ++k)
        burst += "burst " + std::to_string(k) + "\r\n";
    return {
        {"40 lines", Bytes(burst)},
        {"one line", Bytes("x\r\n")},
        {"long text", Bytes(std::string(300, 'w'))},
        {"home", Bytes("\x1b[H")},
        {"row 40", Bytes("\x1b[40;0Hy")},
        {"far corner", Bytes("\x1b[9999;9999Hz")},
        {"erase screen", Bytes("\x1b[2J")},
        {"page up", [](Screen& f) { f.screen.PageUp(true); }},
        {"page down", [](Screen& f) { f.screen.PageDown(true); }},
        {"bar line up", Request(ScrollRequest::LineUp)},
        {"bar line down", Request(ScrollRequest::LineDown)},
        {"bar page down", Request(ScrollRequest::PageDown)},
        {"bar thumb 3", Request(ScrollRequest::ThumbTrack, 3)},
        {"bar thumb far", Request(ScrollRequest::ThumbTrack, 1'000'000)},
        {"bar bottom", Request(ScrollRequest::Bottom)},
        {"rows 50", [](Screen& f) { f.Resize(50, 80); }},
        {"rows 10", [](Screen& f) { f.Resize(10, 40); }},
        {"rows 200", [](Screen& f) { f.Resize(200, 200); }},
        {"minimised",
         [](Screen& f) {
             f.screen.SetScreenRect({0, 0, 2, 3}, false);
         }},
        {"rows 24", [](Screen& f) { f.Resize(24, 80); }},
        {"reset 20", [](Screen& f) { f.screen.ResetScreen(20); }},
        {"hold", [](Screen& f) { f.screen.ToggleHold(); }},
        {"drag",
         [](Screen& f) {
             f.screen.BeginSelection({f.screen.Lines() - 1, 131});
             f.screen.ExtendSelection({0, 0});
             f.screen.EndSelection();
         }},
        {"select all", [](Screen& f) { f.screen.SelectAll(); }},
    };
}

void RunSteps(Screen& f, const std::vector<Step>& all, const std::vector<std::string>& names) {
    std::string done;
    for (const std::string& name : names) {
        auto step =
            std::find_if(all.begin(), all.end(), [&](const Step& s) { return name == s.name; });
        ASSERT_NE(step, all.end()) << name;
        step->run(f);
        done += name + ", ";
        ASSERT_TRUE(Consistent(f.screen)) << "after " << done;
    }
}

TEST(MudScreenBounds, MixedSequencesKeepEveryPositionInTheBuffer) {
    const std::vector<Step> all = AllSteps();
    const std::vector<std::vector<std::string>> sequences = {
        // Scrolled back, then the window grows or shrinks, then output resumes: a stale
        // saved top once sent the cursor past the buffer here.
        {"40 lines", "40 lines", "40 lines", "page up", "rows 50", "home", "one line", "row 40",
         "erase screen"},
        {"40 lines", "40 lines", "40 lines", "bar line up", "rows 50", "bar bottom", "row 40"},
        {"40 lines", "40 lines", "40 lines", "bar thumb 3", "rows 200", "bar page down",
         "far corner", "one line"},
        {"40 lines", "40 lines", "40 lines", "rows 10", "page up", "rows 50", "page down", "row 40",
         "long text"},
        {"40 lines", "40 lines", "40 lines", "page up", "minimised", "one line", "rows 50",
         "bar line down", "bar thumb far", "one line", "row 40"},
        // A reset to fewer lines while scrolled back, holding or selecting.
        {"40 lines", "40 lines", "drag", "page up", "reset 20", "drag", "bar bottom", "row 40",
         "select all", "40 lines"},
        {"40 lines", "hold", "40 lines", "page up", "rows 50", "hold", "row 40", "reset 20",
         "rows 24", "page down", "40 lines"},
    };
    for (const auto& names : sequences) {
        Screen f;
        RunSteps(f, all, names);
    }
}

TEST(ScreenBufferDeathTest, LinesOutsideTheBufferAreRefused) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ScreenBuffer buffer(10);
    buffer.Advance(attr::kNormal); // the ring's start is no longer line 0
    EXPECT_DEATH(buffer[10].ch[0] = 'x', "line 10 outside 0\\.\\.9");
    EXPECT_DEATH(buffer[-1].ch[0] = 'x', "line -1 outside 0\\.\\.9");
    buffer[9].ch[0] = 'x';
    EXPECT_EQ(buffer[9].ch[0], 'x');
}

// Explicit colours follow their cells: copied, blanked, and gone with a line that leaves.
TEST(ScreenBuffer, ExplicitColoursFollowTheirCells) {
    ScreenBuffer buffer(2);
    const CellColor red = ExplicitCellColor(0x0000FF);
    buffer[0].SetColors(2, 6, red, 0);
    ScreenLine copy = buffer[0];
    buffer[0].Blank(3, 5, attr::kNormal);
    EXPECT_EQ(buffer[0].TextColor(2), red);
    EXPECT_EQ(buffer[0].TextColor(3), 0U);
    EXPECT_EQ(buffer[0].TextColor(5), red);
    EXPECT_EQ(copy.TextColor(3), red);
    buffer.Advance(attr::kNormal); // the coloured line is now the last one, blank
    EXPECT_FALSE(buffer[1].colors);
}

} // namespace
} // namespace tav
