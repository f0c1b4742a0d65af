// The frame's bars. The custom button bar: custbut.ndx through the add, edit and remove
// flows and their dialogs, what a press sends, and the bar in the frame against a loopback
// game. The toolbar: its buttons, their pictures, what they issue, and the toggle.
#include "FrameTestSupport.h"

#include "app/CustomButtonBar.h"
#include "app/CustomButtonDialog.h"
#include "app/MainMenu.h"
#include "app/ToolBar.h"
#include "windows/TextListWindow.h"

#include <QAction>
#include <QImage>
#include <QToolBar>
#include <QToolButton>

namespace tav::test {
namespace {

using namespace std::chrono_literals;

// Fills the button editor and presses OK (or Cancel); `seen` gets the fields it showed.
ModalScript::Step Editor(const QString& name, const QString& command, bool ok = true,
                         QString* seen = nullptr) {
    return In<tcustombuttoncfg>([=](tcustombuttoncfg& dialog) {
        auto* nameEdit = Named<QLineEdit>(&dialog, "Button name:");
        auto* commandEdit = Named<QPlainTextEdit>(&dialog, "Button command:");
        ASSERT_TRUE(nameEdit && commandEdit);
        if (seen) *seen = nameEdit->text() + " | " + commandEdit->toPlainText();
        nameEdit->setText(name);
        commandEdit->setPlainText(command);
        Named<QPushButton>(&dialog, ok ? "OK" : "Cancel")->click();
    });
}
struct Printer : LocalPrinter {
    void PrintLocal(std::string_view text) override { printed += text; }
    std::string printed;
};

class CustomButtonBarTest : public FrameTest {
protected:
    CustomButtonBarTest() {
        QDir(data.Path()).mkpath("profiles/hero");
        path = data.Path("profiles/hero/custbut.ndx").toStdString();
    }
    void MakeBar() {
        bar = std::make_unique<CustomButtonBar>(
            [this](std::string_view command) { sent.emplace_back(command); },
            [this] { return path; }, nullptr);
        bar->Load(printer);
        bar->show();
    }
    void Put(const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    std::string File() const { return FileBytes(QString::fromStdString(path)).toStdString(); }
    // The bar's buttons left to right, as "label id".
    QStringList Shown() const {
        QStringList shown;
        for (QAction* action : bar->actions())
            if (auto* b = qobject_cast<TCustomButton*>(bar->widgetForAction(action)))
                shown << b->text() + " " + QString::number(b->Id());
        return shown;
    }
    TCustomButton* Button(const QString& name) { return Named<TCustomButton>(bar.get(), name); }

    std::string path;
    Printer printer;
    std::vector<std::string> sent;
    std::unique_ptr<CustomButtonBar> bar;
};

TEST_F(CustomButtonBarTest, ShowsTheFileNewestFirstSendsOnThePressAndEditsThroughTheFile) {
    Put("A\r\nsay a\r\r\n#\r\nB\r\n#\r\nC\r\nget all\r\r\nsay c\r\r\n#\r\n");
    MakeBar();
    EXPECT_EQ(printer.printed, "Loading CustomBar...\r\n");
    EXPECT_EQ(Shown(), QStringList({"C 8002", "B 8001", "A 8000"}));
    QTest::mousePress(Button("C"), Qt::LeftButton); // sent on the press
    EXPECT_EQ(sent, std::vector<std::string>({"get all\r\nsay c\r\n"}));
    QTest::mouseRelease(Button("C"), Qt::LeftButton);
    EXPECT_EQ(sent.size(), 1u);
    Button("A")->click(); // from the keyboard or a screen reader
    EXPECT_EQ(sent.back(), "say a\r\n");

    // Right-click edits in place; OK saves the list newest first.
    QString seen;
    script.Then(Editor("Cee", "get all\nsay cee", true, &seen));
    QTest::mousePress(Button("C"), Qt::RightButton);
    EXPECT_EQ(seen, "C | get all\nsay c\n");
    EXPECT_EQ(File(), "Cee\r\nget all\r\r\nsay cee\r\r\n#\r\nB\r\n#\r\nA\r\nsay a\r\r\n#\r\n");
    script.Then(Editor("X", "x", false));
    QTest::mousePress(Button("Cee"), Qt::RightButton);
    EXPECT_EQ(Button("Cee")->Record().command, "get all\r\nsay cee\r\n");

    // A new button goes to the bar's right end and the file's front.
    script.Then(Editor("D", "dance", true, &seen));
    bar->AddButton();
    EXPECT_EQ(seen, "name | command\n");
    EXPECT_EQ(Shown(), QStringList({"Cee 8002", "B 8001", "A 8000", "D 8003"}));
    EXPECT_EQ(File().substr(0, 14), "D\r\ndance\r\r\n#\r\n");
    script.Then(Editor("E", "e", false));
    bar->AddButton();
    EXPECT_EQ(Shown().size(), 4);

    // Removal matches the name exactly; the highest id comes back with the next button.
    script.Then(AnswerInput("d"));
    script.Then(AnswerBox(&seen));
    bar->RemoveButton();
    EXPECT_EQ(seen, "Error... | Unable to find a matching button!");
    script.Then(AnswerInput({}, nullptr, false));
    bar->RemoveButton();
    script.Then(AnswerInput("D"));
    bar->RemoveButton();
    EXPECT_EQ(Shown(), QStringList({"Cee 8002", "B 8001", "A 8000"}));
    EXPECT_EQ(File().substr(0, 5), "Cee\r\n");
    script.Then(Editor("F", "f"));
    bar->AddButton();
    EXPECT_EQ(Shown().back(), "F 8003");

    // The last button gone, the file goes with it.
    for (const char* name : {"F", "A", "Cee", "B"}) {
        script.Then(AnswerInput(name));
        bar->RemoveButton();
    }
    EXPECT_TRUE(Shown().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(path)));
    EXPECT_TRUE(script.Done());

