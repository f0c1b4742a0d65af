#include "settings/AtomicFile.h"

#include "SettingsTestSupport.h"
#include "tests/support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace tav::test {
namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
protected:
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static mode_t Mode(const fs::path& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : 0;
    }

    TempDir temp;
    fs::path dir = temp.Path();
};

TEST_F(AtomicFileTest, ReplacesTheWholeFileAndLeavesNothingElse) {
    const fs::path file = dir / "tav.cfg";
    const std::string contents[] = {"first version\r\n", std::string(100000, 'x'), "", "\0\1"};
    for (const std::string& bytes : contents) {
        ASSERT_TRUE(WriteFileAtomically(file.string(), bytes));
        EXPECT_EQ(ReadBytes(file), bytes);
        EXPECT_EQ(Entries(), std::vector<std::string>{"tav.cfg"});
    }
}

// Names left over by saves that died are stepped over: they cost another attempt, never
// the save.
TEST_F(AtomicFileTest, LeftoverTemporaryNamesAreSteppedOver) {
    const fs::path file = dir / "tav.cfg";
    // A save that dies mid-write leaves its temporary file, named with the number this
    // process's next save starts from.
    ASSERT_TRUE(
        CrashesMidWrite([&] { WriteFileAtomically(file.string(), std::string(9999, 'x')); }, 4096));
    const std::vector<std::string> left = Entries();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_TRUE(IsTemporaryFileOf(left[0], "tav.cfg")) << left[0]; // deleting a profile takes it
    const int next = std::stoi(left[0].substr(left[0].rfind('-') + 1));
    const std::string ours = file.string() + ".tmp-" + std::to_string(::getpid()) + "-";
    for (int n : {next, next + 1})
        std::ofstream(ours + std::to_string(n)) << "left over";
    EXPECT_TRUE(WriteFileAtomically(file.string(), "saved"));
    EXPECT_EQ(ReadBytes(file), "saved");
}

TEST_F(AtomicFileTest, NewFilesTakeTheUmaskOrAreTheOwnersAlone) {
    const mode_t old = ::umask(022);
    EXPECT_TRUE(WriteFileAtomically((dir / "shared").string(), "s"));
    EXPECT_TRUE(WriteFileAtomically((dir / "secret").string(), "p", FileAccess::OwnerOnly));
    ::umask(077);
    EXPECT_TRUE(WriteFileAtomically((dir / "private").string(), "s"));
    ::umask(old);
    EXPECT_EQ(Mode(dir / "shared"), 0644u);
    EXPECT_EQ(Mode(dir / "secret"), 0600u);
    EXPECT_EQ(Mode(dir / "private"), 0600u);
}

TEST_F(AtomicFileTest, AFailureReportsItselfAndKeepsWhatWasThere) {
    // A missing directory, and a target that is a directory: nothing can be written.
    EXPECT_FALSE(WriteFileAtomically((dir / "missing/tav.cfg").string(), "x"));
    EXPECT_EQ(ReplaceFileAtomically((dir / "missing/tav.cfg").string(), "x"),
              AtomicWriteResult::NotCreated);
    fs::create_directory(dir / "taken");
    std::ofstream(dir / "taken/inside") << "kept";
    EXPECT_FALSE(WriteFileAtomically((dir / "taken").string(), "x"));
    EXPECT_EQ(ReplaceFileAtomically((dir / "taken").string(), "x"), AtomicWriteResult::NotWritten);
    EXPECT_EQ(ReadBytes(dir / "taken/inside"), "kept");
    EXPECT_EQ(Entries(), std::vector<std::string>{"taken"}); // no temporary file left over

    // A write cut short (here by the file size limit) keeps the whole old file.
    ASSERT_TRUE(WriteFileAtomically((dir / "sound.mp3").string(), "old sound"));
    {
        FileSizeLimit limit(4096);
        EXPECT_EQ(ReplaceFileAtomically((dir / "sound.mp3").string(), std::string(10000, 'n')),
                  AtomicWriteResult::NotWritten);
    }
    EXPECT_EQ(ReadBytes(dir / "sound.mp3"), "old sound");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"sound.mp3", "taken"}));
}

TEST(AtomicFileNames, OnlyTheHelpersOwnTemporaryNamesAreRecognised) {
    struct Case {
        const char* name;
        bool temporary; // of "tav.cfg"
    };
    const Case cases[] = {
        {"tav.cfg.tmp-4242-0", true},  {"tav.cfg.tmp-1-17", true},
        {"tav.cfg.tmp-9-90", true},    {"tav.cfg", false},
        {"tav.cfg.tmp-", false},       {"tav.cfg.tmp-4242", false},
        {"tav.cfg.tmp-4242-", false},  {"tav.cfg.tmp--1", false},
        {"tav.cfg.tmp-12-3-4", false}, {"tav.cfg.tmp-1x-2", false},
        {"tav.cfg.tmp-1-2 ", false},   {"tav.cfg.bak-1-2", false},
        {"colors.dat.tmp-1-2", false}, {"xtav.cfg.tmp-1-2", false},
        {"tav.cfg.tmp-1-2/x", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsTemporaryFileOf(c.name, "tav.cfg"), c.temporary) << c.name;
}

} // namespace
} // namespace tav::test
