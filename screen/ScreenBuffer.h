#pragma once

#include "screen/LineColors.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tav {

// The columns of a line: the classic 132, or kWideBufferColumns for a screen as wide as
// its window. A column always fits a byte.
inline constexpr int kBufferColumns = 132;
inline constexpr int kWideBufferColumns = 256;
inline constexpr int kMaxBufferColumns = kWideBufferColumns;

using Attr = std::uint32_t;

// Attribute bits of a cell.
namespace attr {
inline constexpr Attr kNormal = 0x1;
inline constexpr Attr kBold = 0x2;
inline constexpr Attr kUnderline = 0x4;
inline constexpr Attr kBlink = 0x8;
inline constexpr Attr kReverse = 0x10;
inline constexpr Attr kRed = 0x20;
inline constexpr Attr kGreen = 0x40;
inline constexpr Attr kBlue = 0x80;
inline constexpr Attr kGray = 0x100;
// Drawn only on screens in full colour.
inline constexpr Attr kItalic = 0x10000;
inline constexpr Attr kStrike = 0x20000;
inline constexpr Attr kFaint = 0x40000;
inline constexpr Attr kSelected = 0x100000;
inline constexpr Attr kUrl = 0x200000;
} // namespace attr

// How the characters of a completed line look, for a log in colour: the attribute of
// each and, when the line has any, their explicit colours (else both spans are empty).
struct LineLook {
    std::span<const Attr> attrs;
    std::span<const CellColor> textColors;
    std::span<const CellColor> backColors;
};

// What a cell holds: a character (a Latin-1 byte value in the 8-bit encodings, any
// Unicode character otherwise), 0 for an empty cell, or kWideTail for the right half of a
// character two cells wide, whose left half holds the character.
using Cell = char32_t;
inline constexpr Cell kWideTail = 0x110000; // no character has this value

// Combining marks a cell keeps on its character; marks beyond them are dropped.
inline constexpr int kMaxCellMarks = 2;
struct LineMarks {
    Cell mark[kMaxBufferColumns][kMaxCellMarks]{}; // 0 = no mark
};

// One buffer line: `width` cells and their attributes. Explicit colours and combining
// marks are kept only for lines that have had one since they were last blanked whole, so
// plain text costs nothing more. Moving a line swaps it with the target, storage and all,
// so lines shift through the buffer without copying a cell.
struct ScreenLine {
    Cell* ch = nullptr;
    Attr* attr = nullptr;
    int width = 0;
    std::unique_ptr<LineColors> colors;
    // Which completed line this is (TakenLine::serial); 0 for a line not completed since
    // it was last blanked whole.
    std::uint64_t serial = 0;
    std::unique_ptr<LineMarks> marks;
    // The colours a blanking took from the line, kept for its next coloured text so that a
    // coloured flood does not allocate and free them line by line. Never copied.
    std::unique_ptr<LineColors> spareColors;
    // Cells at and past `written` are as the last whole-line Blank left them: empty, with
    // attribute `blankAttr`. Blanking the line again with that attribute need only clear
    // the cells before. Every change raises it: PrepareWrite for cells, MarkWritten for
    // attributes alone.
    int written = 0;
    Attr blankAttr = 0;

    ScreenLine() = default;
    // A line of `columns` cells (1..kMaxBufferColumns), empty with attribute `a`.
    ScreenLine(int columns, Attr a);
    ScreenLine(const ScreenLine& other);
    ScreenLine& operator=(const ScreenLine& other);
    ScreenLine(ScreenLine&& other) noexcept { swap(other); }
    ScreenLine& operator=(ScreenLine&& other) noexcept {
        swap(other);
        return *this;
    }
    void swap(ScreenLine& other) noexcept;

    std::span<Attr> Attrs() { return {attr, static_cast<std::size_t>(width)}; }
    std::span<const Attr> Attrs() const { return {attr, static_cast<std::size_t>(width)}; }
    std::span<const Cell> Cells() const { return {ch, static_cast<std::size_t>(width)}; }

    CellColor TextColor(int col) const { return colors ? colors->Text(col) : 0; }
    CellColor BackColor(int col) const { return colors ? colors->Back(col) : 0; }
    // The line's colours, made (from the spare, when there is one) if it has none.
    LineColors& Colors() { return colors ? *colors : MakeColors(); }
    // Gives cells from..to-1 these colours (0 for none).
    void SetColors(int from, int to, CellColor text, CellColor back) {
        // Most text has no explicit colour, on a line that has had none: nothing to keep.
        if (from >= to || (!colors && text == 0 && back == 0)) return;
        Colors().Set(from, to, text, back);
    }

    // SetColors for a word of n < 16 cells written at the end of the line's text.
    void SetWordColors(int from, int n, CellColor text, CellColor back) {
        if (!colors && text == 0 && back == 0) return;
        LineColors& lineColors = Colors();
        if (!lineColors.SetWord(from, n, text, back)) lineColors.Set(from, from + n, text, back);
    }

