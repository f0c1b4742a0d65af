#include "commands/AliasFile.h"

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

} // namespace
} // namespace tav
