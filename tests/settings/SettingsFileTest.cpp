#include "settings/SettingsFile.h"
#include "SettingsTestSupport.h"
#include "settings/ColorFile.h"
#include "settings/SizesStep.h"
#include "tests/support/FileSizeLimit.h"

#include <fstream>
#include <gtest/gtest.h>

namespace tav::test {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class SettingsFileTest : public ::testing::Test {
protected:
    SettingsFileTest() { fs::create_directories(dir); }
    void Put(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }
    long FileCount() const {
        return std::distance(fs::directory_iterator(dir), fs::directory_iterator());
    }

    TempDir temp;
    fs::path root = temp.path;
    fs::path dir = root / "profiles" / "hero";
    Settings settings = FilledSettings();
    StoredValues values = FilledValues();
    Recorder rec;
    SettingsFile file{settings, values, rec, rec, rec, root.string()};
};

// A save writes the golden files, the settings for the owner only; a failed one reports
// and leaves the old file whole.
TEST_F(SettingsFileTest, SaveWritesTheGoldenFilesOrKeepsTheOldOnes) {
    Put("tav.cfg", "old");
    file.SaveSettings("hero");
    EXPECT_EQ(ReadBytes(dir / "tav.cfg"), Golden("golden_tav.cfg"));
    EXPECT_EQ(ReadBytes(dir / "colors.dat"), Golden("golden_colors.dat"));
    EXPECT_EQ(fs::status(dir / "tav.cfg").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(rec.logged, Lines{"Configuration saved."});
    EXPECT_TRUE(rec.printed.empty());
    EXPECT_EQ(FileCount(), 2);

    rec = Recorder{};
    file.SaveSettings("gone"); // no profile directory
    EXPECT_EQ(rec.printed, Lines{"Unable to open tav.cfg for writing...\r\n"});
    // A file size limit makes the write fail part way, as a full disk would.
    Set(settings.logincom, std::string(255, 'x'));
    {
        FileSizeLimit limit(200);
        file.SaveSettings("hero");
    }
    EXPECT_EQ(rec.printed.size(), 2u);
    EXPECT_EQ(ReadBytes(dir / "tav.cfg"), Golden("golden_tav.cfg"));
    EXPECT_EQ(FileCount(), 2);
    EXPECT_TRUE(rec.logged.empty());
}

TEST_F(SettingsFileTest, LoadReadsBothFilesAndPrintsThePlayers) {
    for (Flag onTop : {0, 1}) {
        settings.ontop = settings.midiexternal = onTop;
        file.SaveSettings("hero");
        Settings expected = settings;
        settings = Settings{};
        values = StoredValues::Defaults();
        rec = Recorder{};
        file.LoadSettings("hero");

        EXPECT_TRUE(SameBytes(settings, expected));
        EXPECT_TRUE(SameBytes(values, FilledValues()));
        EXPECT_EQ(
            rec.calls,
            (Lines{"font 0 Courier New -13 7", "font 1 Lucida Console 12 6", "font 2 fixedsys 10 5",
                   "font 3 Terminal 14 8", "font 4 Courier 16 0", "font 5 Arial -11 5",
                   "font 6 Courier New 15 9", "font 7 Courier New 13 8", "font 8 fixedsys 15 9",
                   "font 9 fixedsys 10 5", "bcolor 4194304", "tcolor 15129810",
                   "font 10 fixedsys 15 9", "font 11 Times New Roman 12 6", "font 12 fixedsys 15 9",
                   "font 13 Verdana -12 0", onTop ? "topmost on" : "topmost off"}));
        Lines printed = {"Selected wavplayer: MCI Internal\r\n",
                         onTop ? "Selected midiplayer: C:\\midi\\play.exe\r\n"
                               : "Selected midiplayer: MCI Internal\r\n",
                         "Selected modplayer: modplay.exe\r\n",
                         "Selected mp3player: mp3 player.exe\r\n"};
        if (onTop) printed.insert(printed.begin(), "Always on top mode selected.\r\n");
        EXPECT_EQ(rec.printed, printed);
    }
}

TEST_F(SettingsFileTest, MissingFileAppliesDefaultsAndAsksForTheDialog) {
    Put("colors.dat", std::string(kColorFileSize, '\x7f')); // must not be read
    settings.waitclient = 1;
    file.LoadSettings("hero");

    EXPECT_EQ(rec.printed, Lines{"Unable to open tav.cfg ...Opening config dialog.\r\n"});
    EXPECT_EQ(rec.calls, (Lines{"place 640x400", "config"}));
    Settings expected = FilledSettings(); // the player paths and the rest stay
    Set(expected.user, ""), Set(expected.passwd, ""), Set(expected.waitsecs, "");
    Set(expected.logincom, "");
    expected.autoterm = expected.autoclient = expected.waitclient = 0;
    EXPECT_TRUE(SameBytes(settings, expected));
    StoredValues expectedValues = FilledValues();
    for (Rect* r : {&expectedValues.scrollpos, &expectedValues.brdpos, &expectedValues.idpos,
                    &expectedValues.gosspos, &expectedValues.editorpos, &expectedValues.helppos,
                    &expectedValues.invpos, &expectedValues.eqpos, &expectedValues.whopos})
        *r = {0, 0, 300, 300};
    expectedValues.termpos = {0, 0, 640, 400};
    EXPECT_TRUE(SameBytes(values, expectedValues));
}

TEST_F(SettingsFileTest, ColorFileTakesWholeValuesOnly) {
    const StoredValues before = values;
    EXPECT_FALSE(file.LoadColors("hero"));
    EXPECT_TRUE(SameBytes(values, before));

    Put("colors.dat", std::string(10, '\0'));
    EXPECT_TRUE(file.LoadColors("hero"));
    EXPECT_EQ(values.custcolors[1], 0u);
    EXPECT_EQ(values.custcolors[2], before.custcolors[2]);
    Put("colors.dat", Golden("golden_colors.dat") + "extra");
    EXPECT_TRUE(file.LoadColors("hero"));
    EXPECT_TRUE(SameBytes(values, before));
}

TEST(SizesStep, ResizesOnlyForUsableChangedValues) {
    struct Case {
        const char* scrolllines;
        const char* inputlines;
        SizesStep expected; // from scrollback 100 and history 10
    };
    const Case cases[] = {
        {"500", "100", {500, 100}},
        {"10", "0", {}},
        {"11", "1", {11, 1}},
        {"100", "10", {}},
        {"", "-5", {}},
        {"999999999999999", "99999999", {kMaxScrollLines, kMaxInputLines}},
    };
    for (const Case& c : cases) {
        Settings s{};
        CopyField(s.scrolllines, c.scrolllines);
        CopyField(s.inputlines, c.inputlines);
        EXPECT_EQ(ComputeSizesStep(s, 100, 10), c.expected) << c.scrolllines << " " << c.inputlines;
    }
}

} // namespace
} // namespace tav::test
