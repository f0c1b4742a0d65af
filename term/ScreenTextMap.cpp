#include "term/ScreenTextMap.h"

#include <algorithm>

namespace tav {

int ScreenTextMap::FilledLength(const ScreenLine& line) {
    int n = kBufferColumns;
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

std::string ScreenTextMap::LineText(int line) const {
    const ScreenLine& cells = screen_.Line(ClampLine(line));
    const int length = FilledLength(cells);
    std::string text(cells.ch, static_cast<std::size_t>(length));
    std::replace(text.begin(), text.end(), '\0', ' ');
    return text;
}

std::string ScreenTextMap::Text(int start, int end) {
    const int count = CharacterCount();
    start = std::clamp(start, 0, count);
    end = std::clamp(end, start, count);
    std::string text;
    text.reserve(static_cast<std::size_t>(end - start));
    const Position first = PositionAt(start);
    int offset = start;
    for (int line = first.line; offset < end; ++line) {
        const int lineStart = starts_[static_cast<std::size_t>(line)];
        const std::string whole = LineText(line) + '\n';
        const int from = offset - lineStart;
        const int to = std::min(end - lineStart, static_cast<int>(whole.size()));
        text.append(whole, static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
        offset = lineStart + to;
    }
    return text;
}

} // namespace tav
