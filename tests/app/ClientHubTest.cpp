// The Client connection as the desktop holds it, against a game on the loopback: what
// the server sends reaches the terminal window's panes, the status bar, message boxes,
// real player processes and the help index and boards windows, whose controls are driven
// as the user does, each request checked on the wire.
#include "FrameTestSupport.h"

#include "client/ClientLogWindow.h"
#include "net/TelnetCodes.h"
#include "screen/qt/ScreenFonts.h"
#include "screen/qt/ScreenWidget.h"
#include "settings/Latin1Text.h"
#include "tests/support/TelnetBytes.h"
#include "windows/BoardsWindow.h"
#include "windows/Divider.h"
#include "windows/HelpIndexWindow.h"
#include "windows/IdentificationWindow.h"
#include "windows/MessageListBox.h"
#include "windows/MonitorWindow.h"
#include "windows/TextListWindow.h"

#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QTextDocument>

namespace tav::test {
namespace {

// "Markup" that Qt would render (and an image it would load) if it read it as rich text.
constexpr std::string_view kHostileMarkup = "<b>Run</b> <img src=/etc/hostname>";

// The processes this one started that still run, whichever of its threads started them.
int LiveChildren() {
    int live = 0;
    for (const QString& task :
         QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile children("/proc/self/task/" + task + "/children");
        if (!children.open(QIODevice::ReadOnly)) continue;
        for (const QByteArray& pid : children.readAll().split(' '))
            if (!pid.trimmed().isEmpty() && !ProcessGone(pid.trimmed().toInt())) ++live;
    }
    return live;
}

// Waits until `screen` shows `text`.
bool Displays(TMudScreen& screen, std::string_view text) {
    return WaitFor([&] { return screen.GetAllText().find(text) != std::string::npos; });
}

using ClientHubTest = HubTest;

// One connection from its start to the server's end: what the server sends reaches the
// status bar, the time line, its message box, the identification files and the player.
TEST_F(ClientHubTest, ServerTextReachesTheBarTheBoxTheFilesAndOnePlayerUntilTheEnd) {
    EXPECT_FALSE(term.ClientConnected());
    ASSERT_TRUE(Connect());
    const std::string connected = "Connected to 127.0.0.1 " + std::to_string(server.Port() - 1);
    ASSERT_TRUE(Logged(connected));
    EXPECT_TRUE(WaitFor([&] { return status.MessageText().toStdString() == connected; }));
    EXPECT_TRUE(WaitFor([&] { return term.ClientConnected(); }));

    // Game time and date are server text: shown as they came, up to the line end.
    server.Send(
        Frame(IncomingType::datetime, std::string(kHostileMarkup) + "\r\nrest", "Day <i>3</i>"));
    ASSERT_TRUE(WaitFor([&] { return term.DateText().text() == "Day <i>3</i>"; }));
    EXPECT_EQ(term.TimeText().text(), QString::fromLatin1(kHostileMarkup));
    EXPECT_EQ(term.TimeText().textFormat(), Qt::PlainText);
    EXPECT_EQ(term.DateText().textFormat(), Qt::PlainText);

    // The server's message box shows its text as written and holds what comes after it
    // until it is closed.
    QString seen;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    std::string paneWhileOpen = "not asked";
    script.Then([&](QWidget* w) {
        icon = qobject_cast<QMessageBox*>(w)->icon();
        paneWhileOpen = term.DescPane().GetAllText();
        AnswerBox(&seen, QMessageBox::Ok, &format)(w);
    });
    server.Send(Frame(IncomingType::msgbox, kHostileMarkup));
    server.Send(Frame(IncomingType::desctext, "", "", "behind the box"));
    ASSERT_TRUE(Displays(term.DescPane(), "behind the box"));
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(seen, "Msg from server... | " + QString::fromLatin1(kHostileMarkup));
    EXPECT_EQ(std::pair(format, icon), std::pair(Qt::PlainText, QMessageBox::Information));
    EXPECT_EQ(paneWhileOpen.find("behind the box"), std::string::npos);

    // An identification file holds the bytes as they came (line ends, 8-bit and all).
    const std::string description = "A <i>lamp</i>.\r\nIt glows \xe9.\n\rEnd";
    server.Send(Frame(IncomingType::idinfo, "lamp", "", description));
    const QString path = data.Path("text/lamp.id");
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(path); }));
    EXPECT_EQ(FileBytes(path).toStdString(), description);
    iddlg& window = hub.Identification();
    EXPECT_EQ(window.NameLabel().text(), "lamp");

    // Descriptions of objects whose names have accented letters: the kept file is listed
    // under the object's own name (as the "Open..." chooser lists it) and opens again, for
    // every range of Latin-1 letters and signs.
    std::vector<std::string> names;
    for (const int first : {0x80, 0xA0, 0xC0, 0xE0}) {
        std::string name = "n";
        for (int byte = first; byte < first + 32; ++byte)
            name += static_cast<char>(byte);
        names.push_back(name);
        server.Send(Frame(IncomingType::idinfo, name, "", "About " + name));
    }
    const QDir text(data.Path("text"));
    ASSERT_TRUE(
        WaitFor([&] { return window.NameLabel().text() == Latin1ToQString(names.back()); }));
    const QStringList listed = text.entryList({"*.id"}, QDir::Files);
    for (const std::string& name : names) {
        const QString file = Latin1ToQString(name) + ".id";
        SCOPED_TRACE(file.toStdString());
        EXPECT_TRUE(listed.contains(file));
        ASSERT_TRUE(window.OpenFile(text.filePath(file)));
        EXPECT_EQ(window.Text().document()->toRawText(), Latin1ToQString("About " + name));
    }

    // The same cue delivered as a file again and again, as fast as the server can: one
    // real player at a time. (A cue starting a player and the exit ending it is the main
    // frame's test.)
    const QString player = data.Path("player.sh");
    ASSERT_TRUE(WritePlayer(player));
    CopyField(settings.modplayer, player.toLatin1().constData());
    std::string burst;
    for (int i = 0; i < 10; ++i)
        burst += Frame(IncomingType::sound_file, "rain.mod", "", "MOD");
    server.Send(burst + Frame(IncomingType::text_mesg, "burst done"));
    ASSERT_TRUE(Logged("burst done"));
    ASSERT_TRUE(WaitFor([&] { return hub.Sound().PlayerRunning(); }));
    EXPECT_EQ(LiveChildren(), 1);

    server.Send(Frame(IncomingType::disconnect));
    ASSERT_TRUE(Logged("Server terminated client connection."));
    EXPECT_TRUE(WaitFor([&] { return !term.ClientConnected(); }));
}

