#include "screen/MudScreen.h"
#include "tests/screen/MudScreenFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tav {
namespace {

using Fixture = test::MudScreenFixture;
using Lines = std::vector<std::string>;

// Every position the screen keeps must address the buffer after any mix of input, paging,
// scroll-bar requests, resizes, resets and holds (random mixes are screen_fuzzer's).
// The bounds, then every visible row and the cursor line read as painting does.
::testing::AssertionResult Consistent(const TMudScreen& s) {
    const int lines = s.Lines();
    const int rows = s.Rows();
    std::string faults;
    auto need = [&](bool ok, const char* what) {
        if (!ok) faults += std::string(what) + "; ";
    };
    auto inBuffer = [&](TMudScreen::CellPos p) {
        return p.line >= 0 && p.line < lines && p.col >= 0 && p.col < s.BufferColumns();
    };
    need(rows >= 1 && rows <= lines, "1 <= R <= L");
    need(s.Columns() >= 1 && s.Columns() <= s.BufferColumns(), "1 <= C <= W");
    need(s.Top() >= 0 && s.Top() <= lines - rows, "0 <= T <= L - R");
    need(s.SavedTop() >= 0 && s.SavedTop() <= lines - rows, "0 <= saved top <= L - R");
    need(s.CursorRow() >= 0 && s.CursorRow() < rows, "0 <= r < R");
    need(s.CursorCol() >= 0 && s.CursorCol() < s.BufferColumns(), "0 <= c < W");
    need(s.BufferLine() >= 0 && s.BufferLine() < lines, "0 <= bl < L");
    need(s.BufferCol() >= 0 && s.BufferCol() < s.BufferColumns(), "0 <= bc < W");
    need(inBuffer(s.SelectionAnchor()), "selection anchor in the buffer");
    need(inBuffer(s.SelectionEnd()), "selection end in the buffer");
    if (!faults.empty())
        return ::testing::AssertionFailure()
               << faults << "L=" << lines << " R=" << rows << " C=" << s.Columns()
               << " T=" << s.Top() << " saved=" << s.SavedTop() << " r=" << s.CursorRow()
               << " c=" << s.CursorCol() << " bl=" << s.BufferLine() << " bc=" << s.BufferCol();
    for (int k = 0; k < rows; ++k)
        if (s.Line(s.Top() + k).width != s.BufferColumns())
            return ::testing::AssertionFailure() << "row " << k << " is not as wide as the buffer";
    (void)s.Line(s.BufferLine());
    return ::testing::AssertionSuccess();
}

using Op = std::function<void(Fixture&)>;
struct Step {
    const char* name;
    Op run;
};

Op Bytes(std::string bytes) {
    return [bytes](Fixture& f) { f.Feed(bytes); };
}
Op Request(ScrollRequest request, int position = 0) {
    return [=](Fixture& f) { f.screen.ScrollBar(request, position); };
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
        {"page up", [](Fixture& f) { f.screen.PageUp(true); }},
        {"page down", [](Fixture& f) { f.screen.PageDown(true); }},
        {"bar line up", Request(ScrollRequest::LineUp)},
        {"bar line down", Request(ScrollRequest::LineDown)},
        {"bar page down", Request(ScrollRequest::PageDown)},
        {"bar thumb 3", Request(ScrollRequest::ThumbTrack, 3)},
        {"bar thumb far", Request(ScrollRequest::ThumbTrack, 1'000'000)},
        {"bar bottom", Request(ScrollRequest::Bottom)},
        {"rows 50", [](Fixture& f) { f.Resize(50, 80); }},
        {"rows 10", [](Fixture& f) { f.Resize(10, 40); }},
        {"rows 200", [](Fixture& f) { f.Resize(200, 200); }},
        {"minimised", [](Fixture& f) { f.screen.SetSize(0, 0); }},
        {"rows 24", [](Fixture& f) { f.Resize(24, 80); }},
        {"cols 250", [](Fixture& f) { f.Resize(24, 250); }},
        {"wide", [](Fixture& f) { f.screen.SetBufferColumns(kWideBufferColumns); }},
        {"classic", [](Fixture& f) { f.screen.SetBufferColumns(kBufferColumns); }},
        {"reset 20", [](Fixture& f) { f.screen.ResetScreen(20); }},
        {"hold", [](Fixture& f) { f.screen.ToggleHold(); }},
        {"drag",
         [](Fixture& f) {
             f.screen.BeginSelection({f.screen.Lines() - 1, 131});
             f.screen.ExtendSelection({0, 0});
             f.screen.EndSelection();
         }},
        {"select all", [](Fixture& f) { f.screen.SelectAll(); }},
    };
}

