// Colours: the attribute and explicit colour rules, and the full colour graphic rendition.
#include "screen/CellColors.h"
#include "screen/MudScreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace tav {

void PrintTo(const CellColors& c, std::ostream* os) {
    char text[32];
    std::snprintf(text, sizeof text, "{%06X%s}", c.text, c.underline ? " underlined" : "");
    *os << text;
}

namespace {

constexpr ColorRef kText = MakeColor(210, 210, 210);
const Settings kSettings{};
const auto S = SystemCellColor;

// Entry i of a table whose entries name themselves.
constexpr ColorRef Entry(int i) {
    return static_cast<ColorRef>(0x100 * i + 1);
}
std::array<ColorRef, kMudColorCount> NumberedTable() {
    std::array<ColorRef, kMudColorCount> table{};
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = Entry(static_cast<int>(i));
    return table;
}

TEST(CellColors, BuiltInColoursThenTheCustomTable) {
    const std::tuple<Attr, ColorRef, CellColors> cases[] = {
        {attr::kNormal, kText, {kText, false}},
        {0xE1, kText, {kText, false}}, // 37 after a reset keeps the normal bit
        {attr::kNormal | attr::kBold, kText, {MakeColor(255, 255, 255), false}},
        // The bold lift is added to the whole colour value: 0xF0 + 45 carries into green.
        {attr::kNormal | attr::kBold, MakeColor(0xF0, 0x10, 0x20), {0x4D3E1D, false}},
        // Carry out of blue is lost.
        {attr::kNormal | attr::kBold, MakeColor(0, 0, 0xF0), {MakeColor(45, 45, 0x1D), false}},
        {attr::kGray, kText, {kGrayColor, false}},
        {attr::kGray | attr::kBold, kText, {kGrayColor, false}},
        {attr::kBlue | attr::kUnderline | attr::kBlink, kText, {MakeColor(0, 0, 210), false}},
        {attr::kRed | attr::kSelected, kText, {MakeColor(210, 0, 0), false}},
        {attr::kRed | attr::kUrl, kText, {kUrlColor, true}},
        {attr::kNormal | attr::kBold | attr::kUrl, MakeColor(1, 2, 3), {kUrlColor, true}},
    };
    const auto table = NumberedTable();
    for (const auto& [attribute, textColor, expected] : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << attribute);
        EXPECT_EQ(ColorsOfAttribute(attribute, textColor, table.data(), false), expected);
        EXPECT_EQ(ColorsOfAttribute(attribute, textColor, nullptr, false), expected);
    }

    // Attribute (colour bits 0x20..0xE0, bold 0x02, gray 0x100, normal 0x01) and the table
    // entry it takes, with the text colour kText; 0xE1 (37 after a reset) is white.
    const std::pair<Attr, int> entries[] = {
        {0x020, 0},  {0x040, 1},  {0x080, 2},  {0x060, 3},  {0x0A0, 4},  {0x0C0, 5},
        {0x0E1, 6},  {0x022, 7},  {0x042, 8},  {0x082, 9},  {0x062, 10}, {0x0A2, 11},
        {0x0C2, 12}, {0x0E2, 13}, {0x100, 14}, {0x122, 14}, {0x003, 15},
    };
    for (const auto& [attribute, entry] : entries)
        EXPECT_EQ(ColorsOfAttribute(attribute, kText, table.data(), true),
                  (CellColors{Entry(entry), false}))
            << std::hex << attribute;
    EXPECT_EQ(ColorsOfAttribute(attr::kNormal, MakeColor(1, 2, 3), table.data(), true),
              (CellColors{MakeColor(1, 2, 3), false}));
    EXPECT_EQ(ColorsOfAttribute(attr::kGray | attr::kUrl, kText, table.data(), true),
              (CellColors{kUrlColor, true}));
}

