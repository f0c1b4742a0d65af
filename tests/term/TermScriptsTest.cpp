// The profile's Lua scripts driven by a real Term session and a real loopback peer.

#include "net/TelnetCodes.h"
#include "script/ScriptEngine.h"
#include "tests/support/ScreenCells.h"
#include "tests/support/TelnetBytes.h"
#include "tests/term/SessionHarness.h"

#include <gmock/gmock.h>

#include <fstream>

using namespace tav;
using namespace tav::test;
using namespace std::chrono_literals;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

struct ConsoleRecorder final : ScriptWindows {
    std::vector<std::string> did, errors;
    void SetGauge(ScriptGauge gauge, long value, long max) override {
        did.push_back("gauge " + std::to_string(int(gauge)) + " " + std::to_string(value) + "/" +
                      std::to_string(max));
    }
    void WritePane(ScriptPane pane, std::string_view text) override {
        did.push_back("pane " + std::to_string(int(pane)) + " " + std::string(text));
    }
    void PlaySound(const std::string& path) override { did.push_back("play " + path); }
    void ConsolePrint(std::string_view text) override {
        did.push_back("print " + std::string(text));
    }
    void ConsoleError(std::string_view text) override { errors.emplace_back(text); }
};

struct TermScripts : ::testing::Test, SessionHarness {
    TempDir profile{{"scripts"}};
    ConsoleRecorder console;
    // Short budgets keep the runaway loop below quick.
    ScriptLimits limits{.memoryBytes = std::size_t{32} << 20,
                        .callBudget = std::chrono::milliseconds(50),
                        .startBudget = std::chrono::milliseconds(500)};

    ~TermScripts() override { session.reset(); } // before the console it writes to

    void WriteInit(const std::string& text) {
        std::ofstream(profile.path / "scripts" / "init.lua", std::ios::binary) << text;
    }
    void OpenScripts() { session->OpenScripts(profile.path.string(), limits); }
};

const char* const kInit = R"lua(
tav.vars.runs = (tav.vars.runs or 0) + 1
tav.trigger([[^(\w+) says '(.*)'$]], function(line, m)
    tav.send("reply " .. m[1] .. " " .. m[2])
end, {regex = true})
tav.alias([[^add (\d+) (\d+)$]], function(line, m)
    tav.send("say " .. (tonumber(m[1]) + tonumber(m[2])))
end, {regex = true})
tav.on("connect", function()
    tav.timer(0.05, function() tav.send("tick") end)
end)
tav.on("gmcp", function(package, value)
    tav.send(package .. " " .. value.hp .. " " .. tav.gmcp.Char.Vitals.hp)
end)
tav.on("prompt", function(text) tav.send("prompt " .. text) end)
tav.trigger("runaway", function() while true do end end)
tav.trigger("broken", function() error("broken here") end)
tav.trigger("secret", nil, {gag = true})
tav.trigger("red", nil, {highlight = {fg = "#FF0000"}})
tav.trigger("echo", function() tav.echo("\27[31mechoed\27[0m\27[2J") end)
)lua";

} // namespace

