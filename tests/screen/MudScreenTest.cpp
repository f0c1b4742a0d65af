#include "screen/MudScreen.h"
#include "net/TelnetCodes.h"
#include "tests/screen/MudScreenFixture.h"
#include "tests/support/ScreenCells.h"

#include <cstdint>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tav {
namespace {

using Fixture = test::MudScreenFixture;
using Lines = std::vector<std::string>;

TEST(MudScreenText, LineEndsQueueLinesAndAutowrapFillsOneCellLessThanTheWidth) {
    for (bool appendcr : {true, false}) {
        Fixture f;
        f.screen.appendcr = appendcr;
        f.Feed("abc\r\nde");
        f.Feed("f\r\n"); // a line stays queued until it is taken, whatever comes after it
        EXPECT_EQ(f.Lines(), (Lines{"abc", "def"})) << appendcr;
    }
    Fixture pane; // an owner that never takes lines has none queued
    pane.screen.queueLines = false;
    pane.Feed("abc\r\n");
    EXPECT_EQ(std::pair(pane.Lines(), pane.Text(0)), std::pair(Lines{}, std::string("abc")));
    // Without appendcr a bare LF keeps the column; a line whose first cell is empty is empty.
    Fixture f;
    f.screen.appendcr = false;
    f.Feed("abc\ndef\n");
    EXPECT_EQ(f.Lines(), (Lines{"abc", ""}));
    EXPECT_EQ(f.Cells(1, 7), "...def.");

    Fixture w;
    w.Feed(std::string(100, 'x'));
    EXPECT_EQ(w.Lines(), (Lines{std::string(79, 'x')}));
    EXPECT_EQ(w.Text(1), std::string(21, 'x'));
    EXPECT_EQ(w.screen.CursorCol(), 21);

    // Without autowrap everything past the last buffer column lands in it.
    Fixture g;
    g.screen.autowrap = false;
    g.Feed(std::string(140, 'a') + "Z");
    EXPECT_TRUE(g.Lines().empty());
    EXPECT_EQ(g.Text(0), std::string(131, 'a') + "Z");
    EXPECT_EQ(std::pair(g.screen.CursorCol(), g.screen.BufferCol()), std::pair(131, 131));
}

// The screen follows a line's text as it is written, so a completed line need not be read
// back from its cells; every other way of changing the cells must still be seen.
TEST(MudScreenText, ACompletedLineIsItsCellsHoweverTheyWereWritten) {
    const std::pair<std::string, std::string> cases[] = {
        {"abcdef\rXY\n", "XYcdef"},                // a bare CR, then overwritten
        {"abcdef\x1b[3DZ\r\n", "abcZef"},          // back and over
        {"abcdef\x1b[Kxy\r\n", ""},                // erased, the cursor left where it was
        {"ab\tc\r\n", "ab      c"},                // a tab's spaces
        {"ab\t\r\n", "ab      "},                  // and at the end
        {"top\r\nabc\x1b[1A\x1b[1Bd\r\n", "abcd"}, // away and back to the same place
        {"top\r\nabc\x1b[1Ad\r\n", "topd"},        // another line at the same column
        {"one\r\ntwo\r\n\x1b[H\nQ\r\n", "Qwo"},    // a written line opened again
        {std::string(140, 'a') + "\r\n", std::string(61, 'a')},
        {"\x1b[31mred\x1b[0m and plain: http://x.y/z\r\n", "red and plain: http://x.y/z"},
    };
    for (const auto& [bytes, line] : cases) {
        Fixture f;
        f.screen.appendcr = false;
        f.Feed(bytes);
        const Lines lines = f.Lines();
        ASSERT_FALSE(lines.empty()) << bytes;
        EXPECT_EQ(lines.back(), line) << bytes;
    }
    // A line written to the buffer's last column, opened again.
    Fixture full;
    full.screen.autowrap = false;
    full.Feed("top\r\n" + std::string(140, 'a') + "\r\n\x1b[H\nQ\r\n");
    EXPECT_EQ(full.Lines().back(), "Q" + std::string(131, 'a'));
    // Unicode characters, wide ones and marks after a line's bytes.
    for (const std::string bytes : {"ab\xC3\xA9", "ab\xE4\xB8\xAD", "abe\xCC\x81"}) {
        Fixture u;
        u.screen.SetEncoding(TextEncoding::Utf8);
        u.Feed("\r\n" + bytes + "\r\n"); // the second line is followed from its start
        EXPECT_EQ(u.Lines(), (Lines{"", bytes}));
    }
    // A Unicode line overwritten from its start after a bare CR, or past a tab; written
    // on the line above at the column it was followed to, then ended.
    for (const auto& [bytes, text] :
         {std::pair("ab\xC3\xA9\rX\xC3\xBC", "X\xC3\xBC\xC3\xA9"),
          std::pair("\xC3\xA9\tx\r\xC3\xBC", "\xC3\xBC       x"),
          std::pair("ab\xC3\xA9\x1b[1A\xC3\xBC\x1b[1B", "ab\xC3\xA9")}) {
        Fixture u;
        u.screen.appendcr = false;
        u.screen.SetEncoding(TextEncoding::Utf8);
        u.Feed(std::string("\r\n") + bytes + "\r\n");
        EXPECT_EQ(u.Lines(), (Lines{"", text})) << bytes;
    }
    // Bytes read in one encoding are the cells' text in another only by chance.
    Fixture f;
    f.screen.SetEncoding(TextEncoding::Latin1);
    f.Feed("caf\xE9");
    f.screen.SetEncoding(TextEncoding::Utf8);
    f.Feed("\r\n");
    EXPECT_EQ(f.Lines(), (Lines{"caf\xC3\xA9"}));
    // Removed lines move the text under the cursor: a gagged prompt's line, then an empty
    // one; a line gagged above, then the cursor down to the column it was at.
    Fixture p;
    p.Feed("hp> ");
    p.screen.EndPrompt();
    ASSERT_TRUE(p.screen.RemoveCompletedLine(p.screen.TakeLineWithAttributes()->serial));
    p.Feed("look\r\n\r\n");
    EXPECT_EQ(p.Lines(), (Lines{"look", ""}));
    Fixture twice; // a prompt ended twice, then its line: handed over once
    twice.Feed("hp> ");
    twice.screen.EndPrompt();
    twice.screen.EndPrompt();
    twice.Feed("\r\n");
    EXPECT_EQ(twice.Lines(), (Lines{"hp> "}));
    twice.screen.ResetScreen(10); // a reset forgets the prompt handed over
    twice.Feed("hp> again\r\n");
    EXPECT_EQ(twice.Lines(), (Lines{"hp> again"}));
    Fixture r;
    r.Feed("one\r\nabc");
    ASSERT_TRUE(r.screen.RemoveCompletedLine(r.screen.TakeLineWithAttributes()->serial));
    r.Feed("\x1b[1Bd\r\n");
    EXPECT_EQ(r.Lines(), (Lines{""}));
    Fixture c, other; // lines copied from another screen replace the cursor's
    c.Feed("abc");
    other.Feed("xyz");
    c.screen.CopyLinesFrom(other.screen);
    c.Feed("d\r\n");
    EXPECT_EQ(c.Lines(), (Lines{"xyzd"}));
    Fixture past; // a cursor past the window's last column is shown in it
    other.screen.autowrap = false;
    other.Feed(std::string(100, 'x'));
    past.screen.CopyLinesFrom(other.screen);
    EXPECT_EQ(past.screen.CursorCol(), past.screen.Columns() - 1);
    // Without autowrap the last column takes what runs past it.
    Fixture g;
    g.screen.autowrap = false;
    g.Feed(std::string(140, 'a') + "Z\r\n");
    EXPECT_EQ(g.Lines(), (Lines{std::string(131, 'a') + "Z"}));
}

// A Unicode line is followed as UTF-8 with the column of each byte once a character took
// more than one, and hands over what its cells hold: the part after a prompt, the bytes'
// own attributes, no columns for a part that is all ASCII; a cursor sent back reads the
// cells again.
TEST(MudScreenText, AUnicodeLineHandsOverEachBytesColumnAndAttribute) {
    using Columns = std::vector<std::uint8_t>;
    Fixture f;
    f.screen.SetEncoding(TextEncoding::Utf8);
    f.screen.keepLineAttributes = true;
    f.Feed("\r\n"); // a line is followed from its start in one encoding
    f.screen.TakeLine();
    f.Feed("ab\x1b[1m\xC3\xA9t\xE2\x86\x92x\r\n");
    auto line = f.screen.TakeLineWithAttributes();
    ASSERT_TRUE(line);
    EXPECT_EQ(line->text, "ab\xC3\xA9t\xE2\x86\x92x");
    EXPECT_EQ(line->byteColumns, (Columns{0, 1, 2, 2, 3, 4, 4, 4, 5}));
    const Attr bold = attr::kNormal | attr::kBold;
    EXPECT_EQ(line->attrs, (std::vector<Attr>{attr::kNormal, attr::kNormal, bold, bold, bold, bold,
                                              bold, bold, bold}));

    f.Feed("\x1b[0mh\xC3\xA9> ");
    f.screen.EndPrompt();
    line = f.screen.TakeLineWithAttributes();
    ASSERT_TRUE(line);
    EXPECT_EQ(std::tuple(line->text, line->byteColumns),
              std::tuple("h\xC3\xA9> ", Columns{0, 1, 1, 2, 3}));
    f.Feed("go\r\n"); // all ASCII after the prompt
    line = f.screen.TakeLineWithAttributes();
    ASSERT_TRUE(line);
    EXPECT_EQ(std::tuple(line->text, line->byteColumns, line->column),
              std::tuple("go", Columns{}, 4));
    f.Feed("> ");
    f.screen.EndPrompt();
    f.screen.TakeLine();
    f.Feed("n\xC3\xA9\r\n");
    line = f.screen.TakeLineWithAttributes();
    ASSERT_TRUE(line);
    EXPECT_EQ(std::tuple(line->text, line->byteColumns, line->column),
              std::tuple("n\xC3\xA9", Columns{2, 3, 3}, 2));

    f.Feed("\xC3\xA9tat\x1b[2Du\r\n"); // back and over
    EXPECT_EQ(f.Lines(), (Lines{"\xC3\xA9tut"}));
    f.Feed(std::string(78, 'a') + "\xC3\xA9\xC3\xA9z\r\n"); // the wrap falls between them
    EXPECT_EQ(f.Lines(), (Lines{std::string(78, 'a') + "\xC3\xA9", "\xC3\xA9z"}));
    // A URL's colon past as many bytes as the line has cells.
    Fixture u;
    u.settings.urlaware = 1;
    u.screen.SetEncoding(TextEncoding::Utf8);
    std::string accents;
    for (int k = 0; k < 10; ++k)
        accents += "\xC3\xA9";
    u.Feed("\r\n" + accents + " http://x.y/z\r\n");
    EXPECT_TRUE(u.screen.UrlAt({1, 15}).has_value());
}

TEST(MudScreenText, ControlsEscapesAndTelnetCommandsLeaveOnlyTheirText) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\x80\xfe\x08\x01\x0e\x1a\x7fz", "a\x7fz"}, // ignored bytes leave no trace, DEL is stored
        {"ab\tc", "ab      c"},                       // a tab advances to the next stop with spaces
        {"\x1b[?25h", "25h"},                         // '?' is the final byte, "25h" is text
        {"\x1b[1:31mx", "31mx"},                      // so is ':' outside full colour
        {"\x1b(B", "B"},                              // charset selection shows its third byte
        {"\x1bNx\x1bOy", "NxOy"},                     // only the ESC is consumed
        {"\x1b\x7fz\x1b!w", "zw"},                    // outside 0x23..0x63: both consumed
        // Two-byte telnet commands swallow no text.
        {"prompt>\xff\xf9p\xff\xf1q\xff\xffr\xff\xfd\x18s", "prompt>pqrs"},
        // A subnegotiation ends at IAC SE only, not at an SE byte inside it.
        {"\xff\xfa\xc9"
         "a\xf0"
         "b\xff\xf0text",
         "text"},
    };
    for (const auto& [bytes, text] : cases) {
        Fixture f;
        f.Feed(bytes);
        EXPECT_EQ(f.Text(0), text) << bytes;
    }
}

