#include "script/ScriptTriggerSet.h"
#include "bench/Corpus.h"

#include <gtest/gtest.h>

#include <random>

namespace tav {
namespace {

using Texts = std::vector<std::string>;

TEST(ScriptTriggerSetTest, RequiredLiteralsAreTheTextEveryMatchHolds) {
    const std::pair<std::string, Texts> cases[] = {
        {R"(^(\w+) tells you '(.*)'$)", {" tells you '", "'"}},
        {R"(You have (\d+) gold coins\.)", {"You have ", " gold coins."}},
        {"ab+c?d*e{2}f{1,3}?gh", {"ab", "gh"}},
        {"caf\xC3\xA9?s [a-z]]x", {"caf", "s ", "]x"}},
        {R"(x(?:y|z)\d\.txt{,2})", {"x", ".tx"}},
        {"a|b", {}},
        {"(?i)hello", {}},
        {R"(a\x41bcde)", {}},
        {R"(\Qa.b\E)", {}},
        {"[]a]bcd(?<n>e)fg", {"bcd", "fg"}},
        {R"(x[\]y]z)", {"x", "z"}}, // classes that hold ']' escaped, first, or named
        {"x[^]a]yz", {"x", "yz"}},
        {"x[[:digit:]y]z", {"x", "z"}},
        {"x[a[:b]yz", {"x", "yz"}},   // "[:" without its ":]" is two members
        {"x[a:]:]yz", {"x", ":]yz"}}, // a member before ':' starts no named class
        {"x{abc", {"x", "abc"}},
        {"hp{2,", {"hp", "2,"}},                      // a brace that ends the expression unclosed
        {"ab+?cd*+ef{2}?gh", {"ab", "c", "e", "gh"}}, // lazy and possessive quantifiers
    };
    for (const auto& [expression, literals] : cases)
        EXPECT_EQ(RequiredLiterals(expression), literals) << expression;

    // The spellings of the stretch of plain characters, optional ones and plain groups
    // whose shortest spelling is longest, within the bound on their number.
    const std::pair<std::string, Texts> alternatives[] = {
        {R"(\bgoblins? (?:is|leads) (\w+))",
         {"goblin is ", "goblin leads ", "goblins is ", "goblins leads "}},
        {R"((?<kind>gold|silver) coins?!)",
         {"gold coin!", "gold coins!", "silver coin!", "silver coins!"}},
        // Groups named in the other spellings, and a plain one, read the same way.
        {R"((?'kind'gold|silver) coins!)", {"gold coins!", "silver coins!"}},
        {R"((?P<kind>gold|silver) coins!)", {"gold coins!", "silver coins!"}},
        {R"((gold|silver) coins!)", {"gold coins!", "silver coins!"}},
        {"colou?r(?:red|blue)*: x", {"color", "colour"}}, // a repeated group: not counted on
        {"ab(?:c|d)+ef", {"abc", "abd"}},                 // a group once or more: its first time
        {"(?=look)ahead (?#note)x", {"ahead "}},
        {"a|b", {}},
        {"(?i)hello", {}},
        {"goblin(?:|x)", {"goblin"}}, // a place that may stay empty adds nothing at the end
        {R"(hp(?:x\.|-)max)", {"hp-max", "hpx.max"}},            // an escaped sign is itself
        {R"(hp(?:\d|-)max)", {"max"}},                           // an escaped letter is a class
        {"ab(?:a|b|c|d|e|f|g|h|i|j|k|l|m|n|o|p|q)cde", {"cde"}}, // 17 spellings: never kept
        // The best window of the first stretch holds five letters, fewer than the second's.
        {"(?:a|b)(?:c|d)(?:e|f)(?:g|h)(?:i|j)k.lmnopq", {"lmnopq"}},
    };
    for (const auto& [expression, spellings] : alternatives)
        EXPECT_EQ(RequiredAlternatives(expression), spellings) << expression;
    // Five places of two spellings make 32: the best window holds four of them.
    EXPECT_EQ(RequiredAlternatives("(?:a|b)(?:c|d)(?:e|f)(?:g|h)(?:i|j)").size(),
              kMaxRequiredAlternatives);
    // A window starting later may be longer: it drops the first place for the plain text.
    const Texts later = RequiredAlternatives("(?:a|b)(?:c|d)(?:e|f)(?:g|h)(?:i|j)klmno");
    EXPECT_EQ(std::pair(later.size(), later.front()),
              std::pair(kMaxRequiredAlternatives, std::string("cegiklmno")));
    // An expression as long as a script may give, plain throughout, is read in one pass.
    const std::string longest(RegexPattern::kMaxPatternBytes, 'a');
    EXPECT_EQ(RequiredAlternatives(longest), Texts{longest});
}

// Every trigger the set finds for a line is one that matches it when tried on its own,
// and none is missed, whether or not the set keys it in its prefilter.
TEST(ScriptTriggerSetTest, FindsExactlyTheTriggersThatMatchInTheOrderMade) {
    // A trigger that fired, with where its groups begin and end.
    using Fired = std::pair<int, std::vector<std::pair<std::size_t, std::size_t>>>;
    const auto Starts = [](const std::vector<RegexPattern::Span>& spans) {
        std::vector<std::pair<std::size_t, std::size_t>> places;
        for (const RegexPattern::Span& span : spans)
            places.emplace_back(span.begin, span.end);
        return places;
    };
    struct Pattern {
        std::string text;
        bool regex;
    };
    const std::vector<Pattern> patterns = {
        {R"(^(\w+) says '(.*)'$)", true},
        {"guard", false},
        {R"(the (?<what>\w+) sleeps)", true},
        {"50%1 off", false},
        {"gold coins?", true},
        {"ab+c?d*e{2}f{1,3}?gh", true},
        {"caf\xC3\xA9?s", true},
        {"caf\xC3\xA9", false},
        {"dark|light", true},
        {R"(x(?:y|z)\d\.txt)", true},
        {"(?i)GOBLIN", true},
        {"", false},
        {std::string(300, 'a'), false},
        {std::string("nul\0byte", 8), false},
        {"\\bmerchant\\b offers", true},
        {R"(<(\d+)hp)", true},
        {"sword", false},
        {"sword", false},
        {"the dark forest path", false},
        {"[]a]bcd(?<n>e)fg", true},
        {"x{abc", true},
        {R"(\bgoblins? (?:is|leads) (\w+))", true},
        {R"((?<kind>gold|silver) coins? here)", true},
        {"colou?r (?:red|blue)", true},
        {"dragon sleeps under", false},
        {"misses your", false},
        {"heals", false},
        // The same expressions again: each fires on its own, with its own captures, also
        // when its first twin is switched off or removed.
        {R"(the (?<what>\w+) sleeps)", true},
        {"gold coins?", true},
        {R"(<(\d+)hp)", true},
    };
    ScriptTriggerSet set;
    std::vector<RegexPattern> compiled;
    int id = 0;
    for (const Pattern& pattern : patterns) {
        std::string error;
        ASSERT_TRUE(set.Add(++id, pattern.text, pattern.regex, error)) << error;
        compiled.push_back(pattern.regex ? RegexPattern::Compile(pattern.text, error)
                                         : RegexPattern());
    }
    Texts lines = bench::CorpusLines(3000);
    Texts pieces = {"abbce",       "abdeefgh",        "abeefffgh",
                    "cafs",        "caf\xC3\xA9s",    "50%1 off",
                    "50%2 off",    "xy1.txt",         "xz1.tx",
                    "Goblin",      "goblin",          "<100hp",
                    "bcdefg",      "]bcdefg",         "x{abc",
                    "\xff\xfe",    "goblin is",       "goblins leads ",
                    "goblin  is ", "gold coins here", "silver coin here",
                    "colour blue", "color red"};
    pieces.insert(pieces.end(), {"goblin is bold, goblins leads on", std::string(299, 'a'),
                                 std::string(300, 'a'), std::string("nul\0byte", 8)});
    std::mt19937 random(7);
    for (int i = 0; i < 3000; ++i) {
        std::string line = lines[random() % lines.size()].substr(0, random() % 40);
        for (int n = random() % 3; n >= 0; --n)
            line += pieces[random() % pieces.size()] + (random() % 2 ? " " : "");
        lines.push_back(line);
    }
    // Some triggers go, some are switched off: the rest still match as before.
    set.Remove(2);
    set.SetEnabled(17, false);
    set.SetEnabled(5, false);
    set.Remove(16);
    std::vector<ScriptTriggerSet::Hit> hits;
    std::vector<RegexPattern::Span> groups;
    for (const std::string& line : lines) {
        std::vector<Fired> expected;
        for (std::size_t i = 0; i < patterns.size(); ++i) {
            const int trigger = static_cast<int>(i) + 1;
            if (trigger == 2 || trigger == 17 || trigger == 5 || trigger == 16) continue;
            std::vector<RegexPattern::Span> spans;
            const bool matches =
                patterns[i].regex ? compiled[i].Match(line, &spans) == RegexPattern::Result::Match
                                  : line.find(patterns[i].text) != std::string::npos;
            if (matches) expected.push_back(Fired{trigger, Starts(spans)});
        }
        set.Match(line, hits, groups);
        std::vector<Fired> found;
        for (const ScriptTriggerSet::Hit& hit : hits)
            found.push_back(
                Fired{hit.id, Starts({groups.begin() + hit.firstGroup,
                                      groups.begin() + hit.firstGroup + hit.groupCount})});
        ASSERT_EQ(found, expected) << line;
    }
}

} // namespace
} // namespace tav
