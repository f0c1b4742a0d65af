#include "term/CellColors.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <ostream>
#include <tuple>

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
        {attr::kRed, kText, {MakeColor(210, 0, 0), false}},
        {attr::kRed | attr::kBold, kText, {MakeColor(255, 0, 0), false}},
        {attr::kGreen | attr::kBlue, kText, {MakeColor(0, 210, 210), false}},
        {attr::kRed | attr::kGreen | attr::kBold, kText, {MakeColor(255, 255, 0), false}},
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

} // namespace
} // namespace tav

namespace tav {
namespace {

// The sixteen system colours are the attribute colours of the same name (the custom table's
// entries when it is in use), bold lifts the dark ones as text only, and true colours and
// the screen's own colours pass through.
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

} // namespace
} // namespace tav
