#pragma once

#include "screen/ScreenBuffer.h"
#include "screen/ScreenParser.h"

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

// The explicit colours the cells written next take (0: the attribute bits decide).
struct CellPen {
    CellColor text = 0;
    CellColor back = 0;
    friend bool operator==(const CellPen&, const CellPen&) = default;
};

// Applies a select-graphic-rendition sequence as a screen in full colour reads it, and gives
// the attribute and the pen the next cells are written with. A ':' rather than a ';' before
// a value makes it a sub-parameter of the value before it (38:2::r:g:b); other values
// ignore theirs, except that 4:0 ends underlining. The forms 38;5;n and 38;2;r;g;b take the
// values of the next groups. An extended colour that is cut short or malformed is ignored;
// one whose kind is unknown (38;7) ends the list, since how many values belong to it cannot
// be known. A list that begins with a separator has an empty value first.
void ApplyFullColourSequence(const ControlSequence& sequence, Rendition& rendition, Attr& attr,
                             CellPen& pen);

// Entry `index` (0..255) of the xterm palette: the 16 system colours, the 6x6x6 cube and
// 24 greys.
CellColor XtermCellColor(int index);

} // namespace tav
