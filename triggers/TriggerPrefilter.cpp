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

// Whether `length` bytes (at least a gram's) at `a` and `b` are equal: the first and the
// last word compared at once, which covers up to 16 bytes, and a longer middle after them.
bool SameBytes(const char* a, const char* b, std::size_t length) {
    if (length < 8) {
        return GramAt(a) == GramAt(b) && GramAt(a + length - 4) == GramAt(b + length - 4);
    }
    if (Word64At(a) != Word64At(b) || Word64At(a + length - 8) != Word64At(b + length - 8))
        return false;
    return length <= 16 || std::memcmp(a + 8, b + 8, length - 16) == 0;
}

std::uint64_t HashGram(std::uint32_t gram) {
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
class GramCounts {
public:
    explicit GramCounts(const std::vector<std::string_view>& literals) {
        std::size_t grams = 0;
        for (const std::string_view literal : literals)
            grams += literal.size() - TriggerPrefilter::kMinKeyChars + 1;
        table_.assign(std::bit_ceil(grams * 2), Entry{0, 0});
        shift_ = ShiftFor(table_.size());
        for (const std::string_view literal : literals) {
            for (std::size_t at = 0; at + TriggerPrefilter::kMinKeyChars <= literal.size(); ++at)
                Add(GramAt(literal.data() + at));
        }
    }
    std::size_t Count(std::uint32_t gram) const {
        for (std::size_t at = Start(gram);; at = Next(at)) {
            const Entry& entry = table_[at];
            if (entry.count == 0) return 0;
            if (entry.gram == gram) return entry.count;
        }
    }

private:
    struct Entry {
        std::uint32_t gram;
        std::uint32_t count; // 0: a free entry
    };
    std::size_t Start(std::uint32_t gram) const {
        return static_cast<std::size_t>(HashGram(gram) >> shift_);
    }
    std::size_t Next(std::size_t at) const { return (at + 1) & (table_.size() - 1); }
    void Add(std::uint32_t gram) {
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
double GramCost(std::string_view literal, std::size_t at, const GramCounts& counts,
                const ByteShares& shares) {
    auto cost = static_cast<double>(counts.Count(GramAt(literal.data() + at)));
    cost *= cost;
    for (std::size_t i = at; i < at + TriggerPrefilter::kMinKeyChars; ++i)
        cost *= shares.share[static_cast<unsigned char>(literal[i])];
    return cost;
}

// Where in `literal` its first of `step` grams in a row stands: the cheapest run.
std::size_t ChooseGrams(std::string_view literal, std::size_t step, const GramCounts& counts,
                        const ByteShares& shares) {
    std::size_t best = 0;
    double bestCost = 0;
    for (std::size_t at = 0; at + TriggerPrefilter::kMinKeyChars + step - 1 <= literal.size();
         ++at) {
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

void TriggerPrefilter::Rebuild(const TriggerList& list) {
    pool_.clear();
    needles_.clear();
    positions_.clear();
    slots_.clear();
    seen_.clear();
    unkeyed_.clear();
    step_ = 1;
    const std::size_t count = list.Count();
    repeats_.assign(count, false);
    for (std::size_t i = 1; i < count; ++i)
        repeats_[i] = list.At(i).pattern() == list.At(i - 1).pattern();
    struct Keyed {
        std::string_view literal;
        std::uint32_t position;
    };
    std::vector<Keyed> keyed;
    const ByteShares& shares = Shares();
    const bool indexed = count >= kMinKeyedTriggers && count <= kMaxKeyedTriggers;
    for (std::size_t i = 0; i < count; ++i) {
        const auto position = static_cast<std::uint32_t>(i);
        const std::string_view literal =
            indexed ? ChooseLiteral(list.At(i).Compiled(), shares) : std::string_view();
        if (literal.empty())
            unkeyed_.push_back(position);
        else
            keyed.push_back(Keyed{literal, position});
    }
    if (keyed.empty()) return;

    // Triggers keyed by the same literal share its needles, looked for once per line.
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        return a.literal != b.literal ? a.literal < b.literal : a.position < b.position;
    });
    std::vector<std::string_view> literals;
    for (std::size_t i = 0; i < keyed.size(); ++i) {
        if (i == 0 || keyed[i].literal != keyed[i - 1].literal)
            literals.push_back(keyed[i].literal);
    }
    const GramCounts counts(literals);

    // A line is read every step_ bytes; each literal is then looked up by step_ grams in a
    // row, one of which starts at a position read wherever the literal stands.
    std::size_t shortest = literals.front().size();
    for (const std::string_view literal : literals)
        shortest = std::min(shortest, literal.size());
    step_ = std::min(kMaxStep, shortest - kMinKeyChars + 1);

    positions_.reserve(keyed.size());
    for (std::size_t i = 0, first = 0; i < keyed.size(); first = i) {
        const std::string_view literal = keyed[i].literal;
        while (i < keyed.size() && keyed[i].literal == literal)
            positions_.push_back(keyed[i++].position);
        const std::size_t at = ChooseGrams(literal, step_, counts, shares);
        for (std::size_t k = at; k < at + step_; ++k) {
            needles_.push_back(
                Needle{GramAt(literal.data() + k), static_cast<std::uint32_t>(pool_.size()),
                       static_cast<std::uint16_t>(literal.size()), static_cast<std::uint16_t>(k),
                       static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(i - first)});
        }
        pool_.append(literal);
    }
    std::sort(needles_.begin(), needles_.end(),
              [](const Needle& a, const Needle& b) { return a.gram < b.gram; });

    std::size_t distinct = 1;
    for (std::size_t i = 1; i < needles_.size(); ++i)
        distinct += needles_[i].gram != needles_[i - 1].gram ? 1 : 0;

    slots_.assign(std::bit_ceil(distinct * 2), Slot{0, 0, 0});
    slotShift_ = ShiftFor(slots_.size());
    const std::size_t seenBits = std::max(kMinSeenBits, std::bit_ceil(distinct * kSeenBitsPerGram));
    seen_.assign(seenBits / 64, 0);
    seenShift_ = ShiftFor(seenBits);

    const std::size_t mask = slots_.size() - 1;
    for (std::size_t first = 0; first < needles_.size();) {
        const std::uint32_t gram = needles_[first].gram;
        std::size_t end = first + 1;
        while (end < needles_.size() && needles_[end].gram == gram)
            ++end;
        const std::uint64_t hash = HashGram(gram);
        std::size_t at = static_cast<std::size_t>(hash >> slotShift_);
        while (slots_[at].count != 0)
            at = (at + 1) & mask;
        slots_[at] =
            Slot{gram, static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(end - first)};
        const std::size_t bit = static_cast<std::size_t>(hash >> seenShift_);
        seen_[bit / 64] |= std::uint64_t{1} << (bit % 64);
        first = end;
    }
}

const TriggerPrefilter::Slot* TriggerPrefilter::Find(std::uint32_t gram, std::uint64_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = static_cast<std::size_t>(hash >> slotShift_);; at = (at + 1) & mask) {
        const Slot& slot = slots_[at];
        if (slot.count == 0) return nullptr;
        if (slot.gram == gram) return &slot;
    }
}

void TriggerPrefilter::AddKeyed(std::string_view line, std::vector<std::uint32_t>& out) const {
    // Copied, so that the loop keeps them in registers whatever the writes to `out` touch.
    const char* const data = line.data();
    const std::size_t size = line.size();
    const std::uint64_t* const seen = seen_.data();
    const unsigned seenShift = seenShift_;
    const std::size_t step = step_;
    for (std::size_t at = 0; at + kMinKeyChars <= size; at += step) {
        const std::uint32_t gram = GramAt(data + at);
        const std::uint64_t hash = HashGram(gram);
        const auto bit = static_cast<std::size_t>(hash >> seenShift);
        if (((seen[bit / 64] >> (bit % 64)) & 1U) != 0) AddFound(line, at, gram, hash, out);
    }
}

void TriggerPrefilter::AddFound(std::string_view line, std::size_t at, std::uint32_t gram,
                                std::uint64_t hash, std::vector<std::uint32_t>& out) const {
    const Slot* slot = Find(gram, hash);
    if (slot == nullptr) return;
    for (std::size_t n = slot->first; n < slot->first + slot->count; ++n) {
        const Needle& needle = needles_[n];
        // The literal must lie inside the line around the gram.
        if (needle.gramOffset > at) continue;
        const std::size_t start = at - needle.gramOffset;
        if (needle.literalLength > line.size() - start) continue;
        if (!SameBytes(line.data() + start, pool_.data() + needle.literalOffset,
                       needle.literalLength))
            continue;
        if (needle.positionCount == 1) {
            out.push_back(positions_[needle.firstPosition]);
        } else {
            const auto first = positions_.begin() + needle.firstPosition;
            out.insert(out.end(), first, first + needle.positionCount);
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
                                  std::vector<std::uint32_t>& out) const {
    out.clear();
    if (!needles_.empty()) AddKeyed(line, out);
    const bool keyedFound = !out.empty();
    if (!unkeyed_.empty()) AddUnkeyed(line, list, out);
    if (keyedFound) {
        // A literal found twice in the line names its trigger twice.
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
    }
}

std::size_t TriggerPrefilter::MemoryBytes() const {
    return sizeof(*this) + pool_.capacity() + needles_.capacity() * sizeof(Needle) +
           positions_.capacity() * sizeof(std::uint32_t) + slots_.capacity() * sizeof(Slot) +
           seen_.capacity() * sizeof(std::uint64_t) + unkeyed_.capacity() * sizeof(std::uint32_t) +
           repeats_.capacity() / 8;
}

} // namespace tav
