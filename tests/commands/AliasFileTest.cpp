#include "commands/AliasFile.h"
#include "commands/TimerFile.h"

#include "settings/TextMode.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace tav {
namespace {

// A file edited by hand: notes, aliases, and lines that are none (no '=', a name of two
// words, a second alias of one name, a body over the bound) are read, counted and
// written back in their places when the list is edited.
TEST(AliasFile, EditedListKeepsNotesAndLinesNotUnderstoodInPlace) {
    const std::string longBody = "x=" + std::string(kMaxAliasBody + 1, 'b');
    const std::string text = "# mine\n"
                             "k = kill %1\n"
                             "no equals sign\n"
                             "two words=look\n"
                             "\n"
                             "gg=get all;look\n"
                             "k=a second k\n" +
                             longBody + "\n=nameless\nold=gone\n";
    const AliasFileContents read = ParseAliasText(text);
    EXPECT_EQ(read.aliases,
              (std::vector<Alias>{{"k", "kill %1"}, {"gg", "get all;look"}, {"old", "gone"}}));
    EXPECT_EQ(read.notUnderstood, 5U);

    const std::vector<Alias> edited = {{"gg", "get all coins"}, {"k", "kill %1"}, {"new", "n;n"}};
    EXPECT_EQ(WriteAliasText(edited, text), "# mine\n"
                                            "k=kill %1\n"
                                            "no equals sign\n"
                                            "two words=look\n"
                                            "\n"
                                            "gg=get all coins\n"
                                            "k=a second k\n" +
                                                longBody + "\n=nameless\nnew=n;n\n");

    // On disk: text mode, replaced whole; a new file's opening note reads back as nothing.
    const test::TempDir root({"profiles/hero"});
    const std::string path = AliasFilePath(root.path.string(), "hero");
    EXPECT_TRUE(LoadAliasFile(path).aliases.empty());
    ASSERT_TRUE(SaveAliasFile(path, edited));
    const std::string bytes = ReadFileBytes(path).value_or("");
    EXPECT_EQ(bytes.substr(0, 2), "# ");
    EXPECT_NE(bytes.find("\r\ngg=get all coins\r\nk=kill %1\r\nnew=n;n\r\n"), std::string::npos);
    const AliasFileContents back = LoadAliasFile(path);
    EXPECT_EQ(std::pair(back.aliases, back.notUnderstood), std::pair(edited, std::size_t{0}));
    ASSERT_TRUE(SaveAliasFile(path, {}));
    EXPECT_TRUE(LoadAliasFile(path).aliases.empty());
}

TEST(AliasFile, NamesAreOneBoundedWord) {
    EXPECT_FALSE(AliasNameProblem("k"));
    EXPECT_FALSE(AliasNameProblem(std::string(kMaxAliasName, 'a')));
    for (const std::string& bad : std::vector<std::string>{"", "a b", "a=b", "a\tb", "\x7f",
                                                           std::string(kMaxAliasName + 1, 'a')})
        EXPECT_TRUE(AliasNameProblem(bad)) << bad;
    EXPECT_TRUE(AliasBodyProblem("a\nb"));
    EXPECT_FALSE(AliasBodyProblem(""));
}

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