// Without autowrap a tab stops on the buffer's last cell at the latest, where the
// characters after it overwrite one another.
TEST(MudScreenText, ATabStopsOnTheLastCellOfTheBuffer) {
    Fixture f;
    f.screen.autowrap = false;
    const int last = f.screen.BufferColumns() - 1;
    const std::string start(static_cast<std::size_t>(last - 2), 'x');
    f.Feed(start + "\t");
    EXPECT_EQ(f.screen.CursorCol(), last);
    EXPECT_EQ(f.screen.BufferCol(), last);
    f.Feed("YZ");
    EXPECT_EQ(f.Text(0), start + "  Z");
    EXPECT_EQ(f.screen.CursorCol(), last);
}

TEST(MudScreenSgr, AttributesFollowTheRenditionTable) {
    const std::pair<const char*, Attr> cases[] = {
        {"\x1b[31mx", 0x20},
        {"\x1b[1m\x1b[31mx", 0x22},
        {"\x1b[31mx\x1b[0my", 0x1},
        {"\x1b[0;32mz", 0x40},      // gray from "0" in a list, cleared by 32
        {"\x1b[0m\x1b[37mx", 0xE1}, // 37 keeps the normal bit
        {"\x1b[0;1mx", 0x102},      // gray bold
        {"\x1b[4;5;7mx", 0x1D},
        {"\x1b[1m\x1b[36mx\x1b[40;2;22mx", 0xC2}, // ignored values change nothing
        {"\x1b[mx", 0x1},                         // empty parameter is 0
    };
    for (const auto& [bytes, expected] : cases) {
        Fixture f;
        f.Feed(bytes);
        EXPECT_EQ(f.AttrAt(0, f.screen.BufferCol() - 1), expected) << bytes;
    }
}

