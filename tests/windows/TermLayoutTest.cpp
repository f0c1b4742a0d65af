#include "windows/TermLayout.h"
#include "windows/MapPalette.h"
#include "windows/StatusBars.h"

#include <gtest/gtest.h>

#include <ostream>

namespace tav {

void PrintTo(const Rect& r, std::ostream* os) {
    *os << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}

namespace {

constexpr int kW = 800;
constexpr int kH = 600;
constexpr int kInputFont = 15; // input line 19 pixels high
constexpr int kTimeText = 16;
constexpr int kMlSend = 50;

TermLayoutInput Input(bool multiscreen, bool enhancedterm, bool connected) {
    TermLayoutInput in;
    in.width = kW;
    in.height = kH;
    in.inputFontHeight = kInputFont;
    in.timeTextHeight = kTimeText;
    in.mlSendWidth = kMlSend;
    in.clientConnected = connected;
    in.multiscreen = multiscreen;
    in.enhancedterm = enhancedterm;
    in.screenLineHeight = 15;
    in.dividers = InitialDividers({0, 0, kW, kH}, kTimeText);
    return in;
}

TEST(TermLayout, PlainWindowFillsTheAreaAboveTheInputLine) {
    const TermLayoutResult r = LayoutTerm(Input(false, false, false));
    EXPECT_FALSE(r.showPanes);
    EXPECT_FALSE(r.showMapAndStatus);
    EXPECT_FALSE(r.showTimeAndDate);
    EXPECT_FALSE(r.showSplitView);
    EXPECT_EQ(r.mainScreen, (Rect{6, 12, kW - 6, kH - 19 - 10}));
    EXPECT_EQ(r.input, (Rect{6, kH - 23, kW - kMlSend - 2, kH - 4}));
    EXPECT_EQ(r.input.top - r.mainScreen.bottom, 6);
    EXPECT_EQ(r.mlSend, (Rect{r.input.right + 1, r.input.top + 1, kW - 1, r.input.top + 20}));
}

TEST(TermLayout, InitialDividersFollowTheClientProportions) {
    const DividerRects d = InitialDividers({0, 0, kW, kH}, kTimeText);
    EXPECT_EQ(d.hdiv, (Rect{0, 296, 800, 304}));    // M = 300
    EXPECT_EQ(d.h2div, (Rect{484, 144, 800, 152})); // X = 480, y = 296 / 2 - 4
    EXPECT_EQ(d.vdiv, (Rect{476, 28, 484, 296}));
    // Odd sizes truncate toward zero.
    const DividerRects odd = InitialDividers({0, 0, 333, 201}, 13);
    EXPECT_EQ(odd.hdiv, (Rect{0, 96, 333, 104}));
    EXPECT_EQ(odd.vdiv.left, 199 - 4); // 333 * 0.6 = 199.8
    EXPECT_EQ(odd.h2div.top, 48 - 4);
}

TEST(TermLayout, PanesSitBetweenTheDividers) {
    struct Case {
        bool connected;
        int top; // panes' top
    };
    // Disconnected: the time line is hidden and the panes start 12 pixels down.
    for (Case c : {Case{false, 12}, Case{true, kTimeText + 12}}) {
        SCOPED_TRACE(c.connected);
        const TermLayoutResult r = LayoutTerm(Input(true, false, c.connected));
        ASSERT_TRUE(r.showPanes);
        EXPECT_EQ(r.dividers.hdiv, (Rect{6, 296, kW - 6, 304}));
        EXPECT_EQ(r.dividers.h2div, (Rect{484, 144, kW - 6, 152}));
        EXPECT_EQ(r.dividers.vdiv, (Rect{476, 28, 484, 296}));
        EXPECT_EQ(r.descPane, (Rect{6, c.top, 476, 296}));
        EXPECT_EQ(r.exitPane, (Rect{484, c.top, kW - 6, 144}));
        EXPECT_EQ(r.listPane, (Rect{484, 152, kW - 6, 296}));
        EXPECT_EQ(r.mainScreen, (Rect{6, 304, kW - 6, kH - 29}));
        EXPECT_EQ(r.showTimeAndDate, c.connected);
        if (c.connected) {
            EXPECT_EQ(r.timeText, (Rect{0, 2, kW / 2 - 2, 2 + kTimeText}));
            EXPECT_EQ(r.dateText, (Rect{kW / 2 + 2, 2, kW, 2 + kTimeText}));
        }
    }
}

TEST(TermLayout, DraggedDividerMovesThePanesAndTheMainScreen) {
    TermLayoutInput in = Input(true, true, false);
    const TermLayoutResult before = LayoutTerm(in);
    in.dividers.hdiv = MoveDivider(in.dividers.hdiv, true, 50);
    const TermLayoutResult after = LayoutTerm(in);
    EXPECT_EQ(after.descPane.Height(), before.descPane.Height() + 50);
    EXPECT_EQ(after.listPane.Height(), before.listPane.Height() + 50);
    EXPECT_EQ(after.dividers.vdiv.Height(), before.dividers.vdiv.Height() + 50);
    EXPECT_EQ(after.exitPane, before.exitPane); // bounded by the second divider
    EXPECT_EQ(after.mainScreen.Height(), before.mainScreen.Height() - 50);
    EXPECT_EQ(after.map.top, before.map.top + 50);

    // The vertical divider moves sideways; the second divider and the right panes follow.
    in.dividers.vdiv = MoveDivider(in.dividers.vdiv, false, -30);
    const TermLayoutResult moved = LayoutTerm(in);
    EXPECT_EQ(moved.descPane.right, after.descPane.right - 30);
    EXPECT_EQ(moved.dividers.h2div.left, after.dividers.h2div.left - 30);
    EXPECT_EQ(moved.exitPane.left, after.exitPane.left - 30);
    // No limit: a divider dropped above the area still lays out.
    in.dividers.hdiv = MoveDivider(in.dividers.hdiv, true, -1000);
    EXPECT_EQ(LayoutTerm(in).mainScreen.top, in.dividers.hdiv.bottom);
}

TEST(TermLayout, MapAndStatusTakeTheRightColumn) {
    struct Case {
        int height;
        Rect map;
        Rect status;
        Rect main;
    };
    const Case cases[] = {
        // Tall enough: the map is square.
        {kH, {kW - 94, 12, kW - 6, 100}, {kW - 94, 108, kW - 6, 154}, {6, 12, kW - 102, 571}},
        // Area only 50 pixels high: the map is cut at the area bottom.
        {91, {kW - 94, 12, kW - 6, 62}, {kW - 94, 70, kW - 6, 116}, {6, 12, kW - 102, 62}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        TermLayoutInput in = Input(false, true, false);
        in.height = c.height;
        const TermLayoutResult r = LayoutTerm(in);
        ASSERT_TRUE(r.showMapAndStatus);
        EXPECT_EQ(r.map, c.map);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.mainScreen, c.main);
    }
}

TEST(TermLayout, SplitViewKeepsSevenLinesOfTheMainScreen) {
    TermLayoutInput in = Input(false, false, false);
    in.splitView = true;
    const TermLayoutResult r = LayoutTerm(in);
    ASSERT_TRUE(r.showSplitView);
    EXPECT_EQ(r.splitView, (Rect{6, 12, kW - 6, 571 - 7 * 15 - 3}));
    EXPECT_EQ(r.mainScreen, (Rect{6, 571 - 7 * 15, kW - 6, 571}));
    // A screen shorter than seven lines leaves the split view empty, never inverted.
    const SplitRects tiny = SplitScreen({0, 10, 100, 50}, 15);
    EXPECT_EQ(tiny.split, (Rect{0, 10, 100, 10}));
    EXPECT_EQ(tiny.main, (Rect{0, 13, 100, 50}));
}

TEST(TermLayout, TimeAndDateShowTheirFirstLine) {
    EXPECT_EQ(FirstLine("12:30 pm\r\nrest"), "12:30 pm");
    EXPECT_EQ(FirstLine("day\nrest"), "day");
    EXPECT_EQ(FirstLine("plain"), "plain");
    EXPECT_EQ(FirstLine("\r"), "");
}

TEST(StatusBars, ColourAndLengthFollowThePercentage) {
    struct Case {
        int value;
        int maximum;
        ColorRef color;
        int length;
    };
    const Case cases[] = {
        {7, 50, kStatusRed, 8},
        {10, 50, kStatusYellow, 11},
        {20, 50, kStatusGreen, 23},
        {50, 50, kStatusGreen, 58},
        {0, 50, kStatusRed, 0},
        {100, 50, kStatusGreen, 116},
        {-10, 50, kStatusRed, -11}, // a negative value draws nothing
        {2'000'000'000, 1, kStatusGreen, kMaxStatusBarLength},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.value << " of " << c.maximum);
        const StatusBar bar = ComputeStatusBar("Hit", 4, c.value, c.maximum);
        EXPECT_TRUE(bar.shown);
        EXPECT_EQ(bar.color, c.color);
        EXPECT_EQ(bar.length, c.length);
    }
    const auto rows = ComputeStatusBars(1, 0, 1, -5, 3, 6);
    EXPECT_FALSE(rows[0].shown);
    EXPECT_FALSE(rows[1].shown);
    EXPECT_TRUE(rows[2].shown);
    EXPECT_EQ(rows[1].label, "Mana");
    EXPECT_EQ(rows[2].top, 32);
}

TEST(MapPalette, FirstKnownBitDecidesTheColour) {
    struct Case {
        std::int32_t flags;
        std::optional<ColorRef> color;
    };
    const Case cases[] = {
        {0, std::nullopt},
        {0x1, MakeColor(255, 255, 255)},
        {0x2, MakeColor(0, 0, 100)},
        {0x1010, MakeColor(128, 128, 128)}, // 0x1000 is tested before 0x10
        {0x10, MakeColor(255, 255, 0)},
        {0x200, std::nullopt},
        {static_cast<std::int32_t>(0x80000004u), MakeColor(0, 0, 255)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_EQ(MapCellColor(c.flags), c.color);
    }
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
        {kMapFullView, 0, 0, true, 0, 0, 4},     {kMapFullView, 21, 21, true, 84, 84, 4},
        {kMapZoomedView, 6, 6, true, 0, 0, 8},   {kMapZoomedView, 15, 10, true, 72, 32, 8},
        {kMapZoomedView, 5, 10, false, 0, 0, 0}, {kMapZoomedView, 10, 16, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.i << "," << c.j << " offset " << c.zoom.offset);
        const auto place = MapCellPlace(c.zoom, c.i, c.j);
        ASSERT_EQ(place.has_value(), c.shown);
        if (!place) continue;
        EXPECT_EQ(place->x, c.x);
        EXPECT_EQ(place->y, c.y);
        EXPECT_EQ(place->side, c.side);
    }
}

} // namespace
} // namespace tav