// Another game's room (GMCP on the Term connection, no Client connection) fills the panes
// as text: escape sequences and other control characters in names and exits act on nothing.
TEST_F(ClientHubTest, RoomDataFromTheTermConnectionIsShownAsText) {
    using namespace telnet;
    LoopbackServer game;
    CopyField(settings.port, std::to_string(game.Port()).c_str());
    term.Session().SetNegotiation(true); // as a profile has it by default
    ASSERT_EQ(term.Session().TermConnect(), 0);
    ASSERT_TRUE(LoggedIn(game, [&] { return term.Session().Connected(); }));
    // A pane's first line and its line end.
    const auto shown = [](TMudScreen& pane) {
        const std::string text = pane.GetAllText();
        return text.substr(0, text.find("\r\n", text.find("\r\n") + 2));
    };
    game.Send(Iac({kWill, kGmcp}) + Iac({kSb, kGmcp}) +
              R"(Room.Info {"name": "\u001b[2J\u001b[5;1HHall\u009b1m\r\n", )" +
              R"("exits": {"n\u001b[H": 1, "up\u007f": 2, "\u0007": 3}})" + Iac({kSe}));
    ASSERT_TRUE(Displays(term.ExitPane(), "up"));
    EXPECT_EQ(shown(term.DescPane()), "[2J[5;1HHall1m\r\n");
    EXPECT_EQ(shown(term.ExitPane()), "n[H up\r\n");
}

using Lines = std::vector<std::string>;
using Boards = std::vector<std::pair<std::int32_t, std::string>>;

class ToolWindowsHubTest : public HubTest {
protected:
    // The frames sent since the last call, as "type text1|text2".
    Lines Sent() {
        Lines lines;
        for (const ClientMessage& m : ParseFrames(server.Read(std::chrono::milliseconds(150))))
            lines.push_back(std::to_string(m.Type()) + " " + std::string(m.Text1()) + "|" +
                            std::string(m.Text2()));
        return lines;
    }
    // What went on the wire since the last look, and what `list` shows.
    ::testing::AssertionResult Shows(const Lines& sent, const QListWidget& list,
                                     const QStringList& rows) {
        const Lines wire = Sent();
        if (wire != sent)
            return ::testing::AssertionFailure() << "sent " << ::testing::PrintToString(wire);
        if (Rows(list) != rows)
            return ::testing::AssertionFailure() << "shows " << Rows(list).join(',').toStdString();
        return ::testing::AssertionSuccess();
    }
    // Sends an index and waits until `list` holds `count` rows, the first `first`.
    void Receive(const std::string& frame, QListWidget& list, int count, QString first = {}) {
        server.Send(frame);
        EXPECT_TRUE(WaitFor([&] {
            return list.count() == count && (first.isNull() || list.item(0)->text() == first);
        })) << frame.size();
    }
    void BoardIndex(const Boards& boards) {
        Receive(Frame(IncomingType::bindex_reply, std::to_string(boards.size()), {},
                      BoardRecords(boards)),
                hub.BoardsWindow().BoardList(), static_cast<int>(boards.size()),
                QString::fromStdString(boards.front().second));
    }
    void MessageIndex(const Lines& entries) {
        Receive(Frame(IncomingType::msgindex_reply, std::to_string(entries.size()), {},
                      Records(kMessageEntryBytes, entries)),
                hub.BoardsWindow().MessageList(), static_cast<int>(entries.size()));
    }
    std::string HelpNdx() { return FileBytes(data.Path("profiles/hero/help.ndx")).toStdString(); }
};

// Moves the keyboard focus with Tab, as the user does, until it is in `target`.
::testing::AssertionResult TabInto(QWidget& window, QWidget& target) {
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) return ::testing::AssertionFailure() << "inactive";
    for (int presses = 0; presses < 20 && QApplication::focusWidget() != &target; ++presses) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus != nullptr ? focus : &window, Qt::Key_Tab);
    }
    if (QApplication::focusWidget() == &target) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "Tab never reached " << target.accessibleName().toStdString();
}

