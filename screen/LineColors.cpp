#include "screen/LineColors.h"

#include "screen/ScreenBuffer.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstring>
#include <new>

namespace tav {

LineColors::LineColors(int columns, PairNumber* pairOf)
    : columns_(columns), pairs_(inlinePairs_), pairOf_(pairOf) {}

std::unique_ptr<LineColors> LineColors::Make(int columns) {
    columns = std::clamp(columns, 1, kMaxBufferColumns);
    static_assert(sizeof(LineColors) % alignof(PairNumber) == 0);
    void* raw =
        ::operator new(sizeof(LineColors) + static_cast<std::size_t>(columns) * sizeof(PairNumber));
    auto* pairOf =
        reinterpret_cast<PairNumber*>(static_cast<unsigned char*>(raw) + sizeof(LineColors));
    std::fill(pairOf, pairOf + columns, PairNumber{0});
    return std::unique_ptr<LineColors>(new (raw) LineColors(columns, pairOf));
}

std::unique_ptr<LineColors> LineColors::Clone() const {
    std::unique_ptr<LineColors> copy = Make(columns_);
    copy->CopyFrom(*this);
    return copy;
}

void LineColors::CopyFrom(const LineColors& other) {
    Cleared();
    Reserve(other.pairCount_);
    std::copy(other.pairs_, other.pairs_ + other.pairCount_, pairs_);
    pairCount_ = other.pairCount_;
    used_ = std::min(other.used_, columns_);
    std::copy(other.pairOf_, other.pairOf_ + used_, pairOf_);
}

void LineColors::Cleared() {
    std::fill(pairOf_, pairOf_ + used_, PairNumber{0});
    used_ = 0;
    pairCount_ = 1;
}

void LineColors::Clear(int from, int to) {
    assert(from >= 0 && to <= columns_);
    // Plain text after coloured: the columns past used_ hold no colour already, so the
    // memory of the rest of the line is not touched.
    const int end = std::min(to, used_);
    if (from >= end) return;
    std::fill(pairOf_ + from, pairOf_ + end, PairNumber{0});
    if (end == used_) used_ = from;
}

void LineColors::Recolour(int from, int to, CellColor text, CellColor back) {
    assert(from >= 0 && to <= columns_);
    if (from >= to || (text == 0 && back == 0)) return;
    // Counted as used first: a compaction on the way renumbers the cells already given
    // their new pair as well.
    used_ = std::max(used_, to);
    // A run of cells with one pair gets one new pair. The cells after the run are read
    // only once it is done, so that a compaction's new numbers are what they hold.
    for (int col = from; col < to;) {
        const PairNumber old = pairOf_[col];
        // Mostly the whole range is one run: four cells are compared at once.
        const std::uint64_t four = 0x0001000100010001ull * old;
        int end = col + 1;
        for (std::uint64_t next; end + 4 <= to; end += 4) {
            std::memcpy(&next, pairOf_ + end, sizeof next);
            if (next != four) break;
        }
        while (end < to && pairOf_[end] == old)
            ++end;
        Pair pair = pairs_[old];
        if (text != 0) pair.text = text;
        if (back != 0) pair.back = back;
        Fill(pairOf_ + col, end - col, Number(pair));
        col = end;
    }
}

LineColors::PairNumber LineColors::Add(const Pair& pair) {
    if (pair == Pair{}) return 0;
    if (pairCount_ == pairCapacity_) {
        if (pairCapacity_ < MaxPairs())
            Reserve(std::min(MaxPairs(), 2 * pairCapacity_));
        else
            Compact();
    }
    assert(pairCount_ < pairCapacity_);
    pairs_[pairCount_] = pair;
    return static_cast<PairNumber>(pairCount_++);
}

void LineColors::Reserve(int pairs) {
    if (pairs <= pairCapacity_) return;
    auto more = std::make_unique<Pair[]>(static_cast<std::size_t>(pairs));
    std::copy(pairs_, pairs_ + pairCount_, more.get());
    morePairs_ = std::move(more);
    pairs_ = morePairs_.get();
    pairCapacity_ = pairs;
}

void LineColors::Compact() {
    // Each cell has one pair, so at most used_ pairs are kept besides pair 0: room for one
    // more is left, as MaxPairs counts.
    std::array<PairNumber, std::max(kMaxBufferColumns + 2, kInlinePairs)> renumbered{};
    assert(pairCount_ <= static_cast<int>(renumbered.size()));
    for (int col = 0; col < used_; ++col)
        renumbered[pairOf_[col]] = 1;
    int kept = 1;
    for (int k = 1; k < pairCount_; ++k) {
        if (!renumbered[k]) continue;
        pairs_[kept] = pairs_[k];
        renumbered[k] = static_cast<PairNumber>(kept++);
    }
    renumbered[0] = 0;
    for (int col = 0; col < used_; ++col)
        pairOf_[col] = renumbered[pairOf_[col]];
    pairCount_ = kept;
}

} // namespace tav
