// The main terminal window with real widgets on the offscreen platform.
#include "windows/TermWindow.h"

#include "term/SessionMapper.h"
#include "term/TermSession.h"
#include "term/qt/InputLine.h"
#include "tests/map/MapTestSupport.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/ScreenCells.h"
#include "triggers/TriggerList.h"
#include "windows/Divider.h"
#include "windows/FindBar.h"
#include "windows/GameInfoDialog.h"
#include "windows/GotoRoomDialog.h"
#include "windows/MapWindow.h"
#include "windows/StatusWindow.h"
#include "windows/TextListWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace tav::test {
namespace {

using namespace std::chrono_literals;

struct StatusRecorder : StatusBarSink, MessageBoxes {
    std::string size;
    std::string cursor;
    std::vector<std::string> messages;
    std::vector<std::string> boxes;
    void SetSizeText(std::string_view text) override { size = text; }
    void SetCursorText(std::string_view text) override { cursor = text; }
    void SetMessageText(std::string_view text) override { messages.emplace_back(text); }
    void ShowMessage(std::string_view text, std::string_view) override { boxes.emplace_back(text); }
};

QColor Pixel(QWidget& widget, int x, int y) {
    return widget.grab().toImage().pixelColor(x, y);
}

struct TermWindowFixture : ::testing::Test {
    Settings settings{};
    StoredValues stored = StoredValues::Defaults();
    TriggerList triggers{"/nonexistent"};
    StatusRecorder status;
    std::unique_ptr<tmudterm> term;

