#include "screen/FullColourSgr.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>

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

// The colours and the attribute a list works on, apart, so that they stay in registers:
// kept together in a Rendition the compiler left them in memory, and reading the struct
// back whole after a store to one colour stalled every sequence.
struct Working {
    Attr attr;
    CellColor text;
    CellColor back;
    // Where an extended colour (38, 48 or 58) goes; 58, the underline colour, is read and
    // dropped.
    void SetExtended(int value, CellColor color) {
        if (value == 38) text = color;
        if (value == 48) back = color;
    }
};

// 38:5:n, 38:2:r:g:b and 38:2:space:r:g:b: everything inside the one group.
void ExtendedFromGroup(Working& w, int value, const int* sub, int subs) {
    if (sub[0] == 5 && subs == 2 && IsByte(sub[1])) {
        w.SetExtended(value, XtermCellColor(sub[1]));
    } else if (sub[0] == 2 && (subs == 4 || subs == 5)) {
        const int* rgb = sub + subs - 3;
        if (IsByte(rgb[0]) && IsByte(rgb[1]) && IsByte(rgb[2]))
            w.SetExtended(value, Rgb(rgb[0], rgb[1], rgb[2]));
    }
}

Attr Style(Attr a, int value, bool subUnderlineOff) {
    using namespace attr;
    switch (value) {
    case 0: return kNormal;
    case 1: return a | kBold;
    case 2: return a | kFaint;
    case 3: return a | kItalic;
    case 4: return subUnderlineOff ? a & ~kUnderline : a | kUnderline;
    case 5:
    case 6: return a | kBlink;
    case 7: return a | kReverse;
    case 9: return a | kStrike;
    case 22: return a & ~(kBold | kFaint);
    case 23: return a & ~kItalic;
    case 24: return a & ~kUnderline;
    case 25: return a & ~kBlink;
    case 27: return a & ~kReverse;
    case 29: return a & ~kStrike;
    default: return a;
    }
}

// Applies the list as `groups` groups, each a value and the sub-parameters joined to it by
// ':'; group g starts at values[start(g)], and start(groups) is the end of the list.
// Always inlined, so that the rendition it gives stays in registers: returned from a call,
// it came back through memory in a way that stalled the caller's next read of it.
template <typename Start>
[[gnu::always_inline]] inline Rendition ApplyGroups(const Rendition& from, const int* values,
                                                    int groups, Start start) {
    auto base = [&](int g) { return values[start(g)]; };
    Working w{from.attr, from.text, from.back};
    auto result = [&w]() { return Rendition{w.attr, w.text, w.back}; };

    int g = 0;
    while (g < groups) {
        const int value = base(g);
        const int* sub = values + start(g) + 1;
        const int subs = start(g + 1) - start(g) - 1;

        if (value == 38 || value == 48 || value == 58) {
            if (subs > 0) {
                ExtendedFromGroup(w, value, sub, subs);
                ++g;
                continue;
            }
            // 38;5;n and 38;2;r;g;b take the groups after them.
            const int left = groups - g - 1;
            if (left >= 1 && base(g + 1) == 5) {
                if (left >= 2 && IsByte(base(g + 2)))
                    w.SetExtended(value, XtermCellColor(base(g + 2)));
                g += 3;
            } else if (left >= 1 && base(g + 1) == 2) {
                if (left >= 4 && IsByte(base(g + 2)) && IsByte(base(g + 3)) && IsByte(base(g + 4)))
                    w.SetExtended(value, Rgb(base(g + 2), base(g + 3), base(g + 4)));
                g += 5;
            } else {
                return result();
            }
            continue;
        }

        if (value == 0) {
            w = Working{attr::kNormal, 0, 0};
        } else if (value >= 30 && value <= 37) {
            w.text = SystemCellColor(value - 30);
        } else if (value == 39) {
            w.text = 0;
        } else if (value >= 40 && value <= 47) {
            w.back = SystemCellColor(value - 40);
        } else if (value == 49) {
            w.back = 0;
        } else if (value >= 90 && value <= 97) {
            w.text = SystemCellColor(value - 90 + 8);
        } else if (value >= 100 && value <= 107) {
            w.back = SystemCellColor(value - 100 + 8);
        } else {
            w.attr = Style(w.attr, value, value == 4 && subs > 0 && sub[0] == 0);
        }
        ++g;
    }
    return result();
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

namespace {

// Each value a group of its own: what nearly every server sends.
[[gnu::always_inline]] inline Rendition ApplyList(const Rendition& from, const int* values,
                                                  int count) {
    return ApplyGroups(from, values, count, [](int g) { return g; });
}

Rendition ApplyList(const Rendition& from, const int* values, const bool* joined, int count) {
    // Mostly nothing is joined, and each value is a group of its own.
    bool anyJoined = false;
    for (int k = 1; k < count; ++k)
        anyJoined |= joined[k];
    if (!anyJoined) return ApplyList(from, values, count);
    int starts[kMaxFullCsiParams + 2];
    int groups = 0;
    for (int k = 0; k < count && groups <= kMaxFullCsiParams; ++k)
        if (k == 0 || !joined[k]) starts[groups++] = k;
    starts[groups] = count;
    return ApplyGroups(from, values, groups, [&starts](int g) { return starts[g]; });
}

// The text and background colours a cell is written with: reverse video swaps them, a
// default taking the screen's own colour of the other side.
CellPen WrittenColors(const Rendition& rendition) {
    if (!(rendition.attr & attr::kReverse)) return {rendition.text, rendition.back};
    return {rendition.back ? rendition.back : kCellDefaultBack,
            rendition.text ? rendition.text : kCellDefaultText};
}

} // namespace

void ApplyFullColourSequence(const ControlSequence& sequence, Rendition& rendition, Attr& attr,
                             CellPen& pen) {
    // The cells written next read all of this back at once, and a read that spans two
    // stores waits for both to reach memory: the rendition goes field by field, as it is
    // read, and the pen, read as one, in one store.
    auto keep = [&](const Rendition& r) {
        rendition.attr = r.attr;
        rendition.text = r.text;
        rendition.back = r.back;
        attr = r.attr;
        const CellPen written = WrittenColors(r);
        static_assert(offsetof(CellPen, back) == sizeof(CellColor));
        constexpr bool kTextFirst = std::endian::native == std::endian::little;
        const std::uint64_t first = kTextFirst ? written.text : written.back;
        const std::uint64_t second = kTextFirst ? written.back : written.text;
        pen = std::bit_cast<CellPen>(first | second << 32);
    };
    if (!sequence.leadingSeparator && !sequence.anyJoined) {
        keep(ApplyList(rendition, sequence.values, sequence.count));
    } else if (!sequence.leadingSeparator) {
        // The first value follows no separator, so it is joined to nothing.
        keep(ApplyList(rendition, sequence.values, sequence.joined, sequence.count));
    } else {
        // A list that starts with a separator has an empty value first, as anywhere else.
        int list[kMaxFullCsiParams + 1];
        bool joinedList[kMaxFullCsiParams + 1];
        std::copy_n(sequence.values, sequence.count, list + 1);
        std::copy_n(sequence.joined, sequence.count, joinedList + 1);
        list[0] = 0;
        joinedList[0] = false;
        keep(ApplyList(rendition, list, joinedList, sequence.count + 1));
    }
}

} // namespace tav
