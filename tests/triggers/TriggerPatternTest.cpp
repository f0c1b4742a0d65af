#include "triggers/TriggerPattern.h"
#include "triggers/ExpandReaction.h"
#include "triggers/Trigger.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <random>
#include <string>
#include <tuple>

namespace tav {
namespace {

using Vars = std::map<int, std::string>;

// The variables a match stores, or nothing when it fails. Every other variable must keep
// its old value: a failed match that stored something reads as a match.
std::optional<Vars> Matched(const std::string& line, const std::string& pattern) {
    TriggerVars vars;
    for (std::size_t d = 0; d < kTriggerVarCount; ++d)
        vars.Set(d, "<old>");
    const bool matched = MatchPattern(line, pattern, vars);
    Vars set;
    for (std::size_t d = 0; d < kTriggerVarCount; ++d)
        if (vars.Get(d) != "<old>") set[static_cast<int>(d)] = vars.Get(d);
    if (!matched && set.empty()) return std::nullopt;
    return set;
}

TEST(MatchPatternTest, MatchesAndStoresOnlyItsVariables) {
    // Literals and markers in general are checked against the plain steps, below.
    const std::tuple<std::string, std::string, bool, Vars> cases[] = {
        // The worked examples.
        {"hungry", "You are hungry.", true, {}},
        {"%1 tells you %2", "Bob tells you hi there", true, {{1, "Bob"}, {2, "hi there"}}},
        {"HP:%1", "HP:", false, {}},
        {"a%1b", "ab", true, {{1, ""}}},
        {"%1", "any non-empty line", true, {{1, "any non-empty line"}}},
        {"", "any non-empty line", true, {}},
        {"Hungry", "You are hungry.", false, {}},
        // Digits 0 and 9 are markers too (the random test below uses 1 and 2).
        {"%0|%9", "l|r", true, {{0, "l"}, {9, "r"}}},
        // Variable text is bounded.
        {"%3", std::string(kMaxVarChars + 40, 'v'), true, {{3, std::string(kMaxVarChars, 'v')}}},
    };

    for (const auto& [pattern, line, matches, set] : cases)
        EXPECT_EQ(Matched(line, pattern), matches ? std::optional(set) : std::nullopt)
            << "pattern \"" << pattern << "\" line \"" << line << "\"";
}

// The matching steps written out naively, to check the optimized matcher against (the
// trigger pass against the matcher is TriggerPassDifferentialTest's). Returns the
// variables set, or nothing.
std::optional<Vars> ReferenceMatch(const std::string& line, const std::string& pattern) {
    auto markerAt = [&](std::size_t i) {
        return pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '0' &&
               pattern[i + 1] <= '9';
    };
    auto literalEnd = [&](std::size_t i) {
        while (i < pattern.size() && !markerAt(i))
            ++i;
        return i;
    };
    if (line.empty()) return std::nullopt;
    std::size_t pp = literalEnd(0);
    std::size_t lp = line.find(pattern.substr(0, pp));
    if (lp == std::string::npos) return std::nullopt;
    lp += pp;
    Vars vars;
    while (lp < line.size() && pp < pattern.size()) {
        const int digit = pattern[pp + 1] - '0';
        const std::size_t litStart = pp + 2;
        const std::size_t litEnd = literalEnd(litStart);
        if (litStart == pattern.size()) {
            vars[digit] = line.substr(lp);
            pp = pattern.size();
            break;
        }
        const std::string literal = pattern.substr(litStart, litEnd - litStart);
        const std::size_t found = line.find(literal, lp);
        if (found == std::string::npos) return std::nullopt;
        vars[digit] = line.substr(lp, found - lp);
        lp = found + literal.size();
        pp = litEnd;
    }
    if (pp != pattern.size()) return std::nullopt;
    return vars;
}

TEST(MatchPatternTest, AgreesWithTheStepsOnRandomInput) {
    std::mt19937 rng(12345);
    auto text = [&](std::string_view alphabet, std::size_t maxLength) {
        std::string out(rng() % (maxLength + 1), ' ');
        for (char& ch : out)
            ch = alphabet[rng() % alphabet.size()];
        return out;
    };
    for (int round = 0; round < 3000; ++round) {
        const std::string pattern = text("ab %12", 8);
        const std::string line = text("ab %1", 14);
        SCOPED_TRACE(pattern + "|" + line);
        ASSERT_EQ(Matched(line, pattern), ReferenceMatch(line, pattern));
    }
}

using Case = std::pair<std::string, std::string>; // text in, text out

TEST(ExpandReactionTest, ExpandsVariablesInsideBracesAndAfterBackslashes) {
    TriggerVars vars;
    vars.Set(1, "abc");
    vars.Set(2, "x");
    vars.Set(0, "z");
    vars.Set(9, "n");
    // The worked examples; nesting and unbalanced braces; unset variables (nothing) and
    // runs at the end (kept); backslashes, only outside braces and before '%'; line ends.
    const Case cases[] = {
        {"say %1", "say abc"}, {"%1%2", "abc%2"},
        {"%1%%2", "abc%x"},    {"\\%1", "%1"},
        {"{%1}", "{%1}"},      {"{%%1}", "{abc}"},
        {"}%1", "}%1"},        {"50%done", "50%done"},
        {"{{%%%2}}", "{{x}}"}, {"{{%%2}}", "{{%%2}}"},
        {"}%1{%1", "}%1{abc"}, {"}{%1", "}{abc"},
        {"a%5b", "ab"},        {"end%", "end%"},
        {"end%%", "end%%"},    {"%{%1", "%{%1"},
        {"\\\\%1", "\\%1"},    {"a\\b", "a\\b"},
        {"\\%", "%"},          {"{\\%%1}", "{\\abc}"},
        {"\\%1%2", "%1x"},     {"say %1\r\nwave\r\n", "say abc\r\nwave\r\n"},
        {"%9 %0", "n z"},
    };
    for (const auto& [reaction, output] : cases)
        EXPECT_EQ(ExpandReaction(reaction, vars), output) << reaction;
    // Backslashes that end the reaction are kept as they are.
    for (const std::string reaction : {"end\\", "end\\\\", "\\"})
        EXPECT_EQ(ExpandReaction(reaction, vars), reaction);
}

TEST(ExpandReactionTest, OutputIsBoundedAndEndsInALineEnd) {
    TriggerVars vars;
    vars.Set(1, std::string(132, 'a'));
    const std::string out = ExpandReaction("say %1 %1\r\nwave\r\n", vars);
    EXPECT_EQ(out, "say " + std::string(132, 'a') + " " + std::string(116, 'a') + "\r\n");
    ASSERT_EQ(out.size(), kMaxReactionChars);

    // Whole lines that fit are kept; the cut line keeps its CR LF, later lines are dropped.
    const std::pair<Case, std::size_t> limits[] = {
        {{"ab\r\ncd\r\n", "ab\r\ncd\r\n"}, 8},
        {{"ab\r\ncd\r\n", "ab\r\nc\r\n"}, 7},
        {{"ab\r\ncd\r\n", "ab\r\n"}, 6},
        {{"ab\r\ncd\r\n", "ab\r\n"}, 5},
        {{"abcdef", "abcd"}, 4},
        {{"ab\r\ncdef", "ab\r\ncd"}, 6},
    };
    for (const auto& [c, max] : limits)
        EXPECT_EQ(LimitLines(c.first, max), c.second) << c.first << " " << max;
}

} // namespace
} // namespace tav