TEST(MudScreenCursor, PositioningAndRelativeMoves) {
    Fixture f;
    // Row and column are 0-based indices; with three values nothing moves.
    f.Feed("\x1b[1;1HX\x1b[0;0HY\x1b[5HZ\x1b[1;2;3HW");
    EXPECT_EQ((Lines{f.Cells(0, 2), f.Cells(1, 2), f.Cells(5, 3)}), (Lines{"Y.", ".X", "ZW."}));

    // A leading separator stands for no value of its own: the one after it is the row. In
    // full colour a leading ':' is such a separator too.
    for (const ColourMode mode : {ColourMode::Basic, ColourMode::Full}) {
        Fixture lead;
        lead.screen.SetColourMode(mode);
        lead.Feed(mode == ColourMode::Full ? "\x1b[:3HV" : "\x1b[;3HV");
        EXPECT_EQ(lead.Cells(3, 2), "V.");
    }

    // Moving up stops the screen row at 0 and the buffer line at line 0.
    Fixture g;
    g.Feed("\033A");
    EXPECT_EQ(std::pair(g.screen.CursorRow(), g.screen.CursorViewRow()),
              std::pair(0, std::optional<int>(0))); // the top row shows its cursor
    g.Feed("\r\n\r\n\033A");
    EXPECT_EQ(g.screen.CursorRow(), 1);
    g.Feed("\x1b[5A");
    EXPECT_EQ(std::pair(g.screen.CursorRow(), g.screen.BufferLine()), std::pair(0, 0));

    g.Feed("\033B\033B");
    EXPECT_EQ(g.screen.CursorRow(), 2); // ESC B moves down a row

    // ESC C/D move only the screen column.
    Fixture h;
    h.Feed("ab\033D\033D");
    EXPECT_EQ(std::pair(h.screen.CursorCol(), h.screen.BufferCol()), std::pair(0, 2));
    h.Feed("\x1b[0;78H\033C\033C"); // ESC C stops on the last column
    EXPECT_EQ(h.screen.CursorCol(), 79);

    // Huge parameters saturate instead of overflowing.
    Fixture s;
    s.Feed("\x1b[99999999999999999999B\033B"); // ESC B stops on the last row too
    EXPECT_EQ(s.screen.CursorRow(), 23);
    s.Feed("\x1b[99999999999999999999;99999999999999999999H");
    EXPECT_EQ(std::pair(s.screen.CursorRow(), s.screen.CursorCol()), std::pair(23, 79));
    s.Feed("\x1b[99999999999999999999A");
    EXPECT_EQ(s.screen.BufferLine(), 0);
}