// System colours are the attribute colours (or custom entries) of their name, bold lifts
// dark ones as text only, and true and screen colours pass through.
TEST(CellColors, ExplicitColoursFollowTheTableAndBold) {
    ScreenPalette custom;
    custom.mudColors = NumberedTable();
    custom.customColors = true;
    custom.text = kText;
    custom.background = MakeColor(1, 2, 3);
    const ScreenPalette builtIn{kText, MakeColor(1, 2, 3)};
    const std::tuple<CellColor, bool, bool, const ScreenPalette&, ColorRef> cases[] = {
        // colour, as text, bold, palette, drawn
        {S(1), true, false, custom, Entry(mudcolor::kRed)},
        {S(4), true, true, custom, Entry(mudcolor::kBlue + mudcolor::kBoldOffset)},
        {S(4), false, true, custom, Entry(mudcolor::kBlue)},
        {S(11), false, false, custom, Entry(mudcolor::kYellow + mudcolor::kBoldOffset)},
        {S(8), true, false, custom, Entry(mudcolor::kGray)},
        {S(7), true, false, builtIn, MakeColor(210, 210, 210)},
        {S(6), true, true, builtIn, MakeColor(0, 255, 255)},
        {S(0), false, false, builtIn, MakeColor(0, 0, 0)},
        {S(0), true, true, builtIn, kGrayColor},
        {kCellDefaultText, true, true, custom, Entry(mudcolor::kBoldNormal)},
        {kCellDefaultText, false, true, custom, kText},
        {kCellDefaultBack, true, false, custom, MakeColor(1, 2, 3)},
        {ExplicitCellColor(0x123456), true, true, custom, 0x123456},
    };
    for (const auto& [color, asText, bold, palette, drawn] : cases)
        EXPECT_EQ(ExplicitColor(color, asText, bold, palette), drawn)
            << std::hex << color << " text " << asText << " bold " << bold;
    // A link keeps its own colour over the text's.
    EXPECT_EQ(LookOfCell(attr::kNormal | attr::kUrl, ExplicitCellColor(0x123456), 0, builtIn).text,
              kUrlColor);
}

// What one written cell looks like.
struct Look {
    Attr attr;
    CellColor text;
    CellColor back;
    friend bool operator==(const Look&, const Look&) = default;
};

std::ostream& operator<<(std::ostream& out, const Look& look) {
    return out << std::hex << "attr " << look.attr << " text " << look.text << " back "
               << look.back;
}

Look LookAt(const TMudScreen& screen, int col) {
    const ScreenLine& line = screen.Line(0);
    return {line.attr[col], line.TextColor(col), line.BackColor(col)};
}