    void SetUp() override {
        settings.multiscreen = 1;
        settings.enhancedterm = 1;
        term = std::make_unique<tmudterm>(settings, stored, triggers, status);
        term->SetMessageBoxOverride(&status);
        term->resize(800, 600);
        term->ApplyScreenSettings(true);
        term->SetLayoutLock(false);
        term->show();
    }
    QRect Geometry(const char* name) { return term->findChild<QWidget*>(name)->geometry(); }
};

TEST_F(TermWindowFixture, DividerDragThenAProfileAppliedBeforeTheFrameIsSized) {
    Divider& hdiv = term->HDivider();
    const QRect divider = hdiv.geometry();
    const QRect main = Geometry("TavClient MudScreen");
    ASSERT_TRUE(hdiv.isVisible());

    QTest::mousePress(&hdiv, Qt::LeftButton, {}, QPoint(20, 4));
    QTest::mouseMove(&hdiv, QPoint(20, 54));
    EXPECT_TRUE(hdiv.Dragging());
    EXPECT_EQ(hdiv.Outline(), divider.translated(0, 50));
    EXPECT_EQ(Geometry("TavClient MudScreen"), main) << "only the outline moves while dragging";

    // On release the layout follows; TermLayoutTest has where each pane goes.
    QTest::mouseRelease(&hdiv, Qt::LeftButton, {}, QPoint(20, 54));
    EXPECT_FALSE(hdiv.Dragging());
    EXPECT_EQ(hdiv.geometry(), divider.translated(0, 50));
    EXPECT_EQ(Geometry("TavClient MudScreen").top(), main.top() + 50);

    // A profile applied while the window still has its start-up size: the dividers must
    // split the size the window has once the layout is released.
    term->SetLayoutLock(true);
    term->resize(300, 90);
    term->ApplyScreenSettings(true);
    term->resize(1000, 760); // not where the drag left the divider
    term->SetLayoutLock(false);
    EXPECT_EQ(term->HDivider().geometry().top(), 760 / 2 - 4);
    EXPECT_GT(Geometry("TavClient DescWin").height(), 250);
}

TEST_F(TermWindowFixture, ClientLineMapStatusHiddenModeAndQueuedEffects) {
    EXPECT_FALSE(term->TimeText().isVisible());

    // From another thread, as the Client connection's network thread does.
    MapGrid grid{};
    grid[0][0] = 1;
    std::thread network([&] {
        term->SetClientConnected(true);
        term->SetTimeAndDate("10 o'clock\r\nmore", "Day of the Moon\n");
        term->SetMap(grid);
    });
    network.join();
    EXPECT_FALSE(term->Map().HasMap());
    QApplication::processEvents();
    EXPECT_TRUE(term->Map().HasMap());
    // The map's cells and the bars' colours are TermLayoutTest's; these show they reach the
    // widgets.
    QTest::mouseClick(&term->Map(), Qt::LeftButton, {}, QPoint(40, 40));
    EXPECT_EQ(term->Map().Zoom(), kMapZoomedView);
    term->SetStatusValues(7, 50, 10, 50, 50, 50); // 7/50 red for 8 pixels
    EXPECT_EQ(Pixel(term->Status(), 30 + 7, 9), QColor(250, 10, 10));
    EXPECT_EQ(Pixel(term->Status(), 30 + 8, 9), Qt::black);
    EXPECT_TRUE(term->TimeText().isVisible());
    EXPECT_EQ(term->TimeText().text(), "10 o'clock");
    EXPECT_EQ(term->DateText().text(), "Day of the Moon");

    // A trigger's channel copy reaches the channel window with the line's characters, in
    // the profile's encoding whatever the channel window last read.
    term->SetUpTextWindows();
    TriggerActions copy;
    copy.toChannel = true;
    triggers.SetActions(triggers.AddTrigger("tells you", ""), copy);
    term->Session().PrintLocal("Bob tells you hi\r\nnot this\r\n");
    term->Session().SetEncoding(TextEncoding::Latin1);
    term->Session().PrintLocal("Bob tells you caf\xE9\r\n");
    term->Session().SetEncoding(TextEncoding::Utf8);
    term->Session().PrintLocal("Bob tells you caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC end\r\n");
    std::string copied;
    for (int line = 0; line < 3; ++line) {
        AppendCellText(copied, term->ChannelWindow().Screen().Line(line), 0, 40, true);
        copied += '|';
    }
    EXPECT_EQ(copied, "Bob tells you hi|Bob tells you caf\xC3\xA9|"
                      "Bob tells you caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC end|");

    const TMudScreen& screen = term->MainScreen();
    EXPECT_EQ(status.size,
              std::to_string(screen.Rows()) + " x " + std::to_string(screen.Columns()));
    QSignalSpy hidden(term.get(), &tmudterm::hiddenModeChanged);
    term->ToggleHidden();
    EXPECT_TRUE(term->Hidden());
    EXPECT_EQ(status.size, "Hidden");
    EXPECT_EQ(status.cursor, "Hidden");
    term->resize(800, 40); // the frame shrinks; nothing is laid out
    EXPECT_EQ(Geometry("TavClient MudScreen"), term->MainScreenWidget().geometry());
    EXPECT_GT(term->MainScreenWidget().geometry().bottom(), 40);
    term->resize(800, 600);
    term->ToggleHidden();
    ASSERT_EQ(hidden.count(), 2);
    EXPECT_TRUE(hidden[0][0].toBool());
    EXPECT_FALSE(hidden[1][0].toBool());
    EXPECT_EQ(status.cursor,
              std::to_string(screen.CursorRow()) + "," + std::to_string(screen.CursorCol()));
}

// The automapper's map while no Client connection feeds a grid: drawn around the player,
// described for screen readers, zoomed, panned, its areas listed and its rooms found; then
// the Client's grid wins and is drawn exactly as without an automapper.
TEST_F(TermWindowFixture, TheAutomappersMapGivesWayToTheClientGridAndIsZoomedPannedAndSearched) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("profiles/hero");
    SessionMapper& automap = term->Automap();
    automap.SetProfile(dir.filePath("profiles/hero").toStdString());
    MapWindow& map = term->Map();
    EXPECT_FALSE(map.ShowsAutomap());
    EXPECT_EQ(map.accessibleDescription(), "");
    automap.Gmcp(RoomInfo(7, "Glade", "", R"(,"area":"Wood")"));
    automap.Gmcp(RoomInfo(1, "Square", R"("e":2,"u":3)", R"(,"area":"Town")"));
    automap.CommandSent("e");
    automap.Gmcp(RoomInfo(2, "Market", R"("w":1)", R"(,"area":"Town")"));
    ASSERT_TRUE(map.ShowsAutomap());
    EXPECT_EQ(map.accessibleDescription(), "Room 2, Market, in Town. Exits: w.");
    EXPECT_EQ(map.ShownArea(), "Town");

