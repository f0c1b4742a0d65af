// Where the terminal window's parts go and what its gauges, bars and map show.
#include "windows/TermLayout.h"
#include "windows/GaugeReading.h"
#include "windows/MapPalette.h"
#include "windows/StatusBars.h"
#include "windows/TextListLayout.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <tuple>

namespace tav {

void PrintTo(const Rect& r, std::ostream* os) {
    *os << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}

std::ostream& operator<<(std::ostream& out, const GaugeReading& r) {
    static const char* const bands[] = {"red", "yellow", "green"};
    return out << r.percent << "% " << bands[static_cast<int>(r.band)];
}

namespace {

constexpr int kW = 800;
constexpr int kH = 600;

TermLayoutInput Input(bool multiscreen, bool enhancedterm, bool connected) {
    TermLayoutInput in;
    in.width = kW;
    in.height = kH;
    in.inputFontHeight = 15; // an input line 19 pixels high
    in.timeTextHeight = 16;
    in.mlSendWidth = 50;
    in.clientConnected = connected;
    in.multiscreen = multiscreen;
    in.enhancedterm = enhancedterm;
    in.screenLineHeight = 15;
    in.dividers = InitialDividers({0, 0, kW, kH}, in.timeTextHeight);
    return in;
}

// The places of an 800x600 window: the plain window pixel for pixel, and the panes.
TEST(TermLayout, PlainWindowAndPanes) {
    const TermLayoutResult plain = LayoutTerm(Input(false, false, false));
    EXPECT_FALSE(plain.showPanes || plain.showMapAndStatus || plain.showTimeAndDate ||
                 plain.showSplitView);
    EXPECT_EQ(plain.mainScreen, (Rect{6, 12, 794, 571}));
    EXPECT_EQ(plain.input, (Rect{6, 577, 748, 596}));
    EXPECT_EQ(plain.mlSend, (Rect{749, 578, 799, 597}));

    // Disconnected: the time line is hidden and the panes start 12 pixels down; below
    // them the main screen. The dividers lie in the gaps between.
    for (bool connected : {false, true}) {
        SCOPED_TRACE(connected);
        const TermLayoutResult r = LayoutTerm(Input(true, false, connected));
        ASSERT_TRUE(r.showPanes);
        EXPECT_EQ(r.descPane, (Rect{6, connected ? 28 : 12, 476, 296}));
        EXPECT_EQ(r.exitPane, (Rect{484, r.descPane.top, 794, 144}));
        EXPECT_EQ(r.listPane, (Rect{484, 152, 794, 296}));
        EXPECT_EQ(r.mainScreen, (Rect{6, 304, 794, 571}));
        EXPECT_EQ(r.showTimeAndDate, connected);
        if (connected) {
            EXPECT_EQ(r.dateText, (Rect{402, 2, 800, 18}));
        }
    }
}

Rect Adjusted(Rect r, int left, int top, int right, int bottom) {
    return {r.left + left, r.top + top, r.right + right, r.bottom + bottom};
}

TEST(TermLayout, DraggedDividersCarryThePanesAndTheMainScreen) {
    TermLayoutInput in = Input(true, true, false);
    const TermLayoutResult before = LayoutTerm(in);
    in.dividers.hdiv = MoveDivider(in.dividers.hdiv, true, 50);
    in.dividers.vdiv = MoveDivider(in.dividers.vdiv, false, -30);
    const TermLayoutResult after = LayoutTerm(in);
    EXPECT_EQ(after.descPane, Adjusted(before.descPane, 0, 0, -30, 50));
    EXPECT_EQ(after.listPane, Adjusted(before.listPane, -30, 0, 0, 50));
    EXPECT_EQ(after.exitPane, Adjusted(before.exitPane, -30, 0, 0, 0)); // the second divider
    EXPECT_EQ(after.dividers.h2div.left, before.dividers.h2div.left - 30);
    EXPECT_EQ(after.mainScreen, Adjusted(before.mainScreen, 0, 50, 0, 0));
    EXPECT_EQ(after.map.top, before.map.top + 50);
    // No limit: a divider dropped above the area still lays out.
    in.dividers.hdiv = MoveDivider(in.dividers.hdiv, true, -1000);
    EXPECT_EQ(LayoutTerm(in).mainScreen.top, in.dividers.hdiv.bottom);
}

TEST(TermLayout, MapAndStatusTakeTheRightColumn) {
    const std::tuple<int, Rect, Rect, Rect> cases[] = {
        // Tall enough: the map is square.
        {kH, {706, 12, 794, 100}, {706, 108, 794, 154}, {6, 12, 698, 571}},
        // Area only 50 pixels high: the map is cut at the area bottom.
        {91, {706, 12, 794, 62}, {706, 70, 794, 116}, {6, 12, 698, 62}},
    };
    for (const auto& [height, map, status, main] : cases) {
        TermLayoutInput in = Input(false, true, false);
        in.height = height;
        const TermLayoutResult r = LayoutTerm(in);
        ASSERT_TRUE(r.showMapAndStatus) << height;
        EXPECT_EQ(std::tuple(r.map, r.status, r.mainScreen), std::tuple(map, status, main))
            << height;
    }
}

TEST(TermLayout, SplitViewKeepsSevenLinesOfTheMainScreen) {
    TermLayoutInput in = Input(false, false, false);
    in.splitView = true;
    const TermLayoutResult r = LayoutTerm(in);
    ASSERT_TRUE(r.showSplitView);
    EXPECT_EQ(r.splitView, (Rect{6, 12, 794, 463}));
    EXPECT_EQ(r.mainScreen, (Rect{6, 466, 794, 571}));
    // A screen shorter than seven lines leaves the split view empty, never inverted.
    const SplitRects tiny = SplitScreen({0, 10, 100, 50}, 15);
    EXPECT_EQ(tiny.split, (Rect{0, 10, 100, 10}));
    EXPECT_EQ(tiny.main, (Rect{0, 13, 100, 50}));
}

TEST(StatusBars, ColourAndLengthFollowThePercentage) {
    // The value of a maximum, and the bar's colour and length.
    const std::tuple<int, int, ColorRef, int> cases[] = {
        {7, 50, kStatusRed, 8},
        {15, 100, kStatusYellow, 8}, // yellow from 15%
        {10, 50, kStatusYellow, 11},
        {20, 50, kStatusGreen, 23},
        {50, 50, kStatusGreen, 58},
        {0, 50, kStatusRed, 0},
        {100, 50, kStatusGreen, 116},
        {-10, 50, kStatusRed, -11}, // a negative value draws nothing
        {2'000'000'000, 1, kStatusGreen, kMaxStatusBarLength},
    };
    for (const auto& [value, maximum, color, length] : cases) {
        const StatusBar bar = ComputeStatusBar("Hit", 4, value, maximum);
        EXPECT_EQ(std::tuple(bar.shown, bar.color, bar.length), std::tuple(true, color, length))
            << value << " of " << maximum;
    }
    const auto rows = ComputeStatusBars(1, 0, 1, -5, 3, 6);
    EXPECT_EQ(std::tuple(rows[0].shown, rows[1].shown, rows[2].shown),
              std::tuple(false, false, true));
    EXPECT_EQ(std::pair(rows[1].label, rows[2].top), std::pair(std::string_view("Mana"), 32));
}

TEST(GaugeReading, PerCentTruncatedHeldAndBanded) {
    const std::tuple<int, int, GaugeReading> cases[] = {
        {14, 100, {14, GaugeBand::Red}},
        {15, 100, {15, GaugeBand::Yellow}},
        {39, 100, {39, GaugeBand::Yellow}},
        {40, 100, {40, GaugeBand::Green}},
        {1, 3, {33, GaugeBand::Yellow}},
        {29, 100, {29, GaugeBand::Yellow}}, // single-precision steps would give 28
        {0, 0, {0, GaugeBand::Red}},
        {50, 0, {0, GaugeBand::Red}},
        {50, -10, {0, GaugeBand::Red}},
        {-5, 100, {0, GaugeBand::Red}},
        {250, 100, {100, GaugeBand::Green}},
        {INT_MAX, 1, {100, GaugeBand::Green}},
        {INT_MIN, 1, {0, GaugeBand::Red}},
        {INT_MAX - 1, INT_MAX, {99, GaugeBand::Green}},
    };
    for (const auto& [value, maximum, shown] : cases)
        EXPECT_EQ(ReadGauge(value, maximum), shown) << value << " of " << maximum;
}

TEST(MapPalette, FirstKnownBitDecidesTheColour) {
    const std::pair<std::int32_t, std::optional<ColorRef>> cases[] = {
        {0, std::nullopt},
        {0x1, MakeColor(255, 255, 255)},
        {0x2, MakeColor(0, 0, 100)},
        {0x1010, MakeColor(128, 128, 128)}, // 0x1000 is tested before 0x10
        {0x10, MakeColor(255, 255, 0)},
        {0x200, std::nullopt},
        {static_cast<std::int32_t>(0x80000004u), MakeColor(0, 0, 255)},
    };
    for (const auto& [flags, color] : cases)
        EXPECT_EQ(MapCellColor(flags), color) << flags;
}

TEST(MapPalette, ZoomShowsTheMiddleCellsLarger) {
    EXPECT_EQ(ToggleZoom(kMapFullView), kMapZoomedView);
    EXPECT_EQ(ToggleZoom(ToggleZoom(kMapFullView)), kMapFullView);
    struct Case {
        MapZoom zoom;
        int i, j;
        bool shown;
        int x, y, side;
    };
    const Case cases[] = {
        {kMapFullView, 0, 0, true, 0, 0, 4},       {kMapFullView, 21, 21, true, 84, 84, 4},
        {kMapZoomedView, 6, 6, true, 0, 0, 8},     {kMapZoomedView, 15, 10, true, 72, 32, 8},
        {kMapZoomedView, 5, 10, false, 0, 0, 0},   {kMapZoomedView, 10, 16, false, 0, 0, 0},
        {kMapZoomedView, 10, 5, false, 0, 0, 0},   {kMapZoomedView, 16, 10, false, 0, 0, 0},
        {kMapZoomedView, 15, 15, true, 72, 72, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.i << "," << c.j << " offset " << c.zoom.offset);
        const auto place = MapCellPlace(c.zoom, c.i, c.j);
        ASSERT_EQ(place.has_value(), c.shown);
        if (!place) continue;
        EXPECT_EQ(std::tuple(place->x, place->y, place->side), std::tuple(c.x, c.y, c.side));
    }
}

// The text list window's smallest width keeps the screen, and the check box centred between
// the buttons on its left and "Close", each clear of the other; it is at most a pixel more
// than the least width that does (the centre is rounded down).
TEST(TextListLayout, TheSmallestWidthKeepsEveryControlClear) {
    const auto clear = [](const TextListLayoutInput& in, int leftButtonsRight) {
        const TextListLayout layout = ComputeTextListLayout(in);
        return layout.screen.Width() > 0 && layout.check.left >= leftButtonsRight + kTextListEdge &&
               layout.check.right + kTextListEdge <= layout.close.left;
    };
    for (const int checkWidth : {90, 91})
        for (const int closeWidth : {60, 161})
            for (const int leftButtonsRight : {0, 150, 151}) {
                TextListLayoutInput in;
                in.height = 200;
                // Once, a frame line far to the right makes the screen what decides.
                in.frameLeft = closeWidth == 60 && leftButtonsRight == 0 ? 900 : 7;
                in.frameTop = 30;
                in.closeWidth = closeWidth;
                in.checkWidth = checkWidth;
                in.closeHeight = in.checkHeight = 20;
                in.width = TextListMinimumWidth(in, leftButtonsRight);
                SCOPED_TRACE(::testing::Message() << checkWidth << " " << closeWidth << " "
                                                  << leftButtonsRight << " at " << in.width);
                EXPECT_TRUE(clear(in, leftButtonsRight));
                in.width -= 2;
                EXPECT_FALSE(clear(in, leftButtonsRight));
            }
}

} // namespace
} // namespace tav
