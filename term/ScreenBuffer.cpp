#include "term/ScreenBuffer.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tav {

void ScreenLine::Blank(Attr a) {
    Blank(0, kBufferColumns, a);
}

void ScreenLine::Blank(int from, int to, Attr a) {
    assert(from >= 0 && to <= kBufferColumns);
    if (from >= to) return;
    UnmarkCutUrls(from, to);
    std::memset(ch + from, 0, static_cast<std::size_t>(to - from));
    std::fill(attr + from, attr + to, a);
}

void ScreenLine::UnmarkCutUrls(int from, int to) {
    for (int k = from - 1; k >= 0 && (attr[k] & attr::kUrl); --k)
        attr[k] &= ~attr::kUrl;
    for (int k = to; k < kBufferColumns && (attr[k] & attr::kUrl); ++k)
        attr[k] &= ~attr::kUrl;
}

ScreenBuffer::ScreenBuffer(int lines) {
    Reset(lines);
}

void ScreenBuffer::Reset(int lines) {
    dropped_ += count_;
    count_ = std::max(lines, 1);
    head_ = 0;
    lines_.assign(static_cast<std::size_t>(count_), ScreenLine{});
    for (auto& line : lines_)
        line.Blank(attr::kNormal);
}

void ScreenBuffer::LineOutOfRange(int n, int count) {
    std::fprintf(stderr, "ScreenBuffer: line %d outside 0..%d\n", n, count - 1);
    std::abort();
}

void ScreenBuffer::Advance(Attr a) {
    lines_[static_cast<std::size_t>(head_)].Blank(a);
    head_ = head_ + 1 == count_ ? 0 : head_ + 1;
    ++dropped_;
}

} // namespace tav
