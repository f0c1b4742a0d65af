#include "triggers/TriggerFile.h"
#include "settings/TextMode.h"
#include "tests/support/TempDir.h"
#include "triggers/TriggerActionFile.h"
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

std::string Read(const std::string& path) {
    return ReadFileBytes(path).value_or("<missing>");
}

// Two equal patterns, so the entry must name its trigger by occurrence; switches given as
// "yes" and as "1"; an entry whose trigger is gone, a value that is not understood and a
// key of a later version.
TEST(TriggerActionFileTest, LoadsOntoTheNamedTriggerKeepsWhatItCannotReadAndFollowsDeletes) {
    test::TempDir dir({"p"});
    TriggerList list(dir.path.string());
    const std::string ndx = "hit\r\nflee\r\r\n#\r\nhit\r\n#\r\nwin\r\n#\r\n";
    ASSERT_TRUE(WriteFileAtomically(list.TriggerFilePath("p"), ndx));
    ASSERT_TRUE(WriteTextFile(list.ActionFilePath("p"),
                              "; my notes\n"
                              "[trigger]\npattern=hit\noccurrence=2\nhighlight=line\n"
                              "text=#FF8000\ngag=maybe\nfuture=1\ngroup=fight\n"
                              "[trigger]\npattern=gone\nchannel=yes\n"
                              "[trigger]\npattern=win\nenabled=no\nsound=a.wav\n"
                              "group-off=fight\ngroup-on=calm\ngag=yes\nchannel=1\n"));
    ASSERT_TRUE(list.LoadTriggers("p"));

    EXPECT_TRUE(list.At(0).Actions().IsDefault());
    const TriggerActions& second = list.At(1).Actions();
    EXPECT_EQ(second.highlight, HighlightScope::Line);
    EXPECT_EQ(second.textColor, 0x0080FFu);
    EXPECT_FALSE(second.gag);
    EXPECT_EQ(second.keptLines, (std::vector<std::string>{"gag=maybe", "future=1"}));
    EXPECT_EQ(list.At(2).Actions(), (TriggerActions{.enabled = false,
                                                    .gag = true,
                                                    .toChannel = true,
                                                    .sound = "a.wav",
                                                    .groupOn = "calm",
                                                    .groupOff = "fight"}));
    const std::vector<std::string> problems = list.TakeActionFileProblems();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("line 7"), std::string::npos);
    EXPECT_TRUE(list.TakeActionFileProblems().empty()); // said once

    // An edited pattern keeps the trigger's actions; trigs.ndx keeps its own layout.
    ASSERT_EQ(list.ReplaceTrigger(1, "hit hard", "flee\r\n"), 1u);
    ASSERT_TRUE(list.SaveTriggers("p"));
    EXPECT_EQ(Read(list.TriggerFilePath("p")),
              "hit\r\nflee\r\r\n#\r\nhit hard\r\nflee\r\r\n#\r\nwin\r\n#\r\n");
    EXPECT_EQ(Read(list.ActionFilePath("p")),
              "; my notes\r\n"
              "[trigger]\r\npattern=hit hard\r\ngroup=fight\r\nhighlight=line\r\n"
              "text=#FF8000\r\ngag=maybe\r\nfuture=1\r\n"
              "[trigger]\r\npattern=win\r\nenabled=no\r\ngroup-on=calm\r\ngroup-off=fight\r\n"
              "gag=yes\r\nsound=a.wav\r\nchannel=yes\r\n");

    // A deleted trigger takes its actions with it; with none left the file goes.
    list.DeleteTrigger(2);
    list.DeleteTrigger(1);
    ASSERT_TRUE(list.SaveTriggers("p"));
    EXPECT_EQ(Read(list.ActionFilePath("p")), "; my notes\r\n");
    list.DeleteTrigger(0);
    ASSERT_TRUE(list.SaveTriggers("p"));
    EXPECT_EQ(Read(list.ActionFilePath("p")), "<missing>");
}

