// Colours: the attribute and explicit colour rules, and the full colour graphic rendition.
#include "term/CellColors.h"
#include "term/MudScreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <ostream>
#include <random>
#include <sstream>
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
        EXPECT_EQ(ColorsOfAttribute(attribute, textColor, table.data(), false), expected)
            << std::hex << attribute;
        EXPECT_EQ(ColorsOfAttribute(attribute, textColor, nullptr, false), expected)
            << std::hex << attribute;
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
        {SystemCellColor(1), true, false, custom, Entry(mudcolor::kRed)},
        {SystemCellColor(4), true, true, custom, Entry(mudcolor::kBlue + mudcolor::kBoldOffset)},
        {SystemCellColor(4), false, true, custom, Entry(mudcolor::kBlue)},
        {SystemCellColor(11), false, false, custom,
         Entry(mudcolor::kYellow + mudcolor::kBoldOffset)},
        {SystemCellColor(8), true, false, custom, Entry(mudcolor::kGray)},
        {SystemCellColor(7), true, false, builtIn, MakeColor(210, 210, 210)},
        {SystemCellColor(6), true, true, builtIn, MakeColor(0, 255, 255)},
        {SystemCellColor(0), false, false, builtIn, MakeColor(0, 0, 0)},
        {SystemCellColor(0), true, true, builtIn, kGrayColor},
        {kCellDefaultText, true, true, custom, Entry(mudcolor::kBoldNormal)},
        {kCellDefaultText, false, true, custom, kText},
        {kCellDefaultBack, true, false, custom, MakeColor(1, 2, 3)},
        {ExplicitCellColor(0x123456), true, true, custom, 0x123456},
    };
    for (const auto& [color, asText, bold, palette, drawn] : cases)
        EXPECT_EQ(ExplicitColor(color, asText, bold, palette), drawn)
            << std::hex << color << " text " << asText << " bold " << bold;
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

// A small model of the graphic rendition state, read straight from the parameter text.
class SgrModel {
public:
    void Apply(const std::string& params) {
        // Numbers split at ';' into groups and at ':' into sub-parameters; an empty number
        // is 0 and big ones stop at a million. At most 32 numbers are read after the empty
        // one a leading separator stands for.
        std::vector<std::vector<int>> groups;
        int read = 0;
        const bool leading = !params.empty() && (params[0] == ';' || params[0] == ':');
        std::size_t at = 0;
        bool first = true;
        while (true) {
            const std::size_t semi = std::min(params.find(';', at), params.size());
            std::vector<int> group;
            std::size_t pos = at;
            while (true) {
                const std::size_t colon = std::min(params.find(':', pos), semi);
                long long n = 0;
                for (std::size_t k = pos; k < colon; ++k)
                    n = std::min<long long>(n * 10 + (params[k] - '0'), 1'000'000);
                const bool implicit = first && leading;
                first = false;
                if (implicit || read++ < 32) group.push_back(static_cast<int>(n));
                if (colon == semi) break;
                pos = colon + 1;
            }
            if (!group.empty()) groups.push_back(group);
            if (semi == params.size()) break;
            at = semi + 1;
        }
        Run(groups);
    }

    Look Written() const {
        Attr a = attr::kNormal;
        if (bold) a |= attr::kBold;
        if (faint) a |= attr::kFaint;
        if (italic) a |= attr::kItalic;
        if (underline) a |= attr::kUnderline;
        if (blink) a |= attr::kBlink;
        if (reverse) a |= attr::kReverse;
        if (strike) a |= attr::kStrike;
        if (!reverse) return {a, fg, bg};
        return {a, bg ? bg : kCellDefaultBack, fg ? fg : kCellDefaultText};
    }

private:
    static CellColor Palette(int n) {
        if (n < 16) return SystemCellColor(n);
        static const int levels[] = {0, 95, 135, 175, 215, 255};
        if (n >= 232) return Rgb(8 + 10 * (n - 232), 8 + 10 * (n - 232), 8 + 10 * (n - 232));
        n -= 16;
        return Rgb(levels[n / 36], levels[(n / 6) % 6], levels[n % 6]);
    }
    static CellColor Rgb(int r, int g, int b) { return ExplicitCellColor(r | g << 8 | b << 16); }
    static bool Byte(int v) { return v <= 255; }

