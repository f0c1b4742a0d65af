#pragma once

#include "screen/ScreenView.h"
#include "settings/Rect.h"

#include <string_view>

namespace tav {

// Fixed measures of the main terminal window's layout, in pixels.
inline constexpr int kAreaMargin = 6;          // terminal area inset from the sides
inline constexpr int kDividerThickness = 8;    // height (width) of a horizontal (vertical) divider
inline constexpr int kMapWindowSide = 88;      // map window width and largest height
inline constexpr int kStatusWindowHeight = 46; // hit/mana/move window
inline constexpr int kSideColumnWidth = 96;    // what the map column takes from the terminal area
inline constexpr int kSplitViewKeepLines = 7;  // main screen lines left under the split view
inline constexpr int kSplitViewGap = 3;        // between the split view and the main screen

// The three dividers of the MultiScreen panes. Their position along the dragging axis is
// kept across layouts; the layout stretches them along the other axis.
struct DividerRects {
    Rect hdiv;  // horizontal divider under the panes
    Rect h2div; // second horizontal divider, between the exits and contents panes
    Rect vdiv;  // vertical divider, between the description pane and the right column
    friend bool operator==(const DividerRects&, const DividerRects&) = default;
};

// What the layout depends on besides the divider positions.
struct TermLayoutInput {
    int width = 0;           // client width
    int height = 0;          // client height
    int inputFontHeight = 0; // character height of the input line's font
    int timeTextHeight = 0;  // height of the game time text
    int mlSendWidth = 0;     // width of the "ml-send" button
    bool clientConnected = false;
    bool multiscreen = false;
    bool enhancedterm = false;
    bool splitView = false;   // the scroll-back split view is shown
    int screenLineHeight = 0; // line height of the main screen, for the split view
    DividerRects dividers;
};

// Where every child of the main terminal window goes. Rectangles are in client
// coordinates; the `show...` flags say which groups are visible.
struct TermLayoutResult {
    bool showPanes = false;
    DividerRects dividers;
    Rect descPane;
    Rect exitPane;
    Rect listPane;
    bool showMapAndStatus = false;
    Rect map;
    Rect status;
    Rect mainScreen;
    bool showSplitView = false;
    Rect splitView;
    Rect input;
    Rect mlSend;
    bool showTimeAndDate = false;
    Rect timeText;
    Rect dateText;
};

// Lays out the main terminal window for a client size: terminal area, MultiScreen panes
// between the dividers, map and status column, input line with the "ml-send" button and
// the game time and date line.
TermLayoutResult LayoutTerm(const TermLayoutInput& in);

// The dividers' first positions for a client rectangle, as set when a profile is applied.
DividerRects InitialDividers(const Rect& client, int timeTextHeight);

// The scroll-back split view over a main screen rectangle: the split view takes the upper
// part and the main screen keeps its bottom seven lines.
struct SplitRects {
    Rect split;
    Rect main;
};
SplitRects SplitScreen(const Rect& screen, int lineHeight);

// Moves a divider by `delta` pixels along its dragging axis (y when horizontal).
Rect MoveDivider(const Rect& divider, bool horizontal, int delta);

// A game time or date text as shown: cut at its first CR or LF.
std::string_view FirstLine(std::string_view text);

} // namespace tav
