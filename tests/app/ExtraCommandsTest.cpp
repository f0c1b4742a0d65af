// Timers, the variables view and the settings export through the main frame's menu.
// Before any Qt header: the session headers use names Qt defines as macros ("slots").
#include "FrameTestSupport.h"

#include "app/ExtraCommands.h"
#include "windows/TimersDialog.h"
#include "windows/TriggerDialogs.h"
#include "windows/VariablesWindow.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QSpinBox>

namespace tav::test {
namespace {

using namespace std::chrono_literals;

class ExtraCommandsTest : public FrameTest {
protected:
    void RunCommand(int id) {
        frame->OnCommand(id);
        EXPECT_TRUE(WaitFor([&] { return script.Done(); }));
    }
    // Reads at the peer until `what` has arrived (bounded).
    bool PeerReceives(LoopbackServer& peer, const std::string& what) {
        std::string got;
        return WaitFor([&] {
            got += peer.Read(10ms);
            return got.find(what) != std::string::npos;
        });
    }
};

TEST_F(ExtraCommandsTest, ATimerMadeInTheDialogIsSavedAndRunsOnceConnected) {
    ASSERT_NO_FATAL_FAILURE(StartConfigured());
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

    LoopbackServer peer;
    ASSERT_TRUE(ConnectTerm(peer));
    EXPECT_TRUE(PeerReceives(peer, "cast heal\nn\n"));
}

TEST_F(ExtraCommandsTest, VariablesWindowFollowsTheLastTriggerAndAliasArguments) {
    ASSERT_NO_FATAL_FAILURE(StartConfigured());
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
}

TEST_F(ExtraCommandsTest, ExportThenImportReportsWhatWasMergedAndRefused) {
    ASSERT_NO_FATAL_FAILURE(StartConfigured());
    triggers.AddTrigger("hungry", "eat\r\n");
    const QString file = data.Path("shared.txt");
    script.Then(ChooseFile(file));
    RunCommand(kCmExportSettings);
    const QByteArray exported = FileBytes(file);
    EXPECT_TRUE(exported.contains("[triggers]\ntrigger=hungry\nreaction=eat\n")) << exported.data();

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

} // namespace
} // namespace tav::test