    void Run(const std::vector<std::vector<int>>& groups) {
        for (std::size_t g = 0; g < groups.size(); ++g) {
            const std::vector<int>& group = groups[g];
            const int v = group[0];
            if (v == 38 || v == 48 || v == 58) {
                CellColor* target = v == 38 ? &fg : v == 48 ? &bg : &ignored;
                std::vector<int> kind(group.begin() + 1, group.end());
                if (kind.empty()) {
                    // The ';' form: the next groups' leading numbers.
                    std::vector<int> next;
                    for (std::size_t k = g + 1; k < groups.size(); ++k)
                        next.push_back(groups[k][0]);
                    if (next.empty() || (next[0] != 5 && next[0] != 2)) return;
                    const std::size_t want = next[0] == 5 ? 2 : 4;
                    if (next.size() >= want) {
                        if (next[0] == 5 && Byte(next[1])) *target = Palette(next[1]);
                        if (next[0] == 2 && Byte(next[1]) && Byte(next[2]) && Byte(next[3]))
                            *target = Rgb(next[1], next[2], next[3]);
                    }
                    g += want;
                    continue;
                }
                if (kind[0] == 5 && kind.size() == 2 && Byte(kind[1])) *target = Palette(kind[1]);
                if (kind[0] == 2 && (kind.size() == 4 || kind.size() == 5)) {
                    const std::size_t r = kind.size() - 3;
                    if (Byte(kind[r]) && Byte(kind[r + 1]) && Byte(kind[r + 2]))
                        *target = Rgb(kind[r], kind[r + 1], kind[r + 2]);
                }
                continue;
            }
            if (v == 0) *this = SgrModel{};
            if (v == 1) bold = true;
            if (v == 2) faint = true;
            if (v == 22) bold = faint = false;
            if (v == 3 || v == 23) italic = v == 3;
            if (v == 4) underline = group.size() == 1 || group[1] != 0;
            if (v == 24) underline = false;
            if (v == 5 || v == 6 || v == 25) blink = v != 25;
            if (v == 7 || v == 27) reverse = v == 7;
            if (v == 9 || v == 29) strike = v == 9;
            if (v >= 30 && v <= 37) fg = SystemCellColor(v - 30);
            if (v >= 90 && v <= 97) fg = SystemCellColor(v - 82);
            if (v >= 40 && v <= 47) bg = SystemCellColor(v - 40);
            if (v >= 100 && v <= 107) bg = SystemCellColor(v - 92);
            if (v == 39) fg = 0;
            if (v == 49) bg = 0;
        }
    }

    bool bold = false, faint = false, italic = false, underline = false, blink = false,
         reverse = false, strike = false;
    CellColor fg = 0, bg = 0, ignored = 0;
};

// Pieces of parameter lists, well-formed and not ('_' is the empty one).
std::vector<std::string> Pieces() {
    std::istringstream words(
        "0 1 2 3 4 5 7 9 22 23 24 25 27 29 31 36 30 39 42 47 49 91 97 103 107 38;5;196 48;5;21 "
        "38;5;7 38;5;250 48;2;10;20;30 38;2;255;0;128 38:5:33 48:5:9 38:2::1:2:3 38:2:4:5:6 "
        "48:2:0:7:8:9 58;5;3 58:2::1:1:1 38 48;5 38;2;1;2 38;7;1 48:5 38:2:1:2 4:0 4:3 _ 300 "
        "38;5;256 38;2;999;0;0 99999999 38;5;1000000 6 21 1:2");
    std::vector<std::string> pieces;
    for (std::string word; words >> word;)
        pieces.push_back(word == "_" ? "" : word);
    return pieces;
}

struct Stream {
    std::string bytes;
    std::vector<Look> cells; // what the model says each written character looks like
};

