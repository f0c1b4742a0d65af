#include "settings/StoredValues.h"

namespace tav {

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
