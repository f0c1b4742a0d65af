#include "triggers/ExpandReaction.h"
#include "triggers/Trigger.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace tav {
namespace {

struct ExpandCase {
    std::string reaction;
    std::string output;
};

std::ostream& operator<<(std::ostream& os, const ExpandCase& c) {
    return os << "reaction \"" << c.reaction << "\"";
}

class ExpandReactionTest : public testing::TestWithParam<ExpandCase> {};

TEST_P(ExpandReactionTest, Expands) {
    TriggerVars vars;
    vars.Set(1, "abc");
    vars.Set(2, "x");
    EXPECT_EQ(ExpandReaction(GetParam().reaction, vars), GetParam().output);
}

INSTANTIATE_TEST_SUITE_P(Table, ExpandReactionTest,
                         testing::Values(
                             // The worked examples.
                             ExpandCase{"say %1", "say abc"}, ExpandCase{"%1%2", "abc%2"},
                             ExpandCase{"%1%%2", "abc%x"}, ExpandCase{"\\%1", "%1"},
                             ExpandCase{"{%1}", "{%1}"}, ExpandCase{"{%%1}", "{abc}"},
                             ExpandCase{"}%1", "}%1"}, ExpandCase{"50%done", "50%done"},
                             // Nesting and unbalanced braces.
                             ExpandCase{"{{%%%2}}", "{{x}}"}, ExpandCase{"{{%%2}}", "{{%%2}}"},
                             ExpandCase{"}%1{%1", "}%1{abc"}, ExpandCase{"}{%1", "}{abc"},
                             // Unset variables expand to nothing; runs at the end stay.
                             ExpandCase{"a%5b", "ab"}, ExpandCase{"end%", "end%"},
                             ExpandCase{"end%%", "end%%"}, ExpandCase{"%{%1", "%{%1"},
                             // Backslashes: only outside braces and only before '%'.
                             ExpandCase{"\\\\%1", "\\%1"}, ExpandCase{"a\\b", "a\\b"},
                             ExpandCase{"\\%", "%"}, ExpandCase{"{\\%%1}", "{\\abc}"},
                             ExpandCase{"\\%1%2", "%1x"},
                             // Line ends pass through.
                             ExpandCase{"say %1\r\nwave\r\n", "say abc\r\nwave\r\n"}));

TEST(ExpandReactionTest, OutputIsBoundedAndEndsInALineEnd) {
    TriggerVars vars;
    vars.Set(1, std::string(132, 'a'));
    const std::string out = ExpandReaction("say %1 %1\r\nwave\r\n", vars);
    EXPECT_EQ(out.size(), kMaxReactionChars);
    EXPECT_EQ(out, "say " + std::string(132, 'a') + " " + std::string(116, 'a') + "\r\n");

    // Whole lines that fit are kept; the cut line keeps its CR LF, later lines are dropped.
    const std::string two = ExpandReaction("say %1\r\nsay %1 %1\r\nwave\r\n", vars);
    EXPECT_EQ(two.size(), kMaxReactionChars);
    EXPECT_EQ(two.substr(0, 138), "say " + std::string(132, 'a') + "\r\n");
    EXPECT_EQ(two.substr(two.size() - 3), "a\r\n");
}

struct LimitCase {
    std::string text;
    std::size_t max;
    std::string output;
};

TEST(LimitLinesTest, CutsAtTheBound) {
    const LimitCase cases[] = {
        {"ab\r\ncd\r\n", 8, "ab\r\ncd\r\n"},
        {"ab\r\ncd\r\n", 7, "ab\r\nc\r\n"},
        {"ab\r\ncd\r\n", 6, "ab\r\n"},
        {"ab\r\ncd\r\n", 5, "ab\r\n"},
        {"abcdef", 4, "abcd"},
        {"ab\r\ncdef", 6, "ab\r\ncd"},
    };
    for (const LimitCase& c : cases)
        EXPECT_EQ(LimitLines(c.text, c.max), c.output) << c.text;
}

} // namespace
} // namespace tav
