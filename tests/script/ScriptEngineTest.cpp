#include "tests/script/ScriptTestSupport.h"

#include <gmock/gmock.h>

namespace tav::test {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Texts = std::vector<std::string>;

using ScriptEngineTest = ScriptFixture;

TEST_F(ScriptEngineTest, TriggersAnswerInTheOrderMadeWithCapturesAndLineActions) {
    ScriptEngine& scripts = Open(R"(
        tav.trigger("^(\\w+) tells you '(?<said>.*)'$", function(line, m)
            tav.send("reply " .. m[1] .. ": " .. m.said .. " / " .. m[0]) end, {regex = true})
        tav.trigger("tells", function(line, m) tav.send("second " .. m[0]) end,
                    {highlight = {fg = "#FF8000", bg = "#000080"}})
        tav.trigger("hungry", function() tav.send("eat") end, {once = true, gag = true})
        tav.trigger("fight", nil, {group = "combat", gag_log = true,
                                   highlight = {fg = "#00FF00", line = true}})
    )");
    ASSERT_EQ(host.errors, Texts{});
    const ScriptLineActions told = scripts.OnLine("Bob tells you 'hi there'");
    EXPECT_THAT(host.Take(), ElementsAre("send reply Bob: hi there / Bob tells you 'hi there'",
                                         "send second tells"));
    EXPECT_EQ(told,
              (ScriptLineActions{
                  .highlights = {{.span = {4, 9}, .textColor = 0x0080FF, .backColor = 0x800000}}}));
    EXPECT_EQ(scripts.OnLine("You are hungry"), ScriptLineActions{.gag = true});
    EXPECT_EQ(scripts.OnLine("You are hungry"), ScriptLineActions{});
    EXPECT_THAT(host.Take(), ElementsAre("send eat"));

    // A line no script trigger matches, or only one without a function, costs no Lua call.
    const std::uint64_t calls = scripts.LuaCalls();
    EXPECT_EQ(scripts.OnLine("Nothing happens."), ScriptLineActions{});
    const ScriptLineActions fight{
        .gag = true,
        .gagLog = true,
        .highlights = {{.scope = HighlightScope::Line, .span = {2, 7}, .textColor = 0x00FF00}}};
    EXPECT_EQ(scripts.OnLine("a fight"), fight);
    EXPECT_EQ(scripts.LuaCalls(), calls);

    EXPECT_EQ(Console("return tav.group('combat', false)"), Texts{"print 1"});
    EXPECT_EQ(scripts.OnLine("a fight"), ScriptLineActions{});
    Console("tav.group('combat', true)");
    EXPECT_EQ(scripts.OnLine("a fight"), fight);

    // highlight = false is no highlight; anything else but a table is refused.
    EXPECT_EQ(Console(R"(local calm = tav.trigger("calm", function() end, {highlight = false}))"),
              Texts{});
    EXPECT_EQ(scripts.OnLine("all calm"), ScriptLineActions{});
    for (const char* wrong : {"true", "'#FF0000'", "1"})
        EXPECT_THAT(Console(std::string("tav.trigger('x', nil, {highlight = ") + wrong + "})"),
                    ElementsAre(HasSubstr("highlight must be a table")))
            << wrong;
    // A timer waits from 0 seconds up to its bound.
    const std::string most = std::to_string(static_cast<long long>(ScriptEngine::kMaxTimerSeconds));
    EXPECT_EQ(Console("local a, b = tav.timer(0, print), tav.timer(" + most + ", print)"), Texts{});
    for (const std::string& seconds : {std::string("-1"), most + ".5", std::string("0/0")})
        EXPECT_THAT(Console("tav.timer(" + seconds + ", print)"),
                    ElementsAre(HasSubstr("tav.timer: seconds must be from 0 to " + most)))
            << seconds;
    // An expression that does not compile is refused, saying why.
    EXPECT_THAT(Console("tav.trigger('fight(', function() end, {regex = true})"),
                ElementsAre(HasSubstr("tav.trigger: ")));
    // A group name has at most 64 bytes.
    EXPECT_EQ(Console("local g = tav.trigger('x', nil, {group = string.rep('g', 64)})"), Texts{});
    EXPECT_THAT(Console("tav.trigger('x', nil, {group = string.rep('g', 65)})"),
                ElementsAre(HasSubstr("a group name has at most 64 bytes")));

    // A reload drops what the scripts made and runs init.lua again.
    Write("scripts/init.lua", "tav.trigger('fight', function() tav.send('new') end)");
    scripts.Reload();
    EXPECT_EQ(scripts.OnLine("Bob tells you 'a fight'"), ScriptLineActions{});
    EXPECT_THAT(host.Take(), ElementsAre("send new"));
}

// Arguments a handler has no parameter for are not built, so each shape of function must
// still see exactly what a call with all the arguments would show it.
TEST_F(ScriptEngineTest, HandlersOfEveryShapeSeeWhatTheirParametersAsk) {
    ScriptEngine& scripts = Open(R"(
        n = 0
        tav.trigger("^(\\w+) waves", function() n = n + 1 end, {regex = true})
        tav.trigger("^(\\w+) waves", function(line) tav.send("one " .. line) end, {regex = true})
        tav.trigger("^(\\w+) waves", function(line, m) tav.send("two " .. m[1]) end,
                    {regex = true})
        tav.trigger("waves", function(...)
            local line, m, extra = ...
            tav.send("all " .. select("#", ...) .. " " .. m[0] .. " " .. tostring(extra))
        end)
        tav.trigger("waves", print)
        tav.alias("wave", function(line) tav.send("alias " .. line) end)
        tav.alias("nod", function(...) tav.send("nod " .. select("#", ...) .. " " .. (...)) end)
        tav.on("gmcp", function(package) tav.send("gmcp " .. package) end)
        tav.on("gmcp", function(...) local p, v = ... tav.send("both " .. v.hp) end)
        tav.on("line", function(...) tav.send("line " .. select("#", ...)) end)
    )");
    ASSERT_EQ(host.errors, Texts{});
    scripts.OnLine("Ann waves");
    EXPECT_TRUE(scripts.OnTypedLine("wave hello"));
    EXPECT_TRUE(scripts.OnTypedLine("nod"));
    scripts.OnGmcp(R"(Char.Vitals {"hp":7})");
    const Texts sent = host.Take();
    EXPECT_THAT(sent, ElementsAre("send one Ann waves", "send two Ann", "send all 2 waves nil",
                                  ::testing::StartsWith("print Ann waves\ttable: "), "send line 1",
                                  "send alias wave hello", "send nod 2 nod",
                                  "send gmcp Char.Vitals", "send both 7"));
    EXPECT_EQ(Console("return n"), Texts{"print 1"});
}

TEST_F(ScriptEngineTest, AliasesTakeTypedLinesAndCompute) {
    ScriptEngine& scripts = Open(R"(
        tav.alias("^heal (\\d+)$", function(line, m) tav.send("cast heal " .. m[1] * 2) end,
                  {regex = true})
        tav.alias("ks", function(line, m)
            tav.send("say " .. m[2] .. " " .. m[1] .. " (" .. m.args .. ")\nnod") end)
    )");
    EXPECT_TRUE(scripts.OnTypedLine("heal 21"));
    EXPECT_TRUE(scripts.OnTypedLine("ks  alpha beta"));
    for (const char* other : {"heal x", "ksx", "look"})
        EXPECT_FALSE(scripts.OnTypedLine(other)) << other;
    EXPECT_THAT(host.Take(),
                ElementsAre("send cast heal 42", "send say beta alpha ( alpha beta)", "send nod"));
}

// Regular expressions are bounded in number. Removing one, trigger or alias, gives its room
// back and removing any other handler changes nothing, so a script that makes and removes
// them again and again never reaches the bound.
TEST_F(ScriptEngineTest, RemovedRegularExpressionsGiveTheirRoomBack) {
    // Thousands of expressions compiled in one console line: time for slow builds too.
    limits = {.memoryBytes = std::size_t{256} << 20, .callBudget = std::chrono::seconds(20)};
    Open("");
    EXPECT_EQ(Console(R"(tav.alias("^kept$", function() end, {regex = true})
        for i = 1, 2600 do
            tav.unalias(tav.alias("^a" .. i .. "$", function() end, {regex = true}))
            tav.untrigger(tav.trigger("^t" .. i .. "$", function() end, {regex = true}))
            tav.unalias(tav.alias("p" .. i, function() end))
        end)"),
              Texts{});
    EXPECT_EQ(Console(R"(for i = 1, 2500 do
            if i > 1 then tav.alias("^a" .. i .. "$", function() end, {regex = true}) end
            tav.trigger("^t" .. i .. "$", function() end, {regex = true})
        end)"),
              Texts{});
    EXPECT_THAT(Console(R"(tav.trigger("^over$", function() end, {regex = true}))"),
                ElementsAre(HasSubstr("the scripts have made 5000 regular expressions")));
    EXPECT_EQ(Console(R"(local plain = tav.trigger("plain", function() end))"), Texts{});
}

TEST_F(ScriptEngineTest, TimersRunWhenTheClockSaysSo) {
    ScriptEngine& scripts = Open(R"(
        tav.timer(2, function() tav.send("once") end)
        local n = 0
        tick = tav.timer(0.5, function() n = n + 1; tav.send("tick " .. n) end, {every = true})
    )");
    EXPECT_EQ(scripts.NextTimerDue(), 1500);
    clock.now = 1499;
    scripts.OnTimers();
    EXPECT_EQ(host.Take(), Texts{});
    clock.now = 1500;
    scripts.OnTimers();
    clock.now = 3200; // late: each due timer runs once, the earliest first
    scripts.OnTimers();
    EXPECT_THAT(host.Take(), ElementsAre("send tick 1", "send tick 2", "send once"));
    EXPECT_EQ(scripts.NextTimerDue(), 3700);
    EXPECT_EQ(Console("return tav.untimer(tick), tav.untimer(tick)"), Texts{"print true\tfalse"});
    EXPECT_EQ(scripts.NextTimerDue(), std::nullopt);
}

// A repeating timer that keeps failing is switched off, named as the timer it is.
TEST_F(ScriptEngineTest, ATimerThatKeepsFailingIsSwitchedOffByName) {
    ScriptEngine& scripts = Open(R"(tav.timer(0.5, function() error("tick") end, {every = true}))");
    for (int k = 0; k < 10; ++k) {
        clock.now += 1000;
        scripts.OnTimers();
    }
    EXPECT_EQ(host.errors.back(), "Switched off timer (init.lua:1): it failed 10 times in a row.");
    EXPECT_EQ(scripts.NextTimerDue(), std::nullopt);
}

TEST_F(ScriptEngineTest, GameDataReachesTavGmcpAndTheHandlers) {
    ScriptEngine& scripts = Open(R"(
        tav.on("gmcp", function(package, value)
            tav.send(package .. " " .. tostring(value and value.hp)) end)
        tav.on("msdp", function(name, value)
            tav.send(name .. "=" .. (type(value) == "table" and value[2] or value)) end)
        tav.on("connect", function() tav.send_gmcp("Core.Supports.Set", {"Char 1", "Room 1"}) end)
    )");
    scripts.OnConnect();
    scripts.OnGmcp(R"(Char.Vitals {"hp":25,"maxhp":80,"name":"Ann","gone":null})");
    scripts.OnGmcp("Core.Goodbye");
    scripts.OnGmcp("Char.Vitals not json");
    scripts.OnGmcp("Char.Vitals " + std::string(40, '[') + std::string(40, ']'));
    scripts.OnGmcp(R"(Char.Big {"hp":9223372036854775807})"); // the largest Lua integer
    // A package name of 1 to 256 bytes.
    scripts.OnGmcp(R"( {"hp":3})");
    scripts.OnGmcp(std::string(257, 'P') + R"( {"hp":3})");
    scripts.OnGmcp(std::string(256, 'P') + R"( {"hp":4})");
    scripts.OnMsdp("\x01HEALTH\x02"
                   "10\x01ROOM_EXITS\x02\x05\x02n\x02s\x06");
    EXPECT_THAT(host.Take(),
                ElementsAre(R"(gmcp Core.Supports.Set ["Char 1","Room 1"])", "send Char.Vitals 25",
                            "send Core.Goodbye nil", "send Char.Big 9223372036854775807",
                            "send " + std::string(256, 'P') + " 4", "send HEALTH=10",
                            "send ROOM_EXITS=s"));
    // What the game sends reaches the scripts up to 256 KiB a message.
    const std::size_t most = ScriptEngine::kMaxGmcpBytes;
    const std::string bigGmcp = "Char.Huge {\"hp\":1,\"x\":\"";
    scripts.OnGmcp(bigGmcp + std::string(most - bigGmcp.size() - 2, 'x') + "\"}");
    scripts.OnGmcp(bigGmcp + std::string(most - bigGmcp.size() - 1, 'x') + "\"}");
    scripts.OnMsdp("\x01HEALTH\x02" + std::string(most - 8, '7'));
    scripts.OnMsdp("\x01HEALTH\x02" + std::string(most - 7, '7'));
    const Texts whole = host.Take();
    ASSERT_EQ(whole.size(), 2u);
    EXPECT_EQ(whole[0], "send Char.Huge 1");
    EXPECT_EQ(whole[1].size(), std::string("send HEALTH=").size() + most - 8);
    // What a script sends is bounded: a package name without spaces, at most 64 KiB.
    const std::string full = "tav.send_gmcp('P', string.rep('x', 65534))"; // quoted: 64 KiB
    EXPECT_EQ(Console(full), Texts{"gmcp P \"" + std::string(65534, 'x') + "\""});
    EXPECT_THAT(Console("tav.send_gmcp('P', string.rep('x', 65535))"),
                ElementsAre(HasSubstr("the message is longer than 64 KiB")));
    EXPECT_THAT(Console("tav.send_gmcp('Core Hello')"),
                ElementsAre(HasSubstr("a package name has no spaces or control characters")));
    EXPECT_EQ(Console("tav.send_gmcp(string.rep('P', 256)) tav.send_gmcp('Q', {})"),
              (Texts{"gmcp " + std::string(256, 'P') + " ", "gmcp Q {}"}));
    EXPECT_THAT(Console("tav.send_gmcp(string.rep('P', 257))"),
                ElementsAre(HasSubstr("a package name of 1 to 256 bytes")));
    // Tables nest at most 32 deep.
    const auto nested = [](int depth) {
        return "local t = {} local c = t for i = 2, " + std::to_string(depth) +
               " do c.x = {} c = c.x end tav.send_gmcp('N', t)";
    };
    std::string deepest = "gmcp N ";
    for (int k = 1; k < 32; ++k)
        deepest += "{\"x\":";
    deepest += "{}" + std::string(31, '}');
    EXPECT_EQ(Console(nested(32)), Texts{deepest});
    EXPECT_THAT(Console(nested(33)), ElementsAre(HasSubstr("tables nest deeper than 32 levels")));
    const Texts vitals = {"print 25\t80\tAnn\tnil"};
    const std::string read = "local v = tav.gmcp.Char.Vitals return v.hp, v.maxhp, v.name, v.gone";
    EXPECT_EQ(Console(read), vitals);
    scripts.Reload();
    EXPECT_EQ(Console(read), vitals);
}

TEST_F(ScriptEngineTest, VarsSurviveARestartThroughTheirFile) {
    limits = {.memoryBytes = std::size_t{256} << 20, .callBudget = std::chrono::seconds(20)};
    const std::string init = R"(
        tav.vars.count = (tav.vars.count or 0) + 1
        tav.vars.list = tav.vars.list or {1, 2.5, "x"}
        tav.vars.nested = tav.vars.nested or {a = {b = true}, [7] = "seven"}
    )";
    const std::string read = "local v = tav.vars return v.count, v.list[2], v.list[3], "
                             "v.nested.a.b, v.nested['7']";
    Open(init);
    engine.reset(); // saves on close
    Open(init);
    EXPECT_EQ(Console(read), Texts{"print 2\t2.5\tx\ttrue\tseven"});

