// The frame's commands that open dialogs, with real connections on the loopback: the
// server's edit request answered on the wire, the multi-line send, timers, the variables
// view and the settings export.
#include "FrameTestSupport.h"

#include "app/ExtraCommands.h"
#include "app/ScriptCommands.h"
#include "client/ServerEdit.h"
#include "settings/Latin1Text.h"
#include "windows/MonitorWindow.h"
#include "windows/ScriptConsole.h"
#include "windows/StatusWindow.h"
#include "windows/TimersDialog.h"
#include "windows/TriggerDialogs.h"
#include "windows/VariablesWindow.h"

#include <QPlainTextEdit>
#include <QSpinBox>

namespace tav::test {
namespace {

using namespace std::chrono_literals;

class FrameDialogsTest : public FrameTest {
protected:
    void SetUp() override { StartConfigured(); }
    // The data of the next edit_reply the peer receives, its NUL included.
    std::string NextEditReply() {
        std::string bytes;
        std::vector<ClientMessage> frames;
        WaitFor([&] {
            bytes += clientPeer.Read(50ms);
            frames = ParseFrames(bytes);
            return !frames.empty();
        });
        if (frames.size() != 1 || frames[0].Type() != 8) return "<no single edit_reply>";
        return std::string(frames[0].Data().begin(), frames[0].Data().end());
    }
    void RunCommand(int id) {
        frame->OnCommand(id);
        EXPECT_TRUE(WaitFor([&] { return script.Done(); }));
    }
    // What the peer reads until `what` has arrived (bounded).
    std::string PeerReads(LoopbackServer& peer, const std::string& what) {
        std::string got;
        WaitFor([&] {
            got += peer.Read(10ms);
            return got.find(what) != std::string::npos;
        });
        return got;
    }

