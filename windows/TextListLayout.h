#pragma once

#include "screen/ScreenView.h"
#include "settings/Rect.h"

namespace tav {

// Gaps of the text list window's layout, in pixels.
inline constexpr int kTextListEdge = 4;       // "Close" and the centring keep this from the right
inline constexpr int kTextListScreenGap = 5;  // screen inset from the frame line and the edges
inline constexpr int kTextListFrameRight = 2; // the frame line ends this far from the right

// What the text list window's layout keeps from its controls: the frame line's origin,
// the tops and sizes of "Close" and "Always on top.".
struct TextListLayoutInput {
    int width = 0;  // client width
    int height = 0; // client height
    int frameLeft = 0;
    int frameTop = 0;
    int closeTop = 0;
    int closeWidth = 0;
    int closeHeight = 0;
    int checkTop = 0;
    int checkWidth = 0;
    int checkHeight = 0;
};

struct TextListLayout {
    Rect frame;  // the one-pixel line under the buttons
    Rect close;  // "Close", at the right
    Rect check;  // "Always on top.", centred
    Rect screen; // the text screen below the line
    friend bool operator==(const TextListLayout&, const TextListLayout&) = default;
};

// Places the controls for a client size. A window smaller than its controls gives empty
// rectangles (right == left, bottom == top), never inverted ones.
TextListLayout ComputeTextListLayout(const TextListLayoutInput& in);

// The smallest client size whose layout leaves the screen non-empty and keeps the
// centred check box clear of "Close" and of the buttons left of it, which end at
// leftButtonsRight.
int TextListMinimumWidth(const TextListLayoutInput& in, int leftButtonsRight);
int TextListMinimumHeight(const TextListLayoutInput& in);

} // namespace tav
