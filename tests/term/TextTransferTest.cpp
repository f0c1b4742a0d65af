#include "term/TextTransfer.h"
#include "screen/MudScreen.h"
#include "term/HtmlLog.h"
#include "term/TerminalLog.h"
#include "tests/support/FileSizeLimit.h"
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
using test::CountOf;
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

TEST_F(TransferFixture, PasteSelectionAndLongTextsSendExactlyTheirBytesAndFailuresAreNotEchoed) {
    PasteToGame(*session, boxes, std::string("kill rat"), true);
    SelectionToGame(*session, std::string("flee"), true);
    EXPECT_FALSE(Shown("kill rat"));
    EXPECT_FALSE(Shown("flee"));
    EXPECT_TRUE(boxes.shown.empty());

    Connect();
    const std::string noClipboard = "Error... No text available in the clipboard.";
    // The text is null when there is none.
    const std::tuple<const char*, bool, const char*, bool, std::string> cases[] = {
        {"paste with line end", true, "say hi", true, "say hi\r\n"},
        {"empty clipboard with line end", true, "", true, "\r\n"},
        {"no text, line end still sent", true, nullptr, true, "\r\n"},
        {"semicolons are not split", true, "a;b", false, "a;b"},
        {"two-line selection", false, "first\r\nsecond", false, "first\r\nsecond"},
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

    // A long text goes out whole; once the peer has left, what fails to go is not echoed.
    std::string text;
    for (int k = 0; text.size() < 5000; ++k)
        text += "line " + std::to_string(k) + "\r\n";
    session->TermSend(text, true, true);
    EXPECT_EQ(ReadUntil(text), text);

    server.CloseClient();
    // The first send after the peer left may still be taken by the kernel; the next fails.
    for (int k = 0; k < 20 && session->Connected(); ++k) {
        session->SendText("lost words\r\n");
        loop.RunFor(10ms);
    }
    const std::size_t before = TimesShown("lost words");
    session->SendText("lost words\r\n");
    EXPECT_EQ(TimesShown("lost words"), before);
}

TEST_F(TransferFixture, LogKeepsEveryCompletedLineOnDiskAsItArrivesAndStopsOnAFailure) {
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

// A file the user picks is written into, never replaced: private stays private, a link
// stays a link.
TEST(UserFiles, AreWrittenIntoNotReplaced) {
    TempDir dir;
    Boxes boxes;
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

const Settings kSettings{};

// The lines a screen completes for `bytes`, with their attributes.
std::vector<TakenLine> ScreenLines(const std::string& bytes) {
    TMudScreen screen(kSettings);
    screen.keepLineAttributes = true;
    screen.AddText(bytes);
    std::vector<TakenLine> lines;
    while (auto line = screen.TakeLineWithAttributes())
        lines.push_back(std::move(*line));
    return lines;
}

// Text #d2d2d2 on black with the built-in colours.
const ScreenPalette kPalette{};

TEST(HtmlLogLine, ColoursOfThePaletteOfTheMomentBecomeOneSpanPerRunAndTextIsEscaped) {
    // One line as the server sends it, and its HTML.
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"plain text needs no span", "You see a door.\r\n", "You see a door.\n"},
        {"every special character escaped", "<b>&\"quote\"'s</b>\r\n",
         "&lt;b&gt;&amp;&quot;quote&quot;&#39;s&lt;/b&gt;\n"},
        {"a coloured run between plain ones", "A \x1b[31mred\x1b[0m door\r\n",
         "A <span style=\"color:#d20000\">red</span> door\n"},
        {"bold lifts the colour and is bold", "\x1b[1;32mgreen\x1b[0m\r\n",
         "<span style=\"color:#00ff00;font-weight:bold\">green</span>\n"},
        {"neighbouring runs of one style merge", "\x1b[34mab\x1b[34mcd\x1b[0m\r\n",
         "<span style=\"color:#0000d2\">abcd</span>\n"},
        {"a new colour starts a new span", "\x1b[33my\x1b[36mc\x1b[0m\r\n",
         "<span style=\"color:#d2d200\">y</span><span style=\"color:#00d2d2\">c</span>\n"},
    };
    for (const auto& [name, bytes, html] : cases) {
        const std::vector<TakenLine> lines = ScreenLines(bytes);
        ASSERT_EQ(lines.size(), 1u) << name;
        EXPECT_EQ(HtmlLogLine(lines[0].text, lines[0].attrs, kPalette, kPalette.text,
                              kPalette.background),
                  html)
            << name;
    }

    // The palette of the moment decides.
    const std::vector<TakenLine> lines = ScreenLines("\x1b[31mred\x1b[0m plain\r\n");
    ASSERT_EQ(lines.size(), 1u);
    ScreenPalette custom = kPalette;
    custom.customColors = true;
    custom.mudColors[0] = MakeColor(0x12, 0x34, 0x56); // Red
    custom.text = MakeColor(1, 2, 3);
    custom.background = MakeColor(0xff, 0xff, 0xff);
    // The page was opened with the default colours; the screen's have changed since.
    EXPECT_EQ(
        HtmlLogLine(lines[0].text, lines[0].attrs, custom, kPalette.text, kPalette.background),
        "<span style=\"color:#123456;background:#ffffff\">red</span>"
        "<span style=\"color:#010203;background:#ffffff\"> plain</span>\n");
    // Latin-1 letters become UTF-8; control characters have no glyph.
    EXPECT_EQ(
        HtmlLogLine("a<b caf\xe9 \xa3!\x1c\x7f", {}, kPalette, kPalette.text, kPalette.background),
        "a&lt;b caf\u00e9 \u00a3!\ufffd\ufffd\n");
    // A Unicode screen's UTF-8 passes whole, continuation bytes from 0x80 up included.
    EXPECT_EQ(HtmlLogLine("\u043f\u0440\u0438 <\u20ac>", {}, kPalette, kPalette.text,
                          kPalette.background, true),
              "\u043f\u0440\u0438 &lt;\u20ac&gt;\n");
}

// In full colour the explicit colours and styles become the spans' styles.
TEST(HtmlLogLine, ExplicitColoursAndStylesOfAFullColourLine) {
    TMudScreen screen(kSettings);
    screen.SetColourMode(ColourMode::Full);
    screen.keepLineAttributes = true;
    screen.AddText("A \x1b[38;5;196;48;2;0;0;128;3m<i>\x1b[0m \x1b[4;9;32mx\x1b[7mz\x1b[0m\r\n");
    const auto line = screen.TakeLineWithAttributes();
    ASSERT_TRUE(line);
    ScreenPalette palette = kPalette;
    palette.fullColour = true;
    EXPECT_EQ(HtmlLogLineOfCells(line->text, {line->attrs, line->textColors, line->backColors},
                                 palette, kPalette.text, kPalette.background),
              "A <span style=\"color:#ff0000;background:#000080;font-style:italic\">"
              "&lt;i&gt;</span> "
              "<span style=\"color:#00d200;text-decoration:underline line-through\">x</span>"
              "<span style=\"color:#000000;background:#00d200;text-decoration:underline "
              "line-through\">z</span>\n");
}

TEST(HtmlLogPath, TheHtmlFileLiesBesideTheTextLog) {
    const std::pair<const char*, const char*> cases[] = {
        {"/tmp/game.txt", "/tmp/game.html"},
        {"/tmp/game.TXT", "/tmp/game.html"},
        {"/tmp/game.log", "/tmp/game.log.html"},
        {"/tmp/game", "/tmp/game.html"},
        {"/tmp/.txt", "/tmp/.txt.html"},
        {"/tmp/game.html", "/tmp/game.html.html"},
        {"game.txt", "game.html"},
        {"/tmp/g.txt", "/tmp/g.html"}, // the shortest name with the extension
        {"g.tXt", "g.html"},
        {".txt", ".txt.html"},
    };
    for (auto [text, html] : cases)
        EXPECT_EQ(HtmlLogPathBeside(text), html) << text;
}

// A page is complete however the program ends: killed without End, ended (twice), or
// stopped by a disk that fills up after the head; a failure says why once.
TEST(HtmlLogFile, EveryEndLeavesACompletePageAndFailuresSayWhyOnce) {
    const TempDir dir;
    Boxes boxes;
    const auto palette = [] { return kPalette; };
    const auto path = dir.path / "game.html";
    {
        HtmlLog log(boxes, palette);
        ASSERT_TRUE(log.Begin(path.string()));
        // The head is on disk before any line arrives.
        EXPECT_NE(Contents(path).find("<pre>\n"), std::string::npos);
        for (const TakenLine& line : ScreenLines("\x1b[1;31mDanger\x1b[0m <here>\r\nnext\r\n"))
            log.WriteLine(line.text, line.attrs);
        // Every line is on disk as soon as it was written.
        EXPECT_NE(Contents(path).find("next\n"), std::string::npos);
    } // destroyed without End, as if the program were killed

    const std::string page = Contents(path);
    EXPECT_EQ(page.rfind("<!DOCTYPE html>\n", 0), 0u);
    EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(page.find("body{margin:0;background:#000000;color:#d2d2d2}"), std::string::npos);
    EXPECT_NE(page.find("<span style=\"color:#ff0000;font-weight:bold\">Danger</span> "
                        "&lt;here&gt;\nnext\n"),
              std::string::npos);
    // Every element a line opens it also closes; only the page's own stay open.
    EXPECT_EQ(CountOf(page, "<span"), CountOf(page, "</span>"));
    EXPECT_EQ(CountOf(page, "</pre>"), 0u);
    EXPECT_TRUE(boxes.shown.empty());

    // How an ended page closes is AreWrittenIntoNotReplaced's.
    const std::vector<std::string> cannotOpen = {"Error... Unable to open file for writing."};
    const std::tuple<std::string, int, std::vector<std::string>> cases[] = {
        {(dir.path / "ok.html").string(), 2, {}},
        {(dir.path / "missing/x.html").string(), 0, cannotOpen},
        {"/dev/full", 3, cannotOpen},
    };
    for (const auto& [name, lines, shown] : cases) {
        boxes.shown.clear();
        HtmlLog log(boxes, palette);
        EXPECT_EQ(log.Begin(name), shown.empty()) << name;
        for (int k = 0; k < lines; ++k)
            log.WriteLine("line", {});
        log.End();
        log.End(); // a second End does nothing
        EXPECT_EQ(boxes.shown, shown) << name;
        EXPECT_FALSE(log.IsOpen()) << name;
    }

    // The disk fills up after the head was written: a line, or the page's end, fails once.
    boxes.shown.clear();
    HtmlLog log(boxes, palette);
    ASSERT_TRUE(log.Begin((dir.path / "x.html").string()));
    const std::string head = Contents(dir.path / "x.html");
    const test::FileSizeLimit full(head.size());
    log.WriteLine("lost", {});
    log.WriteLine("lost too", {});
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(Contents(dir.path / "x.html"), head);
    ASSERT_TRUE(log.Begin((dir.path / "y.html").string()));
    log.End();
    const std::string failed = "Error... Unable to write to the HTML log file; it has stopped.";
    EXPECT_EQ(boxes.shown, (std::vector<std::string>{failed, failed}));
}

} // namespace
} // namespace tav
