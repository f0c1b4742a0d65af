#include "windows/TermLayout.h"

#include <algorithm>

namespace tav {

namespace {

// Gap between the map window and the status window under it.
constexpr int kStatusGap = 8;
// Top margin above the terminal area, added to the time line's room.
constexpr int kTopMarginBase = 4;
constexpr int kTopMarginExtra = 8;
// Input line: its height is the font's character height plus this.
constexpr int kInputPadding = 4;
// Distance from the input line's top to the terminal area's bottom, and from the input
// line's bottom to the client bottom.
constexpr int kAreaAboveInput = 10;
constexpr int kInputBottomGap = 4;
constexpr int kTimeTextTop = 2;
constexpr int kTimeDateGap = 2;
constexpr int kDividerHalf = kDividerThickness / 2;

Rect Sized(int x, int y, int width, int height) {
    return {x, y, x + width, y + height};
}

} // namespace

TermLayoutResult LayoutTerm(const TermLayoutInput& in) {
    TermLayoutResult out;
    const int w = in.width;
    const int h = in.height;
    const int inputHeight = in.inputFontHeight + kInputPadding;
    const int topMargin =
        (in.clientConnected ? in.timeTextHeight + kTopMarginBase : kTopMarginBase) +
        kTopMarginExtra;

    Rect area{kAreaMargin, topMargin, w - kAreaMargin, h - inputHeight - kAreaAboveInput};

    out.dividers = in.dividers;
    if (in.multiscreen) {
        out.showPanes = true;
        DividerRects& d = out.dividers;
        d.hdiv.left = area.left;
        d.hdiv.right = area.right;
        d.vdiv.bottom = d.hdiv.top;
        d.h2div.left = d.vdiv.right;
        d.h2div.right = area.right;
        out.descPane = {area.left, area.top, d.vdiv.left, d.hdiv.top};
        out.exitPane = {d.vdiv.right, area.top, area.right, d.h2div.top};
        out.listPane = {d.vdiv.right, d.h2div.bottom, area.right, d.hdiv.top};
        area.top = d.hdiv.bottom;
    }

    if (in.enhancedterm) {
        out.showMapAndStatus = true;
        const int x = area.right - kMapWindowSide;
        out.map = {x, area.top, x + kMapWindowSide,
                   std::min(area.top + kMapWindowSide, area.bottom)};
        out.status = Sized(x, out.map.bottom + kStatusGap, kMapWindowSide, kStatusWindowHeight);
        area.right -= kSideColumnWidth;
    }

    out.mainScreen = area;
    if (in.splitView) {
        const SplitRects split = SplitScreen(area, in.screenLineHeight);
        out.showSplitView = true;
        out.splitView = split.split;
        out.mainScreen = split.main;
    }

    out.input = {kAreaMargin, h - inputHeight - kInputBottomGap, w - in.mlSendWidth - 2,
                 h - kInputBottomGap};
    out.mlSend = Sized(out.input.right + 1, out.input.top + 1, 0, inputHeight);
    out.mlSend.right = w - 1;

    if (in.clientConnected) {
        out.showTimeAndDate = true;
        out.timeText = Sized(0, kTimeTextTop, w / 2 - kTimeDateGap, in.timeTextHeight);
        out.dateText = {w / 2 + kTimeDateGap, kTimeTextTop, w, kTimeTextTop + in.timeTextHeight};
    }
    return out;
}

DividerRects InitialDividers(const Rect& client, int timeTextHeight) {
    const int half = (client.bottom - client.top) / 2;
    const int width = client.right - client.left;
    const int x = static_cast<int>(width * 0.6);
    DividerRects d;
    d.hdiv = Sized(client.left, half - kDividerHalf, width, kDividerThickness);
    const int h2Top = (half - kDividerHalf) / 2 - kDividerHalf;
    d.h2div = {client.left + x + kDividerHalf, h2Top, client.right, h2Top + kDividerThickness};
    d.vdiv = {client.left + x - kDividerHalf, timeTextHeight + kTopMarginBase + kTopMarginExtra,
              client.left + x + kDividerHalf, half - kDividerHalf};
    return d;
}

SplitRects SplitScreen(const Rect& screen, int lineHeight) {
    SplitRects r;
    const int splitBottom =
        std::max(screen.top, screen.bottom - kSplitViewKeepLines * lineHeight - kSplitViewGap);
    r.split = {screen.left, screen.top, screen.right, splitBottom};
    r.main = {screen.left, std::min(splitBottom + kSplitViewGap, screen.bottom), screen.right,
              screen.bottom};
    return r;
}

Rect MoveDivider(const Rect& divider, bool horizontal, int delta) {
    Rect r = divider;
    if (horizontal) {
        r.top += delta;
        r.bottom += delta;
    } else {
        r.left += delta;
        r.right += delta;
    }
    return r;
}

std::string_view FirstLine(std::string_view text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

} // namespace tav
