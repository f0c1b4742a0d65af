#include "term/HtmlLog.h"
#include "term/MudScreen.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/term/SessionHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace tav {
namespace {

using test::Contents;
using test::CountOf;

// The lines a screen completes for `bytes`, with their attributes.
std::vector<TakenLine> ScreenLines(const std::string& bytes) {
    static const Settings settings{};
    TMudScreen screen(settings);
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
    // Characters without attributes are plain; Latin-1 letters become UTF-8; control
    // characters have no glyph.
    EXPECT_EQ(HtmlLogLine("a<b caf\xe9 \xa3"
                          "5\x1c",
                          {}, kPalette, kPalette.text, kPalette.background),
              "a&lt;b caf\xc3\xa9 \xc2\xa3"
              "5\xef\xbf\xbd\n");
}

// In full colour the explicit colours and the styles drawn then become the spans' styles;
// the server's text stays text.
TEST(HtmlLogLine, ExplicitColoursAndStylesOfAFullColourLine) {
    Settings settings{};
    TMudScreen screen(settings);
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
        {"/tmp/game.txt", "/tmp/game.html"},       {"/tmp/game.TXT", "/tmp/game.html"},
        {"/tmp/game.log", "/tmp/game.log.html"},   {"/tmp/game", "/tmp/game.html"},
        {"/tmp/.txt", "/tmp/.txt.html"},           {"/tmp/a.txt", "/tmp/a.html"},
        {"/tmp/game.html", "/tmp/game.html.html"}, {"game.txt", "game.html"},
    };
    for (auto [text, html] : cases)
        EXPECT_EQ(HtmlLogPathBeside(text), html) << text;
}

struct HtmlLogFile : ::testing::Test {
    test::TempDir scratch;
    const std::filesystem::path dir = scratch.path;
    test::RecordingBoxes boxes;
    ScreenPalette palette = kPalette;
};

TEST_F(HtmlLogFile, AKilledProgramLeavesACompletePage) {
    const auto path = dir / "game.html";
    {
        HtmlLog log(boxes, [this] { return palette; });
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
}

// How an ended page closes is AreWrittenIntoNotReplaced's.
TEST_F(HtmlLogFile, EndClosesTheLogAndFailuresSayWhyOnce) {
    const std::vector<std::string> cannotOpen = {"Error... Unable to open file for writing."};
    // Where, how many lines, and the boxes shown: an ended page, a missing folder, a full disk.
    const std::tuple<std::string, int, std::vector<std::string>> cases[] = {
        {(dir / "ok.html").string(), 2, {}},
        {(dir / "missing/x.html").string(), 0, cannotOpen},
        {"/dev/full", 3, cannotOpen},
    };
    for (const auto& [path, lines, shown] : cases) {
        boxes.shown.clear();
        HtmlLog log(boxes, [this] { return palette; });
        EXPECT_EQ(log.Begin(path), shown.empty()) << path;
        for (int k = 0; k < lines; ++k)
            log.WriteLine("line", {});
        log.End();
        log.End(); // a second End does nothing
        EXPECT_EQ(boxes.shown, shown) << path;
        EXPECT_FALSE(log.IsOpen()) << path;
    }
}

TEST_F(HtmlLogFile, AWriteThatFailsClosesTheLogWithOneMessage) {
    HtmlLog log(boxes, [this] { return palette; });
    ASSERT_TRUE(log.Begin((dir / "x.html").string()));
    // The disk fills up after the head was written.
    const std::string head = Contents(dir / "x.html");
    const test::FileSizeLimit full(head.size());
    log.WriteLine("lost", {});
    log.WriteLine("lost too", {});
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(boxes.shown, std::vector<std::string>{
                               "Error... Unable to write to the HTML log file; it has stopped."});
    EXPECT_EQ(Contents(dir / "x.html"), head);
}

} // namespace
} // namespace tav