    // A file that cannot be read is kept beside, not written over.
    const std::string path = engine->VarsFilePath();
    engine.reset();
    std::ofstream(path) << "{\"count\": 5, broken";
    Open(init);
    EXPECT_THAT(host.Errors(), ElementsAre(HasSubstr("tav.vars could not be read from " + path)));
    EXPECT_EQ(Console(read), Texts{"print 1\t2.5\tx\ttrue\tnil"});
    std::ifstream kept(path + ".unreadable");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "{\"count\": 5, broken");

    const auto restart = [&] {
        engine.reset(); // saves again, and says so again
        host.errors.clear();
        Open(init);
    };

    // Nor is a file written that the next start would refuse: the last one stays.
    EXPECT_TRUE(engine->SaveVars());
    Console("tav.vars.big = string.rep('x', 64 << 20)");
    EXPECT_FALSE(engine->SaveVars());
    EXPECT_THAT(host.Errors(), ElementsAre(HasSubstr("it holds more than 64 MiB as JSON")));
    restart();
    EXPECT_EQ(Console(read), Texts{"print 2\t2.5\tx\ttrue\tseven"});

    // A value JSON cannot hold is left out, with a word, and the rest is saved.
    Console("tav.vars.say = print tav.vars.kept = 'yes'");
    EXPECT_TRUE(engine->SaveVars());
    EXPECT_THAT(host.Errors(), ElementsAre("tav.vars: a function cannot be saved and is left out"));
    restart();
    EXPECT_EQ(Console("return tav.vars.say, tav.vars.kept"), Texts{"print nil\tyes"});

    // tav.vars replaced by something other than a table is not saved, and says so; nor
    // are tables that hold themselves. The file keeps what it held.
    Console("tav.vars = 5");
    EXPECT_FALSE(engine->SaveVars());
    EXPECT_THAT(host.Errors(), ElementsAre("tav.vars could not be saved to " + path +
                                           ": tav.vars is not a table"));
    Console("tav.vars = {} tav.vars.me = tav.vars");
    EXPECT_FALSE(engine->SaveVars());
    EXPECT_THAT(host.Errors(), ElementsAre(HasSubstr("a table holds itself")));
    restart();
    EXPECT_EQ(Console("return tav.vars.kept"), Texts{"print yes"});
}