    const auto pixel = [&](double x, double y) {
        const QPoint at = map.View().ToPixels(x, y).toPoint();
        return map.grab().toImage().pixelColor(at);
    };
    EXPECT_EQ(pixel(1, 0), QColor(255, 220, 0)); // the player's room
    EXPECT_EQ(pixel(0, 0), QColor(200, 200, 200));
    EXPECT_EQ(map.RoomAt(map.View().ToPixels(0, 0).toPoint()), 1);
    EXPECT_EQ(map.RoomAt(map.View().ToPixels(0.5, 0).toPoint()), std::nullopt);

    const double cell = map.View().cell;
    QWheelEvent wheel(QPointF(40, 40), map.mapToGlobal(QPointF(40, 40)), {}, QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&map, &wheel);
    EXPECT_DOUBLE_EQ(map.View().cell, cell * 1.25);
    QTest::mousePress(&map, Qt::LeftButton, {}, QPoint(40, 40));
    QTest::mouseMove(&map, QPoint(60, 40));
    QTest::mouseRelease(&map, Qt::LeftButton, {}, QPoint(60, 40));
    EXPECT_DOUBLE_EQ(map.View().centreX, 1 - 20 / map.View().cell);
    EXPECT_EQ(map.Zoom(), kMapFullView) << "a drag is no click";

    std::unique_ptr<QMenu> menu(map.MakeMenu());
    QStringList areas;
    for (QAction* action : menu->actions().front()->menu()->actions())
        areas << action->text() + (action->isChecked() ? "*" : "");
    EXPECT_EQ(areas, (QStringList{"Town (2)*", "Wood (1)"}));
    EXPECT_EQ(menu->actions()[1]->text(), "Open in a &window");
    map.ShowArea("Wood");
    EXPECT_EQ(pixel(0, 0), QColor(200, 200, 200));
    GotoRoomDialog find(automap.Map()->Map());
    QTest::keyClicks(find.findChild<QLineEdit*>(), "MAR");
    EXPECT_EQ(find.Chosen(), 2);
    // The same map in a window of its own follows too. A profile's map opened afresh is
    // shown from its first area, whatever was chosen before.
    MapWindow& large = map.LargeMap();
    EXPECT_EQ(large.accessibleDescription(), "Room 2, Market, in Town. Exits: w.");
    large.ShowArea("Wood");
    automap.SetProfile(dir.filePath("profiles/hero").toStdString());
    EXPECT_EQ(map.ShownArea(), "Town");
    EXPECT_EQ(large.ShownArea(), "Town");

    // The Client connection's grid, as a map window without an automapper draws it.
    MapGrid grid{};
    grid[3][4] = 0x10;
    MapWindow plain;
    plain.resize(map.size());
    plain.SetMap(grid);
    term->SetClientConnected(true);
    EXPECT_TRUE(map.ShowsAutomap()) << "until the Client sends a grid";
    term->SetMap(grid);
    EXPECT_FALSE(map.ShowsAutomap());
    EXPECT_EQ(map.grab().toImage(), plain.grab().toImage());
    EXPECT_EQ(map.accessibleDescription(), "");

    EXPECT_EQ(GameInfoHeadline({{"NAME", "Demo"}, {"PLAYERS", "1"}}), "Demo: 1 player");
    EXPECT_EQ(GameInfoHeadline({}), "The game has sent no information about itself (MSSP).");
}

TEST_F(TermWindowFixture, SettingsFileRoundTripGoesThroughTheWindow) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::filesystem::create_directories(dir.path().toStdString() + "/profiles/p");
    term->SetDataRoot(dir.path().toStdString());
    term->ProfileName() = "p";

    CopyField(stored.fkeys[0], "n;s;");
    CopyField(stored.descfont.face, "DejaVu Sans");
    stored.descfont.height = -20;
    stored.bcolor = MakeColor(0, 0, 90);
    term->SaveSettings();
    stored = StoredValues::Defaults();
    term->Session().FunctionKeys()[0].clear();

    term->LoadSettings();
    EXPECT_EQ(term->Session().FunctionKeys()[0], "n;s;");
    EXPECT_EQ(std::string(term->DescPaneWidget().ScreenFont().face), "DejaVu Sans");
    EXPECT_EQ(term->DescPaneWidget().BackgroundColor(), MakeColor(0, 0, 90));
    EXPECT_EQ(term->SplitViewWidget().BackgroundColor(), MakeColor(0, 0, 90));
}

// The input line against a real game peer on the loopback interface.
struct InputLineFixture : TermWindowFixture {
    LoopbackServer server;