TEST_F(TermScripts, ScriptsAnswerTheGameThroughTheSessionAndSurviveTheirErrors) {
    Open(Recorded());
    session->SetScriptWindows(&console);
    session->SetNegotiation(true);
    WriteInit(kInit);
    OpenScripts();
    ASSERT_NE(session->Scripts(), nullptr);
    Connect();

    // The connect handler's timer fires on the session's loop.
    EXPECT_TRUE(PeerReceives("tick\n"));
    // A regex trigger answers with its captures; an alias computes.
    server.Send("Bob says 'hi there'\r\n");
    EXPECT_TRUE(PeerReceives("reply Bob hi there\n"));
    Type("add 2 3");
    EXPECT_TRUE(PeerReceives("say 5\n"));
    // GMCP reaches tav.gmcp and the handler.
    using namespace telnet;
    server.Send(Iac({kWill, kGmcp}));
    ASSERT_TRUE(PeerReceives(Iac({kDo, kGmcp})));
    server.Send(Iac({kSb, kGmcp}) + "Char.Vitals {\"hp\":42}" + Iac({kSe}));
    EXPECT_TRUE(PeerReceives("Char.Vitals 42 42\n"));
    // A prompt the game ends with GA reaches the "prompt" handlers.
    server.Send("<42hp> " + Iac({kGa}));
    EXPECT_TRUE(PeerReceives("prompt <42hp> \n"));
    // One read hands the scripts at most 256 messages; the rest are said to be dropped.
    std::string many;
    for (int k = 0; k < 300; ++k)
        many += Iac({kSb, kGmcp}) + "Char.Vitals {\"hp\":" + std::to_string(k) + "}" + Iac({kSe});
    session->ReceiveBytes(many.data(), many.size());
    EXPECT_EQ(CountOf(ReadUntil("Char.Vitals 255 255\n"), "Char.Vitals"), 256u);
    EXPECT_THAT(console.errors,
                ElementsAre(HasSubstr("44 GMCP or MSDP messages or prompts of one read")));
    console.errors.clear();

    // A runaway loop and an error are reported, and the game's text goes on.
    server.Send("runaway\r\nbroken\r\nsecret\r\necho\r\npaint me red\r\nstill going\r\n");
    ASSERT_TRUE(loop.RunUntil([&] { return Shown("still going"); }, 5s));
    EXPECT_THAT(console.errors, ElementsAre(HasSubstr("script stopped: it ran longer than 50 ms"),
                                            AllOf(HasSubstr("init.lua:17: broken here"),
                                                  HasSubstr("stack traceback:"))));
    // Text a script prints follows the lines of the same read, already on the screen.
    EXPECT_TRUE(Shown("runaway\r\nbroken\r\necho\r\npaint me red\r\nstill going\r\nechoed\r\n"));
    // A highlight colours the matched text only.
    int painted = 0;
    for (int n = 0; n < screen.Lines(); ++n) {
        const ScreenLine& line = screen.Line(n);
        if (CellBytes(line, 12) != "paint me red") continue;
        ++painted;
        EXPECT_EQ(line.TextColor(8), 0u);
        EXPECT_EQ(line.TextColor(9), ExplicitCellColor(0x0000FF));
        EXPECT_EQ(line.TextColor(11), ExplicitCellColor(0x0000FF));
    }
    EXPECT_EQ(painted, 1);
    EXPECT_FALSE(Shown("secret")); // gagged from the screen, kept in the log
    EXPECT_EQ(std::count(rec.logFile.begin(), rec.logFile.end(), "secret\n"), 1);
    EXPECT_TRUE(session->Connected());

    // tav.vars is saved when the scripts close and back when they open again.
    session->CloseScripts();
    EXPECT_EQ(Contents(profile.path / "scriptvars.json"), "{\n\t\"runs\": 1\n}\n");
    OpenScripts();
    session->RunScriptLine("tav.vars.runs");
    EXPECT_EQ(console.did, std::vector<std::string>{"print 2"});
    server.Send("Ann says 'bye'\r\n");
    EXPECT_TRUE(PeerReceives("reply Ann bye\n"));
    console.errors.clear(); // and count no message dropped before they closed
    server.Send(Iac({kSb, kGmcp}) + "Char.Vitals {\"hp\":7}" + Iac({kSe}));
    EXPECT_TRUE(PeerReceives("Char.Vitals 7 7\n"));
    EXPECT_THAT(console.errors, ElementsAre());
}

TEST_F(TermScripts, WithoutAScriptsFolderTheSessionRunsAsBefore) {
    Open(Recorded());
    session->SetScriptWindows(&console);
    std::filesystem::remove(profile.path / "scripts");
    OpenScripts();
    EXPECT_EQ(session->Scripts(), nullptr);
    Connect();
    Type("look");
    EXPECT_TRUE(PeerReceives("look\n"));
    session->CloseScripts();
    session->ReloadScripts();
    EXPECT_THAT(console.errors, ElementsAre(HasSubstr("There are no scripts")));
    EXPECT_TRUE(std::filesystem::is_empty(profile.path));
}

TEST(ScriptEchoText, KeepsColoursOnlyAndEndsEachLine) {
    EXPECT_EQ(ScriptEchoText(""), "\r\n");
    EXPECT_EQ(ScriptEchoText("a\nb\n"), "a\r\nb\r\n");
    EXPECT_EQ(ScriptEchoText("\x1B[1;31mred\x1B[2J\x1B"
                             "c\x07\xFF"),
              "\x1B[1;31mred\xFF\xFF\x1B[0m\r\n");
    EXPECT_EQ(ScriptEchoText("a\x1B[?25hb\x1B[ qc"), "abc\r\n"); // private and spaced: dropped
    // Every digit, ';' and ':' may stand in a colour's parameters.
    EXPECT_EQ(ScriptEchoText("\x1B[0;9m\x1B[38:2:0:128:255mx"),
              "\x1B[0;9m\x1B[38:2:0:128:255mx\x1B[0m\r\n");
}