TEST(MudScreenCursor, EraseOperations) {
    Fixture f;
    f.Feed("line0\r\nline1\r\nline2");
    f.Feed("\x1b[2;3H\x1b[1K"); // erase from start of line 2 through column 3
    EXPECT_EQ(f.Cells(2, 5), "....2");
    f.Feed("\x1b[1;2H\033K"); // ESC K: to end of line from column 2
    EXPECT_EQ(f.Text(1), "li");
    f.Feed("\x1b[2;1H\x1b[1J"); // rows above, then the row through column 1
    EXPECT_EQ((Lines{f.Cells(0, 5), f.Cells(1, 5), f.Cells(2, 5)}),
              (Lines{".....", ".....", "....2"}));
    f.Feed("\x1b[31m\x1b[J"); // whole screen with the current attribute, cursor home
    EXPECT_EQ(std::tuple(f.Text(0), f.AttrAt(0, 0), f.AttrAt(23, 131), f.screen.CursorRow()),
              std::tuple("", 0x20u, 0x20u, 0));

    Fixture g; // ESC J: to the end of the screen, leaving the rows above
    g.Feed("ab\r\ncd\r\nef\x1b[1;1H\033J");
    EXPECT_EQ(g.Text(0) + "|" + g.Text(1) + "|" + g.Text(2), "ab|c|");
}