Stream RandomStream(std::mt19937& random) {
    static const std::vector<std::string> kinds = Pieces();
    SgrModel model;
    Stream stream;
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const int sequences = 1 + pick(8);
    for (int s = 0; s < sequences; ++s) {
        std::string params;
        const int pieces = pick(8) == 0 ? 14 : 1 + pick(4); // sometimes past 32 values
        if (pick(6) == 0) params += pick(2) ? ";" : ":";
        for (int p = 0; p < pieces; ++p) {
            if (p > 0) params += pick(5) == 0 ? ":" : ";";
            params += kinds[static_cast<std::size_t>(pick(static_cast<int>(kinds.size())))];
        }
        model.Apply(params);
        stream.bytes += "\x1b[" + params + "m";
        const int letters = 1 + pick(3);
        for (int k = 0; k < letters; ++k) {
            stream.bytes += static_cast<char>('a' + pick(26));
            stream.cells.push_back(model.Written());
        }
    }
    if (pick(3) == 0) stream.bytes += "\x1b[38;2;1"; // cut short: waits, changes nothing
    return stream;
}

std::vector<Look> Written(const TMudScreen& screen, std::size_t count) {
    std::vector<Look> cells;
    const ScreenLine& line = screen.Line(0);
    for (std::size_t k = 0; k < count; ++k) {
        const int col = static_cast<int>(k);
        cells.push_back({line.attr[col], line.TextColor(col), line.BackColor(col)});
    }
    return cells;
}

// In full colour every cell agrees with the model however the bytes are cut; in basic
// colour they leave no explicit colour and no full-colour style.
TEST(FullColour, GraphicRenditionMatchesAModelOfItsState) {
    std::mt19937 random(20261207);
    Settings settings{};
    for (int round = 0; round < 60; ++round) {
        const Stream stream = RandomStream(random);
        ASSERT_LE(stream.cells.size(), 78u);
        for (std::size_t cut = 0; cut <= stream.bytes.size(); ++cut) {
            TMudScreen screen(settings);
            screen.SetColourMode(ColourMode::Full);
            screen.AddText(std::string_view(stream.bytes).substr(0, cut));
            screen.AddText(std::string_view(stream.bytes).substr(cut));
            ASSERT_EQ(Written(screen, stream.cells.size()), stream.cells)
                << "bytes " << stream.bytes.substr(1) << " cut at " << cut;
            ASSERT_EQ(screen.Line(0).ch[stream.cells.size()], 0);
        }
        TMudScreen basic(settings);
        basic.AddText(stream.bytes);
        EXPECT_FALSE(basic.Line(0).colors);
        for (Attr a : basic.Line(0).attr)
            EXPECT_EQ(a & (attr::kItalic | attr::kStrike | attr::kFaint), 0u);
    }
}

// A full-colour erase fills with the background, taken lines keep their colours, and basic
// colour starts from plain text.
TEST(FullColour, ErasesFillWithTheBackgroundAndTakenLinesKeepTheirColours) {
    Settings settings{};
    TMudScreen screen(settings);
    screen.SetColourMode(ColourMode::Full);
    screen.keepLineAttributes = true;
    screen.AddText("\x1b[44m\x1b[K\x1b[31mab\x1b[0mc\r\n");
    const ScreenLine& line = screen.Line(0);
    EXPECT_EQ(line.BackColor(0), SystemCellColor(4));
    EXPECT_EQ(line.BackColor(131), SystemCellColor(4));
    EXPECT_EQ(line.BackColor(2), 0u); // written after the reset
    const auto taken = screen.TakeLineWithAttributes();
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->text, "abc");
    EXPECT_EQ(taken->textColors,
              (std::vector<CellColor>{SystemCellColor(1), SystemCellColor(1), 0}));
    EXPECT_EQ(taken->backColors,
              (std::vector<CellColor>{SystemCellColor(4), SystemCellColor(4), 0}));

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
    EXPECT_EQ(mixed->textColors,
              (std::vector<CellColor>{0, 0, SystemCellColor(2), SystemCellColor(2)}));
}

} // namespace
} // namespace tav
