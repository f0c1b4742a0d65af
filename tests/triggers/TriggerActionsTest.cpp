#include "settings/TextMode.h"
#include "tests/support/TempDir.h"
#include "tests/triggers/TriggerRecorders.h"
#include "triggers/TriggerActionFile.h"
#include "triggers/TriggerList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tav {
namespace {

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
                                                    .groupOn = "calm",
                                                    .groupOff = "fight",
                                                    .gag = true,
                                                    .sound = "a.wav",
                                                    .toChannel = true}));
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

// A file full of lines it cannot read says so of twenty at most, each shown up to 60
// characters.
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

using test::RecordingObserver;
using test::RecordingSender;

// Spans of literal and variable ends; a firing trigger switches groups at once, so a later
// trigger of a group it switched off is passed over on the same line, and its reaction
// goes out as written.
TEST(TriggerActionsTest, ObserverSeesSpansAndFiringTriggersSwitchGroups) {
    TriggerList list;
    RecordingObserver observer;
    RecordingSender sender;
    list.SetObserver(&observer);
    list.SetSender(&sender);
    list.AddTrigger("tells you %1", "");
    list.AddTrigger("Bob %1 you", "/group on chat\r\n");
    list.SetActions(0, {.groupOn = "none", .groupOff = "chat"});
    list.SetActions(1, {.group = "chat"}); // "tells you %1" sorts after "Bob..."

    list.CheckTriggers("Bob tells you hi!");
    list.CheckTriggers("Ann tells you hi");
    EXPECT_EQ(observer.fired, (std::vector<std::string>{"Bob %1 you@0-13"}));
    EXPECT_EQ(sender.sent, (std::vector<std::string>{"/group on chat\r\n"}));
    EXPECT_FALSE(list.At(1).Actions().enabled);
    EXPECT_EQ(list.SetGroupEnabled("chat", true), 1u);
    list.CheckTriggers("Ann tells you hi");
    EXPECT_EQ(observer.fired.back(), "tells you %1@4-16");
}

} // namespace
} // namespace tav
