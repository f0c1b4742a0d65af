#pragma once

#include "settings/StoredValues.h"

#include <array>
#include <string_view>

namespace tav {

// Geometry of the hit, mana and move bars of the status window.
inline constexpr int kStatusBarLeft = 30;
inline constexpr int kStatusBarFull = 58; // pixels of a bar at 100 %
inline constexpr int kStatusBarHeight = 10;
// A value far above its maximum draws a longer bar, but never longer than this.
inline constexpr int kMaxStatusBarLength = 4096;

inline constexpr ColorRef kStatusGreen = MakeColor(10, 250, 10);
inline constexpr ColorRef kStatusYellow = MakeColor(250, 250, 10);
inline constexpr ColorRef kStatusRed = MakeColor(250, 10, 10);

// One row of the status window: its label, where it sits and, when its maximum is
// above 0, the bar to draw.
struct StatusBar {
    std::string_view label;
    int top = 0;
    bool shown = false; // false when the maximum is 0 or less: the row shows nothing
    ColorRef color = 0;
    int length = 0; // bar from kStatusBarLeft to kStatusBarLeft + length; 0 or less draws none
};

// The bar for `value` of `maximum`: green from 40 %, yellow from 15 %, red below.
StatusBar ComputeStatusBar(std::string_view label, int top, int value, int maximum);

// The three rows: "Hit" at 4, "Mana" at 18, "Move" at 32.
std::array<StatusBar, 3> ComputeStatusBars(int hit, int hitMax, int mana, int manaMax, int move,
                                           int moveMax);

} // namespace tav
