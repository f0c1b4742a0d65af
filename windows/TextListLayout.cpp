#include "windows/TextListLayout.h"

#include <algorithm>

namespace tav {

namespace {

// A rectangle whose right and bottom never lie before its left and top.
Rect Ordered(int left, int top, int right, int bottom) {
    return {left, top, std::max(left, right), std::max(top, bottom)};
}

} // namespace

TextListLayout ComputeTextListLayout(const TextListLayoutInput& in) {
    TextListLayout out;
    out.frame = Ordered(in.frameLeft, in.frameTop, in.width - kTextListFrameRight, in.frameTop + 1);
    const int closeLeft = in.width - kTextListEdge - in.closeWidth;
    out.close = {closeLeft, in.closeTop, closeLeft + in.closeWidth, in.closeTop + in.closeHeight};
    const int checkLeft = (in.width - kTextListEdge) / 2 - in.checkWidth / 2;
    out.check = {checkLeft, in.checkTop, checkLeft + in.checkWidth, in.checkTop + in.checkHeight};
    out.screen = Ordered(in.frameLeft + kTextListScreenGap, in.frameTop + 3,
                         in.width - kTextListScreenGap, in.height - kTextListScreenGap);
    return out;
}

int TextListMinimumWidth(const TextListLayoutInput& in, int leftButtonsRight) {
    const int screen = in.frameLeft + 2 * kTextListScreenGap + 1;
    // The check box's left half must fit between the left buttons and the middle, its
    // right half between the middle and "Close" (the middle is rounded down).
    const int leftHalf = leftButtonsRight + kTextListEdge + in.checkWidth / 2;
    const int rightHalf = in.checkWidth - in.checkWidth / 2 + kTextListEdge + in.closeWidth;
    return std::max({screen, 2 * leftHalf + kTextListEdge + 1, 2 * rightHalf + kTextListEdge});
}

int TextListMinimumHeight(const TextListLayoutInput& in) {
    return in.frameTop + 3 + kTextListScreenGap + 1;
}

} // namespace tav