TEST_F(ToolWindowsHubTest, HelpIndexWindowRequestsTopicsAndCachesTheIndex) {
    ASSERT_TRUE(WriteBytes(data.Path("profiles/hero/help.ndx"), "weapons\r\narmor\r\n"));
    ASSERT_TRUE(Connect());
    tidxdlg& help = hub.HelpWindow();
    QListWidget& list = help.TopicList();
    help.Toggle();
    hub.RestoreToolWindows(); // filled from help.ndx, asking nothing
    EXPECT_TRUE(Shows({}, list, {"armor", "weapons"}));
    // Focus coming to the list by Tab asks for nothing; the user's choice asks once.
    ASSERT_TRUE(TabInto(help, list));
    EXPECT_TRUE(Shows({}, list, {"armor", "weapons"}));
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_TRUE(Shows({"11 armor|"}, list, {"armor", "weapons"}));
    Named<QPushButton>(&help, "Download new index")->click();
    EXPECT_TRUE(Shows({"10 |"}, list, {"armor", "weapons"}));

    // A received index is sorted and saved, and asks for nothing.
    const QStringList sorted = {"<b>x</b>", "Alpha", "zeta"};
    Receive(Frame(IncomingType::helpindex_reply, "16 5", {},
                  Records(16, {"zeta", "Alpha", "<b>x</b>", "", "lost"})),
            list, 3);
    EXPECT_TRUE(Shows({}, list, sorted));
    EXPECT_EQ(HelpNdx(), "<b>x</b>\r\nAlpha\r\nzeta\r\n");
    list.setCurrentRow(1);
    EXPECT_TRUE(Shows({"11 Alpha|"}, list, sorted));
    // A double click asks again (the view takes one only over the item the button went
    // down on); the arrow keys ask for every topic passed.
    const QPoint at = list.visualItemRect(list.item(1)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    EXPECT_TRUE(Shows({"11 Alpha|"}, list, sorted));
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Down);
    QTest::keyClick(&list, Qt::Key_Up);
    EXPECT_TRUE(Shows({"11 zeta|", "11 Alpha|"}, list, sorted));

    // A 64-byte topic is not asked for; an empty index empties the list, not the file.
    const std::string topic64(64, 'q');
    Receive(Frame(IncomingType::helpindex_reply, "80 1", {}, Records(80, {topic64})), list, 1);
    list.setCurrentRow(0);
    EXPECT_TRUE(Shows({}, list, {QString::fromStdString(topic64)}));
    Receive(Frame(IncomingType::helpindex_reply, "16 0"), list, 0);
    EXPECT_TRUE(Shows({}, list, {}));
    EXPECT_EQ(HelpNdx(), topic64 + "\r\n");
    // A profile switch loads that profile's index, which is cut at the limit when longer,
    // as a received one is (the client log says so). (The decoders' limit for every index
    // is the wire format's test.)
    const std::size_t over = kMaxIndexEntries + 5;
    const int limit = static_cast<int>(kMaxIndexEntries);
    std::vector<std::string> names;
    std::string helpFile;
    for (std::size_t i = 0; i < over; ++i) {
        names.push_back(std::to_string(i));
        helpFile += "topic " + names.back() + "\r\n";
    }
    ASSERT_TRUE(
        WriteBytes(data.Path("profiles/other/help.ndx"), QByteArray::fromStdString(helpFile)));
    term.ProfileName() = "other";
    hub.RestoreToolWindows();
    EXPECT_EQ(list.count(), limit);
    EXPECT_EQ(list.item(0)->text(), "topic 0");
    list.clear();
    server.Send(
        Frame(IncomingType::helpindex_reply, "8 " + std::to_string(over), {}, Records(8, names)));
    EXPECT_TRUE(WaitFor([&] { return list.count() >= limit; }));
    EXPECT_EQ(list.count(), limit);
    EXPECT_NE(hub.Log().Text().find("Help index cut to its first 10000 entries."),
              std::string::npos);
    EXPECT_EQ(Sent(), Lines{});

    server.Send(Frame(IncomingType::helpfile_reply, {}, {}, "Alpha: the first letter."));
    EXPECT_TRUE(Displays(help.Screen(), "Alpha: the first letter."));
    Named<QPushButton>(&help, "Close")->click();
    EXPECT_FALSE(help.isVisible());
}

