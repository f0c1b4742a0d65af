#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

class TriggerList;

// Picks, for one line, the few triggers of a list that may match it, so that a line costs
// time in its length and in those candidates rather than in the size of the list.
//
// Every literal of a pattern must occur in a line the pattern matches. Each trigger is
// keyed by one of its literals of at least kMinKeyChars bytes, found through its rarest
// four-byte windows ("grams"), or eight-byte ones when all keyed literals have
// kWideKeyChars or more: a line is read once, a gram every step bytes (as many as the
// shortest keyed literal allows, up to kMaxStep, each literal then keyed by that many grams
// in a row), each gram looked up in a hashed table, and a trigger becomes a candidate only where
// its whole literal stands around the gram. Triggers without such a literal (a lone "%1", short
// literals) are always candidates, passed through the byte-pair test of LineBigrams when there are
// enough of them to pay for it. Small lists are not keyed at all.
//
// Candidates are only "maybe": the exact matcher decides. The index holds list positions,
// so it must be rebuilt after every change to the list; a rebuild reads each pattern once.
class TriggerPrefilter {
public:
    static constexpr std::size_t kMinKeyChars = 4;
    // The most bytes a line is read by at a time, when all keyed literals are long enough.
    static constexpr std::size_t kMaxStep = 4;
    // Literals this long are found through eight-byte grams, read kMaxStep bytes apart.
    static constexpr std::size_t kWideKeyChars = 8 + kMaxStep - 1;
    // Lists shorter than this are scanned trigger by trigger.
    static constexpr std::size_t kMinKeyedTriggers = 16;
    // Larger lists too: positions and the copied literals (at most kMaxPatternChars each)
    // then still fit the index's 32-bit offsets.
    static constexpr std::size_t kMaxKeyedTriggers = std::size_t{1} << 24;
    // The byte-pair table of a line is built only for at least this many unkeyed triggers.
    static constexpr std::size_t kMinBigramTriggers = 8;

    // The triggers at list positions [first, first + count), keyed by a literal that stands
    // in a line at [begin, end) and nowhere further left; `once` when nowhere else either.
    struct KeyedRun {
        std::uint32_t first;
        std::uint32_t count;
        std::uint32_t begin;
        std::uint32_t end;
        bool once = false;
    };

    // Indexes the patterns of `list` as it is now.
    void Rebuild(const TriggerList& list);

    // Fills `out` with the list positions, ascending, of the triggers of `list` (the list
    // given to the last Rebuild, unchanged since) that may match `line`; and `keyed`, when
    // given, with the runs of them keyed by a literal the line holds, ascending (the
    // others are always candidates). A pattern that is one literal matches where its
    // run's literal stands.
    void Candidates(std::string_view line, const TriggerList& list, std::vector<std::uint32_t>& out,
                    std::vector<KeyedRun>* keyed = nullptr) const;

    // True when the trigger at `position` has the same pattern as the one before it, so
    // that it matches a line exactly when that one does, with the same variables.
    bool RepeatsPrevious(std::size_t position) const {
        return position < repeats_.size() && repeats_[position];
    }

    // Bytes held by the index (its tables and the copies of the keyed literals).
    std::size_t MemoryBytes() const;

private:
    // The triggers keyed by literals of one kind, found through grams of type Gram (its
    // size in bytes, read from a line at a time).
    template <typename Gram> struct GramIndex {
        // A literal looked for, with the gram it is found by, and the triggers keyed by it:
        // the positions of runs_[firstRun, firstRun + runCount). The gram is its slot's,
        // not kept here: a slot's few needles then span few cache lines.
        struct alignas(32) Needle {
            // The literal's first and last eight bytes (a shorter literal's first and last
            // four in each half): with the gram, enough to tell a literal of up to 16 bytes
            // without reading the pool.
            std::uint64_t head;
            std::uint64_t tail;
            std::uint32_t literalOffset; // in pool_
            std::uint16_t literalLength;
            std::uint16_t gramOffset; // where the gram stands in the literal
            std::uint32_t firstRun;
            std::uint32_t runCount;
        };
        static_assert(sizeof(Needle) == 32);
        // One distinct gram: its needles are needles[first, first + count); count 0 is a
        // free slot.
        struct Slot {
            Gram gram;
            std::uint32_t first;
            std::uint32_t count;
        };
        std::vector<Needle> needles;     // by gram
        std::vector<Slot> table;         // open addressing, a power of two in size
        std::vector<std::uint64_t> seen; // one bit per hashed gram: "maybe in table"
        std::size_t step = 1;
        // Grams of lines read lately, and how many of them passed the bits of `seen`.
        mutable std::uint64_t grams = 0;
        mutable std::uint64_t passes = 0;
        unsigned slotShift = 64;
        unsigned seenShift = 64;

        void Clear();
        std::size_t MemoryBytes() const;
        const Slot* Find(Gram gram, std::uint64_t hash) const;
    };
    struct Keyed {
        std::string_view literal;
        std::uint32_t position;
    };
    // List positions first, first + 1, ... first + count - 1: equal patterns sit side by
    // side, so the triggers of one literal are mostly a few runs of neighbours, and a line
    // sorts its runs rather than every position in them.
    struct Run {
        std::uint32_t first;
        std::uint32_t count;
    };

    // Indexes `keyed` (sorted by literal) in `index`, each literal read `step` grams in a row.
    template <typename Gram>
    void Build(GramIndex<Gram>& index, const std::vector<Keyed>& keyed, std::size_t step);
    template <typename Gram>
    void AddKeyed(const GramIndex<Gram>& index, std::string_view line,
                  std::vector<KeyedRun>& out) const;
    // The runs of the triggers whose literals stand around the gram found at `at`, in `slot`.
    template <typename Gram>
    void AddFound(const GramIndex<Gram>& index, std::string_view line, std::size_t at,
                  const typename GramIndex<Gram>::Slot& slot, std::vector<KeyedRun>& out) const;
    void AddUnkeyed(std::string_view line, const TriggerList& list,
                    std::vector<std::uint32_t>& out) const;

    std::string pool_;
    std::vector<Run> runs_;
    // What one line found, by runs and of the always-candidates: scratch for Candidates,
    // kept for its capacity.
    mutable std::vector<KeyedRun> found_;
    mutable std::vector<std::uint32_t> unkeyedFound_;
    // The literals by four-byte grams, or, when all are kWideKeyChars long or longer, by
    // eight-byte grams, which words of the game share far less often; one of them is empty.
    GramIndex<std::uint32_t> narrow_;
    GramIndex<std::uint64_t> wide_;
    std::vector<std::uint32_t> unkeyed_; // positions of the always-candidates, ascending
    std::vector<bool> repeats_;          // by position: RepeatsPrevious
};

} // namespace tav