TEST_F(ScriptEngineTest, ErrorsAndRunawaysAreReportedAndTheNextLineIsHandled) {
    ScriptEngine& scripts = Open(R"(tav.trigger("loop", function() while true do end end)
tav.trigger("catch", function()
    while true do pcall(function() while true do end end) end end)
tav.trigger("boom", function() error("boom") end)
tav.trigger("ok", function(line) tav.send("ok " .. line) end)
local x = nil + 1)");
    EXPECT_THAT(host.Errors(), ElementsAre(HasSubstr("Script error in init.lua: init.lua:6:")));
    for (const char* line : {"loop ok", "catch ok", "boom ok"})
        scripts.OnLine(line);
    EXPECT_THAT(host.Take(), ElementsAre("send ok loop ok", "send ok catch ok", "send ok boom ok"));
    const std::string stopped = "script stopped: it ran longer than 50 ms";
    EXPECT_THAT(host.Errors(),
                ElementsAre(HasSubstr("trigger \"loop\" (init.lua:1): init.lua:1: " + stopped),
                            HasSubstr(stopped),
                            AllOf(HasSubstr("trigger \"boom\" (init.lua:4): init.lua:4: boom"),
                                  HasSubstr("stack traceback:"))));
    for (int i = 0; i < 10; ++i)
        scripts.OnLine("boom");
    EXPECT_EQ(host.errors.size(), 10u);
    EXPECT_EQ(host.errors.back(),
              "Switched off trigger \"boom\" (init.lua:4): it failed 10 times in a row.");
    scripts.OnLine("boom ok");
    EXPECT_EQ(host.Errors().size(), 10u);
    EXPECT_THAT(host.Take(), ElementsAre("send ok boom ok"));

    // A trigger is named by its pattern as typed, spaces kept and control characters dots,
    // up to 60 bytes of it.
    const std::string sixty(60, 'y');
    Console("tav.trigger('a b\\tc', function() error('x') end)");
    Console("tav.trigger('" + sixty + "', function() error('x') end)");
    Console("tav.trigger('z" + sixty + "', function() error('x') end)");
    scripts.OnLine("a b\tc");
    scripts.OnLine("z" + sixty);
    ASSERT_EQ(host.errors.size(), 3u);
    EXPECT_THAT(host.errors[0], HasSubstr("Script error in trigger \"a b.c\" (console:1): "));
    EXPECT_THAT(host.errors[1], HasSubstr("trigger \"" + sixty + "\" (console:1): "));
    EXPECT_THAT(host.errors[2], HasSubstr("trigger \"z" + sixty.substr(1) + "...\" (console:1): "));
    // An empty pattern is still shown, as "", while timers and event handlers have none.
    host.errors.clear();
    Console("tav.trigger('', function() error('x') end)");
    Console("tav.on('line', function() error('y') end)");
    scripts.OnLine("anything");
    EXPECT_THAT(host.errors, ElementsAre(HasSubstr("Script error in trigger \"\" (console:1): "),
                                         HasSubstr("Script error in line handler (console:1): ")));
}

