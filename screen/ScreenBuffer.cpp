#include "screen/ScreenBuffer.h"

#include "screen/BlockScan.h"
#include "screen/TextDecoder.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace tav {

ScreenLine::ScreenLine(int columns, Attr a) {
    Allocate(std::clamp(columns, 1, kMaxBufferColumns));
    blankAttr = ~a; // not yet blanked: the whole line is
    Blank(a);
}

void ScreenLine::Allocate(int columns) {
    width = columns;
    cells_ = std::make_unique_for_overwrite<Cell[]>(static_cast<std::size_t>(columns));
    attrs_ = std::make_unique_for_overwrite<Attr[]>(static_cast<std::size_t>(columns));
    ch = cells_.get();
    attr = attrs_.get();
}

ScreenLine::ScreenLine(const ScreenLine& other) {
    *this = other;
}

void ScreenLine::swap(ScreenLine& other) noexcept {
    using std::swap;
    swap(ch, other.ch);
    swap(attr, other.attr);
    swap(width, other.width);
    swap(colors, other.colors);
    swap(serial, other.serial);
    swap(marks, other.marks);
    swap(spareColors, other.spareColors);
    swap(written, other.written);
    swap(blankAttr, other.blankAttr);
    swap(cells_, other.cells_);
    swap(attrs_, other.attrs_);
}

ScreenLine& ScreenLine::operator=(const ScreenLine& other) {
    if (this == &other) return *this;
    if (width != other.width) Allocate(other.width);
    std::copy(other.ch, other.ch + width, ch);
    std::copy(other.attr, other.attr + width, attr);
    serial = other.serial;
    written = other.written;
    blankAttr = other.blankAttr;
    if (!other.colors)
        colors.reset();
    else if (colors && colors->Columns() == width)
        colors->CopyFrom(*other.colors);
    else
        colors = other.colors->Clone();
    if (spareColors && spareColors->Columns() != width) spareColors.reset();
    if (!other.marks)
        marks.reset();
    else if (marks)
        *marks = *other.marks;
    else
        marks = std::make_unique<LineMarks>(*other.marks);
    return *this;
}

LineColors& ScreenLine::MakeColors() {
    if (spareColors) {
        colors = std::move(spareColors);
        colors->Cleared();
    } else {
        colors = LineColors::Make(width);
    }
    return *colors;
}

void ScreenLine::Blank(Attr a) {
    if (colors && !spareColors)
        spareColors = std::move(colors);
    else
        colors.reset();
    if (spareColors) {
        // A line blanked whole is mostly the oldest one, opened again for new text: its
        // colours left the caches long ago, and coloured text will want them soon, first
        // to clear them as far as they were used, mostly no further than the text went.
        spareColors->PrefetchReuse(written);
    }
    serial = 0;
    marks.reset();
    const int to = a == blankAttr ? written : width;
    std::fill(ch, ch + to, Cell{0});
    BlockFill(attr, static_cast<std::size_t>(to), a);
    written = 0;
    blankAttr = a;
}

void ScreenLine::Blank(int from, int to, Attr a) {
    assert(from >= 0 && to <= width);
    if (from >= to) return;
    PrepareWrite(from, to);
    std::fill(ch + from, ch + to, Cell{0});
    BlockFill(attr + from, static_cast<std::size_t>(to - from), a);
    SetColors(from, to, 0, 0);
}

void ScreenLine::UnmarkCutUrls(int from, int to) {
    for (int k = from - 1; k >= 0 && (attr[k] & attr::kUrl); --k)
        attr[k] &= ~attr::kUrl;
    for (int k = to; k < width && (attr[k] & attr::kUrl); ++k)
        attr[k] &= ~attr::kUrl;
}

