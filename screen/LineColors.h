#pragma once

#include "screen/BlockScan.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace tav {

// A colour a cell carries beyond its attribute bits: kCellColorSet with 0x00BBGGRR, or
// 0 when the attribute bits (text) or the screen (background) decide.
using CellColor = std::uint32_t;
inline constexpr CellColor kCellColorSet = 0x01000000;
constexpr CellColor ExplicitCellColor(std::uint32_t bgr) {
    return kCellColorSet | (bgr & 0xFFFFFF);
}
// A colour looked up in the screen's palette when drawn, so it follows the colour table:
// one of the 16 system colours (0 black .. 7 white, 8..15 their bright forms), or the
// screen's own text or background colour (what reverse video puts where the other was).
inline constexpr CellColor kCellColorSystem = 0x02000000;
inline constexpr int kSystemColorCount = 16;
inline constexpr CellColor kCellDefaultText = kCellColorSystem | 16;
inline constexpr CellColor kCellDefaultBack = kCellColorSystem | 17;
constexpr CellColor SystemCellColor(int index) {
    return kCellColorSystem | static_cast<CellColor>(index & 0xF);
}
constexpr bool IsSystemCellColor(CellColor color) {
    return (color & kCellColorSystem) != 0;
}

// The explicit colours of one line's cells, as many as the line has columns. A line has
// few colours however many of its cells carry them: each cell keeps the number of its
// pair of colours, two bytes rather than the eight of the colours themselves, and the
// line keeps the pairs, the first few of them in its own block. A coloured flood writes
// and later reads a quarter of the memory it would with the colours in every cell.
class LineColors {
public:
    struct Pair {
        CellColor text = 0;
        CellColor back = 0;
        friend bool operator==(const Pair&, const Pair&) = default;
    };

    // Colours for `columns` cells (1..kMaxBufferColumns), all 0.
    static std::unique_ptr<LineColors> Make(int columns);
    // A copy of these colours in storage of its own.
    std::unique_ptr<LineColors> Clone() const;
    LineColors(const LineColors&) = delete;
    LineColors& operator=(const LineColors&) = delete;
    ~LineColors() = default;
    static void operator delete(void* p) { ::operator delete(p); }

    int Columns() const { return columns_; }
    // Columns at and past this one hold no colour: clearing for reuse stops here.
    int Used() const { return used_; }
    CellColor Text(int col) const { return pairs_[pairOf_[col]].text; }
    CellColor Back(int col) const { return pairs_[pairOf_[col]].back; }

    // Gives cells from..to-1 these colours (0 for none).
    void Set(int from, int to, CellColor text, CellColor back) {
        assert(from >= 0 && to <= columns_);
        if (text == 0 && back == 0) {
            Clear(from, to);
            return;
        }
        if (from >= to) return;
        Fill(pairOf_ + from, to - from, Number({text, back}));
        used_ = std::max(used_, to);
    }
    // As Set for a word of n < 16 cells at `from`, when nothing from its end on has colour
    // and sixteen cells fit from `from`: all sixteen are written, the same stores for every
    // length. False, with nothing done, when that does not hold.
    bool SetWord(int from, int n, CellColor text, CellColor back) {
        if (from + n < used_ || from + static_cast<int>(kScanBlock) > columns_ ||
            (text == 0 && back == 0))
            return false;
        FillSixteen(pairOf_ + from, static_cast<std::size_t>(n), Number({text, back}));
        used_ = from + n;
        return true;
    }
    // Each colour given (not 0) replaces the one cells from..to-1 have; the other stays.
    void Recolour(int from, int to, CellColor text, CellColor back);
    // Takes the colours of the columns both have; the rest of this line's become 0.
    void CopyFrom(const LineColors& other);
    // Every cell's colours 0 again, for a line opened anew.
    void Cleared();
    // Asks the processor to fetch what clearing and colouring `columns` cells again will
    // write. Reads nothing of the block, which mostly left the caches long ago: the pair
    // numbers follow its header.
    void PrefetchReuse(int columns) const {
        constexpr std::size_t kCacheLine = 64;
        const auto* block = reinterpret_cast<const char*>(this);
        const std::size_t bytes =
            sizeof(LineColors) + sizeof(PairNumber) * static_cast<std::size_t>(columns);
        for (std::size_t at = 0; at < bytes; at += kCacheLine)
            __builtin_prefetch(block + at, 1);
    }

private:
    using PairNumber = std::uint16_t;
    static constexpr int kInlinePairs = 16;

    LineColors(int columns, PairNumber* pairOf);
    // Cells from..to-1 without colour.
    void Clear(int from, int to);
    // The number of a pair: the last one added when it is that pair, else a new one
    // (looking further costs more than the room a pair taken twice needs).
    PairNumber Number(const Pair& pair) {
        if (pairs_[pairCount_ - 1] == pair) return static_cast<PairNumber>(pairCount_ - 1);
        return Add(pair);
    }
    // Full room is made by dropping the pairs no cell has any more, which renumbers the
    // cells.
    PairNumber Add(const Pair& pair);
    // Mostly a word's few cells: stores of four numbers at once, the last one overlapping
    // the one before, rather than a loop whose end is guessed wrong.
    static void Fill(PairNumber* cells, int n, PairNumber number) {
        if (n < 4) {
            for (int k = 0; k < n; ++k)
                cells[k] = number;
            return;
        }
        const std::uint64_t four = 0x0001000100010001ull * number;
        for (int k = 0; k < n - 4; k += 4)
            std::memcpy(cells + k, &four, sizeof four);
        std::memcpy(cells + n - 4, &four, sizeof four);
    }
    // Room for this many pairs (the pairs kept).
    void Reserve(int pairs);
    // More pairs than the line's cells could all have at once, with pair 0 and one new.
    int MaxPairs() const { return columns_ + 2; }
    void Compact();

    int used_ = 0;
    const int columns_;
    int pairCount_ = 1; // pairs_[0] is {0, 0}, the pair of a cell without colour
    int pairCapacity_ = kInlinePairs;
    Pair* pairs_;
    PairNumber* const pairOf_; // follows this object in the same allocation
    std::unique_ptr<Pair[]> morePairs_;
    Pair inlinePairs_[kInlinePairs];
};

} // namespace tav
