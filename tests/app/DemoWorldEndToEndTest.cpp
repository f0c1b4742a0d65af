// The whole desktop program against the bundled demo world, a real server process: logged
// in on both ports, it goes through the windows, and each request shows in the world's log
// of what it received, each answer in its window.
#include "FrameTestSupport.h"

#include "MuxProcess.h"
#include "app/MainMenu.h"
#include "app/ScriptCommands.h"
#include "map/MapStore.h"
#include "term/SessionMapper.h"
#include "tests/map/MapTestSupport.h"
#include "windows/GameInfoDialog.h"
#include "windows/MapWindow.h"
#include "windows/MonitorWindow.h"
#include "windows/ScriptConsole.h"
#include "windows/StatusWindow.h"
#include "windows/TextListWindow.h"

#include <sstream>

namespace tav::test {
namespace {

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

int CountOf(const std::string& text, std::string_view part) {
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// The desktop program logged in to the world's text port as Hero.
class DemoWorldFrame : public FrameTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(world.Start(data.Path())) << world.Log().toStdString();
        ASSERT_TRUE(WriteBytes(data.Path("profiles.cfg"), "demo\r\n"));
        for (const char* dir : {"text", "binary"})
            QDir(data.Path()).mkpath(dir);
        // The profile as the configuration dialog leaves it: the world's address and login,
        // and the map and status windows shown.
        ProfileSettings profile;
        Settings& s = profile.settings;
        CopyField(s.addy, "127.0.0.1");
        CopyField(s.port, std::to_string(world.Port()).c_str());
        CopyField(s.user, "Hero");
        CopyField(s.passwd, "demo");
        s.savepasswd = 1;
        s.enhancedterm = 1;
        ASSERT_TRUE(WriteConfiguredProfile(data.Path(), "demo", profile));
        MakeFrame();
        ASSERT_TRUE(frame->Start());
        LogIn();
    }
    void LogIn() {
        frame->OnCommand(kCmTermConnect);
        ASSERT_TRUE(WaitForScreen("By what name are you known?"));
        Type("Hero");
        ASSERT_TRUE(WaitForScreen("Password:"));
        Type("demo");
        ASSERT_TRUE(WaitForScreen("mv>"));
    }

    tmudterm& term() { return frame->Term(); }
    static std::string Pane(TMudScreen& screen) { return screen.GetAllText(); }
    std::string Screen() { return Pane(term().MainScreen()); }
    // Waits until the main screen shows `text`.
    bool WaitForScreen(std::string_view text) {
        return WaitFor([&] { return Contains(Screen(), text); });
    }
    // The world writes its log as it goes: its count of `line` once it has reached `times`
    // (bounded), so that a count is never read before the world has written it.
    int WorldCount(const QString& line, int times) {
        WaitFor([&] { return world.Count(line) >= times; });
        return world.Count(line);
    }