TEST_F(ScriptEngineTest, TheSandboxKeepsScriptsInsideTheirFolder) {
    Write("secret.lua", "return 'secret'");
    Write("scripts/lib/good.lua", "return {answer = 42}");
    Write("scripts/lib/where.lua", "return select(2, ...)"); // a module is told its file
    Write("sounds/ding.wav", "RIFF");
    std::filesystem::create_symlink(dir.path / "secret.lua", dir.path / "scripts/evil.lua");
    // A folder beside it whose path is as long, so only the folder's name tells them apart.
    Write("scriptz/twin.lua", "return 'twin'");
    std::filesystem::create_symlink(dir.path / "scriptz/twin.lua", dir.path / "scripts/twin.lua");
    Open("");
    const std::pair<std::string, std::string> cases[] = {
        {"return os.execute, os.getenv, io, debug, dofile, loadfile",
         "print nil\tnil\tnil\tnil\tnil\tnil"},
        {"return package.loadlib, package.searchpath, string.dump, require('os').execute",
         "print nil\tnil\tnil\tnil"},
        {"return type(os.time()), type(os.clock()), type(os.date())",
         "print number\tnumber\tstring"},
        {"return load(string.char(27) .. 'Lua')", "attempt to load a binary chunk"},
        {"return load('return 1 + 1')()", "print 2"},
        {"return load('return x', 'x', 't', {x = 5})()", "print 5"}, // its own environment
        {"return require('lib.good').answer", "print 42"},
        {"return (require('lib.where'))", "print lib/where.lua"},
        {"require('../secret')", "not a module name"},
        {"require('evil')", "the file lies outside the folder"},
        {"require('twin')", "the file lies outside the folder"},
        {"require('nothing')", "no file nothing.lua"},
        {"tav.play('sounds/ding.wav')",
         "play " + std::filesystem::canonical(dir.path / "sounds/ding.wav").string()},
        {"tav.play('../secret.lua')", "not a path inside the folder"},
        {"tav.play('/etc/passwd')", "not a path inside the folder"},
        {"tav.gauge('hit', 10.7, 80) tav.pane('exits', 'n s') tav.echo('\\27[31mhi')",
         "gauge 0 10/80|pane 1 n s|echo \x1b[31mhi"},
        {"tav.gauge('luck', 1, 2)", "bad argument #1 to 'gauge' (invalid option 'luck')"},
    };
    for (const auto& [code, expected] : cases) {
        std::string out;
        for (const std::string& line : Console(code))
            out += (out.empty() ? "" : "|") + line;
        EXPECT_THAT(out, HasSubstr(expected)) << code;
    }
}

