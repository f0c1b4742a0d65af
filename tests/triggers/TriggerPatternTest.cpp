#include "triggers/TriggerPattern.h"
#include "triggers/TriggerList.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <random>
#include <string>
#include <tuple>

namespace tav {
namespace {

using Vars = std::map<int, std::string>;

TEST(MatchPatternTest, MatchesAndStoresOnlyItsVariables) {
    // The variables a match stores; all others must stay untouched.
    const std::tuple<std::string, std::string, bool, Vars> cases[] = {
        // The worked examples.
        {"hungry", "You are hungry.", true, {}},
        {"%1 tells you %2", "Bob tells you hi there", true, {{1, "Bob"}, {2, "hi there"}}},
        {"HP:%1", "HP:", false, {}},
        {"a%1b", "ab", true, {{1, ""}}},
        {"%1", "any non-empty line", true, {{1, "any non-empty line"}}},
        {"", "any non-empty line", true, {}},
        {"Hungry", "You are hungry.", false, {}},
        // Empty lines never match.
        {"", "", false, {}},
        {"%1", "", false, {}},
        // Found anywhere; text after the last literal is ignored.
        {"x%1y", "aaxbbyccy", true, {{1, "bb"}}},
        // Leftmost occurrence, no backtracking to a later one.
        {"a%1bc", "a1b a2bc", true, {{1, "1b a2"}}},
        {"ab%1c", "ab ab", false, {}},
        {"x%1:%2!", "x1:2 x3:4!", true, {{1, "1"}, {2, "2 x3:4"}}},
        // Adjacent markers: the first takes nothing, the last the rest.
        {"%1%2", "abc", true, {{1, ""}, {2, "abc"}}},
        // A failed match after a partial one stores nothing.
        {"%1 says %2!", "Bob says hi", false, {}},
        // A repeated digit keeps the later text.
        {"%1-%1.", "a-b.", true, {{1, "b"}}},
        // '%' without a digit is ordinary, and so is a literal "%%".
        {"100%", "at 100% now", true, {}},
        {"%%1", "50%25", true, {{1, "25"}}},
        {"%0|%9", "l|r", true, {{0, "l"}, {9, "r"}}},
        // Literal longer than the rest of the line.
        {"long literal", "long", false, {}},
        // Variable text is bounded.
        {"%3", std::string(kMaxVarChars + 40, 'v'), true, {{3, std::string(kMaxVarChars, 'v')}}},
    };

    for (const auto& [pattern, line, matches, set] : cases) {
        SCOPED_TRACE("pattern \"" + pattern + "\" line \"" + line + "\"");
        TriggerVars vars;
        for (std::size_t d = 0; d < kTriggerVarCount; ++d)
            vars.Set(d, "<old>");
        EXPECT_EQ(MatchPattern(line, pattern, vars), matches);
        for (std::size_t d = 0; d < kTriggerVarCount; ++d) {
            const auto it = set.find(static_cast<int>(d));
            EXPECT_EQ(vars.Get(d), it == set.end() ? "<old>" : it->second) << "variable " << d;
        }
    }
}

// The matching steps written out naively, to check the optimized matcher and the quick
// pair test of the trigger pass against. Returns the variables set, or nothing.
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

struct CountingSender : TriggerSender {
    void Send(std::string_view) override { ++sent; }
    std::size_t sent = 0;
};

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
        const std::optional<Vars> expected = ReferenceMatch(line, pattern);

        TriggerVars vars;
        ASSERT_EQ(MatchPattern(line, pattern, vars), expected.has_value())
            << pattern << "|" << line;
        if (expected) {
            for (const auto& [digit, value] : *expected)
                EXPECT_EQ(vars.Get(digit), value);
        }
        // The trigger pass fires exactly when the pattern matches.
        TriggerList list;
        CountingSender sender;
        list.SetSender(&sender);
        list.AddTrigger(pattern, "x");
        list.CheckTriggers(line);
        EXPECT_EQ(sender.sent, expected ? 1U : 0U) << pattern << "|" << line;
    }
}

} // namespace
} // namespace tav