    // Built again without a file: empty, and said so.
    printer.printed.clear();
    MakeBar();
    EXPECT_EQ(printer.printed, "Loading CustomBar...\r\nUnable to open CustomBar index.\r\n");
    EXPECT_TRUE(Shown().isEmpty());

    // The editor refuses what the file could not hold and drops line ends.
    QString refused;
    script.Then(Editor("x", "say hi\n#grin"));
    script.Then(AnswerBox(&refused));
    // Still open after the refusal (which commands are refused is the file's test): a
    // command that fits, and a pasted line end.
    script.Then(Editor("R&D\r\nx", QString(253, 'y')));
    bar->AddButton();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(refused, "Error... | A command line cannot begin with '#'.");

    // '&' is shown, not taken as a shortcut.
    TCustomButton* button = Button("R&Dx");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "R&&Dx");
    EXPECT_EQ(File(), "R&Dx\r\n" + std::string(253, 'y') + "\r\r\n#\r\n");

    // A save that failed is said, and the button kept on the bar.
    path = data.Path("profiles/gone/custbut.ndx").toStdString();
    QString failed;
    script.Then(Editor("N", "n"));
    script.Then(AnswerBox(&failed));
    bar->AddButton();
    EXPECT_EQ(failed, "Error... | Unable to open CustomBar index.");
    EXPECT_EQ(bar->Buttons().size(), 2u);
}

// The frame's two bars: the toolbar holds every command, with its hint and picture, and
// issues it; the custom bar sends a button over the Term connection. Both toggle.
TEST_F(CustomButtonBarTest, FrameBarsIssueTheirCommandsAndToggle) {
    LoopbackServer server;
    StartConfigured();
    QToolBar* tools = frame->Tools();
    ASSERT_NE(tools, nullptr);
    auto byName = [&](const QString& name) { return Named<QToolButton>(tools, name); };
    QStringList names;
    for (QAction* action : tools->actions()) {
        auto* button = qobject_cast<QToolButton*>(tools->widgetForAction(action));
        if (button == nullptr) continue;
        names << button->accessibleName();
        EXPECT_FALSE(button->accessibleName().isEmpty());
        EXPECT_EQ(button->toolTip(), button->accessibleName());
        const QImage image = button->icon().pixmap(24, 24).toImage();
        EXPECT_FALSE(image.isNull()) << names.back().toStdString();
    }
    // Every command of the bar, each with a hint of its own and a picture; "Connect to a
    // game..." comes last, after the classic 24.
    EXPECT_EQ(names.size(), 25);
    EXPECT_EQ(names.back(), "Makes a profile for a game and connects to it");
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size());

