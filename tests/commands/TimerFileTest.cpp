#include "commands/TimerFile.h"

#include <gtest/gtest.h>

namespace tav {
namespace {

TEST(TimerFileTest, OnlyTimersTheDialogWouldAcceptAreRead) {
    const std::string longName = "timer=" + std::string(64, 'n') + "|5|on|x";
    const std::string longCommand = "timer=a|5|on|" + std::string(255, 'c');
    const std::string refused[] = {"timer=|5|on|x",   "timer=a|0|on|x",  "timer=a|86401|on|x",
                                   "timer=a|5x|on|x", "timer=a|5|yes|x", "timer=a|5|on",
                                   "timer=a|+5|on|x", longName,          longCommand,
                                   "Timer=a|5|on|x"};
    CommandTimer timer;
    for (const std::string& line : refused)
        EXPECT_FALSE(ParseTimerLine(line, timer)) << line;
    // The longest name and command there may be are kept whole.
    const std::string longest = std::string(63, 'n') + "|1|on|" + std::string(254, 'c');
    ASSERT_TRUE(ParseTimerLine("timer=" + longest, timer));
    EXPECT_EQ(TimerLine(timer), "timer=" + longest);
    ASSERT_TRUE(ParseTimerLine("timer=a b|86400|off|say |x| ;", timer));
    EXPECT_EQ(timer, (CommandTimer{"a b", 86400, false, "say |x| ;"}));
    EXPECT_EQ(TimerLine(timer), "timer=a b|86400|off|say |x| ;");
    EXPECT_EQ(
        (std::vector{TimerCommandString("n;s"), TimerCommandString("n;"), TimerCommandString("")}),
        (std::vector<std::string>{"n;s;", "n;", ""}));
}

} // namespace
} // namespace tav
