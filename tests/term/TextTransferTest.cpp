#include "term/TextTransfer.h"
#include "term/HtmlLog.h"
#include "term/TerminalLog.h"
#include "tests/term/SessionHarness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <vector>

namespace tav {
namespace {

using namespace std::chrono_literals;
using test::Contents;
namespace fs = std::filesystem;
using Boxes = test::RecordingBoxes;
using test::TempDir;

// A session connected to a real peer, with the terminal log attached to its lines.
struct TransferFixture : ::testing::Test, test::SessionHarness {
    TempDir dir;
    Boxes boxes;
    TerminalLog log{boxes};

    void SetUp() override {
        TermServices services;
        services.boxes = &boxes;
        services.log = &log;
        Open(services);
    }
    ~TransferFixture() override { session.reset(); } // before the log it uses
};

TEST_F(TransferFixture, PasteAndSelectionSendExactlyTheirBytes) {
    // Without a connection nothing is sent or echoed.
    PasteToGame(*session, boxes, std::string("kill rat"), true);
    SelectionToGame(*session, std::string("flee"), true);
    EXPECT_FALSE(Shown("kill rat"));
    EXPECT_FALSE(Shown("flee"));
    EXPECT_TRUE(boxes.shown.empty());

    Connect();
    const std::string noClipboard = "Error... No text available in the clipboard.";
    // The text is null when there is none.
    const std::tuple<const char*, bool, const char*, bool, std::string> cases[] = {
        {"three clipboard lines", true, "one\ntwo\r\nthree", false, "one\ntwo\r\nthree"},
        {"paste with line end", true, "say hi", true, "say hi\r\n"},
        {"empty clipboard with line end", true, "", true, "\r\n"},
        {"no text on the clipboard", true, nullptr, false, ""},
        {"no text, line end still sent", true, nullptr, true, "\r\n"},
        {"semicolons are not split", true, "a;b", false, "a;b"},
        {"two-line selection", false, "first\r\nsecond", false, "first\r\nsecond"},
        {"selection with line end", false, "look", true, "look\r\n"},
        {"no selection", false, nullptr, false, ""},
    };
    for (const auto& [name, paste, given, lineEnd, sent] : cases) {
        boxes.shown.clear();
        const auto text = given ? std::optional<std::string>(given) : std::nullopt;
        if (paste)
            PasteToGame(*session, boxes, text, lineEnd);
        else
            SelectionToGame(*session, text, lineEnd);
        EXPECT_EQ(server.Read(), sent) << name;
        EXPECT_EQ(boxes.shown,
                  paste && !given ? std::vector{noClipboard} : std::vector<std::string>{})
            << name;
    }
    EXPECT_TRUE(Shown("say hi\r\n"));
}

TEST_F(TransferFixture, LongTextsGoOutWholeAndFailedSendsAreNotEchoed) {
    Connect();
    std::string text;
    for (int k = 0; text.size() < 5000; ++k)
        text += "line " + std::to_string(k) + "\r\n";
    session->TermSend(text, true, true);
    std::string got;
    for (int k = 0; k < 50 && got.size() < text.size(); ++k)
        got += server.Read();
    EXPECT_EQ(got, text);

    server.CloseClient();
    // The first send after the peer left may still be taken by the kernel; the next fails.
    for (int k = 0; k < 20 && session->Connected(); ++k) {
        session->SendText("lost words\r\n");
        loop.RunFor(10ms);
    }
    const auto echoes = [&] { return test::CountOf(session->RecentText(), "lost words"); };
    const std::size_t before = echoes();
    session->SendText("lost words\r\n");
    EXPECT_EQ(echoes(), before);
}

TEST_F(TransferFixture, LogKeepsEveryCompletedLineOnDiskAsItArrivesAndStopsOnAFailure) {
    // (That a log begun on an existing file empties it is AreWrittenIntoNotReplaced's.)
    const fs::path file = dir.path / "session.log";
    ASSERT_TRUE(log.Begin(file.string()));
    session->PrintLocal("You see a rat.\r\nThe rat");
    // On disk at once, without closing: a crash now loses nothing.
    EXPECT_EQ(Contents(file), "You see a rat.\r\n");
    session->PrintLocal(" squeaks.\r\n> ");
    EXPECT_EQ(Contents(file), "You see a rat.\r\nThe rat squeaks.\r\n");

    EXPECT_FALSE(log.Begin((dir.path / "other.log").string()));
    EXPECT_FALSE(fs::exists(dir.path / "other.log"));
    log.End();
    log.End(); // nothing open: nothing happens
    session->PrintLocal("after the end\r\n");
    EXPECT_EQ(Contents(file), "You see a rat.\r\nThe rat squeaks.\r\n");
    EXPECT_EQ(boxes.shown, std::vector<std::string>{"Error... Already logging to file."});
    EXPECT_FALSE(log.IsOpen());

    // Failures are reported once and close the log.
    const std::string cannotOpen = "Error... Unable to open file for writing.";
    const std::string cannotWrite =
        "Error... Unable to write to the log file; logging has stopped.";
    const std::tuple<std::string, bool, std::string> failures[] = {
        {(dir.path / "no" / "such.log").string(), false, cannotOpen},
        {dir.path.string(), false, cannotOpen},
        {"/dev/full", true, cannotWrite},
    };
    for (const auto& [path, opens, box] : failures) {
        boxes.shown.clear();
        EXPECT_EQ(log.Begin(path), opens) << path;
        session->PrintLocal("one\r\ntwo\r\nthree\r\n");
        EXPECT_EQ(boxes.shown, std::vector{box}) << path;
        EXPECT_FALSE(log.IsOpen()) << path;
    }
}

// A file the user picks is written into, never replaced: a private file stays private
// (and the same file), a symbolic link stays a link and its target gets the text.
TEST(UserFiles, AreWrittenIntoNotReplaced) {
    TempDir dir;
    Boxes boxes;
    // Saved text has one line end per line, none after the last.
    const fs::path file = dir.path / "selected.txt";
    for (const char* text : {"a single line", "first\r\nsecond\r\nthird", "a\r\n\r\nb"}) {
        EXPECT_TRUE(SaveTextAs(boxes, file.string(), text));
        EXPECT_EQ(Contents(file), text);
    }
    EXPECT_FALSE(SaveTextAs(boxes, (dir.path / "none" / "x.txt").string(), "text"));
    EXPECT_EQ(boxes.shown, std::vector<std::string>{"Error... Unable to open file for writing."});
    boxes.shown.clear();

    // Each way of writing a file, and what the file then holds.
    const std::tuple<const char*, std::function<bool(const std::string&)>, std::string> writers[] =
        {
            {"save selected",
             [&](const std::string& path) { return SaveTextAs(boxes, path, "kept"); }, "kept"},
            {"terminal log",
             [&](const std::string& path) {
                 TerminalLog log(boxes);
                 if (!log.Begin(path)) return false;
                 log.Write("a line\n");
                 log.End();
                 return true;
             },
             "a line\r\n"},
            {"html log",
             [&](const std::string& path) {
                 HtmlLog log(boxes, {});
                 if (!log.Begin(path)) return false;
                 log.End();
                 return true;
             },
             HtmlLogHead(ScreenPalette{}.text, ScreenPalette{}.background) +
                 "</pre>\n</body>\n</html>\n"},
        };
    const auto inode = [](const fs::path& path) {
        struct stat st {};
        return ::lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
    };
    for (const auto& [name, write, holds] : writers) {
        SCOPED_TRACE(name);
        const fs::path owned = dir.path / (std::string(name) + ".private");
        const fs::path target = dir.path / (std::string(name) + ".target");
        const fs::path link = dir.path / (std::string(name) + ".link");
        const std::string old(5000, 'o'); // longer than any text: emptied, not overwritten
        ASSERT_TRUE(WriteFileAtomically(owned.string(), old, FileAccess::OwnerOnly));
        ASSERT_TRUE(WriteFileAtomically(target.string(), old));
        fs::create_symlink(target.filename(), link);
        const auto ownedInode = inode(owned);

        ASSERT_TRUE(write(owned.string()));
        EXPECT_EQ(Contents(owned), holds);
        EXPECT_EQ(fs::status(owned).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_EQ(inode(owned), ownedInode) << "the same file, not a new one";

        ASSERT_TRUE(write(link.string()));
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(Contents(target), holds);
    }
    EXPECT_EQ(boxes.shown, std::vector<std::string>{});
}

} // namespace
} // namespace tav