TEST(MudScreenTelnet, EchoGroupsCommandLengthsAndBoundedWaits) {
    Fixture f;
    EXPECT_EQ(f.Feed("\xff\xfb\x01"), ScreenResult::EchoOn);
    EXPECT_EQ(f.Feed("\xff\xfc\x01"), ScreenResult::EchoOff);
    EXPECT_EQ(f.Feed("\xff\xfb\x01\xff\xfc\x01"), ScreenResult::EchoOff); // last one decides
    EXPECT_EQ(f.Feed("\xff\xfb"), ScreenResult::None);                    // waits
    EXPECT_EQ(f.screen.PendingBytes(), 2u);
    EXPECT_EQ(f.Feed("\x01"), ScreenResult::EchoOn);
    EXPECT_EQ(f.Feed("\xff"), ScreenResult::None); // a lone IAC waits as well
    EXPECT_EQ(f.Feed("\xfc\x01"), ScreenResult::EchoOff);

    // Subnegotiations are consumed whole, waiting while incomplete.
    Fixture h;
    h.Feed("x\xff\xfa\x18\x01payload");
    EXPECT_EQ(h.Text(0), "x");
    h.Feed("more\xff\xff\xff");
    EXPECT_EQ(h.Text(0), "x");
    h.Feed("\xf0y");
    EXPECT_EQ(std::tuple(h.Text(0), h.screen.PendingBytes()), std::tuple("xy", 0u));

    // A CSI that never ends is abandoned instead of growing the pending input.
    Fixture c;
    c.Feed("\x1b[");
    for (int k = 0; k < 1000; ++k)
        c.Feed("1;");
    EXPECT_LT(c.screen.PendingBytes(), kMaxControlSequence + 4);

    Fixture n;
    n.Feed("\xff\xfa");
    for (int k = 0; k < 1000; ++k)
        n.Feed(std::string(100, 'p'));
    EXPECT_LT(n.screen.PendingBytes(), telnet::kMaxSubnegotiation + 101);
    n.Feed("\xff\xf0ok");
    EXPECT_NE(n.screen.GetAllText().find("ok"), std::string::npos);
    // Exactly at the bound it is given up at once, not one read later.
    Fixture b;
    b.Feed("\xff\xfa" + std::string(telnet::kMaxSubnegotiation - 2, 'p'));
    EXPECT_EQ(b.screen.PendingBytes(), 0u);
}