// An occurrence that is not a whole number from 1 is not understood: the entry applies to
// the first trigger of its pattern and keeps the line as it was.
TEST(TriggerActionFileTest, AnOccurrenceNotUnderstoodNamesTheFirstTrigger) {
    for (const char* occurrence : {"2x", "x2", "0", "-2", "2.0"}) {
        test::TempDir dir({"p"});
        TriggerList list(dir.path.string());
        ASSERT_TRUE(WriteFileAtomically(list.TriggerFilePath("p"), "hit\r\n#\r\nhit\r\n#\r\n"));
        ASSERT_TRUE(WriteTextFile(list.ActionFilePath("p"),
                                  std::string("[trigger]\npattern=hit\n") +
                                      "occurrence=" + occurrence + "\ngag=yes\n"));
        ASSERT_TRUE(list.LoadTriggers("p"));
        const TriggerActions& first = list.At(0).Actions();
        EXPECT_TRUE(first.gag) << occurrence;
        EXPECT_EQ(first.keptLines,
                  std::vector<std::string>{std::string("occurrence=") + occurrence});
        EXPECT_TRUE(list.At(1).Actions().IsDefault()) << occurrence;
        EXPECT_EQ(list.TakeActionFileProblems().size(), 1u) << occurrence;
    }
}

// The longest pattern a trigger may have keeps its actions through a save and a load.
TEST(TriggerActionFileTest, TheLongestPatternKeepsItsActions) {
    test::TempDir dir({"p"});
    TriggerList list(dir.path.string());
    list.SetActions(list.AddTrigger(std::string(kMaxPatternChars, 'p'), ""), {.gag = true});
    ASSERT_TRUE(list.SaveTriggers("p"));
    TriggerList loaded(dir.path.string());
    ASSERT_TRUE(loaded.LoadTriggers("p"));
    EXPECT_TRUE(loaded.At(0).Actions().gag);
    EXPECT_TRUE(loaded.TakeActionFileProblems().empty());
}

// A file of the largest size is read whole; a byte more and the rest is left, with a word.
TEST(TriggerActionFileTest, AFileIsReadUpToItsBound) {
    std::string text = "[trigger]\npattern=p\ngag=yes\n";
    text.resize(kMaxActionFileBytes, '\n');
    const TriggerActionFile whole = ParseTriggerActionFile(text);
    EXPECT_TRUE(whole.problems.empty());
    ASSERT_EQ(whole.records.size(), 1u);
    text += "[trigger]\npattern=q\n";
    const TriggerActionFile cut = ParseTriggerActionFile(text);
    EXPECT_EQ(cut.records.size(), 1u);
    ASSERT_EQ(cut.problems.size(), 1u);
    EXPECT_NE(cut.problems[0].find("trigs.act is too long"), std::string::npos);
}

// A file full of lines it cannot read says so of twenty at most, each shown up to 60
// characters.
TEST(TriggerActionFileTest, ProblemsAndKeptLinesAreBoundedInNumberAndLength) {
    const std::string shown = "gag=" + std::string(56, 'x');
    std::string text = "[trigger]\npattern=p\n" + shown + "\n" + shown + "y\n";
    for (std::size_t n = 0; n < kMaxKeptLines; ++n)
        text += "gag=maybe\n";
    const TriggerActionFile file = ParseTriggerActionFile(text);
    const std::vector<std::string>& problems = file.problems;
    ASSERT_EQ(problems.size(), 20u);
    // The lines an entry keeps are bounded too: the first ones are kept.
    ASSERT_EQ(file.records.size(), 1u);
    const std::vector<std::string>& kept = file.records[0].actions.keptLines;
    ASSERT_EQ(kept.size(), kMaxKeptLines);
    EXPECT_EQ(kept.back(), "gag=maybe");
    EXPECT_EQ(problems[0], "trigs.act line 3: \"" + shown + "\" is not understood; kept as it is.");
    EXPECT_EQ(problems[1],
              "trigs.act line 4: \"" + shown + "...\" is not understood; kept as it is.");
}

} // namespace
} // namespace tav