// In full colour each rendition list gives the last 'x' its look however the bytes are
// cut: the 8 and 16 colour ranges, both forms of the 256 and true colour kinds, extended
// colours cut short or out of range, sub-parameters, the styles and their ends, and the
// 32 values a list keeps after the empty one a leading separator stands for. In basic
// colour the same bytes leave no explicit colour and no full-colour style.
TEST(FullColour, GraphicRenditionListsGiveTheirLookWhereverTheBytesAreCut) {
    constexpr Attr n = attr::kNormal;
    constexpr Attr bold = n | attr::kBold;
    const auto X = ExplicitCellColor;
    const std::string zeros31 = "0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;";
    const std::pair<std::string, Look> cases[] = {
        {"\x1b[1;31mx", {bold, S(1), 0}},
        {"\x1b[30mx", {n, S(0), 0}},
        {"\x1b[37mx", {n, S(7), 0}},
        {"\x1b[31m\x1b[38mx", {n, S(1), 0}}, // no kind: nothing changes
        {"\x1b[90mx", {n, S(8), 0}},
        {"\x1b[97mx", {n, S(15), 0}},
        {"\x1b[40mx", {n, 0, S(0)}},
        {"\x1b[47mx", {n, 0, S(7)}},
        {"\x1b[100mx", {n, 0, S(8)}},
        {"\x1b[107mx", {n, 0, S(15)}},
        {"\x1b[31;41;98;108mx", {n, S(1), S(1)}}, // just past the bright ranges: nothing
        {"\x1b[31;42m\x1b[39;49mx", {n, 0, 0}},
        {"\x1b[38;5;196mx", {n, X(0x0000FF), 0}},
        {"\x1b[48;5;21mx", {n, 0, X(0xFF0000)}},
        {"\x1b[38;5;7mx", {n, S(7), 0}},
        {"\x1b[38;5;250mx", {n, X(0xBCBCBC), 0}},
        {"\x1b[38;5;231mx", {n, X(0xFFFFFF), 0}},
        {"\x1b[38;2;255;0;128mx", {n, X(0x8000FF), 0}},
        {"\x1b[48:2::1:2:3mx", {n, 0, X(0x030201)}},
        {"\x1b[38:2:4:5:6mx", {n, X(0x060504), 0}},
        {"\x1b[32m\x1b[38:2::300:1:2m\x1b[38:2::1:2:300mx", {n, S(2), 0}}, // out of range
        {"\x1b[38:5:33mx", {n, X(0xFF8700), 0}},
        {"\x1b[31;38;5;256mx", {n, S(1), 0}},
        {"\x1b[38;2;999;0;0;1mx", {bold, 0, 0}}, // the colour's values are skipped all the same
        {"\x1b[38;7;1;4mx", {n, 0, 0}},          // an unknown kind ends the list
        {"\x1b[32m\x1b[48;5mx", {n, S(2), 0}},
        // Values a colour lacks are not taken from a longer sequence before it.
        {"\x1b[38;5;9;1m\x1b[0m\x1b[48;5mx", {n, 0, 0}},
        {"\x1b[38;2;1;2;3;1m\x1b[0m\x1b[38;2;1;2mx", {n, 0, 0}},
        {"\x1b[32m\x1b[38:2:1:2mx", {n, S(2), 0}},
        {"\x1b[38;5;1000000mx", {n, 0, 0}},
        {"\x1b[99999999;31mx", {n, S(1), 0}},
        // Values of many lengths, leading zeros and all.
        {"\x1b[38;2;0000255;007;0000000000009mx", {n, X(0x0907FF), 0}},
        {"\x1b[32;38;2;1;0000256;1mx", {n, S(2), 0}},
        {"\x1b[00000001;0000000000001;31mx", {bold, S(1), 0}},
        {"\x1b[4m\x1b[4:0mx", {n, 0, 0}},
        {"\x1b[4:3mx", {n | attr::kUnderline, 0, 0}},
        {"\x1b[1:2;31mx", {bold, S(1), 0}},
        {"\x1b[58;5;3;1mx", {bold, 0, 0}},
        {"\x1b[58:2::1:1:1;3mx", {n | attr::kItalic, 0, 0}},
        {"\x1b[1;2;3;4;5;7;9mx",
         {n | attr::kBold | attr::kFaint | attr::kItalic | attr::kUnderline | attr::kBlink |
              attr::kReverse | attr::kStrike,
          kCellDefaultBack, kCellDefaultText}},
        {"\x1b[7;31;42mx", {n | attr::kReverse, S(2), S(1)}},
        {"\x1b[1;2;22mx", {n, 0, 0}},
        {"\x1b[3;23;9;29;5;25;7;27;4;24mx", {n, 0, 0}},
        {"\x1b[6mx", {n | attr::kBlink, 0, 0}},
        {"\x1b[1;31;0mx", {n, 0, 0}},
        {"\x1b[21mx", {n, 0, 0}},
        {"\x1b[31mx\x1b[38;2;1", {n, S(1), 0}}, // cut short: waits, changes nothing
        {"\x1b[" + zeros31 + "31mx", {n, S(1), 0}},
        {"\x1b[" + zeros31 + "0;31mx", {n, 0, 0}},
        {"\x1b[;" + zeros31 + "31mx", {n, S(1), 0}},
    };
    for (const auto& [bytes, look] : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        const int letters = static_cast<int>(std::count(bytes.begin(), bytes.end(), 'x'));
        TMudScreen whole(kSettings);
        whole.SetColourMode(ColourMode::Full);
        whole.AddText(bytes);
        ASSERT_EQ(whole.BufferCol(), letters);
        EXPECT_EQ(LookAt(whole, letters - 1), look);
        for (std::size_t cut = 1; cut < bytes.size(); ++cut) {
            TMudScreen screen(kSettings);
            screen.SetColourMode(ColourMode::Full);
            screen.AddText(std::string_view(bytes).substr(0, cut));
            screen.AddText(std::string_view(bytes).substr(cut));
            ASSERT_EQ(screen.BufferCol(), letters) << "cut at " << cut;
            for (int col = 0; col < letters; ++col)
                ASSERT_EQ(LookAt(screen, col), LookAt(whole, col)) << "cut at " << cut;
        }
        TMudScreen basic(kSettings);
        basic.AddText(bytes);
        EXPECT_FALSE(basic.Line(0).colors);
        for (Attr a : basic.Line(0).Attrs())
            EXPECT_EQ(a & (attr::kItalic | attr::kStrike | attr::kFaint), 0u);
    }
}

