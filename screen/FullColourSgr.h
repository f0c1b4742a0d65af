#pragma once

#include "screen/ScreenBuffer.h"

#include <utility>

namespace tav {

// Parameters one control sequence keeps on a screen in full colour: enough for a true
// colour foreground and background (38;2;r;g;b;48;2;r;g;b) and a few more.
inline constexpr int kMaxFullCsiParams = 32;

// What a screen in full colour gives the cells it writes next. The attribute keeps the
// normal bit and the style bits (bold, faint, italic, underline, blink, reverse, strike);
// the colours live beside it.
struct Rendition {
    Attr attr = attr::kNormal;
    CellColor text = 0; // 0: the screen's text colour
    CellColor back = 0; // 0: the screen's background
    friend bool operator==(const Rendition&, const Rendition&) = default;
};

// Applies one select-graphic-rendition list (at most kMaxFullCsiParams + 1 values).
// joined[k] is set when a ':' rather than a ';' came before values[k], making it a
// sub-parameter of the value before it (38:2::r:g:b); other values ignore theirs, except
// that 4:0 ends underlining. The forms 38;5;n and 38;2;r;g;b take the values of the next
// groups. An extended colour that is cut short or malformed is ignored; one whose kind is
// unknown (38;7) ends the list, since how many values belong to it cannot be known.
void ApplyFullColourSgr(Rendition& rendition, const int* values, const bool* joined, int count);
// The same for a list with no ':' in it, where each value is a group of its own: what
// nearly every server sends.
void ApplyFullColourSgr(Rendition& rendition, const int* values, int count);

// Entry `index` (0..255) of the xterm palette: the 16 system colours, the 6x6x6 cube and
// 24 greys.
CellColor XtermCellColor(int index);

// The text and background colours a cell is written with: reverse video swaps them, a
// default taking the screen's own colour of the other side.
inline std::pair<CellColor, CellColor> WrittenColors(const Rendition& rendition) {
    if (!(rendition.attr & attr::kReverse)) return {rendition.text, rendition.back};
    return {rendition.back ? rendition.back : kCellDefaultBack,
            rendition.text ? rendition.text : kCellDefaultText};
}

} // namespace tav
