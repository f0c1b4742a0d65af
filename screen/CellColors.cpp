#include "screen/CellColors.h"

namespace tav {

namespace {

constexpr ColorRef kColorMask = 0x00FFFFFF;
constexpr Attr kRgb = attr::kRed | attr::kGreen | attr::kBlue;

CellColors Plain(ColorRef color) {
    return {color & kColorMask, false};
}

// The built-in colours: 210 per present component, 45 more with bold.
CellColors DefaultColors(Attr a, ColorRef textColor) {
    if (a & attr::kGray) return Plain(kGrayColor);
    const int lift = (a & attr::kBold) ? kBoldLift : 0;
    if (a & attr::kNormal) {
        // The gray lift and the text colour are added as whole 32-bit numbers, so a
        // component above 210 carries into the next one.
        return Plain(MakeColor(lift, lift, lift) + textColor);
    }
    auto level = [&](Attr bit) { return (a & bit) ? kColorLevel + lift : 0; };
    return Plain(MakeColor(level(attr::kRed), level(attr::kGreen), level(attr::kBlue)));
}

// Table entry for a colour combination, or -1 when no component bit is set.
int MudColorIndex(Attr a) {
    using namespace mudcolor;
    switch (a & kRgb) {
    case attr::kRed | attr::kGreen | attr::kBlue: return kWhite;
    case attr::kGreen | attr::kBlue: return kCyan;
    case attr::kRed | attr::kGreen: return kYellow;
    case attr::kRed | attr::kBlue: return kMagenta;
    case attr::kRed: return kRed;
    case attr::kGreen: return kGreen;
    case attr::kBlue: return kBlue;
    default: return -1;
    }
}

} // namespace

CellColors ColorsOfAttribute(Attr a, ColorRef textColor, const ColorRef* mudColors,
                             bool customColors) {
    if (a & attr::kUrl) return {kUrlColor, true};
    if (!customColors || mudColors == nullptr) return DefaultColors(a, textColor);

    const bool bold = (a & attr::kBold) != 0;
    if (a & attr::kGray) return Plain(mudColors[mudcolor::kGray]);
    if (int index = MudColorIndex(a); index >= 0)
        return Plain(mudColors[bold ? index + mudcolor::kBoldOffset : index]);
    if (a & attr::kNormal) return Plain(bold ? mudColors[mudcolor::kBoldNormal] : textColor);
    // No row of the table matches (no colour at all): the built-in colours decide.
    return DefaultColors(a, textColor);
}

ColorRef ExplicitColor(CellColor color, bool asText, bool bold, const ScreenPalette& palette) {
    if (!IsSystemCellColor(color)) return color & kColorMask;
    if (color == kCellDefaultBack) return palette.background;
    if (color == kCellDefaultText)
        return asText ? ColorsOfAttribute(attr::kNormal | (bold ? attr::kBold : 0), palette).text
                      : palette.text;
    int index = static_cast<int>(color & 0xF);
    if (asText && bold && index < 8) index += 8;
    if (index == 0) return MakeColor(0, 0, 0);
    if (index == 8) return ColorsOfAttribute(attr::kGray, palette).text;
    // 1 red, 2 green, 4 blue: the attribute's colour bits in the same order.
    const Attr bits = static_cast<Attr>(index & 7) << 5;
    return ColorsOfAttribute(bits | (index > 8 ? attr::kBold : 0), palette).text;
}

CellLook LookOfCell(Attr a, CellColor text, CellColor back, const ScreenPalette& palette) {
    const CellColors base = ColorsOfAttribute(a, palette);
    const bool bold = (a & attr::kBold) != 0;
    CellLook look{base.text,      palette.background,       back != 0,
                  base.underline, (a & attr::kItalic) != 0, (a & attr::kStrike) != 0};
    if (text && !(a & attr::kUrl)) look.text = ExplicitColor(text, true, bold, palette);
    if (back) look.back = ExplicitColor(back, false, false, palette);
    if (palette.fullColour) {
        look.underline = look.underline || (a & attr::kUnderline) != 0;
        if (a & attr::kFaint) { // halfway to the background
            auto mix = [&](int shift) {
                return (((look.text >> shift) & 0xFF) + ((look.back >> shift) & 0xFF)) / 2;
            };
            look.text = MakeColor(static_cast<int>(mix(0)), static_cast<int>(mix(8)),
                                  static_cast<int>(mix(16)));
        }
    }
    return look;
}

} // namespace tav
