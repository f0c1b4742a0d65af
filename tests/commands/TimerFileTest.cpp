#include "commands/TimerFile.h"

#include <gtest/gtest.h>

namespace tav {
namespace {

TEST(TimerFileTest, OnlyTimersTheDialogWouldAcceptAreRead) {
    const std::string longName = "timer=" + std::string(64, 'n') + "|5|on|x";
    const std::string longCommand = "timer=a|5|on|" + std::string(255, 'c');
    for (const std::string& line :
         {std::string("timer=|5|on|x"), std::string("timer=a|0|on|x"),
          std::string("timer=a|86401|on|x"), std::string("timer=a|5x|on|x"),
          std::string("timer=a|5|yes|x"), std::string("timer=a|5|on"),
          std::string("timer=a|+5|on|x"), longName, longCommand, std::string("Timer=a|5|on|x")}) {
        CommandTimer timer;
        EXPECT_FALSE(ParseTimerLine(line, timer)) << line;
    }
    CommandTimer timer;
    ASSERT_TRUE(ParseTimerLine("timer=a b|86400|off|say |x| ;", timer));
    EXPECT_EQ(timer, (CommandTimer{"a b", 86400, false, "say |x| ;"}));
    EXPECT_EQ(TimerLine(timer), "timer=a b|86400|off|say |x| ;");
    EXPECT_EQ(TimerCommandString("n;s"), "n;s;");
    EXPECT_EQ(TimerCommandString("n;"), "n;");
    EXPECT_EQ(TimerCommandString(""), "");
}

} // namespace
} // namespace tav
