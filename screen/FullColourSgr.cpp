#include "screen/FullColourSgr.h"

namespace tav {

namespace {

constexpr int kCubeLevels[6] = {0, 95, 135, 175, 215, 255};

constexpr bool IsByte(int value) {
    return value >= 0 && value <= 255;
}

constexpr CellColor Rgb(int r, int g, int b) {
    return ExplicitCellColor(static_cast<std::uint32_t>(r) | static_cast<std::uint32_t>(g) << 8 |
                             static_cast<std::uint32_t>(b) << 16);
}

// Where an extended colour (38, 48 or 58) goes; 58, the underline colour, is read and
// dropped.
CellColor* Target(Rendition& rendition, int value) {
    if (value == 38) return &rendition.text;
    if (value == 48) return &rendition.back;
    return nullptr;
}

void Set(CellColor* target, CellColor color) {
    if (target) *target = color;
}

// 38:5:n, 38:2:r:g:b and 38:2:space:r:g:b: everything inside the one group.
void ExtendedFromGroup(CellColor* target, const int* sub, int subs) {
    if (sub[0] == 5 && subs == 2 && IsByte(sub[1])) {
        Set(target, XtermCellColor(sub[1]));
    } else if (sub[0] == 2 && (subs == 4 || subs == 5)) {
        const int* rgb = sub + subs - 3;
        if (IsByte(rgb[0]) && IsByte(rgb[1]) && IsByte(rgb[2]))
            Set(target, Rgb(rgb[0], rgb[1], rgb[2]));
    }
}

void Style(Attr& a, int value, bool subUnderlineOff) {
    using namespace attr;
    switch (value) {
    case 0: a = kNormal; break;
    case 1: a |= kBold; break;
    case 2: a |= kFaint; break;
    case 3: a |= kItalic; break;
    case 4: a = subUnderlineOff ? a & ~kUnderline : a | kUnderline; break;
    case 5:
    case 6: a |= kBlink; break;
    case 7: a |= kReverse; break;
    case 9: a |= kStrike; break;
    case 22: a &= ~(kBold | kFaint); break;
    case 23: a &= ~kItalic; break;
    case 24: a &= ~kUnderline; break;
    case 25: a &= ~kBlink; break;
    case 27: a &= ~kReverse; break;
    case 29: a &= ~kStrike; break;
    default: break;
    }
}

// Applies the list as `groups` groups, each a value and the sub-parameters joined to it by
// ':'; group g starts at values[start(g)], and start(groups) is the end of the list. The
// rendition is worked on in a copy: stored through the reference, each colour would make
// the compiler read the values again, as they could share its memory.
template <typename Start>
Rendition ApplyGroups(Rendition rendition, const int* values, int groups, Start start) {
    auto base = [&](int g) { return values[start(g)]; };

    int g = 0;
    while (g < groups) {
        const int value = base(g);
        const int* sub = values + start(g) + 1;
        const int subs = start(g + 1) - start(g) - 1;

        if (value == 38 || value == 48 || value == 58) {
            CellColor* target = Target(rendition, value);
            if (subs > 0) {
                ExtendedFromGroup(target, sub, subs);
                ++g;
                continue;
            }
            // 38;5;n and 38;2;r;g;b take the groups after them.
            const int left = groups - g - 1;
            if (left >= 1 && base(g + 1) == 5) {
                if (left >= 2 && IsByte(base(g + 2))) Set(target, XtermCellColor(base(g + 2)));
                g += 3;
            } else if (left >= 1 && base(g + 1) == 2) {
                if (left >= 4 && IsByte(base(g + 2)) && IsByte(base(g + 3)) && IsByte(base(g + 4)))
                    Set(target, Rgb(base(g + 2), base(g + 3), base(g + 4)));
                g += 5;
            } else {
                return rendition;
            }
            continue;
        }

        if (value == 0) {
            rendition = Rendition{};
        } else if (value >= 30 && value <= 37) {
            rendition.text = SystemCellColor(value - 30);
        } else if (value == 39) {
            rendition.text = 0;
        } else if (value >= 40 && value <= 47) {
            rendition.back = SystemCellColor(value - 40);
        } else if (value == 49) {
            rendition.back = 0;
        } else if (value >= 90 && value <= 97) {
            rendition.text = SystemCellColor(value - 90 + 8);
        } else if (value >= 100 && value <= 107) {
            rendition.back = SystemCellColor(value - 100 + 8);
        } else {
            Style(rendition.attr, value, value == 4 && subs > 0 && sub[0] == 0);
        }
        ++g;
    }
    return rendition;
}

// The xterm palette, worked out once.
struct XtermPalette {
    CellColor entries[256];
    constexpr XtermPalette() : entries{} {
        for (int index = 0; index < 256; ++index) {
            if (index < kSystemColorCount) {
                entries[index] = SystemCellColor(index);
            } else if (index < 232) {
                const int cube = index - 16;
                entries[index] =
                    Rgb(kCubeLevels[cube / 36], kCubeLevels[cube / 6 % 6], kCubeLevels[cube % 6]);
            } else {
                const int grey = 8 + 10 * (index - 232);
                entries[index] = Rgb(grey, grey, grey);
            }
        }
    }
};
constexpr XtermPalette kXtermPalette;

} // namespace

CellColor XtermCellColor(int index) {
    return kXtermPalette.entries[index];
}

void ApplyFullColourSgr(Rendition& rendition, const int* values, int count) {
    rendition = ApplyGroups(rendition, values, count, [](int g) { return g; });
}

void ApplyFullColourSgr(Rendition& rendition, const int* values, const bool* joined, int count) {
    // Mostly nothing is joined, and each value is a group of its own.
    bool anyJoined = false;
    for (int k = 1; k < count; ++k)
        anyJoined |= joined[k];
    if (!anyJoined) {
        ApplyFullColourSgr(rendition, values, count);
        return;
    }
    int starts[kMaxFullCsiParams + 2];
    int groups = 0;
    for (int k = 0; k < count && groups <= kMaxFullCsiParams; ++k)
        if (k == 0 || !joined[k]) starts[groups++] = k;
    starts[groups] = count;
    rendition = ApplyGroups(rendition, values, groups, [&starts](int g) { return starts[g]; });
}

} // namespace tav
