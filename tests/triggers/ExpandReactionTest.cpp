#include "triggers/ExpandReaction.h"
#include "triggers/Trigger.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace tav {
namespace {

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
