// custbut.ndx byte for byte: what the lines on disk give, what a save writes, and what the
// button editor lets through.
#include "settings/CustomButtonFile.h"

#include "SettingsTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tav::test {
namespace {

namespace fs = std::filesystem;
using Records = std::vector<CustomButtonRecord>;

TEST(CustomButtonFile, ReadsWholeLines) {
    const std::string longName(64, 'n');
    const std::string line100(100, 'a');
    const std::string line300(300, 'b');
    struct Case {
        const char* what;
        std::string bytes;
        Records records;
    };
    const Case cases[] = {
        {"text mode",
         "Kill\r\nkill orc\r\r\n#\r\nTwo\r\nget all\r\r\nsay done\r\r\n#\r\nEmpty\r\n#\r\n",
         {{"Kill", "kill orc\r\n"}, {"Two", "get all\r\nsay done\r\n"}, {"Empty", ""}}},
        {"LF lines", "A\nlook\n#\n", {{"A", "look\r\n"}}},
        {"last line without an end", "A\r\nlook\r\r\n#", {{"A", "look\r\n"}}},
        {"a long name is cut, not carried into the command",
         longName + "\r\nlook\r\r\n#\r\n",
         {{longName.substr(0, 31), "look\r\n"}}},
        {"long lines stay whole",
         "A\r\n" + line100 + "\r\r\n" + line100 + "\r\r\n#\r\n",
         {{"A", line100 + "\r\n" + line100 + "\r\n"}}},
        {"a line passing the limit is left out whole, with the ones after it",
         "A\r\n" + line100 + "\r\n" + line100 + "\r\n" + line100 + "\r\nshort\r\n#\r\nB\r\n#\r\n",
         {{"A", line100 + "\r\n" + line100 + "\r\n"}, {"B", ""}}},
        {"a line longer than the limit", "A\r\n" + line300 + "\r\n#\r\n", {{"A", ""}}},
        {"the '#' line ends the record whatever follows the '#'",
         "A\r\nx\r\n#junk\r\nB\r\n#\r\n",
         {{"A", "x\r\n"}, {"B", ""}}},
        {"an unfinished last record is left out", "A\r\n#\r\nB\r\nlook\r\n", {{"A", ""}}},
        {"a lone CR inside a line is dropped", "A\rB\r\nsa\ry\r\n#\r\n", {{"AB", "say\r\n"}}},
        {"Latin-1 kept", "Caf\xe9\r\n\xe9t\xe9\r\n#\r\n", {{"Caf\xe9", "\xe9t\xe9\r\n"}}},
        {"empty file", "", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseCustomButtons(c.bytes), c.records) << c.what;
    EXPECT_EQ(FormatCustomButtons(cases[0].records), cases[0].bytes);
}

TEST(CustomButtonFile, SaveReplacesTheFileAndDeletesItWhenEmpty) {
    const TempDir temp({"profiles/hero"});
    const fs::path& dir = temp.path;
    const std::string path = CustomButtonPath(dir.string(), "hero");
    EXPECT_EQ(path, dir.string() + "/profiles/hero/custbut.ndx");

    EXPECT_FALSE(LoadCustomButtons(path).has_value());
    const Records records = {{"D", "dance\r\n"}, {"C", "cheer\r\n"}};
    ASSERT_TRUE(SaveCustomButtons(path, records));
    EXPECT_EQ(ReadBytes(path), "D\r\ndance\r\r\n#\r\nC\r\ncheer\r\r\n#\r\n");
    EXPECT_EQ(LoadCustomButtons(path), records);

    // Replaced whole: only the file is left in the directory, no temporary beside it.
    ASSERT_TRUE(SaveCustomButtons(path, {{"C", "cheer\r\n"}}));
    EXPECT_EQ(ReadBytes(path), "C\r\ncheer\r\r\n#\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "profiles" / "hero"), {}), 1);

    // No buttons: no file, never an empty one; deleting what is gone already is fine.
    EXPECT_TRUE(SaveCustomButtons(path, {}));
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(SaveCustomButtons(path, {}));

    // A profile directory that is not there: reported.
    EXPECT_FALSE(SaveCustomButtons(CustomButtonPath(dir.string(), "gone"), records));
}

TEST(CustomButtonFile, EditorKeepsWhatTheFileCanHoldBack) {
    struct Case {
        const char* what;
        std::string typed;
        std::string stored;
        bool refused;
    };
    const std::string fits(253, 'x');
    const Case cases[] = {
        {"one line gets CR LF", "look", "look\r\n", false},
        {"lines end in CR LF", "get all\nsay hi", "get all\r\nsay hi\r\n", false},
        {"a typed last line end is kept once", "look\n", "look\r\n", false},
        {"CR LF typed", "a\r\nb\r\n", "a\r\nb\r\n", false},
        {"lone CRs dropped", "lo\rok", "look\r\n", false},
        {"empty stays empty", "", "", false},
        {"a '#' line would end the record", "say hi\n#grin", "say hi\r\n#grin\r\n", true},
        {"'#' inside a line is fine", "say #1", "say #1\r\n", false},
        {"253 characters and CR LF fit", fits, fits + "\r\n", false},
        {"254 characters do not", fits + "x", fits + "x\r\n", true},
    };
    for (const Case& c : cases) {
        const std::string stored = StoredButtonCommand(c.typed);
        EXPECT_EQ(stored, c.stored) << c.what;
        EXPECT_EQ(ButtonCommandProblem(stored).has_value(), c.refused) << c.what;
        // Whatever is accepted comes back from the file as it was.
        if (!c.refused) {
            EXPECT_EQ(ParseCustomButtons(FormatCustomButtons({{"N", stored}})),
                      Records({{"N", stored}}))
                << c.what;
        }
    }
    EXPECT_EQ(CleanButtonName("a\r\nb"), "ab");
    EXPECT_EQ(CleanButtonName(std::string(40, 'z')), std::string(31, 'z'));
    EXPECT_EQ(NextCustomButtonId({}), 8000);
    EXPECT_EQ(NextCustomButtonId({8000, 8003, 8001}), 8004); // new ids follow the highest
}

} // namespace
} // namespace tav::test
