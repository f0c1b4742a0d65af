#include "FrameTestSupport.h"

#include "app/AboutBox.h"
#include "app/ConnectionIndicator.h"
#include "app/CustomButtonDialog.h"
#include "app/MainMenu.h"
#include "settings/ColorDialog.h"
#include "settings/ConfigDialog.h"
#include "settings/FKeyDialog.h"
#include "settings/MoreOptionsDialog.h"
#include "settings/ProfileDialogs.h"
#include "settings/ProfileStore.h"
#include "settings/QuickConnectDialog.h"
#include "sound/SoundPlayer.h"
#include "term/qt/QtMessageBoxes.h"
#include "windows/AliasDialog.h"
#include "windows/BoardsWindow.h"
#include "windows/CommandPad.h"
#include "windows/FindBar.h"
#include "windows/GameInfoDialog.h"
#include "windows/GotoRoomDialog.h"
#include "windows/HelpIndexWindow.h"
#include "windows/IdentificationWindow.h"
#include "windows/MonitorWindow.h"
#include "windows/TextListWindow.h"
#include "windows/TimersDialog.h"
#include "windows/TriggerDialogs.h"
#include "windows/VariablesWindow.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>

#include <array>

namespace tav::test {
namespace {

class MainFrameTest : public FrameTest {
protected:
    bool Exists(const QString& name) const { return QFileInfo::exists(data.Path(name)); }
};

// The first start creates a profile and applies it; the new profile is configured from
// the dialog alone: it opens by itself, and what it takes is applied, logged and saved
// (what it refuses, and a cancelled dialog, are the configuration command's tests).
TEST_F(MainFrameTest, FirstStartCreatesTheProfileAndConfiguresItFromTheDialog) {
    MakeFrame();
    EXPECT_EQ(frame->windowTitle(), "TavClient");
    QString asked;
    script.Then(AnswerInput("hero", &asked));
    ASSERT_TRUE(frame->Start());
    EXPECT_EQ(asked, "TavClient - Create New Profile | Enter a new profile name: | default");
    EXPECT_EQ(frame->windowTitle(), "TavClient - hero");
    EXPECT_TRUE(frame->Profile().Loaded());
    // No settings file yet: the defaults place the frame at 0,0 640x400.
    EXPECT_EQ(stored.termpos, (Rect{0, 0, 640, 400}));
    EXPECT_NE(ScreenText().find("Unable to open tav.cfg"), std::string::npos);
    script.Then(In<tmarrowcfg>([](tmarrowcfg& dialog) {
        for (const auto& [field, text] : std::initializer_list<std::pair<const char*, const char*>>{
                 {"TavServer IP Address:", "mud.example.org"},
                 {"Port:", "4000"},
                 {"Username:", "hero"},
                 {"Password:", "secret"},
                 {"Mod Player:", "xmp"},
                 {"MP3 Player:", "mpg123"},
                 {"Scroll lines:", "800"},
                 {"Input buffer lines:", "50"}})
            QTest::keyClicks(Named<QLineEdit>(&dialog, field), text);
        for (const char* name :
             {"Internal MIDI (MCI)", "Main window on top.", "MultiScreen.", "OK"})
            Named<QAbstractButton>(&dialog, name)->click();
    }));
    ASSERT_TRUE(WaitFor([&] { return script.Done() && Exists("profiles/hero/tav.cfg"); }));
    EXPECT_TRUE(frame->Topmost());
    EXPECT_EQ(frame->Term().MainScreen().Lines(), 800);
    EXPECT_TRUE(frame->Term().DescPaneWidget().isVisibleTo(frame.get()));
    const std::string log = frame->Client().Log().Text();
    EXPECT_NE(log.find("Always on top mode selected.\r\nConfiguration saved."), std::string::npos)
        << log;
    const QByteArray saved = FileBytes(data.Path("profiles/hero/tav.cfg"));
    for (const char* line : {"addy:mud.example.org\r\n", "port:4000\r\n", "user:hero\r\n"})
        EXPECT_TRUE(saved.contains(line)) << line;

    // Shut-down while disconnected asks nothing and saves the profile's settings.
    QFile::remove(data.Path("profiles/hero/tav.cfg"));
    EXPECT_TRUE(frame->close());
    EXPECT_FALSE(frame->ExitConfirmed());
    EXPECT_TRUE(Exists("profiles/hero/tav.cfg"));
}

// Applying the profile's settings (the always-on-top flag shows the window again) must
// not overwrite the rectangles just loaded before the windows are placed at them.
TEST_F(MainFrameTest, PlacesFrameAndToolWindowsAtTheProfilesRectanglesWithEitherOnTopFlag) {
    ListProfiles();
    for (bool ontop : {false, true}) {
        SCOPED_TRACE(ontop);
        frame.reset();
        ProfileSettings profile;
        profile.values.termpos = Rect{20, 30, 520, 330};
        profile.values.whopos = Rect{20, 30, 540, 330};
        profile.values.idpos = Rect{40, 50, 490, 400};
        profile.settings.ontop = ontop;
        ASSERT_TRUE(WriteConfiguredProfile(data.Path(), "hero", profile));
        stored = StoredValues::Defaults();
        MakeFrame();
        ASSERT_TRUE(frame->Start());
        EXPECT_EQ(frame->Topmost(), ontop);
        EXPECT_EQ(stored.termpos, (Rect{20, 30, 520, 330}));
        EXPECT_EQ(frame->frameGeometry(), QRect(20, 30, 500, 300));
        EXPECT_EQ(frame->Term().WhoWindow().frameGeometry(), QRect(20, 30, 520, 300));
        EXPECT_EQ(frame->Client().Identification().frameGeometry(), QRect(40, 50, 450, 350));
    }

    // Placed again, the frame records its normal rectangle, and keeps it while maximised.
    frame->PlaceFrame(QRect(20, 40, 500, 300), true);
    EXPECT_TRUE(frame->Topmost());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(WaitFor([&] { return stored.termpos == Rect{20, 40, 520, 340}; }, 2000));
    frame->showMaximized();
    WaitFor([&] { return frame->isMaximized(); }, 1000);
    EXPECT_EQ(stored.termpos, (Rect{20, 40, 520, 340}));
    frame->showNormal();
    frame->PlaceFrame(QRect(40, 50, 600, 400), false);
    EXPECT_FALSE(frame->Topmost());
    EXPECT_TRUE(WaitFor([&] { return stored.termpos == Rect{40, 50, 640, 450}; }, 2000));
}

// A configured profile as the scripts that run the whole program give one (the file they
// use must be what the program itself writes), then the frame started on it: its tool
// windows, its aliases and its settings dialogs.
TEST_F(MainFrameTest, AConfiguredProfilesWindowsAliasesAndSettingsDialogs) {
    ListProfiles();
    ASSERT_TRUE(WriteConfiguredProfile(data.Path(), "hero"));
    EXPECT_EQ(
        FileBytes(data.Path("profiles/hero/tav.cfg")),
        FileBytes(qEnvironmentVariable("TAV_SOURCE_DIR") + "/tests/app/data/configured_tav.cfg"));
    ASSERT_TRUE(WriteBytes(data.Path("profiles/hero/aliases.cfg"), "k=kill %1\r\nbad line\r\n"));
    ASSERT_TRUE(WriteBytes(data.Path("profiles/hero/options.cfg"), "mine=kept\nencoding=latin1\n"));
    MakeFrame();
    ASSERT_TRUE(frame->Start());
    tmudterm& term = frame->Term();
    ClientHub& client = frame->Client();
    const std::pair<int, QWidget&> rows[] = {
        {kCmWho, term.WhoWindow()},
        {kCmOoc, term.ChannelWindow()},
        {kCmEquipment, term.EquipmentWindow()},
        {kCmInventory, term.InventoryWindow()},
        {kCmIdentify, client.Identification()},
        {kCmMonitor, client.Monitor()},
        {kCmMudCom, client.CommandPad()},
        {kCmTriggers, frame->TriggerWindow()},
        {kCmServerHelp, client.HelpWindow()},
        {kCmBoards, client.BoardsWindow()},
    };
    for (const auto& [command, window] : rows) {
        SCOPED_TRACE(command);
        EXPECT_TRUE(frame->Menu().IsEnabled(command));
        EXPECT_FALSE(window.isVisible());
        frame->OnCommand(command);
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(window.parentWidget(), frame.get()) << "a window of the frame";
        // A screen reader finds the window by its title and every control by its words.
        EXPECT_EQ(window.accessibleName(), window.windowTitle());
        EXPECT_EQ(UnnamedControls(window), std::vector<std::string>{});
        frame->OnCommand(command);
        EXPECT_FALSE(window.isVisible());
    }
    // The scroll buffer command only shows its window, with the recent text.
    term.Session().AppendRecent("Recently.\r\n");
    for (int twice = 0; twice < 2; ++twice) {
        frame->OnCommand(kCmScrollBuffer);
        EXPECT_TRUE(term.ScrollWindow().isVisible());
    }
    EXPECT_NE(term.ScrollWindow().Screen().GetAllText().find("Recently."), std::string::npos);

    // Edit > Find... opens the find bar, every control of it named.
    frame->Menu().Action(kCmFind)->trigger();
    EXPECT_TRUE(term.FindText().isVisible());
    EXPECT_EQ(UnnamedControls(term.FindText()), std::vector<std::string>{});

    // Options > Aliases... edits a copy: New, Edit and Delete, a taken name refused with a
    // message; OK writes aliases.cfg (keeping the line it did not understand) and the list
    // is used at once; Cancel keeps everything.
    EXPECT_EQ(term.Aliases(), (std::vector<Alias>{{"k", "kill %1"}}));
    EXPECT_NE(term.Session().RecentText().find("aliases.cfg: 1 line(s) not understood"),
              std::string::npos);
    const auto aliasesFile = [&] { return FileBytes(data.Path("profiles/hero/aliases.cfg")); };

    QString refusal;
    script.Then(In<AliasDialog>([&](AliasDialog& dialog) {
        EXPECT_EQ(UnnamedControls(dialog), std::vector<std::string>{});
        EXPECT_EQ(dialog.BodyField().text(), "kill %1"); // the first alias is picked
        script.Then(AnswerBox(&refusal));
        Named<QPushButton>(&dialog, "New")->click();
        dialog.NameField().setText("gg");
        dialog.BodyField().setText("get all;look");
        Named<QPushButton>(&dialog, "New")->click();
        dialog.NameField().setText("tmp");
        Named<QPushButton>(&dialog, "New")->click();
        Named<QPushButton>(&dialog, "Delete")->click();
        dialog.List().setCurrentRow(0);
        dialog.BodyField().setText("kill %1;loot");
        Named<QPushButton>(&dialog, "Edit")->click();
        EXPECT_EQ(Rows(dialog.List()), (QStringList{"k = kill %1;loot", "gg = get all;look"}));
        Named<QPushButton>(&dialog, "OK")->click();
    }));
    frame->Menu().Action(kCmAliases)->trigger();
    ASSERT_TRUE(WaitFor([&] { return script.Done(); }));
    EXPECT_EQ(refusal, "Error... | There is an alias k already.");
    EXPECT_EQ(aliasesFile(), "k=kill %1;loot\r\nbad line\r\ngg=get all;look\r\n");
    EXPECT_EQ(term.Aliases(), (std::vector<Alias>{{"k", "kill %1;loot"}, {"gg", "get all;look"}}));

    script.Then(In<AliasDialog>([&](AliasDialog& dialog) {
        Named<QPushButton>(&dialog, "Delete")->click();
        EXPECT_EQ(Rows(dialog.List()), QStringList{"gg = get all;look"});
        Named<QPushButton>(&dialog, "Cancel")->click();
    }));
    frame->OnCommand(kCmAliases);
    ASSERT_TRUE(WaitFor([&] { return script.Done(); }));
    EXPECT_EQ(term.Aliases().size(), 2U);
    EXPECT_EQ(aliasesFile(), "k=kill %1;loot\r\nbad line\r\ngg=get all;look\r\n");

    // The more options (read with the profile) and the function keys are saved on OK only;
    // "Colors..." of the configuration changes the MUD colours at once, kept when the
    // configuration is cancelled.
    EXPECT_EQ(term.Session().Encoding(), TextEncoding::Latin1);
    EXPECT_TRUE(frame->Menu().IsEnabled(kCmMoreOptions));
    auto choose = [](QDialogButtonBox::StandardButton button) {
        return In<MoreOptionsDialog>([=](MoreOptionsDialog& dialog) {
            EXPECT_TRUE(dialog.EncodingButton(TextEncoding::Latin1).isChecked());
            EXPECT_EQ(dialog.accessibleName(), "TavClient More Options");
            EXPECT_EQ(UnnamedControls(dialog), std::vector<std::string>{});
            dialog.EncodingButton(TextEncoding::Utf8).click();
            dialog.ReconnectBox().setChecked(true);
            dialog.GaPromptsBox().setChecked(true);
            EXPECT_FALSE(dialog.TlsPortBox().isEnabled());
            dialog.TlsBox().setChecked(true);
            dialog.TlsPortBox().setValue(6697);
            QTest::keyClicks(&dialog.SeparatorField(), "; \\"); // no space, no backslash
            dialog.findChild<QDialogButtonBox*>()->button(button)->click();
        });
    };
    auto optionsFile = [&] { return FileBytes(data.Path("profiles/hero/options.cfg")); };
    script.Then(choose(QDialogButtonBox::Cancel));
    frame->OnCommand(kCmMoreOptions);
    EXPECT_EQ(optionsFile(), "mine=kept\nencoding=latin1\n") << "Cancel saves nothing";
    EXPECT_EQ(term.Session().Encoding(), TextEncoding::Latin1);
    EXPECT_FALSE(term.Session().AutoReconnect() || term.Session().GaPrompts());

    script.Then(choose(QDialogButtonBox::Ok));
    frame->OnCommand(kCmMoreOptions);
    EXPECT_EQ(optionsFile(), "mine=kept\nencoding=utf8\nautoreconnect=1\ntls=1\ntlsport=6697\n"
                             "separator=;\ngaprompts=1\n");
    ProfileOptions chosen{TextEncoding::Utf8, true, true, true, 6697, ColourMode::Basic, ";"};
    chosen.gaPrompts = true;
    EXPECT_EQ(term.Options(), chosen);
    EXPECT_TRUE(term.Session().AutoReconnect() && term.Session().GaPrompts());
    // In effect at once: the session reads UTF-8, and what is typed is sent so.
    EXPECT_EQ(term.Session().Encoding(), TextEncoding::Utf8);
    term.InputLine().setText(QString::fromUtf8("caf\xC3\xA9 \xE2\x86\x92"));
    EXPECT_EQ(term.InputLine().ReadText(), "caf\xC3\xA9 \xE2\x86\x92");
    term.Session().History().Add("d\xC3\xA9j\xC3\xA0");
    QTest::keyClick(&term.InputLine(), Qt::Key_Up); // the history holds what was sent
    EXPECT_EQ(term.InputLine().text(), QString::fromUtf8("d\xC3\xA9j\xC3\xA0"));
    term.Session().SetEncoding(TextEncoding::SevenBit);
    term.InputLine().setText(QString::fromUtf8("caf\xC3\xA9 \xE2\x86\x92"));
    EXPECT_EQ(term.InputLine().ReadText(), "caf\xE9 ?");

    script.Then(In<tmarrowcfg>([](tmarrowcfg& w) { ButtonText(&w, "Colors...")->click(); }));
    script.Then([](QWidget* w) { ButtonText(w, "Bold Cyan")->click(); });
    script.Then(In<QColorDialog>([](QColorDialog& chooser) {
        chooser.setCurrentColor(QColor(0x12, 0x34, 0x56));
        chooser.accept();
    }));
    // The local echo colour is an option, saved when the colour dialog closes.
    script.Then([](QWidget* w) {
        EXPECT_FALSE(Named<QAbstractButton>(w, "Echo colour...")->isEnabled());
        Named<QAbstractButton>(w, "Local echo in its own colour")->click();
        Named<QAbstractButton>(w, "Echo colour...")->click();
    });
    script.Then(In<QColorDialog>([](QColorDialog& chooser) {
        EXPECT_EQ(chooser.currentColor(), QColor(240, 190, 80));
        chooser.setCurrentColor(QColor(0x65, 0x43, 0x21));
        chooser.accept();
    }));
    script.Then([&](QWidget* w) { ButtonText(w, "Close")->click(); });
    script.Then([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    frame->OnCommand(kCmConfig);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(stored.mudcolors[12], MakeColor(0x12, 0x34, 0x56));
    EXPECT_EQ(stored.mudcolors[11], MakeColor(0, 0, 0));
    EXPECT_TRUE(optionsFile().endsWith("gaprompts=1\nechocolour=1\nechorgb=#654321\n"));
    chosen.echoColoured = true;
    chosen.echoColour = MakeColor(0x65, 0x43, 0x21);
    EXPECT_EQ(term.Options(), chosen);

    // Cancel keeping the keys is the dialog's own test; OK saves them with the profile.
    script.Then(In<fkeydlg>([](fkeydlg& dialog) {
        dialog.Field(1).setText("kick;bash;");
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    }));
    frame->OnCommand(kCmFunctionKeys);
    EXPECT_TRUE(FileBytes(data.Path("profiles/hero/tav.cfg")).contains("\nf2key:kick;bash;\r\n"));
    EXPECT_EQ(term.Session().FunctionKeys()[1], "kick;bash;") << "and sent from now on";
}

// The whole program against a game on the loopback: connected from the menu, it asks
// before closing. Exit once confirmed (and the program ended from outside) saves, closes
// both connections and ends the player -- once, however often it is asked.
TEST_F(MainFrameTest, PlaysAgainstALoopbackGameAndExitsOnceAfterAskingWhileConnected) {
    ListProfiles();
    MakeFrame();
    ASSERT_TRUE(frame->Start());
    // Without a settings file the configuration dialog opens; Cancel leaves it unsaved.
    script.Then(In<tmarrowcfg>([](tmarrowcfg& dialog) { dialog.reject(); }));
    ASSERT_TRUE(WaitFor([&] { return script.Done(); }));
    ASSERT_FALSE(Exists("profiles/hero/tav.cfg"));
    const QString player = data.Path("player.sh");
    ASSERT_TRUE(WritePlayer(player));
    QDir(data.Path()).mkpath("binary");
    QFile(data.Path("binary/rain.mod")).open(QIODevice::WriteOnly);
    CopyField(settings.modplayer, player.toLatin1().constData());
    LoopbackServer termPeer;
    LoopbackServer clientPeer;
    ASSERT_TRUE(ConnectTerm(termPeer));
    ASSERT_TRUE(ConnectClient(clientPeer));
    TermSession& session = frame->Term().Session();
    ClientConnection& client = frame->Client().Connection();
    EXPECT_EQ(frame->Status().TermIndicator().Image(), 1);

    clientPeer.Send(Frame(IncomingType::sound_query, "rain.mod"));
    SoundPlayer& sound = frame->Client().Sound();
    ASSERT_TRUE(WaitFor([&] { return sound.PlayerRunning(); }));
    const int pid = PlayerPid(player);
    ASSERT_GT(pid, 0);

    QString seen;
    script.Then(AnswerBox(&seen, QMessageBox::No));
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(seen, "Warning... | Still connected... exit?");
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(session.Connected());

    script.Then(AnswerBox(nullptr, QMessageBox::Yes));
    EXPECT_TRUE(frame->close());
    EXPECT_TRUE(frame->ExitConfirmed());
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(Exists("profiles/hero/tav.cfg"));
    EXPECT_FALSE(session.Connected());
    EXPECT_EQ(frame->Status().TermIndicator().Image(), 0);
    EXPECT_FALSE(client.IsConnected());
    EXPECT_FALSE(sound.PlayerRunning());
    EXPECT_TRUE(WaitFor([&] { return ProcessGone(pid); }));
    EXPECT_TRUE(WaitFor([&] { return !client.ThreadRunning(); }));

    // Nothing happens a second time, and a later close does not ask.
    QFile::remove(data.Path("profiles/hero/tav.cfg"));
    const std::string screen = ScreenText();
    frame->ShutDown();
    EXPECT_FALSE(Exists("profiles/hero/tav.cfg"));
    EXPECT_EQ(ScreenText(), screen);
    EXPECT_TRUE(frame->close());
    EXPECT_TRUE(script.Done());
}

// Every control of the program's dialogs a screen reader can land on has a name (its own
// words, its label's, or its group's), and text from the server or from files in a message
// box arrives as written, never read as markup.
TEST(AccessibleNames, EveryControlOfEveryDialogIsNamed) {
    StoredValues stored{};
    std::array<ColorRef, kMudColorCount> mud{};
    std::array<ColorRef, kCustomColorCount> custom{};
    ProfileOptions options;
    std::string name = "north";
    std::string command = "n";
    TriggerTexts texts{"* arrives", "wave"};
    TriggerList triggers;
    Rect rect{};
    RoomMap rooms;
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<QWidget>()>>> dialogs = {
        {"about", [] { return std::make_unique<taboutdlg>(); }},
        {"function keys", [&] { return std::make_unique<fkeydlg>(stored, nullptr); }},
        {"colours",
         [&] {
             auto dialog = std::make_unique<mcolordlg>(mud, custom, nullptr);
             dialog->OfferLocalEcho(options);
             return dialog;
         }},
        {"custom button",
         [&] { return std::make_unique<tcustombuttoncfg>(name, command, nullptr); }},
        {"trigger editor", [&] { return std::make_unique<ttrigedit>(texts, nullptr); }},
        {"timer list",
         [] { return std::make_unique<TimersDialog>(std::vector<CommandTimer>{{}}); }},
        {"timer editor", [] { return std::make_unique<TimerEditDialog>(CommandTimer{}); }},
        {"variables", [&] { return std::make_unique<VariablesWindow>(triggers, rect, nullptr); }},
        {"go to room", [&] { return std::make_unique<GotoRoomDialog>(rooms); }},
        {"game information",
         [] {
             return std::make_unique<GameInfoDialog>(std::vector<MsspVariable>{{"NAME", "x"}});
         }},
        {"connect to a game",
         [] { return std::make_unique<QuickConnectDialog>(QuickGame{}, nullptr); }},
    };
    for (const auto& [what, make] : dialogs) {
        std::unique_ptr<QWidget> dialog = make();
        dialog->show();
        EXPECT_FALSE(
            QAccessible::queryAccessibleInterface(dialog.get())->text(QAccessible::Name).isEmpty())
            << what;
        EXPECT_EQ(UnnamedControls(*dialog), std::vector<std::string>{}) << what;
    }
}

constexpr std::string_view kMarkup = "Delete <b>x</b><img src=/etc/hostname>?";

using UntrustedTextTest = FrameTest;

TEST_F(UntrustedTextTest, MessageBoxesShowMarkupLiterally) {
    MakeFrame();
    ProfileStore store;
    tprofdlg profiles(store, frame->Profile(), frame.get());

    const std::tuple<const char*, std::function<void()>, QMessageBox::StandardButton> rows[] = {
        {"Error...", [] { QtMessageBoxes(nullptr).ShowMessage(kMarkup, "Error..."); },
         QMessageBox::Ok},
        {"Warning...", [] { QtMessageBoxes(nullptr).AskYesNo(kMarkup, "Warning..."); },
         QMessageBox::No},
        {"Warning...", [&] { profiles.AskYesNo(kMarkup, "Warning..."); }, QMessageBox::No},
        {"Certificate changed",
         [] {
             const std::string_view buttons[] = {"Trust", "No"};
             EXPECT_EQ(QtMessageBoxes(nullptr).Ask(kMarkup, "Certificate changed", buttons, 1), 1u);
         },
         QMessageBox::NoButton},
        {"Error...", [&] { profiles.ShowError(kMarkup, "Error..."); }, QMessageBox::Ok},
    };
    for (const auto& [title, show, button] : rows) {
        QString said;
        Qt::TextFormat format = Qt::AutoText;
        script.Then(AnswerBox(&said, button, &format));
        show();
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(said, title + QStringLiteral(" | ") + QString::fromLatin1(kMarkup));
        EXPECT_EQ(format, Qt::PlainText);
    }
}

} // namespace
} // namespace tav::test
