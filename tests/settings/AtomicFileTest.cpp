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
using Names = std::vector<std::string>;

class AtomicFileTest : public ::testing::Test {
protected:
    Names Entries() const {
        Names names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string At(const char* name) const { return (dir / name).string(); }

    TempDir temp;
    fs::path dir = temp.path;
};

// Whole replacements in the umask's mode (owner-only: the settings file test), then
// failures that must keep what was there and leave no temporary file behind.
TEST_F(AtomicFileTest, ReplacesWholeOrKeepsWhatWasThere) {
    for (const std::string& bytes : {std::string("first\r\n"), std::string(100000, 'x'),
                                     std::string(), std::string("\0\1", 2)}) {
        ASSERT_TRUE(WriteFileAtomically(At("tav.cfg"), bytes));
        EXPECT_EQ(ReadBytes(At("tav.cfg")), bytes);
        EXPECT_EQ(Entries(), Names{"tav.cfg"});
    }
    const mode_t old = ::umask(022);
    EXPECT_TRUE(WriteFileAtomically(At("shared"), "s"));
    ::umask(077);
    EXPECT_TRUE(WriteFileAtomically(At("private"), "s"));
    ::umask(old);
    for (const auto& [name, mode] : {std::pair{"shared", 0644u}, {"private", 0600u}}) {
        struct stat info {};
        ASSERT_EQ(::stat(At(name).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, mode) << name;
        fs::remove(At(name));
    }
    fs::remove(At("tav.cfg"));

    EXPECT_EQ(ReplaceFileAtomically(At("missing/tav.cfg"), "x"), AtomicWriteResult::NotCreated);
    fs::create_directory(dir / "taken");
    std::ofstream(dir / "taken/inside") << "kept";
    EXPECT_FALSE(WriteFileAtomically(At("taken"), "x"));
    EXPECT_EQ(ReplaceFileAtomically(At("taken"), "x"), AtomicWriteResult::NotWritten);
    EXPECT_EQ(ReadBytes(dir / "taken/inside"), "kept");
    EXPECT_EQ(Entries(), Names{"taken"});
    // A write cut short (here by the file size limit) keeps the whole old file.
    ASSERT_TRUE(WriteFileAtomically(At("sound.mp3"), "old sound"));
    {
        FileSizeLimit limit(4096);
        EXPECT_EQ(ReplaceFileAtomically(At("sound.mp3"), std::string(10000, 'n')),
                  AtomicWriteResult::NotWritten);
    }
    EXPECT_EQ(ReadBytes(At("sound.mp3")), "old sound");
    EXPECT_EQ(Entries(), (Names{"sound.mp3", "taken"}));
}

// Names left over by saves that died are stepped over: they cost another attempt, never
// the save. Only such names are leftovers.
TEST_F(AtomicFileTest, LeftoverTemporaryNamesAreSteppedOverAndRecognised) {
    const std::string file = At("tav.cfg");
    // A save that dies mid-write leaves its temporary file, named with the number this
    // process's next save starts from.
    ASSERT_TRUE(CrashesMidWrite([&] { WriteFileAtomically(file, std::string(9999, 'x')); }, 4096));
    const Names left = Entries();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_TRUE(IsTemporaryFileOf(left[0], "tav.cfg")) << left[0]; // deleting a profile takes it
    const int next = std::stoi(left[0].substr(left[0].rfind('-') + 1));
    const std::string ours = file + ".tmp-" + std::to_string(::getpid()) + "-";
    for (int n : {next, next + 1})
        std::ofstream(ours + std::to_string(n)) << "left over";
    EXPECT_TRUE(WriteFileAtomically(file, "saved"));
    EXPECT_EQ(ReadBytes(file), "saved");

    for (const char* name : {"tav.cfg.tmp-4242-0", "tav.cfg.tmp-1-17", "tav.cfg.tmp-9-90"})
        EXPECT_TRUE(IsTemporaryFileOf(name, "tav.cfg")) << name;
    for (const char* name :
         {"tav.cfg", "tav.cfg.tmp-", "tav.cfg.tmp-4242", "tav.cfg.tmp-4242-", "tav.cfg.tmp--1",
          "tav.cfg.tmp-12-3-4", "tav.cfg.tmp-1x-2", "tav.cfg.tmp-1-2 ", "tav.cfg.bak-1-2",
          "colors.dat.tmp-1-2", "xtav.cfg.tmp-1-2", "tav.cfg.tmp-1-2/x"})
        EXPECT_FALSE(IsTemporaryFileOf(name, "tav.cfg")) << name;
}

} // namespace
} // namespace tav::test