void RunSteps(Fixture& f, const std::vector<Step>& all, const std::vector<std::string>& names) {
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
        // The buffer narrows under a cursor, a selection and a scrolled-back view that were
        // past its new edge, and widens again under a window that was wider all along.
        {"cols 250", "wide", "long text", "far corner", "drag", "page up", "classic", "one line",
         "select all", "wide", "long text", "reset 20", "classic", "far corner", "wide"},
        {"wide", "rows 200", "far corner", "hold", "classic", "hold", "40 lines", "cols 250",
         "wide", "minimised", "classic", "rows 24", "long text"},
    };
    for (const auto& names : sequences) {
        Fixture f;
        RunSteps(f, all, names);
    }
}

// A screen as wide as its window: lines take up to 256 cells and hand them all over; the
// columns change under text that stays (a narrower line loses its cells past the edge,
// cutting a wide character and a URL there), and the visible columns follow the window.
TEST(MudScreenWide, TheBufferWidensAndNarrowsUnderItsText) {
    Fixture f;
    f.screen.SetEncoding(TextEncoding::Utf8);
    f.settings.urlaware = 1;
    f.Resize(24, 250);
    EXPECT_EQ(f.screen.Columns(), kBufferColumns); // the classic line bounds the window
    f.screen.SetBufferColumns(kWideBufferColumns);
    EXPECT_EQ(f.screen.Columns(), 250);
    const std::string wide(200, 'a');
    // A wide character across the classic edge, then a URL across it on the next line.
    const std::string edge = std::string(131, 'b') + "\xe6\xbc\xa2"
                                                     "c";
    const std::string url = std::string(120, ' ') + "http://x.org/abcdefghijklmnop";
    f.Feed(wide + "\r\n" + edge + "\r\n" + url + "\r\n" + "\x1b[31mred" + std::string(150, '!'));
    EXPECT_EQ(f.Lines(), (Lines{wide, edge, url}));
    EXPECT_EQ(f.screen.BufferCol(), 153);

    f.screen.SetBufferColumns(kBufferColumns);
    EXPECT_EQ(f.screen.Columns(), kBufferColumns);
    EXPECT_EQ(f.Text(0), std::string(132, 'a'));
    EXPECT_EQ(f.Text(1), std::string(131, 'b') + " "); // no half of a character is left
    EXPECT_FALSE(f.screen.UrlAt({2, 125}).has_value());
    EXPECT_EQ(f.screen.BufferCol(), kBufferColumns - 1);
    f.Feed("\r\n");
    EXPECT_EQ(f.Lines(), Lines{"red" + std::string(129, '!')});
    f.screen.SetBufferColumns(kWideBufferColumns);
    EXPECT_EQ(f.Text(0), std::string(132, 'a')); // what was cut stays cut
    EXPECT_EQ(f.AttrAt(0, 200), attr::kNormal);  // and the new cells are blank
    f.Feed(wide + "\r\n");
    EXPECT_EQ(f.Lines(), Lines{wide});
    // Lines copied from a classic screen bring their width: the visible columns follow.
    Fixture classic;
    f.screen.CopyLinesFrom(classic.screen);
    EXPECT_EQ(std::pair(f.screen.BufferColumns(), f.screen.Columns()),
              std::pair(kBufferColumns, kBufferColumns));
    EXPECT_TRUE(Consistent(f.screen));
}

// A prompt handed over from a wide line and then cut off by a narrower buffer is no longer
// kept: the next prompt mark reads no cell past the line, and hands over what is left.
TEST(MudScreenWide, APromptCutOffByANarrowerBufferIsNoLongerKept) {
    Fixture f;
    f.screen.autowrap = false;
    f.screen.SetBufferColumns(kWideBufferColumns);
    f.Feed(std::string(140, 'p'));
    f.screen.EndPrompt();
    EXPECT_EQ(f.Lines(), Lines{std::string(140, 'p')});
    f.screen.SetBufferColumns(kBufferColumns);
    f.screen.EndPrompt();
    f.Feed("\r\n");
    EXPECT_EQ(f.Lines(), Lines{std::string(132, 'p')});
    EXPECT_TRUE(Consistent(f.screen));
}

// Lines copied from another screen show its cursor's line on the last row, as the other
// screen shows it while output arrives.
TEST(MudScreenCopy, TheCopyShowsTheCursorsLineOnTheLastRow) {
    Fixture from, to;
    for (int k = 0; k < 40; ++k)
        from.Feed("line " + std::to_string(k) + "\r\n");
    from.Feed("prompt> ");
    to.screen.CopyLinesFrom(from.screen);
    EXPECT_EQ(std::tuple(to.screen.Top(), to.screen.BufferLine(), to.screen.CursorRow()),
              std::tuple(from.screen.Top(), from.screen.BufferLine(), from.screen.CursorRow()));
    EXPECT_EQ(to.Text(from.screen.BufferLine()), from.Text(from.screen.BufferLine()));
    EXPECT_TRUE(Consistent(to.screen));
}

} // namespace
} // namespace tav
