// The tool windows with real widgets: the base (placed where it was left, closing hides
// it, the menu toggles it, the stored rectangle follows moves and sizes), the hit/mana/move
// monitor, the identification window with real files and the command pad against a real
// Client connection to a loopback game.
#include "windows/ToolWindow.h"
#include "windows/CommandPad.h"
#include "windows/IdentificationWindow.h"
#include "windows/MonitorWindow.h"

#include "client/ClientWindows.h"
#include "client/MessageType.h"
#include "settings/AtomicFile.h"
#include "tests/app/AppTestSupport.h"
#include "tests/client/ConnectionTestSupport.h"
#include "tests/support/WidgetLookup.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <tuple>

namespace tav::test {
namespace {

TEST(ToolWindow, PlacedFromTheStoredRectangleHiddenOnCloseAndRecorded) {
    QMainWindow owner;
    Rect stored{100, 120, 420, 360};
    ToolWindow window("TavClient WhoDlg", stored, &owner);
    EXPECT_EQ(window.accessibleName(), "TavClient WhoDlg");

    window.PlaceStored(/*topmost=*/true);
    EXPECT_FALSE(window.isVisible()) << "placing never shows a hidden window";
    EXPECT_TRUE(window.Topmost());
    EXPECT_EQ(window.geometry(), QRect(100, 120, 320, 240));

    window.Toggle();
    ASSERT_TRUE(window.isVisible());
    QCloseEvent close;
    QCoreApplication::sendEvent(&window, &close);
    EXPECT_FALSE(close.isAccepted());
    EXPECT_FALSE(window.isVisible()) << "closing hides";
    window.Toggle();
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible()) << "so does Escape";
    window.Toggle();
    EXPECT_TRUE(window.isVisible());

    window.move(150, 170);
    EXPECT_EQ(stored, (Rect{150, 170, 470, 410})) << "a move keeps the size";
    window.resize(200, 100);
    const QRect outer = window.frameGeometry(); // the decorations are part of it
    const Rect resized{outer.left(), outer.top(), outer.right() + 1, outer.bottom() + 1};
    EXPECT_EQ(stored, resized);
    EXPECT_EQ(outer.topLeft(), QPoint(150, 170));
    window.SetTopmost(false);
    EXPECT_TRUE(window.isVisible()) << "leaving the top keeps the window shown";
    EXPECT_EQ(stored, resized);

    // Made full screen (its decorations change), it stays so; the normal rectangle is kept.
    window.hide();
    window.PlaceStored(false);
    window.Toggle();
    const Rect normal = stored;
    window.showFullScreen();
    EXPECT_TRUE(WaitFor([&] { return window.geometry() == window.screen()->geometry(); }, 5000));
    EXPECT_TRUE(window.isFullScreen());
    EXPECT_EQ(stored, normal);
    window.showNormal();

    Rect empty{};
    ToolWindow fresh("TavClient InvDlg", empty, &owner);
    fresh.setMinimumSize(120, 80);
    fresh.PlaceStored(false);
    EXPECT_GE(fresh.width(), 120) << "an empty stored rectangle gives a usable window";
    EXPECT_GE(fresh.height(), 80);
    fresh.Toggle();
    EXPECT_GE(empty.Width(), 120) << "recorded once shown";
}

TEST(MonitorWindow, BarsShowThePerCentInTheirBandsColour) {
    QMainWindow owner;
    Rect rect{};
    tmonitor monitor(rect, &owner);
    monitor.PlaceStored(false);
    EXPECT_EQ(monitor.windowTitle(), "TavClient Monitor");
    const QColor green(10, 250, 10), yellow(250, 250, 10), red(250, 10, 10);
    // The gauge, the value and maximum it is given, and the bar's value and colour.
    const std::tuple<int, int, int, int, QColor> sets[] = {
        {kHitGauge, 7, 0, 0, red},
        {kManaGauge, 29, 100, 29, yellow},
        {kMoveGauge, 900, 100, 100, green},
    };
    for (const auto& [id, value, maximum, shown, color] : sets) {
        SCOPED_TRACE(id);
        monitor.SetGauge(id, value, maximum);
        const QProgressBar* bar = monitor.Gauge(id);
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->value(), shown);
        EXPECT_EQ(bar->palette().color(QPalette::Highlight), color);
    }
    monitor.SetGauge(104, 1, 1); // not a gauge
    EXPECT_EQ(monitor.Gauge(104), nullptr);

    // The on-top box only changes the window (the frame test checks every control's name);
    // Close hides it.
    monitor.Toggle();
    monitor.OnTopBox().click();
    EXPECT_TRUE(monitor.Topmost());
    EXPECT_TRUE(monitor.isVisible());
    monitor.findChild<QPushButton*>()->click();
    EXPECT_FALSE(monitor.isVisible());
}

struct IdentificationFixture : ::testing::Test {
    ScratchDataDir data;
    QMainWindow owner;
    StoredValues stored = StoredValues::Defaults();
    iddlg window{stored.idpos, stored.idfont, &owner};
    ModalScript script;
    IdentificationFixture() {
        stored.idpos = {30, 40, 530, 440};
        window.SetUp();
    }
};

