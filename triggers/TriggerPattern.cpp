#include "triggers/TriggerPattern.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

namespace tav {

namespace {

constexpr std::size_t kNotFound = std::string_view::npos;

bool IsMarkerAt(std::string_view pattern, std::size_t i) {
    return pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '0' &&
           pattern[i + 1] <= '9';
}

template <typename Word> Word WordAt(const char* at) {
    Word word = 0;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// Whether the `size` bytes at `a` and `b` are equal. Literals are mostly short words, which
// a few overlapping loads compare without a call into the library.
bool SameBytes(const char* a, const char* b, std::size_t size) {
    if (size > 16) return std::memcmp(a, b, size) == 0;
    if (size >= 8) {
        return ((WordAt<std::uint64_t>(a) ^ WordAt<std::uint64_t>(b)) |
                (WordAt<std::uint64_t>(a + size - 8) ^ WordAt<std::uint64_t>(b + size - 8))) == 0;
    }
    if (size >= 4) {
        return ((WordAt<std::uint32_t>(a) ^ WordAt<std::uint32_t>(b)) |
                (WordAt<std::uint32_t>(a + size - 4) ^ WordAt<std::uint32_t>(b + size - 4))) == 0;
    }
    for (std::size_t k = 0; k < size; ++k)
        if (a[k] != b[k]) return false;
    return true;
}

// First position at or after `from` where `literal` occurs in `line`. Only positions at
// which the line still has a character count, so an empty literal is found at `from` only
// while `from` is inside the line. Candidates are found by the literal's byte at `anchor`
// (its rarest), in increasing order, so the first full match is the leftmost one.
std::size_t FindLiteral(std::string_view line, std::size_t from, std::string_view literal,
                        std::size_t anchor) {
    if (from >= line.size()) return kNotFound;
    if (literal.empty()) return from;
    if (literal.size() > line.size() - from) return kNotFound;
    const char* const begin = line.data();
    // Candidate literal starts run from `from` to the last position where it still fits.
    const char* at = begin + from;
    const char* const last = begin + (line.size() - literal.size());
    const char key = literal[anchor];
    while (at <= last) {
        const void* hit = std::memchr(at + anchor, key, static_cast<std::size_t>(last - at) + 1);
        if (hit == nullptr) return kNotFound;
        at = static_cast<const char*>(hit) - anchor;
        if (SameBytes(at, literal.data(), literal.size()))
            return static_cast<std::size_t>(at - begin);
        ++at;
    }
    return kNotFound;
}

// How rare a byte is in game text: letters by their frequency in English, space as the most
// common byte, everything else (capitals, digits, punctuation) rarer than any letter.
std::size_t Rarity(char ch) {
    static constexpr std::string_view kByFrequency = " etaoinshrdlucmfwypvbgkjqxz";
    const std::size_t at = kByFrequency.find(ch);
    return at == std::string_view::npos ? kByFrequency.size() : at;
}

std::uint32_t RarestOffset(std::string_view literal) {
    std::uint32_t best = 0;
    for (std::uint32_t i = 1; i < literal.size(); ++i) {
        if (Rarity(literal[i]) > Rarity(literal[best])) best = i;
    }
    return best;
}

} // namespace

TriggerPattern::TriggerPattern(std::string_view pattern) {
    literals_.reserve(pattern.size());
    Step* current = nullptr;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (IsMarkerAt(pattern, i)) {
            const auto digit = static_cast<std::uint8_t>(pattern[i + 1] - '0');
            const auto offset = static_cast<std::uint32_t>(literals_.size());
            steps_.push_back(Step{digit, offset, 0, 0});
            current = &steps_.back();
            ++i; // past the digit
            continue;
        }
        literals_.push_back(pattern[i]);
        if (current != nullptr)
            ++current->literalLength;
        else
            ++leadLength_;
    }
    const std::string_view literals(literals_);
    leadAnchor_ = RarestOffset(literals.substr(0, leadLength_));
    for (Step& s : steps_)
        s.anchor = RarestOffset(literals.substr(s.literalOffset, s.literalLength));
    ChooseProbes();
}

void TriggerPattern::ChooseProbes() {
    struct Candidate {
        std::size_t rarity;
        std::uint16_t slot;
    };
    std::vector<Candidate> candidates;
    const auto addPairs = [&](std::uint32_t offset, std::uint32_t length) {
        for (std::uint32_t i = offset + 1; i < offset + length; ++i) {
            const char a = literals_[i - 1];
            const char b = literals_[i];
            candidates.push_back({Rarity(a) + Rarity(b), LineBigrams::Slot(a, b)});
        }
    };
    addPairs(0, leadLength_);
    for (const Step& s : steps_)
        addPairs(s.literalOffset, s.literalLength);

    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& x, const Candidate& y) { return x.rarity > y.rarity; });
    for (const Candidate& c : candidates) {
        if (probeCount_ == kMaxProbes) break;
        const auto end = probes_.begin() + probeCount_;
        if (std::find(probes_.begin(), end, c.slot) == end) probes_[probeCount_++] = c.slot;
    }
}

bool TriggerPattern::Match(std::string_view line, TriggerVars& vars, MatchSpan* span) const {
    TriggerCaptures captures;
    if (!Find(line, captures)) return false;
    captures.Store(line, vars);
    if (span != nullptr) *span = captures.match;
    return true;
}

bool TriggerPattern::Find(std::string_view line, TriggerCaptures& captures) const {
    captures.set = 0;
    if (line.empty()) return false;
    const std::string_view literals(literals_);

    const std::size_t lead = FindLiteral(line, 0, literals.substr(0, leadLength_), leadAnchor_);
    if (lead == kNotFound) return false;
    std::size_t pos = lead + leadLength_;

    std::size_t step = 0;
    while (pos < line.size() && step < steps_.size()) {
        const Step& s = steps_[step];
        if (step + 1 == steps_.size() && s.literalLength == 0) {
            // A marker at the very end takes the rest of the line.
            captures.spans[s.digit] = {pos, line.size() - pos};
            captures.set |= 1U << s.digit;
            pos = line.size();
            ++step;
            break;
        }
        const std::string_view literal = literals.substr(s.literalOffset, s.literalLength);
        const std::size_t at = FindLiteral(line, pos, literal, s.anchor);
        if (at == kNotFound) return false;
        captures.spans[s.digit] = {pos, at - pos};
        captures.set |= 1U << s.digit;
        pos = at + literal.size();
        ++step;
    }
    if (step != steps_.size()) return false;
    captures.match = {lead, pos};
    return true;
}

void TriggerCaptures::Store(std::string_view line, TriggerVars& vars) const {
    for (unsigned rest = set; rest != 0; rest &= rest - 1) {
        const auto d = static_cast<std::size_t>(std::countr_zero(rest));
        vars.Set(d, line.substr(spans[d].first, spans[d].second));
    }
}

bool MatchPattern(std::string_view line, std::string_view pattern, TriggerVars& vars) {
    return TriggerPattern(pattern).Match(line, vars);
}

} // namespace tav
