#include "windows/StatusBars.h"

#include <algorithm>
#include <cmath>

namespace tav {

namespace {

constexpr int kGreenFromPercent = 40;
constexpr int kYellowFromPercent = 15;
constexpr int kHitRowTop = 4;
constexpr int kManaRowTop = 18;
constexpr int kMoveRowTop = 32;

// The whole part of x, held within +-limit so the conversion cannot overflow.
int WholePart(double x, int limit) {
    return static_cast<int>(std::clamp(std::trunc(x), -double(limit), double(limit)));
}

} // namespace

StatusBar ComputeStatusBar(std::string_view label, int top, int value, int maximum) {
    StatusBar bar;
    bar.label = label;
    bar.top = top;
    if (maximum <= 0) return bar;
    bar.shown = true;
    const double percent = double(value) / double(maximum) * 100.0;
    const int whole = WholePart(percent, kMaxStatusBarLength * 100);
    bar.color = whole >= kGreenFromPercent    ? kStatusGreen
                : whole >= kYellowFromPercent ? kStatusYellow
                                              : kStatusRed;
    bar.length = WholePart(percent * 0.01 * kStatusBarFull, kMaxStatusBarLength);
    return bar;
}

std::array<StatusBar, 3> ComputeStatusBars(int hit, int hitMax, int mana, int manaMax, int move,
                                           int moveMax) {
    return {ComputeStatusBar("Hit", kHitRowTop, hit, hitMax),
            ComputeStatusBar("Mana", kManaRowTop, mana, manaMax),
            ComputeStatusBar("Move", kMoveRowTop, move, moveMax)};
}

} // namespace tav