TEST_F(ScriptEngineTest, TheMemoryLimitStopsAScriptThatAllocatesWithoutEnd) {
    limits.callBudget = std::chrono::seconds(20); // the memory runs out first, however slow
    ScriptEngine& scripts = Open(R"(
        tav.trigger("grow", function()
            local t = {} while true do t[#t + 1] = string.rep("x", 1 << 20) .. #t end end)
        tav.trigger("grow", function() tav.send("still here") end)
    )");
    scripts.OnLine("grow");
    EXPECT_THAT(host.Errors(),
                ElementsAre(HasSubstr("not enough memory (scripts may use 32 MiB)")));
    EXPECT_THAT(host.Take(), ElementsAre("send still here"));
    EXPECT_EQ(Console("return 1 + 1"), Texts{"print 2"});
}

TEST_F(ScriptEngineTest, TheDemoWorldExampleLeavesTheThornsBelowAThirdOfItsHitPoints) {
    const char* source = std::getenv("TAV_SOURCE_DIR");
    std::ifstream example(std::filesystem::path(source ? source : ".") /
                          "tools/demo-world/scripts/init.lua");
    ScriptEngine& scripts = Open(std::string(std::istreambuf_iterator<char>(example), {}));
    scripts.OnGmcp(R"(Room.Info {"num":3,"name":"Forest Path","exits":{"s":2}})");
    scripts.OnLine("The thorns scratch you! (12 hit points)");
    for (const char* hp : {"27", "26", "20"})
        scripts.OnGmcp(std::string(R"(Char.Vitals {"maxhp":80,"hp":)") + hp + "}");
    EXPECT_TRUE(scripts.OnTypedLine("thorns 1"));
    EXPECT_TRUE(scripts.OnTypedLine("hp"));
    EXPECT_THAT(host.Take(),
                ElementsAre("echo \x1b[1;31mHit points low: 26/80\x1b[0m",
                            "echo \x1b[33mLeaving the thorns to heal.\x1b[0m", "send south",
                            "send north", "send south",
                            "echo 20/80 hp  0/0 m  0/0 mv  (thorns: 1 scratches, 12 hp)"));
    EXPECT_EQ(host.errors, Texts{});
}

} // namespace
} // namespace tav::test