    void SetUp() override {
        TermWindowFixture::SetUp();
        CopyField(settings.addy, "127.0.0.1");
        CopyField(settings.port, std::to_string(server.Port()).c_str());
        ASSERT_EQ(term->Session().TermConnect(), 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return term->Session().Connected(); }, 5000));
        ASSERT_TRUE(server.Accept());
        term->InputLine().setFocus();
    }
    tinedit& Input() { return term->InputLine(); }
    void Enter(const QString& text) {
        QTest::keyClicks(&Input(), text);
        QTest::keyClick(&Input(), Qt::Key_Return);
    }
    // Sends `text` and waits until the session has shown `last`.
    void Receive(const std::string& text, std::string_view last) {
        server.Send(text);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return term->Session().RecentText().find(last) != std::string::npos; }, 2000));
    }
    // The server's echo request: the input line masks.
    void AskPassword() {
        server.Send("Password: \xff\xfb\x01");
        ASSERT_TRUE(QTest::qWaitFor([&] { return Input().Masked(); }, 2000));
    }
};

TEST_F(InputLineFixture, EnterHistoryKeysSplitViewAndNoErase) {
    // The history walk is InputHistoryTest's; Up and Down only have to reach it.
    term->Session().History().Resize(3);
    Enter("a");
    Enter("b");
    EXPECT_EQ(server.Read(), "a\nb\n");
    EXPECT_EQ(Input().text(), "");
    QSignalSpy beeps(&Input(), &tinedit::beeped);
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Down})
        QTest::keyClick(&Input(), key);
    EXPECT_EQ(beeps.count(), 1);
    EXPECT_EQ(Input().text(), "a");
    EXPECT_EQ(Input().selectedText(), "a");

    // "_" words never enter the history; "_test" opens the split view with recent text.
    Enter("_test");
    EXPECT_EQ(term->Session().History().Slot(2), "b");
    EXPECT_TRUE(term->SplitViewWidget().isVisible());
    EXPECT_TRUE(term->TimeText().text().startsWith("MudScreen Width: "));
    Enter("_test");
    EXPECT_FALSE(term->SplitViewWidget().isVisible());

    // With noerase the sent text stays, all selected, and Enter repeats it.
    settings.noerase = 1;
    Enter("kill rat");
    EXPECT_EQ(Input().selectedText(), "kill rat");
    QTest::keyClick(&Input(), Qt::Key_Return);
    EXPECT_EQ(server.Read(), "kill rat\nkill rat\n");
}

TEST_F(InputLineFixture, KeypadFunctionKeysShortcutsMaskingAndHold) {
    QTest::keyClicks(&Input(), "ab");
    for (const auto& [key, sent] : {std::pair{Qt::Key_5, "exits\n"}, {Qt::Key_Plus, "down\n"}}) {
        QTest::keyClick(&Input(), key, Qt::KeypadModifier);
        EXPECT_EQ(server.Read(), sent);
    }
    EXPECT_EQ(Input().text(), "ab");      // the typed text is untouched, no digit typed
    QTest::keyClick(&Input(), Qt::Key_5); // the ordinary digit key types
    EXPECT_EQ(Input().text(), "ab5");
    EXPECT_EQ(server.Read(50ms), "");

    term->Session().FunctionKeys()[0] = "n;;s;";
    QTest::keyClick(&Input(), Qt::Key_F1);
    EXPECT_EQ(server.Read(), "n\n\ns\n");

    // Ctrl+A, C and V are the frame commands test's.
    QSignalSpy commands(term.get(), &tmudterm::frameCommand);
    for (Qt::Key key : {Qt::Key_F, Qt::Key_P, Qt::Key_T})
        QTest::keyClick(&Input(), key, Qt::ControlModifier);
    QTest::mouseClick(&term->MlSendButton(), Qt::LeftButton);
    std::vector<int> ids;
    for (const auto& args : commands)
        ids.push_back(args[0].toInt());
    EXPECT_EQ(ids, (std::vector<int>{11869, 11866, 5606, 101}));

    // The server's echo request masks with '*'; its end unmasks.
    AskPassword();
    EXPECT_EQ(Input().style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, &Input()),
              '*');
    EXPECT_EQ(Input().text(), "ab5");
    server.Send("\xff\xfc\x01");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Input().Masked(); }, 2000));

    // Scroll Lock holds the output (what a release does is
    // SessionFixture.HeldOutputIsHandledOnReleaseLikeOutputNeverHeld's).
    QTest::keyClick(&Input(), Qt::Key_ScrollLock);
    EXPECT_TRUE(term->MainScreen().Held());
    QTest::keyClick(&Input(), Qt::Key_ScrollLock);
    EXPECT_FALSE(term->MainScreen().Held());
}

