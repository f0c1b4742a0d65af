// options.cfg: what its lines give, what a rewrite keeps, and the file on disk.
#include "settings/ProfileOptions.h"
#include "SettingsTestSupport.h"
#include "settings/TextMode.h"

#include <gtest/gtest.h>

namespace tav {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using Enc = TextEncoding;

TEST(ProfileOptions, LinesGiveValuesAndAnythingElseLeavesTheDefaults) {
    struct Case {
        const char* text;
        ProfileOptions options;
    };
    const Case cases[] = {
        {"", {}},
        {"encoding=utf8\nautoreconnect=1\n", {Enc::Utf8, true}},
        {"encoding=latin1", {Enc::Latin1, false}},
        {"encoding=7bit\nautoreconnect=0\n", {Enc::SevenBit, false}},
        {" encoding = utf8 \r\n", {Enc::Utf8, false}}, // hand-typed spaces, a CR
        // Malformed values and unknown keys are ignored.
        {"encoding=UTF-8\nautoreconnect=yes\n", {}},
        {"encoding=\nautoreconnect=10\nencoding\n", {}},
        {"colour=red\n# encoding=utf8\n", {}},
        // The last valid line of a key counts.
        {"encoding=utf8\nencoding=latin1\n", {Enc::Latin1, false}},
        {"encoding=utf8\nencoding=bogus\n", {Enc::Utf8, false}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadProfileOptionsText(c.text), c.options) << c.text;
}

TEST(ProfileOptions, RewriteKeepsOtherLinesInPlaceAndRoundTrips) {
    struct Case {
        const char* existing;
        ProfileOptions options;
        const char* written;
    };
    const Case cases[] = {
        {"", {}, "encoding=7bit\nautoreconnect=0\n"},
        {"", {Enc::Utf8, true}, "encoding=utf8\nautoreconnect=1\n"},
        {"# mine\nencoding=latin1\nfuture=x y\n",
         {Enc::Utf8, false},
         "# mine\nencoding=utf8\nfuture=x y\nautoreconnect=0\n"},
        {"autoreconnect=bogus\nnote\n\nencoding=utf8\nencoding=7bit\n",
         {Enc::Latin1, true},
         "autoreconnect=1\nnote\n\nencoding=latin1\n"},
    };
    for (const Case& c : cases) {
        const std::string text = WriteProfileOptionsText(c.options, c.existing);
        EXPECT_EQ(text, c.written) << c.existing;
        EXPECT_EQ(ReadProfileOptionsText(text), c.options) << c.existing;
    }
}

TEST(ProfileOptions, FileBesideTavCfgIsReadAndReplacedWhole) {
    const TempDir temp;
    const fs::path& root = temp.path;
    const std::string path = ProfileOptionsPath(root.string(), "alice");
    EXPECT_EQ(path, root.string() + "/profiles/alice/options.cfg");

    EXPECT_EQ(LoadProfileOptions(path), ProfileOptions{});     // missing: defaults
    EXPECT_FALSE(SaveProfileOptions(path, {Enc::Utf8, true})); // no profile directory
    fs::create_directories(root / "profiles" / "alice");
    ASSERT_TRUE(WriteFileAtomically(path, "later=1\n"));
    ASSERT_TRUE(SaveProfileOptions(path, {Enc::Utf8, true}));
    EXPECT_EQ(ReadFileBytes(path), "later=1\nencoding=utf8\nautoreconnect=1\n");
    EXPECT_EQ(LoadProfileOptions(path), (ProfileOptions{Enc::Utf8, true}));
    ASSERT_TRUE(SaveProfileOptions(path, {}));
    EXPECT_EQ(LoadProfileOptions(path), ProfileOptions{});
    EXPECT_EQ(ReadFileBytes(path), "later=1\nencoding=7bit\nautoreconnect=0\n");
}

} // namespace
} // namespace tav
