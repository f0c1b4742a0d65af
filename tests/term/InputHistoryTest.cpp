#include "term/InputHistory.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace tav {
namespace {

TEST(InputHistoryTest, WalkShowsEmptySlotsThenBeepsAndComesBack) {
    InputHistory history(3);
    history.Add("a");
    history.Add("b");
    using Kind = InputHistory::Step::Kind;
    std::vector<std::pair<Kind, std::string>> steps;
    const auto walk = [&](InputHistory::Step s) { steps.emplace_back(s.kind, s.text); };
    for (int k = 0; k < 4; ++k)
        walk(history.WalkBack());
    for (int k = 0; k < 3; ++k)
        walk(history.WalkForward());
    const std::vector<std::pair<Kind, std::string>> expected = {
        {Kind::Show, "b"}, {Kind::Show, "a"}, {Kind::Show, ""},  {Kind::Beep, ""},
        {Kind::Show, "a"}, {Kind::Show, "b"}, {Kind::Clear, ""},
    };
    EXPECT_EQ(steps, expected);

    history.Add("b"); // duplicates are stored again
    EXPECT_EQ(std::tuple(history.Slot(1), history.Slot(2)), std::tuple("b", "b"));
    history.Resize(5);
    EXPECT_EQ(std::tuple(history.Index(), history.Slot(4)), std::tuple(5, ""));
    history.Add(std::string(300, 'x'));
    EXPECT_EQ(history.Slot(4).size(), kMaxHistoryChars);

    EXPECT_EQ(KeypadWord('0'), "look"); // the ends of the digits; '5' is the input line's test
    EXPECT_EQ(KeypadWord('9'), "ne");
    EXPECT_FALSE(KeypadWord('x'));
}

} // namespace
} // namespace tav
