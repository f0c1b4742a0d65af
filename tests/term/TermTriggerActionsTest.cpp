#include "term/TermSession.h"
#include "tests/term/SessionHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tav {
namespace {

using namespace std::chrono_literals;

struct RecordingEffects : TriggerEffects {
    std::vector<std::string> sounds, channel;
    void PlayTriggerSound(std::string_view path) override { sounds.emplace_back(path); }
    void CopyToChannel(std::string_view line) override { channel.emplace_back(line); }
};

const CellColor kRed = ExplicitCellColor(0x0000FF);

// Actions that colour each match of their trigger red.
TriggerActions RedMatches() {
    TriggerActions red;
    red.highlight = HighlightScope::Match;
    red.textColor = 0x0000FF;
    return red;
}

// The first `columns` cells of the line `back` lines above the cursor's: 'r' red, else '-'.
std::string RedMarks(const test::SessionHarness& h, int back, int columns) {
    const ScreenLine& line = h.screen.Line(h.screen.BufferLine() - back);
    std::string marks;
    for (int col = 0; col < columns; ++col)
        marks += line.TextColor(col) == kRed ? 'r' : '-';
    return marks;
}

// Trigger actions on lines from the peer: colour (in a UTF-8 profile, in the cells the
// matched bytes fill), gags (off the log only when asked), sound, channel copy, and a
// group switched off by a trigger that fires, never by what a reaction line says; every
// match of a line highlighted.
TEST(TermSessionActions, ColourGagSoundChannelAndGroupSwitch) {
    RecordingEffects effects;
    test::SessionHarness h;
    TermServices services = h.Recorded();
    services.triggerEffects = &effects;
    h.Open(services);
    TriggerActions orc = RedMatches(); // the wide trigger's actions first
    h.triggers.SetActions(h.triggers.AddTrigger("orc %1\xE4\xB8\xAD", ""), orc);
    orc.group = "fight";
    orc.sound = "hit.wav";
    orc.toChannel = true;
    h.triggers.SetActions(h.triggers.AddTrigger("orc %1ck", "kill orc"), orc);
    TriggerActions gag;
    gag.gag = true;
    h.triggers.SetActions(h.triggers.AddTrigger("spam", ""), gag);
    gag.gagLog = true;
    h.triggers.SetActions(h.triggers.AddTrigger("secret", ""), gag);
    h.triggers.SetActions(h.triggers.AddTrigger("calm", "/group on fight\r\nsay calm"),
                          {.groupOff = "fight"});
    h.triggers.AddTrigger("Type '%1' now", "%1");
    TriggerActions whole; // the whole line's background, not only the match
    whole.highlight = HighlightScope::Line;
    whole.backColor = 0x00FF00;
    h.triggers.SetActions(h.triggers.AddTrigger("ft", ""), whole);
    h.Connect();
    h.rec.logFile.clear();

    h.server.Send("An orc attacks\r\nspam here\r\nsecret word\r\nafter\r\n");
    ASSERT_TRUE(h.loop.RunUntil([&] { return h.rec.logFile.size() == 3; }, 5s));
    EXPECT_EQ(h.rec.logFile,
              (std::vector<std::string>{"An orc attacks\n", "spam here\n", "after\n"}));
    const std::string all = h.screen.GetAllText();
    EXPECT_NE(all.find("An orc attacks\r\nafter\r\n"), std::string::npos) << all;
    EXPECT_EQ(all.find("spam"), std::string::npos);
    EXPECT_EQ(h.session->RecentText().find("spam"), std::string::npos);
    const int row = h.screen.BufferLine() - 2;
    std::string shown;
    AppendCellText(shown, h.screen.Line(row), 0, 14, false);
    ASSERT_EQ(shown, "An orc attacks");
    std::vector<CellColor> colors;
    for (int col : {2, 3, 12, 13})
        colors.push_back(h.screen.Line(row).TextColor(col));
    EXPECT_EQ(colors, (std::vector<CellColor>{0, kRed, kRed, 0}));
    const ScreenLine& after = h.screen.Line(h.screen.BufferLine() - 1);
    const CellColor green = ExplicitCellColor(0x00FF00);
    EXPECT_EQ((std::vector<CellColor>{after.BackColor(0), after.BackColor(4), after.BackColor(5)}),
              (std::vector<CellColor>{green, green, 0}));
    EXPECT_EQ(effects.sounds, (std::vector<std::string>{"hit.wav"}));
    EXPECT_EQ(effects.channel, (std::vector<std::string>{"An orc attacks"}));

    h.session->SetEncoding(TextEncoding::Utf8);
    h.server.Send("\xE4\xB8\xAD\xE2\x86\x92 An orc at\xE4\xB8\xAD!\r\n");
    ASSERT_TRUE(h.loop.RunUntil([&] { return h.rec.logFile.size() == 4; }, 5s));
    colors.clear();
    for (int col : {6, 7, 12, 13, 14, 15})
        colors.push_back(h.screen.Line(h.screen.BufferLine() - 1).TextColor(col));
    EXPECT_EQ(colors, (std::vector<CellColor>{0, kRed, kRed, kRed, kRed, 0}));

    // Reaction lines go out as written, from the server's text too; the group is switched
    // by the action alone.
    h.server.Send(
        "Type '/group off fight' now\r\nAn orc attacks\r\ncalm down\r\nAn orc attacks\r\n");
    ASSERT_TRUE(h.loop.RunUntil([&] { return h.rec.logFile.size() == 8; }, 5s));
    EXPECT_EQ(h.ReadUntil("say calm\r\n"),
              "kill orc\r\n/group off fight\r\nkill orc\r\n/group on fight\r\nsay calm\r\n");
    EXPECT_EQ(effects.sounds.size(), 2u);

    // Every match in a line is coloured, not only the first.
    const TriggerActions wolf = RedMatches();
    h.triggers.SetActions(h.triggers.AddTrigger("wolf", ""), wolf);
    h.server.Send("wolf, wolfwolf!\r\n");
    ASSERT_TRUE(h.loop.RunUntil([&] { return h.rec.logFile.size() == 9; }, 5s));
    EXPECT_EQ(RedMarks(h, 1, 15), "rrrr--rrrrrrrr-");

    // Equal patterns colour in the order they were added: the last colour stays, however
    // the colours before it repeat.
    TriggerActions blue = wolf;
    blue.textColor = 0xFF0000;
    h.triggers.SetActions(h.triggers.AddTrigger("wolf", ""), blue);
    for (const TriggerActions& fox : {wolf, blue, wolf})
        h.triggers.SetActions(h.triggers.AddTrigger("fox", ""), fox);
    h.server.Send("wolf fox\r\n");
    ASSERT_TRUE(h.loop.RunUntil([&] { return h.rec.logFile.size() == 10; }, 5s));
    std::string marks;
    for (int col = 0; col < 8; ++col) {
        const CellColor color = h.screen.Line(h.screen.BufferLine() - 1).TextColor(col);
        marks += color == kRed ? 'r' : color == ExplicitCellColor(0xFF0000) ? 'b' : '-';
    }
    EXPECT_EQ(marks, "bbbb-rrr");

    // A colouring is spared only right after the same pattern coloured the same way: a
    // trigger between that does not colour, or a pattern of its own, colours again.
    TriggerActions sound;
    sound.sound = "bee.wav";
    h.triggers.SetActions(h.triggers.AddTrigger("ant", ""), wolf);
    h.triggers.SetActions(h.triggers.AddTrigger("bee", ""), sound);
    h.triggers.SetActions(h.triggers.AddTrigger("bee", ""), wolf);
    h.triggers.SetActions(h.triggers.AddTrigger("cow", ""), wolf);
    h.server.Send("ant bee cow\r\n");
    ASSERT_TRUE(h.loop.RunUntil([&] { return h.rec.logFile.size() == 11; }, 5s));
    EXPECT_EQ(RedMarks(h, 1, 12), "rrr-rrr-rrr-");

    // Identical triggers each play and copy, though the line is coloured once; identical
    // gags take the line away once.
    TriggerActions elk = wolf;
    elk.sound = "elk.wav";
    elk.toChannel = true;
    for (int n = 0; n < 3; ++n)
        h.triggers.SetActions(h.triggers.AddTrigger("elk", ""), elk);
    TriggerActions yak;
    yak.gag = true;
    yak.gagLog = true;
    for (int n = 0; n < 2; ++n)
        h.triggers.SetActions(h.triggers.AddTrigger("yak", ""), yak);
    effects.sounds.clear();
    effects.channel.clear();
    h.server.Send("elk, elk\r\nyak yak\r\nend\r\n");
    ASSERT_TRUE(h.loop.RunUntil([&] { return h.rec.logFile.size() == 13; }, 5s));
    EXPECT_EQ(effects.sounds, (std::vector<std::string>(3, "elk.wav")));
    EXPECT_EQ(effects.channel, (std::vector<std::string>(3, "elk, elk")));
    EXPECT_EQ(h.rec.logFile.back(), "end\n");
    EXPECT_EQ(RedMarks(h, 2, 9), "rrr--rrr-");
    EXPECT_EQ(h.screen.GetAllText().find("yak"), std::string::npos);
}

// Identical colouring triggers with nothing to send: connected, the line is coloured and
// nothing goes out; not connected, each of them still says so, as a send would.
TEST(TermSessionActions, IdenticalQuietTriggersSayNotConnectedOnceEach) {
    test::SessionHarness h;
    h.Open(h.Recorded());
    for (int n = 0; n < 3; ++n)
        h.triggers.SetActions(h.triggers.AddTrigger("wolf", ""), RedMatches());
    h.session->PrintLocal("a wolf\r\n");
    EXPECT_EQ(h.TimesShown("Not connected..."), 3u);

    h.Connect();
    h.server.Send("the wolf\r\n");
    ASSERT_TRUE(h.loop.RunUntil([&] { return h.Shown("the wolf"); }, 5s));
    h.Pump();
    EXPECT_EQ(h.TimesShown("Not connected..."), 3u);
    EXPECT_EQ(h.server.Read(std::chrono::milliseconds(50)), "");
    EXPECT_EQ(RedMarks(h, 1, 8), "----rrrr");
}

// In a list long enough to be indexed, a literal's matches are coloured as in a short one:
// every one where it stands more than once, and the one where it stands alone.
TEST(TermSessionActions, IndexedListColoursEveryMatchOfALiteral) {
    test::SessionHarness h;
    h.Open(h.Recorded());
    h.Connect();
    for (int n = 0; n < 40; ++n)
        h.triggers.AddTrigger("filler " + std::to_string(n), "");
    h.triggers.SetActions(h.triggers.AddTrigger("wolf", ""), RedMatches());
    h.triggers.SetActions(h.triggers.AddTrigger("grey wolves", ""), RedMatches());
    h.server.Send("wolf, wolfwolf!\r\na lone wolf\r\ngrey wolves, grey wolves\r\n");
    ASSERT_TRUE(h.loop.RunUntil([&] { return h.Shown("grey wolves, grey wolves"); }, 5s));
    h.Pump();
    EXPECT_EQ(RedMarks(h, 3, 15), "rrrr--rrrrrrrr-");
    EXPECT_EQ(RedMarks(h, 2, 12), "-------rrrr-");
    EXPECT_EQ(RedMarks(h, 1, 25), "rrrrrrrrrrr--rrrrrrrrrrr-");
}

} // namespace
} // namespace tav
