#include "triggers/TriggerFile.h"
#include "settings/TextMode.h"
#include "tests/support/TempDir.h"
#include "triggers/TriggerList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace tav {

void PrintTo(const TriggerRecord& r, std::ostream* os) {
    *os << "{\"" << r.pattern << "\", \"" << r.reaction << "\"}";
}

namespace {

// Three triggers as the file holds them: one with a two-line reaction, one whose lines
// are longer than the old read buffer.
const std::string kLongPattern = "The " + std::string(150, 'p') + " %1 arrives.";
const std::string kLongReaction = "say " + std::string(200, 'r');
const std::string kTriggers = "%1 tells you %2\r\n"
                              "tell %1 got it\r\r\n"
                              "#\r\n"
                              "hungry\r\n"
                              "eat bread\r\r\n"
                              "drink water\r\r\n"
                              "#\r\n" +
                              kLongPattern + "\r\n" + kLongReaction + "\r\r\n#\r\n";

TEST(TriggerFileTest, LoadsAndSavesByteForByteAndAnEmptyListDeletesTheFile) {
    const test::TempDir root({"p"});
    const std::filesystem::path file = root.path / "p" / "trigs.ndx";
    std::ofstream(file, std::ios::binary) << kTriggers;
    TriggerList list(root.path.string());
    list.AddTrigger("replaced by the load", "");
    ASSERT_TRUE(list.LoadTriggers("p"));
    ASSERT_EQ(list.Count(), 3U);
    EXPECT_EQ(list.At(0).pattern(), "%1 tells you %2");
    EXPECT_EQ(list.At(0).reaction(), "tell %1 got it\r\n");
    EXPECT_EQ(list.At(1).reaction(), "eat bread\r\ndrink water\r\n");
    EXPECT_EQ(list.At(2).pattern(), kLongPattern);
    EXPECT_EQ(list.At(2).reaction(), kLongReaction + "\r\n");

    std::filesystem::remove(file);
    ASSERT_TRUE(list.SaveTriggers("p"));
    EXPECT_EQ(ReadFileBytes(file.string()), kTriggers);

    list.ClearTriggers();
    ASSERT_TRUE(list.SaveTriggers("p"));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_FALSE(list.LoadTriggers("p"));
    EXPECT_TRUE(list.Empty());
}

TEST(ParseTriggerFileTest, ReadsRecords) {
    // The text after the text-mode translation, and the records read from it.
    const std::tuple<std::string, std::vector<TriggerRecord>> cases[] = {
        {"", {}},
        {"a\n#\n", {{"a", ""}}},
        // A pattern may begin with '#'; the rest of a '#' line is ignored.
        {"#x\n#end\n", {{"#x", ""}}},
        // Reaction lines keep a CR of their own: CR CR LF on disk.
        {"a\nr1\r\n\r\nr2\r\n#\n", {{"a", "r1\r\n\r\nr2\r\n"}}},
        // A file written with bare line ends reads the same.
        {"a\nr1\nr2\n#\n", {{"a", "r1\r\nr2\r\n"}}},
        // The last record lacks its '#' line and is dropped.
        {"a\n#\nb\nr\n", {{"a", ""}}},
        {"a\n#\n\n", {{"a", ""}}},
        // An empty pattern line is an empty pattern; a last line without end is whole.
        {"\nr\n#", {{"", "r\r\n"}}},
    };
    for (const auto& [text, records] : cases)
        EXPECT_EQ(ParseTriggerFile(text), records) << text;
}

} // namespace
} // namespace tav