TEST(MudScreenScroll, PagingMarksScrolledBackUntilTheNextLineAndTheRingDropsTheOldest) {
    Fixture f;
    f.screen.PageUp(true); // at T = 0 still marks scrolled back
    EXPECT_TRUE(f.screen.ScrolledBack());
    f.Feed("x\r\n");
    EXPECT_FALSE(f.screen.ScrolledBack());

    for (int k = 0; k < 60; ++k)
        f.Feed("l\r\n");
    // A new line while scrolled back returns to the live position (paging is the widget's).
    const int live = f.screen.Top();
    f.screen.ScrollBar(ScrollRequest::ThumbTrack, 3);
    f.Feed("y\r\n");
    EXPECT_EQ(f.screen.Top(), live + 1);

    // The scroll bar's "bottom" returns to the live position, where new lines show.
    f.screen.PageUp(true);
    f.screen.ScrollBar(ScrollRequest::Bottom);
    EXPECT_FALSE(f.screen.ScrolledBack());
    EXPECT_EQ(f.screen.Top(), live + 1);
    // Paging down onto the live position, or past it, leaves the scrollback there.
    for (const int pages : {1, 2}) {
        for (int k = 0; k < pages; ++k)
            f.screen.PageUp(true);
        for (int k = 0; k < pages; ++k) {
            EXPECT_TRUE(f.screen.ScrolledBack()) << pages;
            f.screen.PageDown(true);
        }
        EXPECT_FALSE(f.screen.ScrolledBack()) << pages;
        EXPECT_EQ(f.screen.Top(), live + 1) << pages;
    }

    for (int k = 0; k < 150; ++k)
        f.Feed("line " + std::to_string(k) + "\r\n");
    EXPECT_EQ(std::tuple(f.screen.Top(), f.view.scrollPos, f.screen.BufferLine()),
              std::tuple(100 - 24, 76, 99));
    EXPECT_EQ((Lines{f.Text(0), f.Text(98), f.Text(99)}), (Lines{"line 51", "line 149", ""}));
    // One pixel scroll per block, by the number of new lines.
    EXPECT_EQ(f.view.scrolls.back(), -1);
    f.Feed("a\r\nb\r\nc\r\n");
    EXPECT_EQ(f.view.scrolls.back(), -3);
    // A block without new lines scrolls nothing, nor do lines above the last row.
    const std::size_t reported = f.view.scrolls.size();
    f.Feed("no line end");
    Fixture fresh;
    fresh.Feed("a\r\nb\r\n");
    EXPECT_EQ(std::pair(f.view.scrolls.size(), fresh.view.scrolls.size()),
              std::pair(reported, std::size_t{0}));
}

