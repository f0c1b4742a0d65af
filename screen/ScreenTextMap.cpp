#include "screen/ScreenTextMap.h"

#include "screen/TextDecoder.h"

#include <algorithm>

namespace tav {

int ScreenTextMap::FilledLength(const ScreenLine& line) {
    int n = line.width;
    while (n > 0 && line.ch[n - 1] == 0)
        --n;
    return n;
}

void ScreenTextMap::Refresh() {
    const int lines = screen_.Lines();
    if (!stale_.exchange(false, std::memory_order_relaxed) &&
        starts_.size() == static_cast<std::size_t>(lines) + 1)
        return;
    starts_.resize(static_cast<std::size_t>(lines) + 1);
    int offset = 0;
    for (int n = 0; n < lines; ++n) {
        starts_[static_cast<std::size_t>(n)] = offset;
        offset += FilledLength(screen_.Line(n)) + 1; // the line and its '\n'
    }
    starts_[static_cast<std::size_t>(lines)] = offset;
}

int ScreenTextMap::ClampLine(int line) const {
    return std::clamp(line, 0, screen_.Lines() - 1);
}

int ScreenTextMap::CharacterCount() {
    Refresh();
    // The last line has no '\n' after it.
    return starts_.back() - 1;
}

int ScreenTextMap::LineStart(int line) {
    Refresh();
    return starts_[static_cast<std::size_t>(ClampLine(line))];
}

int ScreenTextMap::LineLength(int line) {
    Refresh();
    const auto n = static_cast<std::size_t>(ClampLine(line));
    return starts_[n + 1] - starts_[n] - 1;
}

ScreenTextMap::Position ScreenTextMap::PositionAt(int offset) {
    Refresh();
    offset = std::clamp(offset, 0, starts_.back() - 1);
    // The last line starting at or before the offset.
    const auto after = std::upper_bound(starts_.begin(), starts_.end() - 1, offset);
    const int line = static_cast<int>(after - starts_.begin()) - 1;
    return {line, offset - starts_[static_cast<std::size_t>(line)]};
}

int ScreenTextMap::OffsetAt(int line, int col) {
    line = ClampLine(line);
    return LineStart(line) + std::clamp(col, 0, LineLength(line));
}

std::u16string ScreenTextMap::LineUnits(int line) const {
    const ScreenLine& cells = screen_.Line(ClampLine(line));
    const int length = FilledLength(cells);
    std::u16string units;
    units.reserve(static_cast<std::size_t>(length));
    for (int k = 0; k < length; ++k) {
        const Cell c = cells.ch[k];
        if (c == 0) {
            units.push_back(u' ');
        } else if (c == kWideTail) {
            // The right half reads as a word joiner, unless the character needed two
            // units itself.
            if (k == 0 || cells.ch[k - 1] < 0x10000) units.push_back(u'\u2060');
        } else {
            const char32_t shown = ComposedWithMarks(c, cells.MarksOf(k), kMaxCellMarks);
            const bool pairFits =
                shown >= 0x10000 && k + 1 < length && cells.ch[k + 1] == kWideTail;
            if (shown < 0x10000) {
                units.push_back(static_cast<char16_t>(shown));
            } else if (pairFits) {
                units.push_back(static_cast<char16_t>(0xD800 + ((shown - 0x10000) >> 10)));
                units.push_back(static_cast<char16_t>(0xDC00 + ((shown - 0x10000) & 0x3FF)));
            } else {
                units.push_back(u'\uFFFD');
            }
        }
    }
    return units;
}

std::string ScreenTextMap::FromUnits(std::u16string_view units) const {
    std::string text;
    text.reserve(units.size());
    if (!HasUnicodeCells(screen_.Encoding())) {
        for (char16_t u : units)
            text.push_back(static_cast<char>(u));
        return text;
    }
    for (std::size_t k = 0; k < units.size(); ++k) {
        char32_t c = units[k];
        if (c >= 0xD800 && c <= 0xDBFF && k + 1 < units.size() && units[k + 1] >= 0xDC00 &&
            units[k + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++k] - 0xDC00);
        AppendEncoded(text, c, TextEncoding::Utf8); // a lone surrogate becomes '?'
    }
    return text;
}

std::string ScreenTextMap::LineText(int line) const {
    return FromUnits(LineUnits(line));
}

std::string ScreenTextMap::Text(int start, int end) {
    const int count = CharacterCount();
    start = std::clamp(start, 0, count);
    end = std::clamp(end, start, count);
    std::u16string text;
    text.reserve(static_cast<std::size_t>(end - start));
    const Position first = PositionAt(start);
    int offset = start;
    for (int line = first.line; offset < end; ++line) {
        const int lineStart = starts_[static_cast<std::size_t>(line)];
        const std::u16string whole = LineUnits(line) + u'\n';
        const int from = offset - lineStart;
        const int to = std::min(end - lineStart, static_cast<int>(whole.size()));
        text.append(whole, static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
        offset = lineStart + to;
    }
    return FromUnits(text);
}

} // namespace tav
