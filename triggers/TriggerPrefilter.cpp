#include "triggers/TriggerPrefilter.h"

#include "triggers/LineBigrams.h"
#include "triggers/TriggerList.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

namespace tav {

namespace {

constexpr std::uint64_t kHashFactor = 0x9E3779B97F4A7C15ULL;
// Hash bits kept per distinct gram: a line's gram that no trigger uses finds its bit
// clear about fifteen times in sixteen and costs no table probe.
constexpr std::size_t kSeenBitsPerGram = 16;
constexpr std::size_t kMinSeenBits = 4096;
// A line's grams are sorted out without a branch on each once more than one gram in this
// many has passed the bits lately.
constexpr std::uint64_t kDensePasses = 8;
constexpr std::uint64_t kGramsRemembered = std::uint64_t{1} << 16;

std::uint32_t GramAt(const char* at) {
    std::uint32_t gram = 0;
    std::memcpy(&gram, at, sizeof gram);
    return gram;
}

std::uint64_t Word64At(const char* at) {
    std::uint64_t word = 0;
    std::memcpy(&word, at, sizeof word);
    return word;
}

template <typename Gram> Gram ReadGram(const char* at) {
    Gram gram = 0;
    std::memcpy(&gram, at, sizeof gram);
    return gram;
}

// The first and the last word of `length` bytes (at least a gram's): eight bytes each, or
// for fewer than eight bytes the first and the last four in the low half of each.
std::uint64_t HeadWord(const char* at, std::size_t length) {
    return length < 8 ? GramAt(at) : Word64At(at);
}
std::uint64_t TailWord(const char* at, std::size_t length) {
    return length < 8 ? GramAt(at + length - 4) : Word64At(at + length - 8);
}

std::uint64_t HashGram(std::uint64_t gram) {
    return gram * kHashFactor;
}

// The shift that keeps the top log2(size) bits of a 64-bit hash; `size` a power of two.
unsigned ShiftFor(std::size_t size) {
    return 64U - static_cast<unsigned>(std::countr_zero(size));
}

// How often a byte turns up in game text, roughly per thousand: English letter frequencies,
// capitals and digits far rarer, other bytes rarer still.
double ByteFrequency(unsigned char byte) {
    static constexpr double kLower[26] = {65, 12, 22, 34, 102, 18, 16, 49, 56, 1,  6, 32, 20,
                                          56, 62, 15, 1,  48,  52, 73, 22, 8,  19, 1, 16, 1};
    if (byte == ' ') return 180;
    if (byte >= 'a' && byte <= 'z') return kLower[byte - 'a'];
    if (byte >= 'A' && byte <= 'Z') return std::max(1.0, kLower[byte - 'A'] / 8);
    if (byte >= '0' && byte <= '9') return 4;
    if (byte == '.' || byte == ',') return 8;
    return byte >= 0x21 && byte < 0x7f ? 2 : 1;
}

// Each byte's share of game text, and its logarithm: a text's sum of logarithms estimates
// how rarely the text occurs at a given place, the bytes taken as independent.
struct ByteShares {
    std::array<double, 256> share{};
    std::array<double, 256> log{};
};

const ByteShares& Shares() {
    static const ByteShares shares = [] {
        ByteShares table;
        for (std::size_t byte = 0; byte < table.share.size(); ++byte) {
            table.share[byte] = ByteFrequency(static_cast<unsigned char>(byte)) / 1000;
            table.log[byte] = std::log(table.share[byte]);
        }
        return table;
    }();
    return shares;
}

// The literal of a pattern least likely to occur in a line: a line that lacks it costs
// nothing more. Empty when the pattern has no literal long enough to hold a gram.
std::string_view ChooseLiteral(const TriggerPattern& pattern, const ByteShares& shares) {
    std::string_view best;
    double bestLogShare = 0;
    pattern.ForEachLiteral([&](std::string_view literal) {
        if (literal.size() < TriggerPrefilter::kMinKeyChars) return;
        double logShare = 0;
        for (const char ch : literal)
            logShare += shares.log[static_cast<unsigned char>(ch)];
        if (best.empty() || logShare < bestLogShare) {
            best = literal;
            bestLogShare = logShare;
        }
    });
    return best;
}

// How many times each gram occurs in a set of literals. The literals of a trigger set
// are written in the game's own words, so a gram they share (a common word of the game)
// is likely common in its lines too, whatever its letters say.
template <typename Gram> class GramCounts {
public:
    explicit GramCounts(const std::vector<std::string_view>& literals) {
        std::size_t grams = 0;
        for (const std::string_view literal : literals)
            grams += literal.size() - sizeof(Gram) + 1;
        table_.assign(std::bit_ceil(grams * 2), Entry{0, 0});
        shift_ = ShiftFor(table_.size());
        for (const std::string_view literal : literals) {
            for (std::size_t at = 0; at + sizeof(Gram) <= literal.size(); ++at)
                Add(ReadGram<Gram>(literal.data() + at));
        }
    }
    std::size_t Count(Gram gram) const {
        for (std::size_t at = Start(gram);; at = Next(at)) {
            const Entry& entry = table_[at];
            if (entry.count == 0) return 0;
            if (entry.gram == gram) return entry.count;
        }
    }

private:
    struct Entry {
        Gram gram;
        std::uint32_t count; // 0: a free entry
    };
    std::size_t Start(Gram gram) const {
        return static_cast<std::size_t>(HashGram(gram) >> shift_);
    }
    std::size_t Next(std::size_t at) const { return (at + 1) & (table_.size() - 1); }
    void Add(Gram gram) {
        for (std::size_t at = Start(gram);; at = Next(at)) {
            Entry& entry = table_[at];
            if (entry.count == 0) entry.gram = gram;
            if (entry.gram == gram) {
                ++entry.count;
                return;
            }
        }
    }

    std::vector<Entry> table_;
    unsigned shift_ = 64;
};

// The cost of looking `literal` up by the gram at `at`: the gram's share by its letters,
// and how many literals of the set share it, which counts twice: as a sign of a common
// gram, and as the number of literals compared each time the gram turns up.
template <typename Gram>
double GramCost(std::string_view literal, std::size_t at, const GramCounts<Gram>& counts,
                const ByteShares& shares) {
    auto cost = static_cast<double>(counts.Count(ReadGram<Gram>(literal.data() + at)));
    cost *= cost;
    for (std::size_t i = at; i < at + sizeof(Gram); ++i)
        cost *= shares.share[static_cast<unsigned char>(literal[i])];
    return cost;
}

// Where in `literal` its first of `step` grams in a row stands: the cheapest run.
template <typename Gram>
std::size_t ChooseGrams(std::string_view literal, std::size_t step, const GramCounts<Gram>& counts,
                        const ByteShares& shares) {
    std::size_t best = 0;
    double bestCost = 0;
    for (std::size_t at = 0; at + sizeof(Gram) + step - 1 <= literal.size(); ++at) {
        double cost = 0;
        for (std::size_t k = 0; k < step; ++k)
            cost += GramCost(literal, at + k, counts, shares);
        if (at == 0 || cost < bestCost) {
            best = at;
            bestCost = cost;
        }
    }
    return best;
}

} // namespace

template <typename Gram> void TriggerPrefilter::GramIndex<Gram>::Clear() {
    needles.clear();
    table.clear();
    seen.clear();
    step = 1;
    grams = 0;
    passes = 0;
}

template <typename Gram> std::size_t TriggerPrefilter::GramIndex<Gram>::MemoryBytes() const {
    return needles.capacity() * sizeof(Needle) + table.capacity() * sizeof(Slot) +
           seen.capacity() * sizeof(std::uint64_t);
}

void TriggerPrefilter::Rebuild(const TriggerList& list) {
    pool_.clear();
    runs_.clear();
    narrow_.Clear();
    wide_.Clear();
    unkeyed_.clear();
    const std::size_t count = list.Count();
    repeats_.assign(count, false);
    for (std::size_t i = 1; i < count; ++i)
        repeats_[i] = list.At(i).pattern() == list.At(i - 1).pattern();
    std::vector<Keyed> narrow;
    std::vector<Keyed> wide;
    const ByteShares& shares = Shares();
    const bool indexed = count >= kMinKeyedTriggers && count <= kMaxKeyedTriggers;
    for (std::size_t i = 0; i < count; ++i) {
        const auto position = static_cast<std::uint32_t>(i);
        const std::string_view literal =
            indexed ? ChooseLiteral(list.At(i).Compiled(), shares) : std::string_view();
        if (literal.empty())
            unkeyed_.push_back(position);
        else
            narrow.push_back(Keyed{literal, position});
    }
    // Reading a line a second time, for a second gram size, costs more than the longer
    // grams save unless all the literals are long.
    if (std::all_of(narrow.begin(), narrow.end(),
                    [](const Keyed& k) { return k.literal.size() >= kWideKeyChars; }))
        narrow.swap(wide);
    // Triggers keyed by the same literal share its needles, looked for once per line.
    for (std::vector<Keyed>* keyed : {&narrow, &wide}) {
        std::sort(keyed->begin(), keyed->end(), [](const Keyed& a, const Keyed& b) {
            return a.literal != b.literal ? a.literal < b.literal : a.position < b.position;
        });
    }
    if (!narrow.empty()) {
        // A line is read every step bytes; each literal is then looked up by step grams in
        // a row, one of which starts at a position read wherever the literal stands.
        std::size_t shortest = narrow.front().literal.size();
        for (const Keyed& k : narrow)
            shortest = std::min(shortest, k.literal.size());
        Build(narrow_, narrow, std::min(kMaxStep, shortest - kMinKeyChars + 1));
    }
    if (!wide.empty()) Build(wide_, wide, kMaxStep);
}

template <typename Gram>
void TriggerPrefilter::Build(GramIndex<Gram>& index, const std::vector<Keyed>& keyed,
                             std::size_t step) {
    const ByteShares& shares = Shares();
    std::vector<std::string_view> literals;
    for (std::size_t i = 0; i < keyed.size(); ++i) {
        if (i == 0 || keyed[i].literal != keyed[i - 1].literal)
            literals.push_back(keyed[i].literal);
    }
    const GramCounts<Gram> counts(literals);
    index.step = step;

    using Needle = typename GramIndex<Gram>::Needle;
    using Slot = typename GramIndex<Gram>::Slot;
    // Each needle with its gram, until they are sorted by it.
    struct GramNeedle {
        Gram gram;
        Needle needle;
    };
    std::vector<GramNeedle> needles;
    for (std::size_t i = 0, first = runs_.size(); i < keyed.size(); first = runs_.size()) {
        // The literal's positions, ascending, as runs of neighbours.
        const std::string_view literal = keyed[i].literal;
        for (; i < keyed.size() && keyed[i].literal == literal; ++i) {
            const std::uint32_t position = keyed[i].position;
            if (runs_.size() > first && runs_.back().first + runs_.back().count == position)
                ++runs_.back().count;
            else
                runs_.push_back(Run{position, 1});
        }
        const std::size_t at = ChooseGrams(literal, step, counts, shares);
        for (std::size_t k = at; k < at + step; ++k) {
            needles.push_back({ReadGram<Gram>(literal.data() + k),
                               {HeadWord(literal.data(), literal.size()),
                                TailWord(literal.data(), literal.size()),
                                static_cast<std::uint32_t>(pool_.size()),
                                static_cast<std::uint16_t>(literal.size()),
                                static_cast<std::uint16_t>(k), static_cast<std::uint32_t>(first),
                                static_cast<std::uint32_t>(runs_.size() - first)}});
        }
        pool_.append(literal);
    }
    std::sort(needles.begin(), needles.end(),
              [](const GramNeedle& a, const GramNeedle& b) { return a.gram < b.gram; });
    index.needles.clear();
    index.needles.reserve(needles.size());
    for (const GramNeedle& n : needles)
        index.needles.push_back(n.needle);

    std::size_t distinct = 1;
    for (std::size_t i = 1; i < needles.size(); ++i)
        distinct += needles[i].gram != needles[i - 1].gram ? 1 : 0;

    index.table.assign(std::bit_ceil(distinct * 2), Slot{0, 0, 0});
    index.slotShift = ShiftFor(index.table.size());
    const std::size_t seenBits = std::max(kMinSeenBits, std::bit_ceil(distinct * kSeenBitsPerGram));
    index.seen.assign(seenBits / 64, 0);
    index.seenShift = ShiftFor(seenBits);

    const std::size_t mask = index.table.size() - 1;
    for (std::size_t first = 0; first < needles.size();) {
        const Gram gram = needles[first].gram;
        std::size_t end = first + 1;
        while (end < needles.size() && needles[end].gram == gram)
            ++end;
        const std::uint64_t hash = HashGram(gram);
        std::size_t at = static_cast<std::size_t>(hash >> index.slotShift);
        while (index.table[at].count != 0)
            at = (at + 1) & mask;
        index.table[at] =
            Slot{gram, static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(end - first)};
        const std::size_t bit = static_cast<std::size_t>(hash >> index.seenShift);
        index.seen[bit / 64] |= std::uint64_t{1} << (bit % 64);
        first = end;
    }
}

template <typename Gram>
auto TriggerPrefilter::GramIndex<Gram>::Find(Gram gram, std::uint64_t hash) const -> const Slot* {
    const std::size_t mask = table.size() - 1;
    for (std::size_t at = static_cast<std::size_t>(hash >> slotShift);; at = (at + 1) & mask) {
        const Slot& slot = table[at];
        if (slot.count == 0) return nullptr;
        if (slot.gram == gram) return &slot;
    }
}

template <typename Gram>
void TriggerPrefilter::AddKeyed(const GramIndex<Gram>& index, std::string_view line,
                                std::vector<KeyedRun>& out) const {
    // Copied, so that the loop keeps them in registers whatever the writes to `out` touch.
    const char* const data = line.data();
    const std::size_t size = line.size();
    const std::uint64_t* const seen = index.seen.data();
    const unsigned seenShift = index.seenShift;
    const std::size_t step = index.step;
    const std::size_t grams = size >= sizeof(Gram) ? (size - sizeof(Gram)) / step + 1 : 0;
    std::uint64_t passes = 0;
    if (index.passes * kDensePasses <= index.grams) {
        // Few grams pass: a branch on each is mostly right.
        for (std::size_t at = 0; at + sizeof(Gram) <= size; at += step) {
            const Gram gram = ReadGram<Gram>(data + at);
            const std::uint64_t hash = HashGram(gram);
            const auto bit = static_cast<std::size_t>(hash >> seenShift);
            if (((seen[bit / 64] >> (bit % 64)) & 1U) == 0) continue;
            ++passes;
            if (const auto* slot = index.Find(gram, hash)) AddFound(index, line, at, *slot, out);
        }
    } else {
        // Many pass, about half of a game line's grams when the triggers are written in its
        // own words, and at random, which no branch predicts. A batch of grams at a time:
        // first those whose bit is set, without a branch on each; then their slots, each
        // fetched before the first is read; then the needles of the slots found, each
        // fetched before the first literal is compared. Between lines the rest of the
        // program's work pushes the tables out of the caches, and a wrong guess at one
        // slot's needles would otherwise hold back the fetch of the next one's.
        constexpr std::size_t kBatch = 64;
        std::array<std::size_t, kBatch> passed;
        std::array<const typename GramIndex<Gram>::Slot*, kBatch> slots;
        for (std::size_t first = 0; first < grams; first += kBatch) {
            std::size_t count = 0;
            const std::size_t batch = std::min(kBatch, grams - first);
            for (std::size_t g = 0, at = first * step; g < batch; ++g, at += step) {
                const auto bit =
                    static_cast<std::size_t>(HashGram(ReadGram<Gram>(data + at)) >> seenShift);
                passed[count] = at;
                count += (seen[bit / 64] >> (bit % 64)) & 1U;
            }
            passes += count;
            for (std::size_t k = 0; k < count; ++k) {
                const std::uint64_t hash = HashGram(ReadGram<Gram>(data + passed[k]));
                __builtin_prefetch(&index.table[static_cast<std::size_t>(hash >> index.slotShift)]);
            }
            std::size_t found = 0;
            for (std::size_t k = 0; k < count; ++k) {
                const Gram gram = ReadGram<Gram>(data + passed[k]);
                const auto* slot = index.Find(gram, HashGram(gram));
                if (slot == nullptr) continue;
                __builtin_prefetch(&index.needles[slot->first]);
                passed[found] = passed[k];
                slots[found++] = slot;
            }
            for (std::size_t k = 0; k < found; ++k)
                AddFound(index, line, passed[k], *slots[k], out);
        }
    }
    // The counts follow the text: the older half is forgotten now and then.
    index.grams += grams;
    index.passes += passes;
    if (index.grams > kGramsRemembered) {
        index.grams /= 2;
        index.passes /= 2;
    }
}

// Inlined: a line full of the triggers' own words calls it for nearly half its grams.
template <typename Gram>
[[gnu::always_inline]] inline void
TriggerPrefilter::AddFound(const GramIndex<Gram>& index, std::string_view line, std::size_t at,
                           const typename GramIndex<Gram>::Slot& slot,
                           std::vector<KeyedRun>& out) const {
    const char* const data = line.data();
    const std::size_t size = line.size();
    const auto* needle = index.needles.data() + slot.first;
    const auto* const last = needle + slot.count;
    for (; needle != last; ++needle) {
        // The literal must lie inside the line around the gram.
        const std::size_t length = needle->literalLength;
        if (at < needle->gramOffset || at - needle->gramOffset + length > size) continue;
        // The first and the last word decide most literals (tested together, one branch); a
        // longer middle after them. Eight-byte grams key only literals of eight bytes or more.
        const char* const found = data + (at - needle->gramOffset);
        const std::uint64_t head = sizeof(Gram) == 8 ? Word64At(found) : HeadWord(found, length);
        const std::uint64_t tail =
            sizeof(Gram) == 8 ? Word64At(found + length - 8) : TailWord(found, length);
        if (((head ^ needle->head) | (tail ^ needle->tail)) != 0 ||
            (length > 16 &&
             std::memcmp(found + 8, pool_.data() + needle->literalOffset + 8, length - 16) != 0))
            continue;
        const auto begin = static_cast<std::uint32_t>(found - data);
        const auto end = begin + static_cast<std::uint32_t>(length);
        for (std::uint32_t k = 0; k < needle->runCount; ++k) {
            const Run& run = runs_[needle->firstRun + k];
            out.push_back(KeyedRun{run.first, run.count, begin, end, false});
        }
    }
}

void TriggerPrefilter::AddUnkeyed(std::string_view line, const TriggerList& list,
                                  std::vector<std::uint32_t>& out) const {
    if (unkeyed_.size() < kMinBigramTriggers) {
        out.insert(out.end(), unkeyed_.begin(), unkeyed_.end());
        return;
    }
    const LineBigrams bigrams(line);
    for (const std::uint32_t position : unkeyed_) {
        if (list.At(position).Compiled().MayMatch(bigrams)) out.push_back(position);
    }
}

void TriggerPrefilter::Candidates(std::string_view line, const TriggerList& list,
                                  std::vector<std::uint32_t>& out,
                                  std::vector<KeyedRun>* keyed) const {
    out.clear();
    if (keyed != nullptr) keyed->clear();
    found_.clear();
    if (!narrow_.needles.empty()) AddKeyed(narrow_, line, found_);
    if (!wide_.needles.empty()) AddKeyed(wide_, line, found_);
    // The runs of different literals never share a position, and a literal found twice in
    // the line names the same runs twice: in order of their first positions, a run is
    // either the one before it again or lies wholly past it; where the literal stands
    // leftmost comes first.
    if (found_.size() > 1) {
        std::sort(found_.begin(), found_.end(), [](const KeyedRun& a, const KeyedRun& b) {
            return a.first != b.first ? a.first < b.first : a.begin < b.begin;
        });
    }
    std::uint32_t end = 0; // past the last position given
    for (std::size_t at = 0; at < found_.size(); ++at) {
        const KeyedRun& run = found_[at];
        if (run.first < end) continue;
        for (std::uint32_t k = 0; k < run.count; ++k)
            out.push_back(run.first + k);
        if (keyed != nullptr) {
            // Each place a literal stands in the line is found once.
            keyed->push_back(run);
            keyed->back().once = at + 1 == found_.size() || found_[at + 1].first != run.first;
        }
        end = run.first + run.count;
    }
    if (unkeyed_.empty()) return;
    if (out.empty()) return AddUnkeyed(line, list, out);
    // Both lists ascending, and no position in both: merged from their ends.
    unkeyedFound_.clear();
    AddUnkeyed(line, list, unkeyedFound_);
    std::size_t tight = out.size();
    std::size_t loose = unkeyedFound_.size();
    out.resize(tight + loose);
    for (std::size_t to = out.size(); loose > 0;) {
        if (tight > 0 && out[tight - 1] > unkeyedFound_[loose - 1])
            out[--to] = out[--tight];
        else
            out[--to] = unkeyedFound_[--loose];
    }
}

std::size_t TriggerPrefilter::MemoryBytes() const {
    return sizeof(*this) + pool_.capacity() + runs_.capacity() * sizeof(Run) +
           found_.capacity() * sizeof(KeyedRun) + unkeyedFound_.capacity() * sizeof(std::uint32_t) +
           narrow_.MemoryBytes() + wide_.MemoryBytes() +
           unkeyed_.capacity() * sizeof(std::uint32_t) + repeats_.capacity() / 8;
}

} // namespace tav
