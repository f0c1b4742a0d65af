#include "FrameTestSupport.h"

#include "app/ExtraCommands.h"
#include "app/MainMenu.h"
#include "settings/ConfigDialog.h"
#include "settings/QuickConnectDialog.h"

#include <QCheckBox>
#include <QClipboard>
#include <QMenu>
#include <QSpinBox>

#include <cstring>

namespace tav::test {
namespace {

// What the peer has read once `bytes` arrived (or 20 s passed).
std::string ReadAll(LoopbackServer& peer, qsizetype bytes) {
    std::string read;
    WaitFor([&] {
        return (read += peer.Read(std::chrono::milliseconds(50))).size() >= std::size_t(bytes);
    });
    return read;
}

// Fills the game dialog by its fields' names and presses Connect.
ModalScript::Step FillGame(const QString& name, int port, const QString& character = {}) {
    return In<QuickConnectDialog>([=](QuickConnectDialog& dialog) {
        for (const auto& [field, text] :
             {std::pair{"Game name", name}, std::pair{"Host", QStringLiteral("127.0.0.1")},
              std::pair{"Character (optional)", character}}) {
            Named<QLineEdit>(&dialog, field)->clear();
            QTest::keyClicks(Named<QLineEdit>(&dialog, field), text);
        }
        Named<QSpinBox>(&dialog, "Port")->setValue(port);
        Named<QAbstractButton>(&dialog, "Connect")->click();
    });
}

// From the menu to a real peer: the new profile's files, the connection at once, long lines
// and pasting into the input line, a configuration OK without edits, and a name already
// taken refused without a change.
TEST_F(FrameTest, ConnectToAGameMakesAProfileThatConnectsAndConfigTakesAsItIs) {
    StartConfigured();
    LoopbackServer peer;
    script.Then(FillGame("Other World", peer.Port()));
    frame->Menu().Action(kCmQuickConnect)->trigger();
    ASSERT_TRUE(LoggedIn(peer, [&] { return frame->Term().Session().Connected(); }));
    EXPECT_TRUE(script.Done());
    // The title names the profile and where its game is.
    const QString title = QString("TavClient - Other World - 127.0.0.1:%1").arg(peer.Port());
    EXPECT_EQ(frame->windowTitle(), title);
    EXPECT_TRUE(FileBytes(data.Path("profiles.cfg")).endsWith("hero\r\nOther World\r\n"));
    EXPECT_EQ(FileBytes(data.Path("profiles/Other World/options.cfg")),
              "encoding=utf8\nautoreconnect=0\ncolours=full\ntabcomplete=1\ngaprompts=1\n"
              "longlines=1\npasteinput=1\nothergame=1\nechocolour=1\nbuiltinmod=1\nbuiltinmp3=1\n"
              "widescreen=1\n");
    const QByteArray saved = FileBytes(data.Path("profiles/Other World/tav.cfg"));
    for (const QByteArray& line :
         QList<QByteArray>{"addy:127.0.0.1\r\n", "port:" + QByteArray::number(peer.Port()) + "\r\n",
                           "user:\r\n", "10000 100 0 0 1\r\n"})
        EXPECT_TRUE(saved.contains(line)) << line.toStdString();
    EXPECT_TRUE(frame->Term().MainScreen().autowrap);

    // A long line goes out whole and stays whole in the history.
    const QString longLine = QString(kLongInputChars - 1, QLatin1Char('x')) + "y";
    Type(longLine);
    EXPECT_TRUE(ReadAll(peer, longLine.size() + 1) == longLine.toStdString() + "\n");
    const InputHistory& history = frame->Term().Session().History();
    EXPECT_TRUE(history.Slot(history.Slots() - 1) == longLine.toStdString());
    // Ctrl+V puts the clipboard into the input line; lines it ends are entered, more than a
    // few after a Yes; a line too long for the input line is refused whole.
    tinedit& input = frame->Term().InputLine();
    QGuiApplication::clipboard()->setText("say hello");
    QTest::keyClick(&input, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(input.text(), "say hello");
    QGuiApplication::clipboard()->setText(longLine + "z");
    QTest::keyClick(&input, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(input.text(), "say hello");
    EXPECT_NE(ScreenText().find("Paste refused: a line of it is longer than 4096 characters."),
              std::string::npos);
    QString asked;
    script.Then(AnswerBox(&asked, QMessageBox::Yes));
    QGuiApplication::clipboard()->setText("!\r\nb\nc\nd\ne");
    std::unique_ptr<QMenu> menu(input.MakeContextMenu());
    menu->findChild<QAction*>("edit-paste")->trigger();
    EXPECT_EQ(asked, "Paste | Send 4 lines to the game?");
    EXPECT_EQ(input.text(), "e");
    QTest::keyClick(&input, Qt::Key_Return);
    EXPECT_EQ(ReadAll(peer, 19), "say hello!\nb\nc\nd\ne\n");

    script.Then(
        In<tmarrowcfg>([](tmarrowcfg& dialog) { Named<QAbstractButton>(&dialog, "OK")->click(); }));
    frame->OnCommand(kCmConfig);
    EXPECT_TRUE(script.Done());
    EXPECT_NE(frame->Client().Log().Text().find("Configuration saved."), std::string::npos);
    // Its cues go to the built-in player, not to a missing program.
    frame->Client().Sound().Play("binary/none.mp3");
    EXPECT_NE(
        frame->Client().Log().Text().find("Cannot play binary/none.mp3 as MP3: cannot be read."),
        std::string::npos);

    // The screen is as wide as a wide window, and the game is told so.
    frame->resize(2600, 700);
    QApplication::processEvents();
    const int columns = frame->Term().MainScreen().Columns();
    EXPECT_GT(columns, kBufferColumns);
    peer.Send("\xff\xfd\x1f"); // IAC DO NAWS
    // The answer carries the size last told; the new one follows as the read ends.
    std::string naws;
    EXPECT_TRUE(WaitFor([&] {
        naws += peer.Read(std::chrono::milliseconds(50));
        const std::size_t last = naws.rfind("\xff\xfa\x1f");
        return last != std::string::npos && naws.size() >= last + 9 &&
               ((std::uint8_t(naws[last + 3]) << 8) | std::uint8_t(naws[last + 4])) == columns;
    }));
    EXPECT_EQ(naws.substr(0, 3), "\xff\xfb\x1f");

    QString said;
    script.Then(FillGame("hero", peer.Port()));
    script.Then(AnswerBox(&said));
    script.Then(In<QuickConnectDialog>([](QuickConnectDialog& dialog) { dialog.reject(); }));
    frame->OnCommand(kCmQuickConnect);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(said, "Error... | A profile named hero exists already: give the game another name.");
    EXPECT_EQ(frame->windowTitle(), title);
    EXPECT_TRUE(frame->Term().Session().Connected());
}

// "Built-in" beside the MOD and MP3 player fields: Config takes a profile without those
// programs once both are chosen, options.cfg keeps the choice, the dialog shows it again,
// and the cues play through the built-in player.
TEST_F(FrameTest, BuiltInPlayersChosenInConfigStandInForThePrograms) {
    ProfileSettings profile;
    Settings& s = profile.settings;
    for (auto [field, text] : {std::pair{s.user, "ann"}, std::pair{s.passwd, "pw"},
                               std::pair{s.scrolllines, "500"}, std::pair{s.inputlines, "100"}})
        std::strcpy(field, text);
    s.midiinternal = 1;
    StartConfigured(profile);
    auto clickOk = [](tmarrowcfg& dialog) { Named<QAbstractButton>(&dialog, "OK")->click(); };
    QString said;
    script.Then(In<tmarrowcfg>([&](tmarrowcfg& dialog) {
        dialog.BuiltInModBox().click();
        clickOk(dialog);
    }));
    script.Then(AnswerBox(&said));
    script.Then(In<tmarrowcfg>([&](tmarrowcfg& dialog) {
        dialog.BuiltInMp3Box().click();
        clickOk(dialog);
    }));
    frame->OnCommand(kCmConfig);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(said, "Error... | You must enter an mp3 player.");
    EXPECT_EQ(FileBytes(data.Path("profiles/hero/options.cfg")),
              "encoding=7bit\nautoreconnect=0\nbuiltinmod=1\nbuiltinmp3=1\n");

    BuiltInPlayers shown;
    bool fieldsRest = false;
    script.Then(In<tmarrowcfg>([&](tmarrowcfg& dialog) {
        shown = dialog.BuiltIn();
        fieldsRest = !Named<QLineEdit>(&dialog, "Mod Player:")->isEnabled() &&
                     !Named<QLineEdit>(&dialog, "MP3 Player:")->isEnabled();
        dialog.reject();
    }));
    frame->OnCommand(kCmConfig);
    EXPECT_EQ(shown, (BuiltInPlayers{true, true}));
    EXPECT_TRUE(fieldsRest);
    frame->Client().Sound().Play("binary/none.mod");
    EXPECT_NE(
        frame->Client().Log().Text().find("Cannot play binary/none.mod as MOD: cannot be read."),
        std::string::npos);
}

// At the first start the create dialog is one click from the game dialog, whose Cancel
// leads back to it; a link opens the game dialog filled in. Either profile connects.
TEST_F(FrameTest, AtTheFirstStartAGameIsOneClickAwayAndALinkOpensItsDialogFilledIn) {
    LoopbackServer peer;
    MakeFrame();
    QStringList asked;
    const auto toGame = In<QInputDialog>([&](QInputDialog& dialog) {
        asked << dialog.windowTitle() + " | " + dialog.textValue();
        Named<QAbstractButton>(&dialog, "Connect to a game...")->click();
    });
    script.Then(toGame);
    script.Then(In<QuickConnectDialog>([](QuickConnectDialog& dialog) { dialog.reject(); }));
    script.Then(toGame);
    script.Then(FillGame("Other World", peer.Port()));
    ASSERT_TRUE(frame->Start());
    EXPECT_EQ(asked, QStringList(2, "TavClient - Create New Profile | default"));
    EXPECT_TRUE(LoggedIn(peer, [&] { return frame->Term().Session().Connected(); }));
    EXPECT_EQ(FileBytes(data.Path("profiles.cfg")), "Other World\r\n");

    frame.reset();
    ASSERT_TRUE(QFile::remove(data.Path("profiles.cfg")));
    MakeFrame();
    QString shown;
    script.Then(In<QuickConnectDialog>([&](QuickConnectDialog& dialog) {
        shown = dialog.NameField().text() + " " + dialog.HostField().text() + " " +
                dialog.PortBox().text();
        dialog.CharacterField().setText("Ann Lee");
        dialog.PasswordField().setText("pass word");
        Named<QAbstractButton>(&dialog, "Log in with \"connect character password\" (MUSH, "
                                        "MUX, MOO)")
            ->click();
        Named<QAbstractButton>(&dialog, "Connect")->click();
    }));
    ASSERT_TRUE(
        frame->Start(std::nullopt, QuickGameFromAddress("127.0.0.1", std::to_string(peer.Port()))));
    EXPECT_EQ(shown, QString("127.0.0.1 127.0.0.1 %1").arg(peer.Port()));
    ASSERT_TRUE(peer.Accept());
    peer.Send("Welcome\r\n");
    EXPECT_EQ(ReadAll(peer, 26), "connect \"Ann Lee\" pass word\n");
    EXPECT_EQ(frame->windowTitle(),
              QString("TavClient - 127.0.0.1 - 127.0.0.1:%1").arg(peer.Port()));
}

// New window starts another process on this data directory; one that cannot start is said.
TEST_F(FrameTest, NewWindowStartsAnotherProgramOnTheDataDirectory) {
    StartConfigured();
    const QString program = data.Path("tavclient.sh");
    ASSERT_TRUE(WriteScript(program, "echo \"$@\" > \"$0.tmp\"\nmv \"$0.tmp\" \"$0.args\"\n"));
    frame->Extras().SetProgram(program);
    frame->Menu().Action(kCmNewWindow)->trigger();
    ASSERT_TRUE(WaitFor([&] { return QFileInfo::exists(program + ".args"); }));
    EXPECT_EQ(FileBytes(program + ".args"),
              "--data-dir " + QDir::currentPath().toLocal8Bit() + "\n");
    QString said;
    script.Then(AnswerBox(&said));
    frame->Extras().SetProgram(data.Path("missing"));
    frame->Menu().Action(kCmNewWindow)->trigger();
    EXPECT_EQ(said, "Error... | Unable to start another TavClient.");
}

} // namespace
} // namespace tav::test