    void Blank(Attr a);
    void Blank(int from, int to, Attr a); // columns from..to-1; their colours go too
    // Cells from..to-1 are being overwritten: a URL marked across either edge is cut, so
    // the rest of it loses its mark and is never taken for a URL of its own.
    void UnmarkCutUrls(int from, int to);
    // Cells from..to-1 are being overwritten or erased: a wide character cut in half at
    // either edge leaves a space in its other half, and the cells' marks go.
    void CutWide(int from, int to);
    // Attributes of cells before `to` are about to change.
    void MarkWritten(int to) { written = std::max(written, to); }
    // Every change of cells from..to-1 goes through here first.
    void PrepareWrite(int from, int to) {
        // Mostly there is nothing to do, and the cells at the edges tell so without a call.
        // A cell at or past `written` is empty and holds no URL: writing up to it cuts
        // nothing there (and its memory need not be read).
        auto inLine = [this](int col) { return col >= 0 && col < width; };
        const bool afterBlank = to >= written && !(blankAttr & attr::kUrl);
        MarkWritten(to);
        if ((inLine(from - 1) && (attr[from - 1] & attr::kUrl)) ||
            (!afterBlank && inLine(to) && (attr[to] & attr::kUrl)))
            UnmarkCutUrls(from, to);
        if (marks || (from > 0 && inLine(from) && ch[from] == kWideTail) ||
            (!afterBlank && to > 0 && inLine(to) && ch[to] == kWideTail))
            CutWide(from, to);
    }
    // Adds a combining mark to a cell; false when the cell has kMaxCellMarks already.
    bool AddMark(int col, Cell mark);
    const Cell* MarksOf(int col) const { return marks ? marks->mark[col] : nullptr; }
    // The line made `columns` wide: cells up to the narrower width keep what they hold, the
    // cells a narrower line loses are erased first, and new cells are empty like the blank
    // part of the line.
    void Resize(int columns);

private:
    // New storage for `columns` cells, their contents not yet set.
    void Allocate(int columns);
    LineColors& MakeColors();

    std::unique_ptr<Cell[]> cells_;
    std::unique_ptr<Attr[]> attrs_;
};

// Appends the text of cells from..to-1: in the 8-bit encodings (utf8 false) each
// filled cell's byte; otherwise UTF-8, each character with its marks. Empty cells and
// right halves give nothing. When attrs is given, it gets each appended byte's attribute,
// and columns each appended byte's column.
void AppendCellText(std::string& out, const ScreenLine& line, int from, int to, bool utf8,
                    std::vector<Attr>* attrs = nullptr,
                    std::vector<std::uint8_t>* columns = nullptr);
// The cells up to the first empty one.
int TextLength(const ScreenLine& line);

// The scrollback lines, oldest first, kept as a ring so that dropping the oldest line
// and opening a new one at the bottom costs the same whatever the line count. A line
// number outside 0..Lines()-1 stops the program, in every build: wrapped onto the ring it
// would silently read or overwrite another line, or memory past the buffer.
class ScreenBuffer {
public:
    explicit ScreenBuffer(int lines, int columns = kBufferColumns);

    int Lines() const { return count_; }
    int Columns() const { return columns_; }
    // Lines that have left the buffer so far: dropped at the top, or cleared by Reset.
    std::int64_t Dropped() const { return dropped_; }
    ScreenLine& operator[](int n) { return lines_[Physical(n)]; }
    const ScreenLine& operator[](int n) const { return lines_[Physical(n)]; }

    // All lines empty with attribute 0x1.
    void Reset(int lines);
    // Every line made `columns` wide (see ScreenLine::Resize); the lines stay.
    void SetColumns(int columns);
    // Drops line 0; the new last line is empty with attribute a.
    void Advance(Attr a);
    // Asks the processor to fetch the start of what the next Advance will blank: the
    // oldest line left the caches long ago, and reading a game line gives the fetch time.
    void PrefetchOldest() const {
        const ScreenLine& line = lines_[static_cast<std::size_t>(head_)];
        __builtin_prefetch(&line.colors, 1);
        __builtin_prefetch(line.ch, 1);
        __builtin_prefetch(line.attr, 1);
    }
    // Takes line n out: lines n+1..last move up one, and line `last` becomes empty with
    // attribute a. Lines below `last` stay where they are (the caller knows them empty).
    void Remove(int n, int last, Attr a);

private:
    std::size_t Physical(int n) const {
        if (static_cast<unsigned>(n) >= static_cast<unsigned>(count_)) [[unlikely]]
            LineOutOfRange(n, count_);
        const int p = head_ + n;
        return static_cast<std::size_t>(p >= count_ ? p - count_ : p);
    }
    [[noreturn]] static void LineOutOfRange(int n, int count);

    std::vector<ScreenLine> lines_;
    int count_ = 0;
    int columns_ = kBufferColumns;
    int head_ = 0;
    std::int64_t dropped_ = 0;
};

} // namespace tav