TEST(MudScreenUrl, UrlsAreMarkedThroughTheTrailingComma) {
    Fixture f;
    f.settings.urlaware = 1;
    f.Feed("see http://abcdef, and ftp://x mailto:y https://s.org/p?q=1 https:/no mailto:\r\n");
    const char* marked =
        "    ^^^^^^^^^^^^^^     ^^^^^^^ ^^^^^^^^ ^^^^^^^^^^^^^^^^^^^           ^^^^^^^";
    for (int k = 0; marked[k]; ++k)
        EXPECT_EQ((f.AttrAt(0, k) & attr::kUrl) != 0, marked[k] == '^') << k;
    EXPECT_EQ(f.screen.UrlAt({0, 10}), "http://abcdef,");
    EXPECT_EQ(f.screen.UrlAt({0, 45}), "https://s.org/p?q=1");
    EXPECT_FALSE(f.screen.UrlAt({0, 2}));

    Fixture off;
    off.Feed("http://x\r\n");
    EXPECT_EQ(off.AttrAt(0, 0) & attr::kUrl, 0u);
}

TEST(MudScreenView, BellsAndHeldTextReachTheView) {
    Fixture f;
    f.Feed("\a");
    f.screen.bellPath = "ding.wav";
    f.settings.visualbell = 1;
    f.Feed("\a");
    EXPECT_EQ(f.view.bells, (std::vector<std::string>{"", "ding.wav"}));
    EXPECT_EQ(f.view.visualBells, 1);

    // Held text is shown with a space on release.
    f.screen.ToggleHold();
    EXPECT_EQ(f.Feed("held\r\n"), ScreenResult::Held);
    EXPECT_TRUE(f.Lines().empty());
    EXPECT_EQ(f.Text(0), "");
    f.screen.ToggleHold();
    EXPECT_EQ(f.Lines(), (Lines{"held"}));
    EXPECT_EQ(f.Text(1), " ");
    EXPECT_EQ(f.view.holdFrames, (std::vector<bool>{true, false}));
    f.screen.ToggleHold(); // a release with nothing held adds nothing
    f.screen.ToggleHold();
    EXPECT_EQ(f.Text(1), " ");

    f.screen.ToggleHold();
    for (int k = 0; k < 3000; ++k)
        f.Feed(std::string(1000, 'z'));
    EXPECT_LE(f.screen.PendingBytes(), kMaxHeldBytes);
}