// As a player first opens the help and boards windows: the lists have the upper half (and
// the board list a third of the width). A help text wider than the window is read by
// scrolling sideways; the cells painted and the cells the mouse selects move together.
TEST_F(ToolWindowsHubTest, ReadingWindowsOpenWithRoomForTheListsAndScrollWideText) {
    stored.helppos = stored.brdpos = Rect{40, 40, 640, 520};
    hub.RestoreToolWindows();
    tidxdlg& help = hub.HelpWindow();
    for (ToolWindow* window : std::initializer_list<ToolWindow*>{&help, &hub.BoardsWindow()}) {
        window->Toggle();
        for (const Divider* divider : window->findChildren<Divider*>())
            EXPECT_EQ(divider->Horizontal() ? divider->y() : divider->x(),
                      divider->Horizontal() ? 480 / 2 - 4 : 600 / 3 - 4)
                << divider->windowTitle().toStdString();
    }

    ASSERT_TRUE(Connect());
    ScreenWidget& view = help.TextWidget();
    const auto* sideways = Named<QScrollBar>(&view, "Columns");
    ASSERT_NE(sideways, nullptr);
    std::string wide;
    for (int k = 0; wide.size() < 120; ++k)
        wide += std::to_string(k) + ' ';
    wide.resize(120);
    server.Send(Frame(IncomingType::helpfile_reply, {}, {}, "TOPIC\r\n" + wide + "\r\n"));
    ASSERT_TRUE(Displays(help.Screen(), wide));
    const int columns = help.Screen().Columns();
    ASSERT_TRUE(WaitFor([&] { return sideways->maximum() == 120 - columns; }));
    view.setFocus();
    for (int k = 0; k < 120; ++k)
        QTest::keyClick(&view, Qt::Key_Right);
    ASSERT_EQ(view.FirstColumn(), 120 - columns);
    ScreenWidget::SetLogoPending(false);
    const QRect cells(0, 0, sideways->width(), sideways->y());
    const QImage scrolled = view.grab(cells).toImage();
    const int cw = view.CellWidth();
    const int ch = view.CellHeight();
    QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(1, ch + 1));
    QTest::mouseMove(&view, QPoint((columns - 1) * cw + 1, ch + 1));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint((columns - 1) * cw + 1, ch + 1));
    EXPECT_EQ(help.Screen().GetSelectedText(), wide.substr(120 - columns));

    // The next text starts at the left edge: its line beginning with the end of the last
    // one shows the same cells.
    const std::string next = "\r\n" + wide.substr(120 - columns) + "beyond";
    server.Send(Frame(IncomingType::helpfile_reply, {}, {}, next));
    ASSERT_TRUE(WaitFor([&] { return sideways->maximum() == 6; }));
    EXPECT_EQ(view.FirstColumn(), 0);
    EXPECT_EQ(view.grab(cells).toImage(), scrolled);
}

