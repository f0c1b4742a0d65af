#pragma once

#include "screen/ScreenBuffer.h"
#include "settings/StoredValues.h"

#include <array>

namespace tav {

// Fixed colours of the screen view.
inline constexpr ColorRef kUrlColor = MakeColor(0, 255, 255);    // light cyan
inline constexpr ColorRef kGrayColor = MakeColor(155, 155, 155); // gray bit, default table
inline constexpr ColorRef kSelectedText = MakeColor(0, 0, 0);    // selected cells
inline constexpr ColorRef kSelectedBackground = MakeColor(230, 230, 230);
// Found text, painted behind its cells; the current match stands out from the others.
inline constexpr ColorRef kFoundBackground = MakeColor(110, 90, 0);
inline constexpr ColorRef kCurrentFoundBackground = MakeColor(200, 90, 0);
inline constexpr ColorRef kAlertColor = MakeColor(255, 0, 0); // visual bell, hold frame
inline constexpr int kColorLevel = 210;                       // a colour component without bold
inline constexpr int kBoldLift = 45;                          // what bold adds to each component

// Indexes into the 16-entry MUD colour table.
namespace mudcolor {
inline constexpr int kRed = 0;
inline constexpr int kGreen = 1;
inline constexpr int kBlue = 2;
inline constexpr int kYellow = 3;
inline constexpr int kMagenta = 4;
inline constexpr int kCyan = 5;
inline constexpr int kWhite = 6;
inline constexpr int kBoldOffset = 7; // kBoldRed = kRed + 7 ... kBoldWhite = kWhite + 7
inline constexpr int kGray = 14;
inline constexpr int kBoldNormal = 15;
} // namespace mudcolor

// How the text of one cell attribute is drawn.
struct CellColors {
    ColorRef text;  // 0x00BBGGRR; the high byte is always 0
    bool underline; // URL cells use the underlined font
    friend bool operator==(const CellColors&, const CellColors&) = default;
};

// The colours a screen draws with: its text and background colours and, when
// customColors is set, the 16-entry MUD colour table.
struct ScreenPalette {
    ColorRef text = MakeColor(210, 210, 210);
    ColorRef background = MakeColor(0, 0, 0);
    std::array<ColorRef, kMudColorCount> mudColors{};
    bool customColors = false;
    // The screen is in full colour: the underline and faint bits are drawn too.
    bool fullColour = false;
};

// The text colour of a cell attribute. textColor is the screen's colour of normal text;
// mudColors the 16-entry MUD colour table, used when customColors is set (it may be null
// otherwise). The selected bit is not looked at: selection colours are drawn over these.
CellColors ColorsOfAttribute(Attr attribute, ColorRef textColor, const ColorRef* mudColors,
                             bool customColors);
inline CellColors ColorsOfAttribute(Attr attribute, const ScreenPalette& palette) {
    return ColorsOfAttribute(attribute, palette.text, palette.mudColors.data(),
                             palette.customColors);
}

// Everything about how one cell is drawn: its attribute and its explicit colours.
struct CellLook {
    ColorRef text;
    ColorRef back;  // the palette's background unless hasBack
    bool hasBack;   // an explicit background to fill
    bool underline; // URL cells, and underlined cells in full colour
    bool italic;
    bool strike;
    friend bool operator==(const CellLook&, const CellLook&) = default;
};

// The colour an explicit cell colour stands for. The system colours take the colours the
// attribute bits give the same colour (the MUD colour table when it is in use); as text,
// bold lifts the eight dark ones to their bright forms, as it lifts the attribute colours.
ColorRef ExplicitColor(CellColor color, bool asText, bool bold, const ScreenPalette& palette);
// The selected bit is not looked at: selection colours are drawn over these. URL cells keep
// their colour whatever their explicit text colour.
CellLook LookOfCell(Attr attribute, CellColor text, CellColor back, const ScreenPalette& palette);

} // namespace tav
