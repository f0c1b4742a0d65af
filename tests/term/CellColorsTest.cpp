#include "term/CellColors.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <ostream>

namespace tav {

void PrintTo(const CellColors& c, std::ostream* os) {
    char text[32];
    std::snprintf(text, sizeof text, "{%06X%s}", c.text, c.underline ? " underlined" : "");
    *os << text;
}

namespace {

constexpr ColorRef kText = MakeColor(210, 210, 210);

// A table whose entry i is 0x00000i01, so a result names the entry it came from.
std::array<ColorRef, kMudColorCount> NumberedTable() {
    std::array<ColorRef, kMudColorCount> table{};
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<ColorRef>(0x100 * i + 1);
    return table;
}
constexpr ColorRef Entry(int i) {
    return static_cast<ColorRef>(0x100 * i + 1);
}

struct Case {
    Attr attribute;
    ColorRef textColor;
    CellColors expected;
};

TEST(CellColors, BuiltInColours) {
    const Case cases[] = {
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
    for (const Case& c : cases) {
        EXPECT_EQ(ColorsOfAttribute(c.attribute, c.textColor, table.data(), false), c.expected)
            << std::hex << c.attribute;
        EXPECT_EQ(ColorsOfAttribute(c.attribute, c.textColor, nullptr, false), c.expected)
            << std::hex << c.attribute;
    }
}

TEST(CellColors, CustomTable) {
    constexpr Attr kBold = attr::kBold;
    const Case cases[] = {
        {attr::kGray, kText, {Entry(14), false}},
        {attr::kGray | kBold | attr::kRed, kText, {Entry(14), false}},
        {0xE1, kText, {Entry(6), false}}, // white, not the text colour
        {0xE0 | kBold, kText, {Entry(13), false}},
        {0xC0, kText, {Entry(5), false}},
        {0xC0 | kBold, kText, {Entry(12), false}},
        {0x60, kText, {Entry(3), false}},
        {0x60 | kBold, kText, {Entry(10), false}},
        {0xA0, kText, {Entry(4), false}},
        {0xA0 | kBold, kText, {Entry(11), false}},
        {0x20, kText, {Entry(0), false}},
        {0x20 | kBold, kText, {Entry(7), false}},
        {0x40, kText, {Entry(1), false}},
        {0x40 | kBold, kText, {Entry(8), false}},
        {0x80, kText, {Entry(2), false}},
        {0x80 | kBold, kText, {Entry(9), false}},
        {attr::kNormal, MakeColor(1, 2, 3), {MakeColor(1, 2, 3), false}},
        {attr::kNormal | kBold, kText, {Entry(15), false}},
        {attr::kGray | attr::kUrl, kText, {kUrlColor, true}},
    };
    const auto table = NumberedTable();
    for (const Case& c : cases)
        EXPECT_EQ(ColorsOfAttribute(c.attribute, c.textColor, table.data(), true), c.expected)
            << std::hex << c.attribute;
}

} // namespace
} // namespace tav
