// Downloads on real files: a write that dies or fails half-way never leaves a cut file,
// and links or directories at the name are never written through.
#include "client/ClientFiles.h"
#include "settings/TextMode.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace tav::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class ClientFilesTest : public ::testing::Test {
protected:
    // A long content reads as its size, so a failure stays readable.
    std::string Read(const fs::path& relative) const {
        const std::string bytes = ReadFileBytes((root / relative).string()).value_or("<missing>");
        return bytes.size() > 64 ? std::to_string(bytes.size()) + " bytes" : bytes;
    }
    std::vector<std::string> Entries(const char* sub) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(root / sub))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir{"binary", "text"};
    const fs::path root = dir.path;
    const ClientFiles files{root.string()};
    const Bytes sound = Bytes(100000, 0x80);
};

TEST_F(ClientFilesTest, ACrashMidWriteLeavesTheOldFileOrNone) {
    ASSERT_TRUE(files.WriteBinary("rain.mp3", Bytes{'o', 'l', 'd'}).complete);
    for (const char* name : {"rain.mp3", "new.mp3"})
        ASSERT_TRUE(CrashesMidWrite([&] { files.WriteBinary(name, sound); }, 4096)) << name;
    EXPECT_EQ(Read("binary/rain.mp3"), "old");
    EXPECT_FALSE(files.IsCached("new.mp3")); // a cut copy would have played broken forever
}

TEST_F(ClientFilesTest, AShortWriteIsReportedAndKeepsTheOldFile) {
    ASSERT_TRUE(files.WriteBinary("rain.mp3", Bytes{'o', 'l', 'd'}).complete);
    const ClientFiles::BinaryWrite written = [&] {
        FileSizeLimit limit(4096);
        return files.WriteBinary("rain.mp3", sound);
    }();
    EXPECT_EQ(std::pair(written.opened, written.complete), std::pair(true, false));
    EXPECT_EQ(Read("binary/rain.mp3"), "old");
    EXPECT_EQ(Entries("binary"), std::vector<std::string>{"rain.mp3"});

    const ClientFiles::BinaryWrite whole = files.WriteBinary("rain.mp3", sound);
    EXPECT_TRUE(whole.opened && whole.complete);
    EXPECT_TRUE(ReadFileBytes((root / "binary/rain.mp3").string()) ==
                std::string(sound.begin(), sound.end()));
}

// Only a plain file (or nothing) at the name is replaced; links and directories count as
// files that cannot be opened.
TEST_F(ClientFilesTest, LinksAndDirectoriesAtTheNameAreRefused) {
    std::ofstream(root / "outside") << "keep";
    for (const char* dir : {"binary", "text"}) {
        fs::create_symlink(root / "outside", root / dir / "link");
        fs::create_symlink(root / "nowhere", root / dir / "dangling");
        fs::create_directory(root / dir / "folder");
    }
    for (const char* name : {"link", "dangling", "folder"}) {
        EXPECT_FALSE(files.WriteBinary(name, sound).opened) << name;
        EXPECT_FALSE(files.WriteText(name, "text")) << name;
    }
    EXPECT_EQ(Read("outside"), "keep");
    EXPECT_FALSE(fs::exists(root / "nowhere"));
    // A name that is not a plain file name is never taken as cached, even where a file is.
    for (const char* name : {"../outside", "folder", ".", ""})
        EXPECT_FALSE(files.IsCached(name)) << name;
    EXPECT_TRUE(fs::is_symlink(root / "binary/link"));
    EXPECT_EQ(Entries("binary"), (std::vector<std::string>{"dangling", "folder", "link"}));

    EXPECT_TRUE(files.WriteText("notes.txt", "a\nb"));
    EXPECT_EQ(Read("text/notes.txt"), "a\r\nb");
}

} // namespace
} // namespace tav::test
