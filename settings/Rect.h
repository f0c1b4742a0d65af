#pragma once

namespace tav {

// A pixel rectangle: left, top, right, bottom (right and bottom exclusive).
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

} // namespace tav
