// tav.cfg and colors.dat: the settings text line by line, then the files a profile load
// reads and a save writes.
#include "settings/SettingsFile.h"
#include "SettingsTestSupport.h"
#include "settings/ColorFile.h"
#include "settings/LineScanner.h"
#include "settings/SettingsText.h"
#include "settings/SizesStep.h"
#include "settings/TextMode.h"
#include "tests/support/FileSizeLimit.h"

#include <array>
#include <climits>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <tuple>

namespace tav::test {
namespace {

// The colour tables live in colors.dat, not in the settings text.
StoredValues WithoutColors(StoredValues v) {
    std::fill(std::begin(v.custcolors), std::end(v.custcolors), 0);
    std::fill(std::begin(v.mudcolors), std::end(v.mudcolors), 0);
    return v;
}

// The golden text with line `index` (0-based) replaced.
std::string GoldenWith(std::size_t index, const std::string& replacement) {
    std::string text = FromTextMode(Golden("golden_tav.cfg"));
    std::size_t start = 0;
    for (std::size_t i = 0; i < index; ++i)
        start = text.find('\n', start) + 1;
    return text.replace(start, text.find('\n', start) - start, replacement);
}

TEST(SettingsText, RoundTripKeepsLongValuesAndTheUnsavedPassword) {
    Settings s = FilledSettings();
    StoredValues v = WithoutColors(FilledValues());
    s.savepasswd = 0;
    Set(s.midiplayer, std::string(200, 'm')); // longer than the old 78-character read
    Set(s.logincom, std::string(255, 'l'));
    Set(v.fkeys[11], std::string(255, 'k'));
    Set(v.descfont.face, std::string(120, 'f'));
    Set(s.user, "hero\nport:1"); // a line feed must not make a line of its own
    std::string text = WriteSettingsText(s, v);
    EXPECT_NE(text.find("\nuser:hero\npasswd:NotSaved\n"), std::string::npos);

    Settings loaded{};
    StoredValues loadedValues = WithoutColors(StoredValues::Defaults());
    Recorder host;
    ReadSettingsText(text, loaded, loadedValues, host);
    Set(s.passwd, "NotSaved");
    Set(s.user, "hero");
    EXPECT_TRUE(SameBytes(loaded, s));
    EXPECT_TRUE(SameBytes(loadedValues, v));
}

// A damaged line's name, its index in the golden file and text, and what it changes.
using DamagedLine = std::tuple<const char*, std::size_t, std::string,
                               std::function<void(Settings&, StoredValues&)>>;
const auto kSame = [](Settings&, StoredValues&) {};
// Lines of the golden file: 3 flags, 4 whofont, 6 invfont, 8 eqfont, 10 chanfont,
// 15 helpfont sizes, 17 whopos, 18 gosspos, 19 eqpos, 23 user, 26 port, 39 flags,
// 40 bcolor, 41 tcolor, 42 flags, 45 sizes, 46 bell.
const DamagedLine kDamagedLines[] = {
    {"PositionWithThreeNumbers", 17, "whopos:1 2 3", kSame},
    {"PositionKeyMismatch", 18, "gospos:1 2 3 4", kSame},
    {"PositionWithTrailingText", 19, "eqpos:1 2 3 4 junk",
     [](Settings&, StoredValues& v) {
         v.eqpos = {1, 2, 4, 6};
     }},
    {"ColorAbove255KeepsLow8Bits", 40, "bcolor:300 256 -1",
     [](Settings&, StoredValues& v) { v.bcolor = MakeColor(44, 0, 255); }},
    {"ColorWithTwoNumbers", 41, "tcolor:1 2", kSame},
    {"EmptyFaceKeepsFont", 4, "whofont:", kSame},
    {"FaceEndingAtANulAfterTheKeyKeepsFont", 4, std::string("whofont:\0Arial", 14), kSame},
    {"FontWithOnlyAHeight", 15, "7 x", [](Settings&, StoredValues& v) { v.helpfont.height = 7; }},
    {"FontKeyMismatchTakesRestOfLine", 10, "chnfont:Arial",
     [](Settings&, StoredValues& v) { Set(v.chanfont.face, "nfont:Arial"); }},
    {"TextKeyMismatchTakesRestOfLine", 23, "usr:bob",
     [](Settings& s, StoredValues&) { Set(s.user, "r:bob"); }},
    {"TextLongerThanFieldIsCut", 26, "port:12345678901234567890",
     [](Settings& s, StoredValues&) { Set(s.port, "123456789012345"); }},
    {"TextLineOf300Chars", 46, "bell:" + std::string(300, 'b'),
     [](Settings& s, StoredValues&) { Set(s.bell, std::string(255, 'b')); }},
    {"FlagsStopAtUnreadableNumber", 3, "0 1 x 1 1 1 1 1 1 1",
     [](Settings& s, StoredValues&) { s.minimizeonedit = 0, s.nomidi = 1; }},
    {"FlagsKeepLow16Bits", 39, "65538 -1",
     [](Settings& s, StoredValues&) { s.autowrap = 2, s.appendcr = 65535; }},
    {"EmptyFlagsLineDoesNotTakeTheNextLine", 42, "", kSame},
    {"SizesGoBackAsText", 45, "  20 0 1",
     [](Settings& s, StoredValues&) {
         Set(s.scrolllines, "20"), Set(s.inputlines, "0"), s.cursornone = 1;
     }},
    {"OneSizeKeepsTheOther", 45, "20",
     [](Settings& s, StoredValues&) { Set(s.scrolllines, "20"); }},
    {"UnreadableSizesKeepTheirText", 45, "lots", kSame},
};

// One damaged line of the golden file, read over the golden values: only what the line
// says may change, and every later line must still be read as written.
TEST(SettingsText, ADamagedLineChangesOnlyWhatItSays) {
    for (const auto& [name, index, line, expect] : kDamagedLines) {
        SCOPED_TRACE(std::string(name) + ": line " + std::to_string(index) + " \"" + line + "\"");
        Settings s = FilledSettings(), expected = FilledSettings();
        StoredValues v = FilledValues(), expectedValues = FilledValues();
        Recorder host;
        ReadSettingsText(GoldenWith(index, line), s, v, host);
        expect(expected, expectedValues);
        EXPECT_TRUE(SameBytes(s, expected)) << WriteSettingsText(s, v);
        EXPECT_TRUE(SameBytes(v, expectedValues)) << WriteSettingsText(s, v);
    }
}

TEST(LineScanner, ScanNumbersReadsLikeSuccessiveDecimalConversions) {
    const std::pair<std::string_view, std::vector<int>> cases[] = {
        {" \t\n\v\f\r-4 +5", {-4, 5}},
        {"12abc 4", {12}},
        {"- 3", {}},
        {"1 2 3 4 5", {1, 2, 3}}, // room for three
        {"99999999999 -99999999999", {INT_MAX, INT_MIN}},
        // The extremes themselves, and one digit past the largest magnitude that still grows.
        {"2147483647 -2147483648 -21474836470", {INT_MAX, INT_MIN, INT_MIN}},
    };
    for (const auto& [line, expected] : cases) {
        std::array<int, 3> out{};
        const std::size_t n = ScanNumbers(line, out);
        EXPECT_EQ(std::vector<int>(out.begin(), out.begin() + static_cast<long>(n)), expected)
            << "line \"" << line << "\"";
    }
}

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
    // The sizes typed, and the step from scrollback 100 and history 10.
    const std::tuple<const char*, const char*, SizesStep> cases[] = {
        {"500", "100", {500, 100}},
        {"10", "0", {}},
        {"11", "1", {11, 1}},
        {"100", "10", {}},
        {"", "-5", {}},
        {"999999999999999", "99999999", {kMaxScrollLines, kMaxInputLines}},
    };
    for (const auto& [scrolllines, inputlines, expected] : cases) {
        Settings s{};
        CopyField(s.scrolllines, scrolllines);
        CopyField(s.inputlines, inputlines);
        EXPECT_EQ(ComputeSizesStep(s, 100, 10), expected) << scrolllines << " " << inputlines;
    }
}

} // namespace
} // namespace tav::test
