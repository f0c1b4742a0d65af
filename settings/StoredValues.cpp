#include "settings/StoredValues.h"

#include <charconv>
#include <cstdio>

namespace tav {

std::string ColorText(ColorRef color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", RedOf(color), GreenOf(color), BlueOf(color));
    return text;
}

std::optional<ColorRef> ParseColorText(std::string_view text) {
    if (text.size() != 7 || text[0] != '#') return std::nullopt;
    std::uint32_t rgb = 0;
    const auto [end, error] = std::from_chars(text.data() + 1, text.data() + 7, rgb, 16);
    if (error != std::errc() || end != text.data() + 7) return std::nullopt;
    return MakeColor(static_cast<int>(rgb >> 16), static_cast<int>(rgb >> 8),
                     static_cast<int>(rgb));
}

namespace {

// Font sizes before any settings file is read.
constexpr int kScreenFontHeight = 15;
constexpr int kScreenFontWidth = 9;
constexpr int kToolFontHeight = 10;
constexpr int kToolFontWidth = 5;
constexpr int kDefaultTextLevel = 210;

FontSpec Fixedsys(int height, int width) {
    FontSpec font{};
    CopyField(font.face, "fixedsys");
    font.height = height;
    font.width = width;
    return font;
}

} // namespace

StoredValues StoredValues::Defaults() {
    StoredValues values{};
    for (FontSpec* font : {&values.termfont, &values.inputfont, &values.descfont, &values.exitfont,
                           &values.listfont})
        *font = Fixedsys(kScreenFontHeight, kScreenFontWidth);
    for (FontSpec* font :
         {&values.whofont, &values.invfont, &values.eqfont, &values.chanfont, &values.editfont,
          &values.helpfont, &values.idfont, &values.brdfont, &values.scrollfont})
        *font = Fixedsys(kToolFontHeight, kToolFontWidth);
    values.bcolor = MakeColor(0, 0, 0);
    values.tcolor = MakeColor(kDefaultTextLevel, kDefaultTextLevel, kDefaultTextLevel);
    return values;
}

} // namespace tav
