// help.ndx byte for byte: what is read from the lines on disk, what goes back, in which
// order, and that a save replaces the file whole or not at all.
#include "settings/HelpIndexFile.h"

#include "SettingsTestSupport.h"
#include "settings/TextMode.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tav::test {
namespace {

namespace fs = std::filesystem;
using Topics = std::vector<std::string>;

TEST(HelpIndexFile, ReadsWholeLinesWhateverTheirEnding) {
    const std::string longTopic(300, 'x');
    struct Case {
        const char* what;
        std::string bytes;
        Topics topics;
    };
    const Case cases[] = {
        {"CR LF lines", "armor\r\nweapons\r\n", {"armor", "weapons"}},
        {"LF lines", "armor\nweapons\n", {"armor", "weapons"}},
        {"last line without an end", "armor\r\nweapons", {"armor", "weapons"}},
        {"empty lines left out", "\r\narmor\r\n\r\n\nweapons\r\n\r\n", {"armor", "weapons"}},
        {"a long line is one topic", longTopic + "\r\nshort\r\n", {longTopic, "short"}},
        {"CR CR LF ends a line too", "armor\r\r\nweapons\r\n", {"armor", "weapons"}},
        {"a lone CR inside is left out", "a\rb\r\nc\r\n\r\r", {"c"}},
        {"cut at a NUL", std::string("mag\0ic\r\nwand\r\n", 14), {"mag", "wand"}},
        {"Latin-1 bytes kept", "caf\xe9\r\n", {"caf\xe9"}},
        {"empty file", "", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseHelpIndex(c.bytes), c.topics) << c.what;
}

// Only whole topics that come back are written, sorted case-folded then by bytes; a save
// replaces the file whole, keeps it when there is nothing to write, and reports a failure.
TEST(HelpIndexFile, WritesSortsAndSavesWholeTopics) {
    const std::string longTopic(300, 'y');
    const std::string bytes =
        FormatHelpIndex({"armor", "", "bad\rtopic", "bad\ntopic", longTopic, "weapons"});
    EXPECT_EQ(bytes, "armor\r\n" + longTopic + "\r\nweapons\r\n");
    const Topics back = {"armor", longTopic, "weapons"};
    EXPECT_EQ(ParseHelpIndex(bytes), back) << "round trip";
    EXPECT_EQ(FormatHelpIndex(back), bytes) << "and back again, byte for byte";

    Topics topics = {"Zone", "Armor", "armor", "\xe9t\xe9", "ARMOR", "bash", "Bash", "a", "yes"};
    SortHelpTopics(topics);
    EXPECT_EQ(topics,
              (Topics{"a", "ARMOR", "Armor", "armor", "Bash", "bash", "yes", "Zone", "\xe9t\xe9"}));

    const TempDir temp({"profiles/hero"});
    const std::string root = temp.path.string();
    const std::string path = HelpIndexPath(root, "hero");
    EXPECT_EQ(path, root + "/profiles/hero/help.ndx");
    topics = {"old"};
    EXPECT_FALSE(LoadHelpIndex(path, topics)) << "no file yet";
    EXPECT_EQ(topics, Topics{"old"}) << "a missing file leaves the list as it was";
    ASSERT_TRUE(SaveHelpIndex(path, {"armor", "weapons"}));
    EXPECT_EQ(ReadBytes(path), "armor\r\nweapons\r\n");
    ASSERT_TRUE(LoadHelpIndex(path, topics));
    EXPECT_EQ(topics, (Topics{"armor", "weapons"}));
    EXPECT_TRUE(SaveHelpIndex(path, {}));
    EXPECT_TRUE(SaveHelpIndex(path, {"", "x\ny"}));
    EXPECT_EQ(ReadBytes(path), "armor\r\nweapons\r\n") << "nothing to write keeps the file";
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.path / "profiles/hero"), {}), 1)
        << "no temporary file left behind";
    EXPECT_FALSE(SaveHelpIndex(HelpIndexPath(root, "nobody"), {"armor"}));
    EXPECT_FALSE(fs::exists(temp.path / "profiles" / "nobody"));
}

} // namespace
} // namespace tav::test