// Completed lines are found by their serial after the screen moved on: coloured through a
// resize, gagged scrolled back, as the last line and as a prompt still being written.
TEST(MudScreenCompletedLines, ColourAndRemoveKeepViewCursorAndSelectionInStep) {
    Fixture f;
    auto take = [&] {
        std::vector<TakenLine> out;
        while (auto line = f.screen.TakeLineWithAttributes())
            out.push_back(std::move(*line));
        return out;
    };
    const CellColor red = ExplicitCellColor(0x0000FF);
    const CellColor blue = ExplicitCellColor(0xFF0000);
    f.Feed("You hit the orc\r\n");
    const TakenLine hit = take().at(0);
    f.view.rows.clear();
    EXPECT_TRUE(f.screen.ColorCompletedLine(hit.serial, 4, 7, red, 0));
    EXPECT_EQ(f.view.rows, std::vector<int>{0}); // repainted, on the view's top row too
    f.Resize(10, 40);
    EXPECT_TRUE(f.screen.ColorWholeCompletedLine(hit.serial, 0, blue));
    const ScreenLine& line = f.screen.Line(0);
    EXPECT_EQ((std::vector<CellColor>{line.TextColor(3), line.TextColor(4), line.TextColor(6),
                                      line.TextColor(7), line.BackColor(0), line.BackColor(14),
                                      line.BackColor(15)}),
              (std::vector<CellColor>{0, red, red, 0, blue, blue, 0}));

    // The last line gagged: the cursor's line follows it up and new text goes there.
    f.Feed("a\r\nb\r\n");
    const std::vector<TakenLine> ab = take();
    EXPECT_TRUE(f.screen.RemoveCompletedLine(ab.at(1).serial));
    EXPECT_EQ(std::pair(f.screen.BufferLine(), f.screen.CursorRow()), std::pair(2, 2));
    // A prompt stays until its line completes, then goes with the rest of it.
    f.Feed("hp> ");
    f.screen.EndPrompt();
    EXPECT_TRUE(f.screen.RemoveCompletedLine(take().at(0).serial));
    EXPECT_EQ(f.Text(2), "hp> ");
    f.Feed("look\r\nc\r\n");
    const std::vector<TakenLine> rest = take();
    EXPECT_EQ(rest.at(0).column, 4);
    EXPECT_EQ((Lines{f.Text(1), f.Text(2), f.Text(3)}), (Lines{"a", "c", ""}));
    EXPECT_FALSE(f.screen.RemoveCompletedLine(rest.at(0).serial)); // gone already
    EXPECT_FALSE(f.screen.ColorCompletedLine(rest.at(0).serial, 0, 4, red, blue));
    // A line above a waiting prompt gagged: the prompt moves up with its line and is still
    // handed over once.
    f.Feed("above\r\nhp> ");
    const TakenLine above = take().at(0);
    f.screen.EndPrompt();
    EXPECT_EQ(take().at(0).text, "hp> ");
    EXPECT_TRUE(f.screen.RemoveCompletedLine(above.serial));
    f.Feed("go\r\n");
    EXPECT_EQ(take().at(0).text, "go");

    // Scrolled back, gags above and below keep the view and selection on their text; the
    // next line returns to a live view with the cursor row in step.
    f.Resize(24, 80);
    std::vector<TakenLine> taken;
    for (int k = 0; k < 60; ++k) {
        f.Feed("l" + std::to_string(k) + "\r\n");
        taken.push_back(take().at(0));
    }
    f.screen.PageUp(true);
    const int top = f.screen.Top();
    const std::string shown = f.Text(top);
    f.screen.BeginSelection({top + 2, 0});
    f.screen.ExtendSelection({top + 3, 1});
    EXPECT_TRUE(f.screen.RemoveCompletedLine(taken[55].serial));
    EXPECT_TRUE(f.screen.RemoveCompletedLine(taken[1].serial));
    EXPECT_EQ(f.Text(f.screen.Top()), shown);
    EXPECT_EQ(std::pair(f.screen.SelectionAnchor().line, f.screen.SelectionEnd().line),
              std::pair(f.screen.Top() + 2, f.screen.Top() + 3));
    f.Feed("next\r\n");
    EXPECT_FALSE(f.screen.ScrolledBack());
    EXPECT_EQ(f.screen.BufferLine() - f.screen.Top(), f.screen.CursorRow());
    const int last = f.screen.BufferLine() - 1;
    EXPECT_EQ((Lines{f.Text(last), f.Text(last - 1), f.Text(last - 5)}),
              (Lines{"next", "l59", "l54"}));
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
    const ScreenLine& line = buffer[0];
    EXPECT_EQ(
        (std::vector{line.TextColor(2), line.TextColor(3), line.TextColor(5), copy.TextColor(3)}),
        (std::vector<CellColor>{red, 0, red, red}));
    // Plain cells over the end of the colours, then coloured ones past them.
    copy.SetColors(4, 9, 0, 0);
    copy.SetColors(8, 9, red, 0);
    EXPECT_EQ((std::vector{copy.TextColor(3), copy.TextColor(5), copy.TextColor(8)}),
              (std::vector<CellColor>{red, 0, red}));
    buffer.Advance(attr::kNormal); // the coloured line is now the last one, blank
    EXPECT_FALSE(buffer[1].colors);
    // A line's colours keep their columns as it widens and narrows, and a line copied from
    // one of another width takes all of them.
    ScreenLine wide = copy;
    wide.Resize(kWideBufferColumns);
    wide.SetColors(250, kWideBufferColumns, red, red);
    ScreenLine other(40, attr::kNormal);
    other = wide;
    wide.Resize(40);
    wide.Resize(kWideBufferColumns);
    EXPECT_EQ((std::vector{wide.TextColor(3), wide.TextColor(250), other.TextColor(255),
                           other.BackColor(250), other.TextColor(3)}),
              (std::vector<CellColor>{red, 0, red, red, red}));
}

} // namespace
} // namespace tav
