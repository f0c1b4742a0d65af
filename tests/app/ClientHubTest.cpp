// The Client connection as the desktop holds it, against a game on the loopback: what
// the server sends reaches the terminal window's panes, the status bar, message boxes
// and real player processes.
#include "FrameTestSupport.h"

#include "app/ConnectionIndicator.h"
#include "client/ClientLogWindow.h"
#include "settings/Latin1Text.h"
#include "windows/BoardsWindow.h"
#include "windows/HelpIndexWindow.h"
#include "windows/IdentificationWindow.h"
#include "windows/MonitorWindow.h"
#include "windows/TextListWindow.h"

#include <QLabel>
#include <QTextDocument>

namespace tav::test {
namespace {

// "Markup" that Qt would render (and an image it would load) if it read it as rich text.
constexpr std::string_view kMarkup = "<b>Run</b> <img src=/etc/hostname>";

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

using ClientHubTest = HubTest;

TEST_F(ClientHubTest, IdentificationFilesKeepTheReceivedBytesUnderTheObjectsName) {
    ASSERT_TRUE(Connect());
    // The file holds the bytes as they came (line ends, 8-bit and all).
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
}

// Escape does what "Close" does in each tool window the connection feeds (and in the
// client log): it hides the window, wherever in it the keyboard is.
TEST_F(ClientHubTest, EscapeHidesEachToolWindowFromAnyOfItsControls) {
    QWidget* const windows[] = {&hub.LogWindow(), &hub.HelpWindow(), &hub.BoardsWindow(),
                                &hub.Monitor()};
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
}

TEST_F(ClientHubTest, StatusBarTimeLineAndMessageBoxFollowTheConnection) {
    EXPECT_FALSE(term.ClientConnected());
    ASSERT_TRUE(Connect());
    const std::string connected = "Connected to 127.0.0.1 " + std::to_string(server.Port() - 1);
    ASSERT_TRUE(Logged(connected));
    EXPECT_TRUE(WaitFor([&] { return status.MessageText().toStdString() == connected; }));
    EXPECT_TRUE(WaitFor([&] { return term.ClientConnected(); }));

    // Game time and date are server text: shown as they came, up to the line end.
    server.Send(Frame(IncomingType::datetime, std::string(kMarkup) + "\r\nrest", "Day <i>3</i>"));
    ASSERT_TRUE(WaitFor([&] { return term.DateText().text() == "Day <i>3</i>"; }));
    EXPECT_EQ(term.TimeText().text(), QString::fromLatin1(kMarkup));
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
    server.Send(Frame(IncomingType::msgbox, kMarkup));
    server.Send(Frame(IncomingType::desctext, "", "", "behind the box"));
    ASSERT_TRUE(WaitFor(
        [&] { return term.DescPane().GetAllText().find("behind the box") != std::string::npos; }));
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(seen, "Msg from server... | " + QString::fromLatin1(kMarkup));
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(icon, QMessageBox::Information);
    EXPECT_EQ(paneWhileOpen.find("behind the box"), std::string::npos);

    server.Send(Frame(IncomingType::disconnect));
    ASSERT_TRUE(Logged("Server terminated client connection."));
    EXPECT_TRUE(WaitFor([&] { return !term.ClientConnected(); }));
}

// The same cue delivered as a file again and again, as fast as the server can: one real
// player at a time. (A cue starting a player and the exit ending it is the main frame's
// test.)
TEST_F(ClientHubTest, ACueDeliveredAgainAndAgainRunsOnePlayerAtATime) {
    const QString player = data.Path("player.sh");
    ASSERT_TRUE(WritePlayer(player));
    CopyField(settings.modplayer, player.toLatin1().constData());
    ASSERT_TRUE(Connect());
    std::string burst;
    for (int i = 0; i < 10; ++i)
        burst += Frame(IncomingType::sound_file, "rain.mod", "", "MOD");
    server.Send(burst + Frame(IncomingType::text_mesg, "burst done"));
    ASSERT_TRUE(Logged("burst done"));
    ASSERT_TRUE(WaitFor([&] { return hub.Sound().PlayerRunning(); }));
    EXPECT_EQ(LiveChildren(), 1);
}

} // namespace
} // namespace tav::test