// Typed lines go through the profile's rules (each rule is CommandExpanderTest's): an alias
// whose body stacks commands with %1 and a refused speedwalk, then a masked line that goes
// out untouched. The history keeps each line as typed, the screen echoes each command.
TEST_F(InputLineFixture, StackedAliasedAndWalkedLinesButMaskedOnesUntouched) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("profiles/hero"));
    term->SetDataRoot(dir.path().toStdString());
    term->ProfileName() = "hero";
    ProfileOptions options = term->Options();
    options.separator = ";";
    options.speedwalk = ".";
    ASSERT_TRUE(term->SetOptions(options));
    term->Session().SetEncoding(TextEncoding::Utf8); // as a server's CHARSET may have
    ASSERT_TRUE(term->SetAliases({{"loot", "get all %1;put all %1 in bag"}}));
    EXPECT_EQ(term->Session().Encoding(), TextEncoding::Utf8) << "new aliases touch nothing else";

    Enter("loot corpse");
    EXPECT_EQ(server.Read(), "get all corpse\nput all corpse in bag\n");
    Enter(".100n");
    EXPECT_EQ(server.Read(50ms), "");
    const std::string_view recent = term->Session().RecentText();
    EXPECT_NE(recent.find("get all corpse\r\nput all corpse in bag\r\n"), std::string::npos);
    EXPECT_NE(recent.find("Speedwalk too long"), std::string::npos);
    const InputHistory& history = term->Session().History();
    const int last = history.Slots() - 1;
    EXPECT_EQ(history.Slot(last - 1), "loot corpse");
    EXPECT_EQ(history.Slot(last), ".100n");

    AskPassword();
    Enter("loot;.2n");
    EXPECT_EQ(server.Read(), "loot;.2n\n");
    EXPECT_EQ(history.Slot(last), ".100n");
}

// Tab walks the keyboard on until the profile chooses completion. In a UTF-8 profile the
// screen's words are UTF-8: they complete whole, beside any character.
TEST_F(InputLineFixture, TabCompletesScreenWordsWhereChosenAndCtrlRRunsAnOlderCommand) {
    term->Session().SetEncoding(TextEncoding::Utf8);
    Receive("The goblin and the gobbler flee.\r\nLe caf\xC3\xA9 \xE2\x86\x92 "
            "\xE5\x8C\x97\xE4\xBA\xAC ok\r\n",
            " ok");
    QTest::keyClicks(&Input(), "kill gob");
    QTest::keyClick(&Input(), Qt::Key_Tab);
    EXPECT_EQ(Input().text(), "kill gob");
    EXPECT_NE(term->focusWidget(), &Input());
    Input().setFocus();
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("profiles/hero"));
    term->SetDataRoot(dir.path().toStdString());
    term->ProfileName() = "hero";
    ASSERT_TRUE(term->SetOptions({.encoding = TextEncoding::Utf8, .tabComplete = true}));
    QTest::keyClick(&Input(), Qt::Key_Tab);
    EXPECT_EQ(Input().text(), "kill gobbler");
    QTest::keyClick(&Input(), Qt::Key_Space); // ends the cycle; nothing left to complete
    QTest::keyClick(&Input(), Qt::Key_Tab);
    EXPECT_EQ(Input().text(), "kill gobbler ");
    EXPECT_NE(term->focusWidget(), &Input()); // Tab walked on, as it always did
    Input().setFocus();

    Input().clear();
    Input().insert(QString::fromUtf8("\xE2\x86\x92 caf")); // typed by an input method
    QTest::keyClick(&Input(), Qt::Key_Tab);
    EXPECT_EQ(Input().text(), QString::fromUtf8("\xE2\x86\x92 caf\xC3\xA9"));
    EXPECT_EQ(Input().cursorPosition(), Input().text().size());
    Input().insert(QString::fromUtf8(" \xE5\x8C\x97"));
    QTest::keyClick(&Input(), Qt::Key_Tab);
    EXPECT_EQ(Input().text(),
              QString::fromUtf8("\xE2\x86\x92 caf\xC3\xA9 \xE5\x8C\x97\xE4\xBA\xAC"));
    Input().setFocus();
    Input().clear();
    Enter("kill rat");
    Enter("look");
    EXPECT_EQ(server.Read(), "kill rat\nlook\n");
    QTest::keyClicks(&Input(), "typed");
    QTest::keyClick(&Input(), Qt::Key_R, Qt::ControlModifier);
    QTest::keyClicks(&Input(), "o");
    EXPECT_EQ(Input().text(), "look");
    EXPECT_EQ(status.messages.back(), "(reverse-i-search)'o': look");
    QTest::keyClick(&Input(), Qt::Key_Escape);
    EXPECT_EQ(Input().text(), "typed");
    EXPECT_EQ(status.messages.back(), "");
    QTest::keyClick(&Input(), Qt::Key_R, Qt::ControlModifier); // older matches: HistorySearchTest
    QTest::keyClicks(&Input(), "kill");
    QTest::keyClick(&Input(), Qt::Key_Return);
    EXPECT_EQ(server.Read(), "kill rat\n");
    EXPECT_FALSE(Input().Searching());

    // A password prompt gets neither the screen's words nor the history.
    AskPassword();
    QTest::keyClicks(&Input(), "gob");
    QTest::keyClick(&Input(), Qt::Key_Tab);
    QTest::keyClick(&Input(), Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(Input().text(), "gob");
    EXPECT_FALSE(Input().Searching());
}

