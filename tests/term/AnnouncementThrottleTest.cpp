#include "term/AnnouncementThrottle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tav {
namespace {

struct TestClock : IntervalClock {
    std::int32_t now = 0;
    std::int32_t NowMs() override { return now; }
};

using Said = std::vector<std::string>;

// One step of a script: at a time, a line arrives (or, with no line, the timer ticks),
// and what is announced then.
struct Step {
    std::int32_t at;
    const char* line; // nullptr: a timer tick
    Said said;
};

void RunScript(const char* name, std::int32_t start, const std::vector<Step>& steps) {
    TestClock clock;
    clock.now = start;
    AnnouncementThrottle throttle(clock, {3, 1000});
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& step = steps[i];
        clock.now = static_cast<std::int32_t>(static_cast<std::uint32_t>(start) +
                                              static_cast<std::uint32_t>(step.at));
        Said said;
        if (step.line) {
            said = throttle.Offer(step.line);
        } else if (auto summary = throttle.Tick()) {
            said.push_back(*summary);
        }
        EXPECT_EQ(said, step.said) << name << " step " << i;
    }
}

// Four lines at `at`: three are read, the fourth is held back.
std::vector<Step> Burst(std::int32_t at, std::vector<Step> then) {
    std::vector<Step> steps = {{at, "1", {"1"}}, {at, "2", {"2"}}, {at, "3", {"3"}}, {at, "4", {}}};
    steps.insert(steps.end(), then.begin(), then.end());
    return steps;
}

TEST(AnnouncementThrottle, BurstsAreCutToAFewLinesAndASummary) {
    const std::vector<std::pair<const char*, std::vector<Step>>> scripts = {
        {"a slow trickle is read line by line",
         {{0, "a", {"a"}}, {600, "b", {"b"}}, {1200, "c", {"c"}}, {1900, "d", {"d"}}}},
        {"a burst: three lines, then the summary when the timer ticks",
         {{0, "1", {"1"}},
          {1, "2", {"2"}},
          {2, "3", {"3"}},
          {3, "4", {}},
          {4, "5", {}},
          {999, nullptr, {}},
          {1000, nullptr, {"2 more lines"}},
          {1001, nullptr, {}}}},
        {"the summary takes a place in the next window", Burst(0, {{1000, nullptr, {"1 more line"}},
                                                                   {1001, "5", {"5"}},
                                                                   {1002, "6", {"6"}},
                                                                   {1003, "7", {}}})},
        {"a line after the window, before the timer, comes after the summary",
         Burst(0, {{1500, "5", {"1 more line", "5"}}, {1600, nullptr, {}}})},
        {"a clock that steps back ends the window instead of stopping announcements",
         Burst(5000, {{1000, nullptr, {"1 more line"}}, {1001, "5", {"5"}}})},
        {"blank lines are neither read nor counted",
         {{0, "", {}}, {0, "   ", {}}, {0, "\r", {}}, {0, "x", {"x"}}}},
    };
    for (const auto& [name, steps] : scripts) {
        RunScript(name, 0, steps);
        RunScript(name, -300, steps); // the 32-bit clock wraps during the script
    }
}

TEST(AnnouncementThrottle, ToldWhenTheSummaryIsDue) {
    TestClock clock;
    AnnouncementThrottle throttle(clock, {1, 500});
    EXPECT_FALSE(throttle.HoldingBack());
    throttle.Offer("a");
    clock.now = 100;
    throttle.Offer("b");
    EXPECT_TRUE(throttle.HoldingBack());
    EXPECT_EQ(throttle.MsUntilSummary(), 400);
    clock.now = 900;
    EXPECT_EQ(throttle.MsUntilSummary(), 0);
    EXPECT_EQ(throttle.Tick(), "1 more line");
    EXPECT_FALSE(throttle.HoldingBack());

    // Limits of nothing are one line in one millisecond.
    AnnouncementThrottle least(clock, {0, 0});
    EXPECT_EQ(least.Offer("a"), std::vector<std::string>{"a"});
    EXPECT_TRUE(least.Offer("b").empty());
    clock.now += 1;
    EXPECT_EQ(least.Tick(), "1 more line");
}

} // namespace
} // namespace tav