    txtdlg& who = frame->Term().WhoWindow();
    EXPECT_FALSE(who.isVisible());
    byName("Toggle display of the who window")->click();
    EXPECT_TRUE(who.isVisible());

    // The scroll-back button has no menu item of its own.
    byName("Display the term scrollback window")->click();
    EXPECT_TRUE(frame->Term().ScrollWindow().isVisible());

    QToolButton* ignore = byName("Toggle ignoring of triggers");
    ignore->click();
    EXPECT_TRUE(triggers.IgnoreTrigs());
    EXPECT_TRUE(ignore->isChecked());
    frame->OnCommand(kCmIgnoreTrigs);
    EXPECT_FALSE(ignore->isChecked());

    // Disabled with its menu item.
    frame->Menu().SetEnabled(kCmWho, false);
    EXPECT_FALSE(byName("Toggle display of the who window")->isEnabled());

    // The toggle hides and shows the bar with the check mark.
    EXPECT_TRUE(frame->Menu().IsChecked(kCmToolbar));
    EXPECT_TRUE(frame->Tools()->isVisible());
    frame->Menu().Action(kCmToolbar)->trigger();
    EXPECT_TRUE(frame->Tools()->isHidden());
    EXPECT_FALSE(frame->Menu().IsChecked(kCmToolbar));
    frame->Menu().Action(kCmToolbar)->trigger();
    EXPECT_TRUE(frame->Tools()->isVisible());
    EXPECT_TRUE(frame->Menu().IsChecked(kCmToolbar));

    // The custom bar: hidden, then given its first button: shown again, its check mark
    // still off.
    CustomButtonBar* custom = frame->CustomBar();
    ASSERT_NE(custom, nullptr);
    EXPECT_TRUE(custom->Buttons().empty());

    frame->OnCommand(kCmCustombar);
    EXPECT_TRUE(custom->isHidden());
    EXPECT_FALSE(frame->Menu().IsChecked(kCmCustombar));
    script.Then(Editor("Look", "look"));
    frame->OnCommand(kCmAddCustomButton);
    EXPECT_FALSE(custom->isHidden());
    EXPECT_FALSE(frame->Menu().IsChecked(kCmCustombar));
    EXPECT_TRUE(QFileInfo::exists(data.Path("profiles/hero/custbut.ndx")));
    frame->OnCommand(kCmCustombar);
    EXPECT_TRUE(custom->isHidden());
    frame->OnCommand(kCmCustombar);
    EXPECT_TRUE(frame->Menu().IsChecked(kCmCustombar));

    ASSERT_TRUE(ConnectTerm(server));
    QTest::mousePress(custom->Buttons().front(), Qt::LeftButton);
    EXPECT_EQ(server.Read(500ms), "look\r\n");
    frame->Term().Session().TermDisconnect();

    script.Then(AnswerInput("Look"));
    frame->OnCommand(kCmRemoveCustomButton);
    EXPECT_FALSE(QFileInfo::exists(data.Path("profiles/hero/custbut.ndx")));
    EXPECT_TRUE(script.Done());

    // Another profile: the bars are built again from its file, the shown flags kept.
    ASSERT_TRUE(WriteConfiguredProfile(data.Path(), "alt"));
    path = data.Path("profiles/alt/custbut.ndx").toStdString();
    Put("Alt\r\nalt\r\r\n#\r\n");
    frame->OnCommand(kCmCustombar);
    for (int round = 0; round < 2; ++round) {
        frame->Profile().SetName("alt");
        frame->Profile().Switch("Now %s\r\n");
    }
    EXPECT_EQ(frame->windowTitle(), "TavClient - alt");
    EXPECT_NE(ScreenText().find("Now alt"), std::string::npos);
    custom = frame->CustomBar();
    ASSERT_EQ(custom->Buttons().size(), 1u);
    EXPECT_EQ(custom->Buttons().front()->text(), "Alt");
    EXPECT_TRUE(custom->isHidden());
    frame->OnCommand(kCmCustombar);
    EXPECT_FALSE(custom->isHidden());
    EXPECT_TRUE(frame->toolBarBreak(custom));
}

} // namespace
} // namespace tav::test
