#include "term/ScreenBuffer.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tav {

ScreenLine::ScreenLine(const ScreenLine& other) {
    *this = other;
}

ScreenLine& ScreenLine::operator=(const ScreenLine& other) {
    if (this == &other) return *this;
    std::memcpy(ch, other.ch, sizeof ch);
    std::memcpy(attr, other.attr, sizeof attr);
    serial = other.serial;
    if (!other.colors)
        colors.reset();
    else if (colors)
        *colors = *other.colors;
    else
        colors = std::make_unique<LineColors>(*other.colors);
    return *this;
}

void ScreenLine::SetColors(int from, int to, CellColor text, CellColor back) {
    assert(from >= 0 && to <= kBufferColumns);
    if (from >= to || (!colors && text == 0 && back == 0)) return;
    if (!colors) colors = std::make_unique<LineColors>();
    std::fill(colors->text + from, colors->text + to, text);
    std::fill(colors->back + from, colors->back + to, back);
}

void ScreenLine::Blank(Attr a) {
    colors.reset();
    serial = 0;
    Blank(0, kBufferColumns, a);
}

void ScreenLine::Blank(int from, int to, Attr a) {
    assert(from >= 0 && to <= kBufferColumns);
    if (from >= to) return;
    UnmarkCutUrls(from, to);
    std::memset(ch + from, 0, static_cast<std::size_t>(to - from));
    std::fill(attr + from, attr + to, a);
    SetColors(from, to, 0, 0);
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

void ScreenBuffer::Remove(int n, int last, Attr a) {
    for (int i = n; i < last; ++i)
        (*this)[i] = std::move((*this)[i + 1]);
    (*this)[last].Blank(a);
}

void ScreenBuffer::Advance(Attr a) {
    lines_[static_cast<std::size_t>(head_)].Blank(a);
    head_ = head_ + 1 == count_ ? 0 : head_ + 1;
    ++dropped_;
}

} // namespace tav