// Words fed whole are written sixteen cells at a time where the line's text ends; fed a
// byte at a time, one by one. Both leave the same cells, attributes, colours and lines: past
// a word the cells keep the attribute their line was opened with, and a word that is not
// at the text's end (after a CR, a cursor move, an erase, near the edge) overwrites only
// itself, on a screen as wide as its buffer too. (A screen follows the text of the lines it
// opens, not of its first one.)
TEST(MudScreenText, WordsFedWholeOrByteByByteLeaveTheSameCells) {
    const std::string streams[] = {
        "\x1b[1m\r\n\x1b[0mplain words on a line opened bold\r\n",
        "\x1b[44m\x1b[K\x1b[31mred \x1b[32mgreen\x1b[0m plain\r\n\x1b[33mnext line\r\n",
        "\r\na long line of text written first\r\x1b[31mover\x1b[0m it\x1b[5D\x1b[35mback\r\n",
        "\r\n" + std::string(70, '.') + "\x1b[36mwrapping \x1b[1mwords over the edge\r\n",
        "\r\n" + std::string(116, '.') + "\x1b[31mab\r\n" + std::string(117, '.') +
            "\x1b[32mab\r\nand a line after them\r\n",
        "\r\ncaf\xC3\xA9 \x1b[31mand then \x1b[32msome words\r\n\xE4\xB8\xAD after a wide one\r\n",
    };
    for (const auto& [mode, columns] : {std::pair(ColourMode::Basic, 80),
                                        {ColourMode::Full, 80},
                                        {ColourMode::Full, kBufferColumns}}) {
        for (const std::string& bytes : streams) {
            SCOPED_TRACE(testing::PrintToString(bytes) + " " + std::to_string(columns));
            TMudScreen whole(kSettings), pieces(kSettings);
            for (TMudScreen* screen : {&whole, &pieces}) {
                screen->SetSize(24, columns);
                screen->SetEncoding(TextEncoding::Utf8);
                screen->SetColourMode(mode);
                screen->keepLineAttributes = true;
                screen->appendcr = false; // a CR goes back to the line's start
            }
            whole.AddText(bytes);
            for (const char b : bytes)
                pieces.AddText(std::string_view(&b, 1));
            for (int n = 0; n < whole.Lines(); ++n) {
                const ScreenLine& a = whole.Line(n);
                const ScreenLine& b = pieces.Line(n);
                for (int col = 0; col < a.width; ++col)
                    ASSERT_TRUE(a.ch[col] == b.ch[col] && a.attr[col] == b.attr[col] &&
                                a.TextColor(col) == b.TextColor(col) &&
                                a.BackColor(col) == b.BackColor(col))
                        << "line " << n << " column " << col;
            }
            while (auto line = whole.TakeLineWithAttributes()) {
                const auto other = pieces.TakeLineWithAttributes();
                ASSERT_TRUE(other);
                EXPECT_EQ(
                    std::tie(line->text, line->attrs, line->textColors, line->byteColumns),
                    std::tie(other->text, other->attrs, other->textColors, other->byteColumns));
            }
        }
    }
}