void ScreenLine::CutWide(int from, int to) {
    if (from > 0 && from < width && ch[from] == kWideTail) ch[from - 1] = ' ';
    if (to > 0 && to < width && ch[to] == kWideTail) ch[to] = ' ';
    if (marks)
        for (int k = from; k < to; ++k)
            std::fill(marks->mark[k], marks->mark[k] + kMaxCellMarks, Cell{0});
}

void ScreenLine::Resize(int columns) {
    columns = std::clamp(columns, 1, kMaxBufferColumns);
    if (columns == width) return;
    if (columns < width) Blank(columns, width, blankAttr);
    const int kept = std::min(columns, width);
    const std::unique_ptr<Cell[]> oldCells = std::move(cells_);
    const std::unique_ptr<Attr[]> oldAttrs = std::move(attrs_);
    Allocate(columns);
    std::copy(oldCells.get(), oldCells.get() + kept, ch);
    std::copy(oldAttrs.get(), oldAttrs.get() + kept, attr);
    // New cells are empty like the blank part of the line.
    std::fill(ch + kept, ch + columns, Cell{0});
    BlockFill(attr + kept, static_cast<std::size_t>(columns - kept), blankAttr);
    written = std::min(written, columns);
    // The colours move into room for the new width (the erase above cleared those of the
    // columns a narrower line lost); marks have room for every column a line can have.
    if (colors) {
        std::unique_ptr<LineColors> resized = LineColors::Make(columns);
        resized->CopyFrom(*colors);
        colors = std::move(resized);
    }
    spareColors.reset();
}

bool ScreenLine::AddMark(int col, Cell mark) {
    if (!marks) marks = std::make_unique<LineMarks>();
    Cell* slots = marks->mark[col];
    for (int k = 0; k < kMaxCellMarks; ++k)
        if (slots[k] == 0) {
            slots[k] = mark;
            return true;
        }
    return false;
}

namespace {

// The UTF-8 text of cells from..to-1 of a line without marks, and the column of each of
// its bytes: the usual completed line of a Unicode screen. Both gather on the stack, a
// store per byte, and are appended once, so the line's text is allocated once and never
// cleared first.
void AppendUnicodeCells(std::string& out, const ScreenLine& line, int from, int to,
                        std::vector<std::uint8_t>& columns) {
    assert(from >= 0 && to <= line.width);
    constexpr std::size_t kRoom = static_cast<std::size_t>(kMaxBufferColumns) * 4;
    char bytes[kRoom];
    std::uint8_t columnOf[kRoom];
    std::size_t n = 0;
    const auto walk = [&](int k, int end) {
        for (; k < end; ++k) {
            const Cell c = line.ch[k];
            const auto column = static_cast<std::uint8_t>(k);
            if (c < 0x80) {
                if (c == 0) continue;
                bytes[n] = static_cast<char>(c);
                columnOf[n++] = column;
            } else if (c != kWideTail) {
                const std::size_t length = EncodeUtf8(c, bytes + n);
                for (std::size_t b = 0; b < length; ++b)
                    columnOf[n++] = column;
            }
        }
    };
    // Most of a line is ASCII: such blocks are narrowed at once, and a block with
    // anything else (an empty cell included) is walked cell by cell.
    constexpr int kBlock = static_cast<int>(kScanBlock);
    int k = from;
    for (; k + kBlock <= to; k += kBlock) {
        char block[kScanBlock];
        std::uint8_t blockColumns[kScanBlock];
        unsigned other = 0;
        for (std::size_t j = 0; j < kScanBlock; ++j) {
            const Cell c = line.ch[static_cast<std::size_t>(k) + j];
            block[j] = static_cast<char>(c);
            blockColumns[j] = static_cast<std::uint8_t>(static_cast<std::size_t>(k) + j);
            other |= c - 1 >= 0x7F ? 1u : 0u;
        }
        if (other) {
            walk(k, k + kBlock);
        } else {
            std::memcpy(bytes + n, block, kScanBlock);
            std::memcpy(columnOf + n, blockColumns, kScanBlock);
            n += kScanBlock;
        }
    }
    walk(k, to);
    out.append(bytes, n);
    columns.insert(columns.end(), columnOf, columnOf + n);
}

} // namespace