    DemoWorld world;
};

// The same, with the Client port connected too and its first room shown.
class DemoWorldEndToEnd : public DemoWorldFrame {
protected:
    void SetUp() override {
        DemoWorldFrame::SetUp();
        if (HasFatalFailure()) return;
        frame->OnCommand(kCmClientConnect);
        // The room's name may be there already from the text port's GMCP; its description
        // comes only from the client port.
        ASSERT_TRUE(WaitFor([&] { return Contains(Pane(term().DescPane()), "cobbled square"); }))
            << world.Log().toStdString();
        EXPECT_EQ(WorldCount("received login_request", 1), 1);
    }
};

TEST_F(DemoWorldEndToEnd, PanesToolWindowsAndAgreedOptionsAreWhatTheWorldSent) {
    // Filled at login (the channel by the world's chatter), each its own window, left hidden.
    const std::pair<txtdlg&, std::string_view> rows[] = {
        {term().WhoWindow(), "Players in the Demo World"},
        {term().ChannelWindow(), "[gossip]"},
        {term().EquipmentWindow(), "a padded tunic"},
        {term().InventoryWindow(), "You are carrying:"},
    };
    for (const auto& [window, text] : rows) {
        SCOPED_TRACE(text);
        EXPECT_TRUE(WaitFor([&] { return Contains(Pane(window.Screen()), text); }));
        EXPECT_FALSE(window.isVisible());
    }
    EXPECT_TRUE(Contains(Pane(term().WhoWindow().Screen()), "Hero"));

    // Exits and contents come in messages of their own, after the description.
    EXPECT_TRUE(WaitFor([&] { return Contains(Pane(term().ExitPane()), "north"); }));
    EXPECT_TRUE(WaitFor([&] { return Contains(Pane(term().ListPane()), "bread"); }));
    EXPECT_TRUE(WaitFor([&] { return term().Map().HasMap(); }));
    EXPECT_TRUE(WaitFor([&] { return term().Status().Values()[1] > 0; }));
    tmonitor& monitor = frame->Client().Monitor();
    EXPECT_TRUE(WaitFor([&] { return monitor.Reading(kManaGauge).percent == 100; }));

    // A mana maximum of 0 reaches the status window as it is; the monitor shows 0 and red.
    Type("pray");
    EXPECT_TRUE(WaitFor([&] { return term().Status().Values()[3] == 0; }));
    EXPECT_EQ(term().Status().Values()[2], 0);
    EXPECT_TRUE(WaitFor([&] {
        return monitor.Reading(kManaGauge) == GaugeReading{0, GaugeBand::Red};
    }));
    Type("pray");
    EXPECT_TRUE(WaitFor([&] { return term().Status().Values()[3] > 0; }));

    // The world lists the options the client agreed to; MSDP must ask for the variables
    // the status window and the panes show.
    Type("client");
    ASSERT_TRUE(WaitForScreen("Compressed: yes")) << Screen();
    EXPECT_TRUE(Contains(Screen(), "Options agreed: EOR CHARSET MSDP MSSP MCCP2 GMCP TTYPE NAWS"))
        << Screen();
    EXPECT_EQ(WorldCount("MSDP reports HEALTH HEALTH_MAX MANA MANA_MAX MOVEMENT MOVEMENT_MAX "
                         "ROOM ROOM_AREA ROOM_COORDS ROOM_EXITS ROOM_NAME ROOM_VNUM",
                         1),
              1);

    // The world finishes its compressed stream and goes on in plain text, then opens a new
    // stream: what came after each end and start is shown.
    Type("compress off");
    ASSERT_TRUE(WaitForScreen("Compression is off; the rest is plain text.")) << Screen();
    Type("client");
    ASSERT_TRUE(WaitForScreen("Compressed: no")) << Screen();
    Type("compress on");
    ASSERT_TRUE(WaitForScreen("Compression is on.")) << Screen();
    Type("client");
    EXPECT_TRUE(WaitFor([&] { return CountOf(Screen(), "Compressed: yes") == 2; })) << Screen();
    EXPECT_FALSE(Contains(Screen(), "(MCCP) is damaged")) << Screen();
}

// The moves a walk sent, as the screen echoed them after `marker`: a line that is the
// command alone, or a prompt's line ending in it.
std::vector<std::string> EchoedMoves(const std::string& screen, std::string_view marker) {
    std::vector<std::string> moves;
    std::size_t at = screen.rfind(marker);
    if (at == std::string::npos) return moves;
    std::istringstream lines(screen.substr(at + marker.size()));
    for (std::string line; std::getline(lines, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        const std::size_t word = line.rfind(' ');
        const std::string last = word == std::string::npos ? line : line.substr(word + 1);
        const bool alone = word == std::string::npos || line[word - 1] == '>';
        if (alone && last.size() == 1 &&
            std::string_view("neswud").find(last[0]) != std::string_view::npos)
            moves.push_back(last);
    }
    return moves;
}

using DemoWorldMap = DemoWorldFrame;

TEST_F(DemoWorldMap, AWalkIsKeptInTheMapFileAndADoubleClickWalksBackTheShortestWay) {
    const std::string file = data.Path("profiles/demo/map.db").toStdString();
    const auto here = [&] { return term().Automap().Map()->CurrentRoom(); };
    ASSERT_TRUE(WaitFor([&] { return here() == 1; }));
    // Network > Game information... shows what the world said about itself by MSSP (when
    // the connection opened, before Hero came in).
    std::string headline;
    script.Then(In<GameInfoDialog>([&](GameInfoDialog& dialog) {
        headline = dialog.findChild<QLabel*>()->text().toStdString();
        dialog.reject();
    }));
    frame->Menu().Action(kCmGameInfo)->trigger();
    EXPECT_EQ(headline, "TavClient Demo World: 0 players");
    const std::pair<const char*, RoomNumber> walk[] = {{"e", 4}, {"e", 5}, {"w", 4}, {"w", 1},
                                                       {"d", 9}, {"u", 1}, {"s", 8}};
    for (const auto& [move, room] : walk) {
        Type(move);
        ASSERT_TRUE(WaitFor([&] { return here() == room; })) << move;
    }
    // Rooms by the game's numbers, y turned north once the move south showed it grows
    // south, every exit with the target the game told.
    const RoomMap walked = term().Automap().Map()->Map();
    EXPECT_EQ(MapLines(walked),
              (std::vector<std::string>{"1 Town Square in Town @0,0,0g d>9 e>4 n>2 s>8 w>6",
                                        "4 Market Street in Town @1,0,0g e>5 w>1",
                                        "5 Caf\xc3\xa9 de la For\xc3\xaat in Town @2,0,0g w>4",
                                        "8 Harbour in Town @0,-1,0g n>1",
                                        "9 Wine Cellar in Town @0,0,-1g u>1"}));
    EXPECT_TRUE(term().Map().ShowsAutomap());
    EXPECT_EQ(term().Map().accessibleDescription().toStdString(),
              "Room 8, Harbour, in Town. Exits: n.");

    // A restart reads the same map from the file, and shows it before any connection.
    frame.reset();
    {
        RoomMap stored;
        MapStore store;
        ASSERT_TRUE(store.Open(file, stored)) << store.Error();
        EXPECT_EQ(stored, walked);
    }
    ASSERT_TRUE(WaitFor([&] { return world.Count("Hero leaves") == 1; }));
    MakeFrame();
    ASSERT_TRUE(frame->Start());
    EXPECT_EQ(term().Automap().Map()->Map(), walked);
    EXPECT_TRUE(term().Map().ShowsAutomap());

    // Back in the world (on the square), a double-click on the Café walks there step by
    // step: east twice, nothing else.
    LogIn();
    ASSERT_TRUE(WaitFor([&] { return here() == 1; }));
    MapWindow& map = term().Map();
    map.grab(); // painted once, as shown
    const QPointF cafe = map.View().ToPixels(2, 0);
    QTest::mouseDClick(&map, Qt::LeftButton, {}, cafe.toPoint());
    ASSERT_TRUE(WaitForScreen("Walk ended: you have arrived.")) << Screen();
    EXPECT_EQ(here(), 5);
    EXPECT_EQ(EchoedMoves(Screen(), "Walking to room 5..."), (std::vector<std::string>{"e", "e"}));

    // "#goto 8" starts back west; Escape in the input line stops the walk after that step.
    Type("#goto 8");
    QTest::keyClick(&term().InputLine(), Qt::Key_Escape);
    ASSERT_TRUE(WaitForScreen("Walk stopped.")) << Screen();
    ASSERT_TRUE(WaitFor([&] { return here() == 4; }));
    EXPECT_EQ(EchoedMoves(Screen(), "Walking to room 8..."), std::vector<std::string>{"w"});
}

TEST_F(DemoWorldEndToEnd, TheExampleScriptsLeaveTheThornsWhenTheHitPointsRunLow) {
    // Six trips into the thorns take 72 of the 80 hit points: past the third, the scripts
    // walk out of the Forest Path on their own.
    const QString scripts = data.Path("profiles/demo/scripts");
    ASSERT_TRUE(QDir().mkpath(scripts));
    ASSERT_TRUE(
        QFile::copy(qEnvironmentVariable("TAV_SOURCE_DIR") + "/tools/demo-world/scripts/init.lua",
                    scripts + "/init.lua"));
    frame->OnCommand(kCmReloadScripts);
    Type("north");
    ASSERT_TRUE(WaitForScreen("A dark forest path leads north."));
    Type("thorns 6");
    ASSERT_TRUE(WaitForScreen("Leaving the thorns to heal.")) << Screen();
    EXPECT_TRUE(Contains(Screen(), "Hit points low: "));
    ASSERT_TRUE(WaitFor([&] { return CountOf(Screen(), "The thorns scratch you!") == 6; }));
    frame->Term().Session().RunScriptLine("tav.vars.scratches");
    EXPECT_EQ(frame->Scripts().Console().Output().toPlainText(), "6");
}

} // namespace
} // namespace tav::test