    LoopbackServer clientPeer;
    LoopbackServer termPeer;
};

// Without a connection the multi-line send says so; connected, it sends the text with its
// own line ends and echoes it; a server edit while it is open, and after any edit reply
// the keyboard back in the input line or the frame minimised.
TEST_F(FrameDialogsTest, MultiLineSendSendsTheTextWithItsOwnLineEndsAndEchoesIt) {
    QPushButton& mlSend = frame->Term().MlSendButton();
    mlSend.click();
    EXPECT_NE(ScreenText().find("Not connected..."), std::string::npos);

    ASSERT_TRUE(ConnectTerm(termPeer));
    // Longer than the 1021 bytes an old send path cut at: it still arrives whole.
    QString lines;
    for (int i = 0; i < 60; ++i)
        lines += QStringLiteral("say line %1 of a long speech\n").arg(i, 2, 10, QChar('0'));
    lines += QStringLiteral("smile");
    std::string expected = ToGameLineEnds(QStringToLatin1(lines));
    ASSERT_GT(expected.size(), 1021u);

    QString seen;
    script.Then(InEditor([&lines](tmarrowedit& d) { TypeAndFinish(d, lines); }, &seen));
    mlSend.click();
    EXPECT_EQ(seen, QString::fromLatin1(kMultiLinePrompt.data(), kMultiLinePrompt.size()) + " | ");
    EXPECT_EQ(PeerReads(termPeer, expected), expected);
    EXPECT_NE(ScreenText().find("say line 59 of a long speech"), std::string::npos) << "echoed";
    EXPECT_TRUE(WaitFor([&] { return frame->Term().InputLine().hasFocus(); }));

    // Closed without "Done", or done empty: nothing is sent.
    script.Then(InEditor([](tmarrowedit& d) { d.reject(); }));
    mlSend.click();
    script.Then(InEditor([](tmarrowedit& d) { TypeAndFinish(d, ""); }));
    mlSend.click();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(termPeer.Read(200ms), "");

    // Each dialog holds its own text: an edit request that comes while the multi-line send is
    // open is answered from its own text, and the multi-line text is still there afterwards.
    ASSERT_TRUE(ConnectClient(clientPeer));
    QString second;
    script.Then(InEditor([this](tmarrowedit& d) {
        d.Text().setPlainText("typed for the game");
        clientPeer.Send(Frame(IncomingType::edit_request, "Server", "", "server text"));
    }));
    script.Then(InEditor([](tmarrowedit& d) { QTest::mouseClick(&d.DoneButton(), Qt::LeftButton); },
                         &second));
    script.Then(InEditor([](tmarrowedit& d) {
        EXPECT_EQ(d.Text().toPlainText(), "typed for the game");
        QTest::mouseClick(&d.DoneButton(), Qt::LeftButton);
    }));
    QTimer::singleShot(0, [this] { frame->Term().MlSendButton().click(); });
    EXPECT_EQ(NextEditReply(), std::string("server text") + '\0');
    EXPECT_EQ(second, "Server | server text");
    EXPECT_EQ(PeerReads(termPeer, "typed for the game"), "typed for the game");
    EXPECT_TRUE(WaitFor([&] { return script.Done(); }));

    // How each ending of the dialog is answered is the edit flow's and the dialog's tests'
    // business; here the frame's part: the keyboard back in the input line, or with "minimize
    // on edit" the frame minimised after the reply.
    for (const bool minimize : {false, true}) {
        SCOPED_TRACE(minimize);
        settings.minimizeonedit = minimize ? 1 : 0;
        QString seen;
        script.Then(InEditor([](tmarrowedit& d) { TypeAndFinish(d, "A short\ndwarf."); }, &seen));
        clientPeer.Send(
            Frame(IncomingType::edit_request, "Your\r\ndescription", "", "A tall\r\nelf."));
        EXPECT_EQ(NextEditReply(), std::string("A short\r\ndwarf.") + '\0');
        EXPECT_EQ(seen, "Your  description | A tall\nelf.");
        EXPECT_TRUE(WaitFor([&] { return !frame->Client().Edits().Busy(); }));
        if (minimize) {
            EXPECT_TRUE(WaitFor([&] { return frame->isMinimized(); }));
        } else {
            EXPECT_TRUE(WaitFor([&] { return frame->Term().InputLine().hasFocus(); }));
            EXPECT_FALSE(frame->isMinimized());
        }
    }
}

TEST_F(FrameDialogsTest, ATimerMadeInTheDialogIsSavedAndRunsOnceConnected) {
    QString refusal;
    const auto fill = [](const QString& name, int seconds, const QString& command) {
        return In<TimerEditDialog>([=](TimerEditDialog& dialog) {
            Named<QLineEdit>(&dialog, "Name")->setText(name);
            Named<QSpinBox>(&dialog, "Every (seconds)")->setValue(seconds);
            Named<QLineEdit>(&dialog, "Command")->setText(command);
            ButtonText(&dialog, "OK")->click();
        });
    };
    script.Then(In<TimersDialog>([](TimersDialog& d) { ButtonText(&d, "New...")->click(); }));
    script.Then(fill("a|b", 1, "cast heal;n"));
    script.Then(AnswerBox(&refusal));
    script.Then(fill("heal", 1, "cast heal;n"));
    script.Then(In<TimersDialog>([](TimersDialog& d) { ButtonText(&d, "OK")->click(); }));
    RunCommand(kCmTimers);
    EXPECT_EQ(refusal, "Error... | A timer's name cannot hold '|'.");
    EXPECT_EQ(FileBytes(data.Path("profiles/hero/timers.cfg")), "timer=heal|1|on|cast heal;n\r\n");

    ASSERT_TRUE(ConnectTerm(termPeer));
    EXPECT_NE(PeerReads(termPeer, "cast heal\nn\n").find("cast heal\nn\n"), std::string::npos);
}

// The variables view follows the last trigger and alias arguments; an export imported
// again reports what was merged and refused.
TEST_F(FrameDialogsTest, VariablesViewAndSettingsExportFollowTheTriggers) {
    triggers.AddTrigger("%1 tells you %2", "");
    triggers.AddTrigger("%3 arrives", "");
    frame->OnCommand(kCmVariables);
    VariablesWindow& window = frame->Extras().Variables();
    ASSERT_TRUE(window.isVisible());
    EXPECT_EQ(window.Text().toPlainText(), "Last trigger: none\n\nLast alias: none\n");

    frame->Term().Session().PrintLocal("Bob tells you <b>hi</b>\r\nAnn arrives\r\n");
    const QString expected = "Last trigger: %3 arrives\n%3 = Ann\n\nLast alias: heal\n%1 = bob\n";
    // A typed line naming an alias shows its words, sent or not.
    TermSession& session = frame->Term().Session();
    session.SetCommandRules({";", "", {}, {{"heal", "cast heal %1"}}});
    frame->Term().InputLine().setText(QStringLiteral("heal bob;look"));
    session.SubmitInput();
    EXPECT_TRUE(WaitFor([&] { return window.Text().toPlainText() == expected; }))
        << window.Text().toPlainText().toStdString();
    EXPECT_EQ(std::string(triggers.Vars().Get(2)), "<b>hi</b>");
    frame->OnCommand(kCmVariables);
    EXPECT_FALSE(window.isVisible());

    triggers.ClearTriggers();
    triggers.AddTrigger("hungry", "eat\r\n");
    const QString file = data.Path("shared.txt");
    script.Then(ChooseFile(file));
    RunCommand(kCmExportSettings);
    const QByteArray exported = FileBytes(file);

    triggers.ClearTriggers();
    ASSERT_TRUE(WriteBytes(file, exported + "[colours]\n"));
    QString said;
    script.Then(ChooseFile(file));
    script.Then(AnswerBox(&said));
    RunCommand(kCmImportSettings);
    const int lines = static_cast<int>(exported.count('\n')) + 1;
    EXPECT_TRUE(
        said.startsWith("Import settings | 1 added, 0 replaced, 1 refused.\n\nRefused line " +
                        QString::number(lines) + ": an unknown section"))
        << said.toStdString();
    EXPECT_EQ(FileBytes(data.Path("profiles/hero/trigs.ndx")), "hungry\r\neat\r\r\n#\r\n");
    EXPECT_EQ(frame->TriggerWindow().ListBox().count(), 1);
}

TEST_F(FrameDialogsTest, ScriptsReloadWithTheirKeyAndReachTheConsoleGaugesAndPanes) {
    // The profile had no scripts folder when it opened: Ctrl+Shift+R finds the new one.
    ASSERT_EQ(frame->Term().Session().Scripts(), nullptr);
    QDir(data.Path()).mkpath("profiles/hero/scripts");
    ASSERT_TRUE(WriteBytes(data.Path("profiles/hero/tune.mod"), "M.K."));
    ASSERT_TRUE(WriteBytes(data.Path("profiles/hero/scripts/init.lua"),
                           "print('<b>loaded</b>')\ntav.gauge('mana', 5, 10)\n"
                           "tav.play('tune.mod')\n"
                           "tav.pane('exits', '\\27[32mnorth\\27[2J\\nsouth')\n"));
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    QTest::keyClick(&frame->Term().InputLine(), Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_NE(frame->Term().Session().Scripts(), nullptr);

    frame->OnCommand(kCmScriptConsole);
    ScriptConsole& console = frame->Scripts().Console();
    EXPECT_TRUE(console.isVisible());
    EXPECT_EQ(console.windowTitle(), "TavClient Script console");
    EXPECT_EQ(frame->Term().Status().Values(), (std::array<int, 6>{0, 0, 5, 10, 0, 0}));
    EXPECT_EQ(frame->Client().Monitor().Reading(kManaGauge), ReadGauge(5, 10));
    EXPECT_EQ(frame->Term().ExitPane().GetAllText().substr(0, 12), "north\r\nsouth");
    // The server's sound players play it (none is set for MOD files here).
    EXPECT_NE(frame->Client().Log().Text().find("/profiles/hero/tune.mod...\r\n"),
              std::string::npos);
    // Lua typed into the console runs; an expression's value is printed.
    console.Input().setText("1 + 1");
    QTest::keyClick(&console.Input(), Qt::Key_Return);
    EXPECT_EQ(console.Output().toPlainText(), "<b>loaded</b>\n> 1 + 1\n2");
    EXPECT_EQ(UnnamedControls(console), std::vector<std::string>{});
}

} // namespace
} // namespace tav::test