// Chooses a context-menu item of a list as the user does.
void Choose(TMsgListBox& list, const QString& item) {
    for (QAction* action : list.ContextMenu().actions())
        if (action->text() == item) return action->trigger();
    ADD_FAILURE() << "no menu item " << item.toStdString();
}

// Answers the next heading dialog with `heading`, after running `meanwhile` while it is
// open; `seen` gets "title | label | proposed heading | length limit".
void AnswerHeading(ModalScript& script, const std::string& heading,
                   std::function<void()> meanwhile = {}, QString* seen = nullptr) {
    script.Then([heading, meanwhile, seen](QWidget* w) {
        if (meanwhile) meanwhile();
        AnswerInput(QString::fromStdString(heading), seen)(w);
        if (seen) *seen += " | " + QString::number(w->findChild<QLineEdit*>()->maxLength());
    });
}

TEST_F(ToolWindowsHubTest, BoardsWindowReadsPostsRepliesAndDeletesOnTheCurrentBoard) {
    settings.boardnotify = 1;
    ASSERT_TRUE(Connect());
    brddlg& window = hub.BoardsWindow();
    TMsgListBox& boards = window.BoardList();
    TMsgListBox& messages = window.MessageList();
    window.Toggle();
    const QStringList titles = {"General", "<b>Trade</b>", "Quests"};
    Named<QPushButton>(&window, "Update Board Index")->click();
    EXPECT_TRUE(Shows({"12 |"}, boards, {}));
    BoardIndex({{5, "General"}, {7, "<b>Trade</b>"}, {9, "Quests"}});
    EXPECT_TRUE(Shows({}, boards, titles));
    ASSERT_TRUE(TabInto(window, boards)); // by Tab: nothing asked until Enter
    EXPECT_TRUE(Shows({}, boards, titles));
    QTest::keyClick(&boards, Qt::Key_Enter);
    EXPECT_TRUE(Shows({"13 5|"}, boards, titles));
    QTest::keyClick(&boards, Qt::Key_Down); // the arrow keys ask for every board passed
    EXPECT_TRUE(Shows({"13 7|"}, boards, titles));

    // Reading and deleting go to board 7, the current one; deleting asks again.
    MessageIndex({"1 Bob :: Hello", "2 Ann : nothing"});
    ASSERT_TRUE(TabInto(window, messages)); // by Tab: nothing asked until the click
    EXPECT_TRUE(Shows({}, messages, {"1 Bob :: Hello", "2 Ann : nothing"}));
    QTest::mouseClick(messages.viewport(), Qt::LeftButton, {},
                      messages.visualItemRect(messages.item(1)).center());
    EXPECT_TRUE(Shows({"14 7 1|"}, messages, {"1 Bob :: Hello", "2 Ann : nothing"}));
    Choose(messages, "&Delete");
    EXPECT_TRUE(Shows({"15 7 1|", "13 7|"}, messages, {"1 Bob :: Hello", "2 Ann : nothing"}));
    MessageIndex({"1 Cid :: Wares"});
    messages.setCurrentRow(0);
    server.Send(Frame(IncomingType::msg_reply, {}, {}, "Fine <i>wares</i> for sale."));
    EXPECT_TRUE(Displays(window.Screen(), "Fine <i>wares</i> for sale."));
    EXPECT_TRUE(Shows({"14 7 0|"}, messages, {"1 Cid :: Wares"}));

    // A reply proposes "re:" and takes at most 127 bytes; a post selects the board again.
    QString dialog;
    const std::string long200(200, 'x');
    AnswerHeading(script, long200, {}, &dialog);
    Choose(messages, "Re&ply");
    EXPECT_EQ(dialog, "Post reply | Enter the message heading: | re:  Wares | 127");
    EXPECT_TRUE(Shows({"16 7|" + long200.substr(0, 127)}, messages, {"1 Cid :: Wares"}));
    AnswerHeading(script, "Buying swords", {}, &dialog);
    Choose(boards, "&Post");
    EXPECT_EQ(dialog, "Post message | Enter the message heading: | <no heading> | 127");
    EXPECT_TRUE(Shows({"13 7|", "16 7|Buying swords"}, messages, {}));
    script.Then([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    Choose(boards, "&Post"); // cancelled: only the selection's request
    EXPECT_TRUE(Shows({"13 7|"}, boards, titles));
    EXPECT_TRUE(script.Done());

    // An update of another board notifies, as plain text.
    Qt::TextFormat format = Qt::RichText;
    script.Then(AnswerBox(&dialog, QMessageBox::Ok, &format));
    server.Send(Frame(IncomingType::brdupdate, "2"));
    EXPECT_TRUE(WaitFor([&] { return script.Done(); }));
    EXPECT_EQ(dialog, "Notification... | Board content update: Quests");
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_TRUE(Shows({}, boards, titles));

    // A new board index starts over: no messages, no text.
    BoardIndex({{1, "News"}});
    EXPECT_EQ(messages.count(), 0);
    EXPECT_EQ(window.Screen().GetAllText().find("wares"), std::string::npos);
    EXPECT_EQ(Sent(), Lines{});

    // A heading goes to the board it was asked for, whatever board index arrives while the
    // dialog is open, and one that cannot go out is said so. (Where later choices go when a
    // request is answered with a text instead of an index is the board model's test.)
    const Boards two = {{5, "General"}, {7, "Trade"}};
    const auto readTrade = [&] {
        boards.setCurrentRow(1);
        MessageIndex({"1 Cid :: Wares"});
        messages.setCurrentRow(0);
        EXPECT_EQ(Sent(), (Lines{"13 7|", "14 7 0|"}));
    };
    BoardIndex(two);
    readTrade();

    AnswerHeading(script, "re: Wares", [&] { BoardIndex({{1, "News"}}); });
    Choose(messages, "Re&ply");
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(Sent(), Lines{"16 7|re: Wares"});

    boards.setCurrentRow(0);
    AnswerHeading(script, "Hello", [&] { BoardIndex(two); });
    Choose(boards, "&Post");
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(Sent(), (Lines{"13 1|", "13 1|", "16 1|Hello"}));

    readTrade();
    QString box;
    AnswerHeading(script, "re: Wares", [&] {
        hub.Connection().Disconnect();
        EXPECT_TRUE(WaitFor([&] { return !hub.Connection().IsConnected(); }));
    });
    script.Then(AnswerBox(&box));
    Choose(messages, "Re&ply");
    EXPECT_TRUE(WaitFor([&] { return script.Done(); }));
    EXPECT_EQ(box, "Error... | Not connected... the message was not posted.");
}

// Escape does what "Close" does in each tool window the connection feeds (and in the
// client log and a text list window): it hides the window, wherever in it the keyboard is.
// Dragged anywhere, a divider stays where it can be grabbed again. A font chosen for the
// text is kept.
TEST_F(ToolWindowsHubTest, EscapeHidesToolWindowsDividersStayInsideAndTheFontChosenIsKept) {
    QWidget* const windows[] = {&hub.LogWindow(), &hub.HelpWindow(), &hub.BoardsWindow(),
                                &hub.Monitor(), &term.WhoWindow()};
    for (QWidget* window : windows) {
        QList<QWidget*> targets{window};
        for (QWidget* child : window->findChildren<QWidget*>())
            if ((child->focusPolicy() & Qt::TabFocus) != 0) targets << child;
        for (QWidget* target : targets) {
            SCOPED_TRACE(window->windowTitle().toStdString() + " " +
                         target->metaObject()->className() + " " +
                         target->accessibleName().toStdString());
            window->show();
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Escape);
            EXPECT_FALSE(window->isVisible());
        }
    }

    hub.RestoreToolWindows();
    const std::tuple<ToolWindow*, ScreenWidget&, FontSpec&> rows[] = {
        {&hub.BoardsWindow(), hub.BoardsWindow().TextWidget(), stored.brdfont},
        {&hub.HelpWindow(), hub.HelpWindow().TextWidget(), stored.helpfont}};
    for (const auto& [window, text, font] : rows) {
        SCOPED_TRACE(window->windowTitle().toStdString());
        window->Toggle();
        window->resize(600, 480);
        for (Divider* divider : window->findChildren<Divider*>()) {
            SCOPED_TRACE(divider->windowTitle().toStdString());
            for (int far : {5000, -5000}) {
                const QPoint grab(2, 2);
                const QPoint drop = divider->Horizontal() ? QPoint(2, far) : QPoint(far, 2);
                QTest::mousePress(divider, Qt::LeftButton, {}, grab);
                QTest::mouseRelease(divider, Qt::LeftButton, {}, drop);
                EXPECT_TRUE(window->rect().contains(divider->geometry()))
                    << divider->geometry().y() << " " << divider->geometry().x();
            }
        }

        script.Then(ChooseFont(17));
        Named<QPushButton>(window, "Font...")->click();
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(font.height, -17);
        EXPECT_TRUE(SameFontSpec(text.ScreenFont(), font));
        window->hide();
    }
}

} // namespace
} // namespace tav::test