// A description is shown as plain text without showing the window; Close or Escape from the
// text hide it.
TEST_F(IdentificationFixture, ShowsTheDescriptionPlacedAndHidden) {
    const std::tuple<const char*, std::string_view, QString> cases[] = {
        {"a <b>sword</b>", "Sharp.\r\nVery sharp.\r\n", "Sharp.\nVery sharp.\n"},
        {"ring", "Gold\n\rround", "Gold\nround"},
        {"orb", "one\rtwo\nthree", "one\ntwo\nthree"},
    };
    for (const auto& [name, bytes, shown] : cases) {
        SCOPED_TRACE(name);
        window.ShowDescription(name, "/data/text/x.id", bytes);
        EXPECT_EQ(window.NameLabel().text(), QString::fromLatin1(name));
        EXPECT_EQ(window.NameLabel().textFormat(), Qt::PlainText);
        EXPECT_EQ(window.Text().toPlainText(), shown);
    }
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.NameLabel().buddy(), &window.Text()) << "the text is named by the label";
    EXPECT_EQ(window.geometry(), QRect(30, 40, 500, 400));
    window.Toggle();
    ASSERT_TRUE(window.isVisible());
    Named<QPushButton>(&window, "Close")->click();
    EXPECT_FALSE(window.isVisible());
    window.Toggle();
    QTest::keyClick(&window.Text(), Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible()) << "Esc from the text hides it too";
}

TEST_F(IdentificationFixture, OpenLoadsAStoredFileFromTheTextFolderAndReportsAnUnreadableOne) {
    QDir(data.Path()).mkpath("text");
    ASSERT_TRUE(
        WriteFileAtomically(data.Path("text/lamp.id").toStdString(), "A brass lamp.\r\nIt glows."));
    window.ShowDescription("old", "", "old text");
    const QString workingDir = QDir::currentPath();

    QString startedIn;
    QStringList filters;
    script.Then(ChooseFile("lamp.id", [&](QFileDialog& dialog) {
        startedIn = dialog.directory().absolutePath();
        filters = dialog.nameFilters();
    }));
    Named<QPushButton>(&window, "Open...")->click();
    ASSERT_TRUE(script.Done());
    EXPECT_EQ(startedIn, QDir(data.Path("text")).absolutePath());
    EXPECT_EQ(filters, QStringList{"Id files (*.id)"});
    EXPECT_EQ(QDir::currentPath(), workingDir);
    EXPECT_EQ(window.Text().toPlainText(), "A brass lamp.\nIt glows.");
    EXPECT_TRUE(window.NameLabel().text().endsWith("text/lamp.id"));
    EXPECT_EQ(window.FileName(), window.NameLabel().text());

    QString said;
    script.Then(AnswerBox(&said));
    EXPECT_FALSE(window.OpenFile(data.Path("text/gone.id")));
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(said, "Error... | Unable to open file for reading.");
    EXPECT_EQ(window.Text().toPlainText(), "A brass lamp.\nIt glows.") << "the text stays";
}

struct CommandPadFixture : ::testing::Test {
    ConnectionRig rig;
    QMainWindow owner;
    Rect rect{};
    std::unique_ptr<tmudcon> pad;
    ModalScript script;

    void SetUp() override {
        ASSERT_TRUE(rig.ConnectAndLogin());
        pad = std::make_unique<tmudcon>(*rig.connection, rect, &owner);
        pad->PlaceStored(false);
        pad->Toggle();
    }
    std::vector<std::string> Sent() {
        std::vector<std::string> words;
        for (const ClientMessage& frame : rig.ReadFrames(std::chrono::milliseconds(150))) {
            EXPECT_EQ(frame.Type(), static_cast<std::int32_t>(OutgoingType::command));
            words.emplace_back(frame.Text1());
        }
        return words;
    }
    QPushButton* Button(const QString& name) { return Named<QPushButton>(pad.get(), name); }
};

TEST_F(CommandPadFixture, EveryButtonAndTheFieldSendWholeCommands) {
    EXPECT_EQ(pad->windowTitle(), "TavClient MUDCom");
    std::vector<std::string> expected;
    for (const PadButton& b : kPadButtons) {
        QPushButton* button = Button(b.label[0] != '\0' ? b.label : "Return");
        ASSERT_NE(button, nullptr) << b.label;
        button->click();
        expected.emplace_back(b.word);
    }
    EXPECT_EQ(Sent(), expected);
    EXPECT_TRUE(pad->isVisible()) << "the pad stays open";

    // The field sends whole commands or nothing.
    QLineEdit& field = pad->Field();
    struct Step {
        const char* what;
        QString text;
        bool clearOnSend;
        std::vector<std::string> sent;
        QString fieldAfter;
        bool refused;
    };
    const QString longest(127, 'x');
    const Step steps[] = {
        {"kept without clear on send", "say hi", false, {"say hi"}, "say hi", false},
        {"cleared with it", "look sword", true, {"look sword"}, "", false},
        {"empty: nothing sent", "", true, {}, "", false},
        {"127 bytes fit", longest, true, {longest.toStdString()}, "", false},
        {"128 refused whole", longest + "y", true, {}, longest + "y", true},
        {"8-bit text as its Latin-1 bytes",
         QString::fromLatin1("say caf\xe9"),
         true,
         {"say caf\xe9"},
         "",
         false},
        {"beyond Latin-1 refused", QString("say \u20ac"), true, {}, QString("say \u20ac"), true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        pad->ClearOnSend().setChecked(step.clearOnSend);
        field.setText(step.text);
        QString said;
        if (step.refused) script.Then(AnswerBox(&said));
        QTest::keyClick(&field, Qt::Key_Return);
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(said.startsWith("Warning... | "), step.refused) << said.toStdString();
        EXPECT_EQ(Sent(), step.sent);
        EXPECT_EQ(field.text(), step.fieldAfter);
    }
    // Send does what Enter does.
    pad->ClearOnSend().setChecked(false);
    field.setText("score");
    pad->SendButton().click();
    pad->SendButton().click();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"score", "score"}));
    Button("Close")->click();
    EXPECT_FALSE(pad->isVisible());
}

} // namespace
} // namespace tav::test
