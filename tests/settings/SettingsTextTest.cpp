#include "settings/SettingsText.h"
#include "SettingsTestSupport.h"
#include "settings/LineScanner.h"
#include "settings/TextMode.h"

#include <array>
#include <climits>
#include <functional>
#include <gtest/gtest.h>

namespace tav::test {
namespace {

std::string GoldenText() {
    return FromTextMode(Golden("golden_tav.cfg"));
}

// The colour tables live in colors.dat, not in the settings text.
StoredValues WithoutColors(StoredValues v) {
    std::fill(std::begin(v.custcolors), std::end(v.custcolors), 0);
    std::fill(std::begin(v.mudcolors), std::end(v.mudcolors), 0);
    return v;
}

// The golden text with line `index` (0-based) replaced.
std::string GoldenWith(std::size_t index, const std::string& replacement) {
    std::string text = GoldenText();
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

struct DamagedLine {
    const char* name;
    std::size_t index;
    std::string line;
    std::function<void(Settings&, StoredValues&)> expect;
};
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
    for (const DamagedLine& c : kDamagedLines) {
        SCOPED_TRACE(std::string(c.name) + ": line " + std::to_string(c.index) + " \"" + c.line +
                     "\"");
        Settings s = FilledSettings(), expected = FilledSettings();
        StoredValues v = FilledValues(), expectedValues = FilledValues();
        Recorder host;
        ReadSettingsText(GoldenWith(c.index, c.line), s, v, host);
        c.expect(expected, expectedValues);
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
    };
    for (const auto& [line, expected] : cases) {
        std::array<int, 3> out{};
        const std::size_t n = ScanNumbers(line, out);
        EXPECT_EQ(std::vector<int>(out.begin(), out.begin() + static_cast<long>(n)), expected)
            << "line \"" << line << "\"";
    }
}

} // namespace
} // namespace tav::test
