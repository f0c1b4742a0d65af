#pragma once

#include "triggers/LineBigrams.h"
#include "triggers/TriggerVars.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tav {

// Where a match lies in the line: from the start of the leading literal to the end of
// the last literal or variable.
struct MatchSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
};

// Where a match found the variables of its pattern: (offset, length) in the line for each
// digit whose bit is in `set`. The others are left unset, as they are never read: the
// trigger pass makes one of these for every line.
struct TriggerCaptures {
    struct Span {
        std::size_t first;
        std::size_t second;
    };
    std::array<Span, kTriggerVarCount> spans;
    unsigned set = 0;
    MatchSpan match; // the matched stretch of the line

    // Stores the captured texts of `line` in `vars` (where a digit occurs twice in the
    // pattern, the later occurrence's text is the one captured).
    void Store(std::string_view line, TriggerVars& vars) const;
};

// A trigger pattern split once into its literals and variable markers, so that matching a
// line parses nothing. A marker is '%' followed by a digit; every other character, a '%'
// not followed by a digit included, is matched byte for byte (case matters, no wildcards).
//
// Matching scans the line once from left to right: the leading literal is searched
// anywhere in the line, each later literal from where the previous one ended (leftmost,
// never backtracking), each variable takes the text between, and a final variable takes
// the rest of the line, at least one character. An empty line never matches.
class TriggerPattern {
public:
    TriggerPattern() = default;
    explicit TriggerPattern(std::string_view pattern);

    // True when `line` matches; only then are the variables of the pattern stored in
    // `vars` (where a digit occurs twice, the later occurrence's text wins), and the
    // matched stretch in `span` when one is given.
    bool Match(std::string_view line, TriggerVars& vars, MatchSpan* span = nullptr) const;
    // The same without storing: true when `line` matches, with the variables' places and
    // the matched stretch in `captures`.
    bool Find(std::string_view line, TriggerCaptures& captures) const;

    // False when `line` (given as its byte pairs) cannot match: a byte pair of one of the
    // pattern's literals is missing from it. True says only "maybe".
    bool MayMatch(const LineBigrams& line) const {
        for (std::uint8_t i = 0; i < probeCount_; ++i) {
            if (!line.Has(probes_[i])) return false;
        }
        return true;
    }

    // The literal the pattern starts with (may be empty).
    std::string_view Lead() const { return std::string_view(literals_).substr(0, leadLength_); }
    // True when the pattern has no variables: it matches where its text stands first.
    bool IsLiteral() const { return steps_.empty(); }

    // Calls `visit` with each literal of the pattern, the leading one first; some may be
    // empty. A line that matches holds every one of them somewhere.
    template <typename Visit> void ForEachLiteral(Visit&& visit) const {
        const std::string_view literals(literals_);
        visit(literals.substr(0, leadLength_));
        for (const Step& s : steps_)
            visit(literals.substr(s.literalOffset, s.literalLength));
    }

private:
    // A variable marker and the literal after it, up to the next marker or the end.
    struct Step {
        std::uint8_t digit;
        std::uint32_t literalOffset;
        std::uint32_t literalLength;
        std::uint32_t anchor; // offset of the literal's rarest byte
    };

    std::string literals_; // all literal characters, one after the other
    std::uint32_t leadLength_ = 0;
    std::uint32_t leadAnchor_ = 0;
    std::vector<Step> steps_;

    // Table slots of the rarest byte pairs found in the literals, tested by MayMatch.
    static constexpr std::size_t kMaxProbes = 4;
    std::array<std::uint16_t, kMaxProbes> probes_{};
    std::uint8_t probeCount_ = 0;

    void ChooseProbes();
};

// Matches one pattern against one line; on true updates `vars`.
bool MatchPattern(std::string_view line, std::string_view pattern, TriggerVars& vars);

} // namespace tav