void AppendCellText(std::string& out, const ScreenLine& line, int from, int to, bool utf8,
                    std::vector<Attr>* attrs, std::vector<std::uint8_t>* columns) {
    static_assert(kMaxBufferColumns <= 256, "a column must fit a byte");
    if (from >= to) return;
    if (utf8 && !attrs && columns && !line.marks) {
        AppendUnicodeCells(out, line, from, to, *columns);
        return;
    }
    // Every completed line passes here: the text is written into place, a byte per cell
    // (or the few of a character), and the attributes and columns follow in runs.
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(to - from) * (utf8 ? 4 * (1 + kMaxCellMarks) : 1));
    char* const text = out.data();
    std::size_t used = start;
    // A byte each for the attributes and columns: fresh ones get room for the likely
    // count (a byte per cell) up front, so that appending them is a store, not a call.
    if (attrs && attrs->empty()) attrs->reserve(static_cast<std::size_t>(to - from));
    if (columns && columns->empty()) columns->reserve(static_cast<std::size_t>(to - from));
    int k = from;
    if (!utf8 && !attrs && !columns) {
        // A byte per cell: whole blocks are narrowed at once, and a block with an empty
        // cell or a right half goes through the walk below instead.
        for (; k + static_cast<int>(kScanBlock) <= to; k += static_cast<int>(kScanBlock)) {
            char block[kScanBlock];
            unsigned skipped = 0;
            for (std::size_t j = 0; j < kScanBlock; ++j) {
                const Cell c = line.ch[static_cast<std::size_t>(k) + j];
                block[j] = static_cast<char>(c);
                // Also beyond a byte: the right half of a wide character, or a character
                // a Unicode screen left before the encoding changed.
                skipped |= (c == 0 ? 1u : 0u) | (c > 0xFF ? 1u : 0u);
            }
            if (skipped) break;
            std::memcpy(text + used, block, kScanBlock);
            used += kScanBlock;
        }
    }
    for (; k < to; ++k) {
        const Cell c = line.ch[k];
        if (c == 0 || c == kWideTail) continue;
        const std::size_t before = used;
        if (!utf8) {
            text[used++] = c <= 0xFF ? static_cast<char>(c) : '?';
        } else if (c < 0x80 && !line.marks) {
            text[used++] = static_cast<char>(c);
        } else {
            used += EncodeUtf8(c, text + used);
            if (const Cell* marks = line.MarksOf(k))
                for (int m = 0; m < kMaxCellMarks && marks[m] != 0; ++m)
                    used += EncodeUtf8(marks[m], text + used);
        }
        for (std::size_t n = before; n < used; ++n) {
            if (attrs) attrs->push_back(line.attr[k]);
            if (columns) columns->push_back(static_cast<std::uint8_t>(k));
        }
    }
    out.resize(used);
}

int TextLength(const ScreenLine& line) {
    return static_cast<int>(FindFirst(line.ch, line.width, [](Cell c) { return c == 0; }));
}

ScreenBuffer::ScreenBuffer(int lines, int columns)
    : columns_(std::clamp(columns, 1, kMaxBufferColumns)) {
    Reset(lines);
}

void ScreenBuffer::Reset(int lines) {
    dropped_ += count_;
    count_ = std::max(lines, 1);
    head_ = 0;
    lines_.clear();
    lines_.reserve(static_cast<std::size_t>(count_));
    for (int n = 0; n < count_; ++n)
        lines_.emplace_back(columns_, attr::kNormal);
}

void ScreenBuffer::SetColumns(int columns) {
    columns_ = std::clamp(columns, 1, kMaxBufferColumns);
    for (auto& line : lines_)
        line.Resize(columns_);
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
