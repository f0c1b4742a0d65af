#pragma once

#include "settings/Rect.h"
#include "settings/Settings.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tav {

// A colour value: red in the low byte, then green, then blue; the high byte is 0.
using ColorRef = std::uint32_t;

constexpr ColorRef MakeColor(int red, int green, int blue) {
    return static_cast<ColorRef>(red & 0xFF) | (static_cast<ColorRef>(green & 0xFF) << 8) |
           (static_cast<ColorRef>(blue & 0xFF) << 16);
}
constexpr int RedOf(ColorRef color) {
    return static_cast<int>(color & 0xFF);
}
constexpr int GreenOf(ColorRef color) {
    return static_cast<int>((color >> 8) & 0xFF);
}
constexpr int BlueOf(ColorRef color) {
    return static_cast<int>((color >> 16) & 0xFF);
}
// A colour as the files of our own write it, "#RRGGBB", and back; nothing for a text that
// is not exactly that.
std::string ColorText(ColorRef color);
std::optional<ColorRef> ParseColorText(std::string_view text);

// Size of a font's face name buffer, the terminating NUL included.
inline constexpr std::size_t kFaceNameSize = 256;
// Size of one function-key text, the terminating NUL included.
inline constexpr std::size_t kFunctionKeySize = 256;
inline constexpr std::size_t kFunctionKeyCount = 12;
// Entries of the colour chooser's custom colours and of the MUD colour table.
inline constexpr std::size_t kCustomColorCount = 16;
inline constexpr std::size_t kMudColorCount = 16;

// A font as the settings file stores it: the face name and the logical height and
// width (the height may be negative). Every font made from it has weight 400, no
// italic, underline or strike-out, and the default character set.
struct FontSpec {
    char face[kFaceNameSize];
    int height;
    int width;
};

// The windows whose fonts the settings file stores, in the order the host is told.
enum class FontItem {
    Who,
    Inv,
    Eq,
    Chan,
    Edit,
    Help,
    Id,
    Brd,
    Term,
    Scroll,
    Input,
    Desc,
    Exit,
    List
};

// The values the windows hold but the settings file stores beside the Settings record:
// fonts, window rectangles, always-on-top flags of the text list windows, the main
// terminal screen's colours, the function-key texts, the colour chooser's custom
// colours and the MUD colour table. The desktop layer maps them to its windows.
struct StoredValues {
    FontSpec whofont;
    FontSpec invfont;
    FontSpec eqfont;
    FontSpec chanfont;
    FontSpec editfont;
    FontSpec helpfont;
    FontSpec idfont;
    FontSpec brdfont;
    FontSpec termfont;
    FontSpec scrollfont;
    FontSpec inputfont;
    FontSpec descfont;
    FontSpec exitfont;
    FontSpec listfont;

    Rect whopos;
    Rect gosspos; // the channel window
    Rect eqpos;
    Rect invpos;
    Rect helppos;
    Rect editorpos; // the server edit dialog
    Rect idpos;
    Rect brdpos;
    Rect scrollpos;
    Rect termpos; // the main frame

    Flag whoontop;
    Flag eqontop;
    Flag invontop;
    Flag chanontop;

    ColorRef bcolor; // main terminal screen background
    ColorRef tcolor; // main terminal screen text

    char fkeys[kFunctionKeyCount][kFunctionKeySize]; // F1 first; ';' stands for a newline

    ColorRef custcolors[kCustomColorCount];
    ColorRef mudcolors[kMudColorCount]; // index order Red, Green, ... Gray, Bold Normal

    // The values before any file is read: "fixedsys" 15/9 for the terminal, input and
    // pane fonts, "fixedsys" 10/5 for the tool windows, text 210,210,210 on black,
    // everything else zero or empty.
    static StoredValues Defaults();
};

} // namespace tav