// A full-colour erase fills with the background, taken lines keep their colours, and basic
// colour starts from plain text.
TEST(FullColour, ErasesFillWithTheBackgroundAndTakenLinesKeepTheirColours) {
    TMudScreen screen(kSettings);
    screen.SetColourMode(ColourMode::Full);
    screen.keepLineAttributes = true;
    screen.AddText("\x1b[44m\x1b[K\x1b[31mab\x1b[0mc\r\n");
    const ScreenLine& line = screen.Line(0);
    // Cell 2 is written after the reset.
    EXPECT_EQ((std::vector{line.BackColor(0), line.BackColor(131), line.BackColor(2)}),
              (std::vector<CellColor>{S(4), S(4), 0}));
    const auto taken = screen.TakeLineWithAttributes();
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->text, "abc");
    EXPECT_EQ(taken->textColors, (std::vector<CellColor>{S(1), S(1), 0}));
    EXPECT_EQ(taken->backColors, (std::vector<CellColor>{S(4), S(4), 0}));

    screen.AddText("\x1b[41;3m");
    screen.SetColourMode(ColourMode::Basic);
    screen.AddText("\x1b[Kx");
    EXPECT_FALSE(screen.Line(1).colors);
    EXPECT_EQ(screen.Line(1).attr[0], attr::kNormal);

    // A wide character's two cells give one byte: the colours still follow the bytes.
    screen.SetColourMode(ColourMode::Full);
    screen.SetEncoding(TextEncoding::Utf8);
    screen.AddText("\x1b[0m\xE4\xB8\xAD");
    screen.SetEncoding(TextEncoding::Latin1);
    screen.AddText("\x1b[32mok\r\n");
    const auto mixed = screen.TakeLineWithAttributes();
    ASSERT_TRUE(mixed);
    EXPECT_EQ(mixed->text, "x?ok"); // a character beyond Latin-1 is '?' there
    EXPECT_EQ(mixed->textColors, (std::vector<CellColor>{0, 0, S(2), S(2)}));
}

// A line a trigger coloured, completed once more as it stands and then written again from
// its start: its taken colours are the highlights', then the new text's where it wrote.
TEST(LineColours, ALineCompletedAgainKeepsItsHighlightsInTakenColours) {
    TMudScreen screen(kSettings);
    screen.SetColourMode(ColourMode::Full);
    screen.keepLineAttributes = true;
    screen.AddText("one two three\r\n");
    const auto first = screen.TakeLineWithAttributes();
    ASSERT_TRUE(first);
    const CellColor red = ExplicitCellColor(0x0000FF);
    ASSERT_TRUE(screen.ColorCompletedLine(first->serial, 4, 7, red, S(4)));
    ASSERT_TRUE(screen.ColorCompletedLine(first->serial, 8, 13, red, 0));
    // Completed again as it stands, then written over.
    screen.AddText("\x1b[1A\r\n");
    const auto same = screen.TakeLineWithAttributes();
    ASSERT_TRUE(same);
    EXPECT_EQ(same->textColors,
              (std::vector<CellColor>{0, 0, 0, 0, red, red, red, 0, red, red, red, red, red}));
    screen.AddText("\x1b[1A\r\x1b[32mONE \x1b[0mT\r\n");
    const auto again = screen.TakeLineWithAttributes();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->text, "ONE Two three");
    const std::vector<CellColor> text = {S(2), S(2), S(2), S(2), 0,   red, red,
                                         0,    red,  red,  red,  red, red};
    const std::vector<CellColor> back = {0, 0, 0, 0, 0, S(4), S(4), 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(again->textColors, text);
    EXPECT_EQ(again->backColors, back);
}

} // namespace
} // namespace tav