TEST_F(InputLineFixture, FindBarStepsThroughMatchesInTheSplitViewAndGivesF3Back) {
    std::string text = "the orc hits you\r\n";
    for (int k = 0; k < 60; ++k) // more than the main screen's rows, less than its 100 lines
        text += "filler line\r\n";
    text += "another Orc here\r\ntail\r\n";
    Receive(text, "tail");
    term->Session().FunctionKeys()[2] = "look;";

    FindBar& find = term->FindText();
    term->OpenFindBar();
    ASSERT_TRUE(find.isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return find.Field().hasFocus(); }, 2000));
    QTest::keyClicks(&find.Field(), "ORC");
    EXPECT_EQ(find.PositionText().text(), "match 1 of 2");
    EXPECT_EQ(term->MainScreenWidget().FoundText().size(), 2u);
    // The first match is far above the live rows: the split view shows it, marked.
    ASSERT_TRUE(term->SplitViewShown());
    TMudScreen& split = term->SplitViewScreen();
    const int line = BufferLineOf(split, *find.Current()).value_or(-1);
    ASSERT_GE(line, split.Top());
    ASSERT_LT(line, split.Top() + split.Rows());
    EXPECT_EQ(CellBytes(split.Line(line), 16), "the orc hits you");
    ScreenWidget& splitView = term->SplitViewWidget();
    EXPECT_EQ(Pixel(splitView, 4 * splitView.CellWidth() + 1,
                    (line - split.Top()) * splitView.CellHeight() + 1),
              QColor(200, 90, 0));
    // Marking leaves the main screen's cells as they were.
    EXPECT_EQ(term->MainScreen().Line(line).attr[4], attr::kNormal);

    QTest::keyClick(&find.Field(), Qt::Key_F3);
    EXPECT_EQ(find.PositionText().text(), "match 2 of 2");
    EXPECT_EQ(find.PositionText().accessibleName(), "match 2 of 2: another Orc here");
    QTest::mouseClick(&find.MatchCaseBox(), Qt::LeftButton);
    EXPECT_EQ(find.PositionText().text(), "No matches");
    QTest::mouseClick(&find.MatchCaseBox(), Qt::LeftButton);

    // F3 in the input line steps too while the bar is open, and sends nothing.
    Input().setFocus();
    QTest::keyClick(&Input(), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(find.PositionText().text(), "match 1 of 2");
    EXPECT_EQ(server.Read(50ms), "");

    QTest::keyClick(&find.Field(), Qt::Key_Escape);
    EXPECT_FALSE(find.isVisible());
    EXPECT_FALSE(term->SplitViewShown());
    EXPECT_TRUE(term->MainScreenWidget().FoundText().empty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Input().hasFocus(); }, 2000));
    QTest::keyClick(&Input(), Qt::Key_F3);
    EXPECT_EQ(server.Read(), "look\n");
}

} // namespace
} // namespace tav::test
