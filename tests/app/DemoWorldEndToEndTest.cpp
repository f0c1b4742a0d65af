// The whole desktop program against the bundled demo world, a real server process: logged
// in on both ports, it goes through the windows, and each request shows in the world's log
// of what it received, each answer in its window.
#include "FrameTestSupport.h"

#include "MuxProcess.h"
#include "app/ScriptCommands.h"
#include "windows/MapWindow.h"
#include "windows/MonitorWindow.h"
#include "windows/ScriptConsole.h"
#include "windows/StatusWindow.h"
#include "windows/TextListWindow.h"

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

class DemoWorldEndToEnd : public FrameTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(world.Start(data.Path())) << world.Log().toStdString();
        ASSERT_TRUE(WriteBytes(data.Path("profiles.cfg"), "demo\r\n"));
        for (const char* dir : {"text", "binary"})
            QDir(data.Path()).mkpath(dir);
        // The profile as the configuration dialog leaves it: the world's address and login.
        ProfileSettings profile;
        Settings& s = profile.settings;
        CopyField(s.addy, "127.0.0.1");
        CopyField(s.port, std::to_string(world.Port()).c_str());
        CopyField(s.user, "Hero");
        CopyField(s.passwd, "demo");
        s.savepasswd = 1;
        ASSERT_TRUE(WriteConfiguredProfile(data.Path(), "demo", profile));

        MakeFrame();
        ASSERT_TRUE(frame->Start());
        frame->OnCommand(kCmTermConnect);
        ASSERT_TRUE(WaitForScreen("By what name are you known?"));
        Type("Hero");
        ASSERT_TRUE(WaitForScreen("Password:"));
        Type("demo");
        ASSERT_TRUE(WaitForScreen("mv>"));
        frame->OnCommand(kCmClientConnect);
        // The room's name may be there already from the text port's GMCP; its description
        // comes only from the client port.
        ASSERT_TRUE(WaitFor([&] { return Contains(Pane(term().DescPane()), "cobbled square"); }))
            << world.Log().toStdString();
        EXPECT_EQ(WorldCount("received login_request", 1), 1);
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
    EXPECT_TRUE(Contains(Screen(), "Options agreed: EOR CHARSET MSDP MCCP2 GMCP TTYPE NAWS"))
        << Screen();
    EXPECT_EQ(WorldCount("MSDP reports HEALTH HEALTH_MAX MANA MANA_MAX MOVEMENT MOVEMENT_MAX "
                         "ROOM_EXITS ROOM_NAME",
                         1),
              1);
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
