#include "FrameTestSupport.h"

#include "app/ColorChoice.h"
#include "app/FrameCommands.h"
#include "screen/qt/ScreenWidget.h"

#include <QClipboard>
#include <QColorDialog>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

namespace tav::test {
namespace {

std::string FileText(const QString& path) {
    return FileBytes(path).toStdString();
}

// The frame with a loaded profile, its commands answering into recorders.
class FrameCommandsTest : public FrameTest {
protected:
    void SetUp() override {
        StartConfigured();
        commands().SetMessageBoxes(&boxes);
        commands().Choose().file = [this](const QString&, const QString&, const QStringList&) {
            return FrameCommands::FileChoice{nextFile, nextType};
        };
    }
    void TearDown() override {
        if (frame) frame->Term().Session().TermDisconnect();
        FrameTest::TearDown();
    }
    FrameCommands& commands() { return frame->Commands(); }
    // Whether the text log and the HTML log are open.
    std::pair<bool, bool> Logging() {
        return {commands().Log().IsOpen(), commands().ColorLog().IsOpen()};
    }
    TermSession& session() { return frame->Term().Session(); }
    // An empty screen and scrollback.
    void FreshScreen() {
        TMudScreen& screen = frame->Term().MainScreen();
        screen.ResetScreen(screen.Lines());
    }
    // Shows exactly `lines` on a fresh screen, all of it selected.
    void SelectScreen(std::string_view lines) {
        FreshScreen();
        TMudScreen& screen = frame->Term().MainScreen();
        screen.AddText(lines);
        while (screen.TakeLine()) { // taken, as the session would
        }
        frame->OnCommand(kCmSelectAll);
    }

    LoopbackServer server;
    RecordingBoxes boxes;
    QString nextFile;
    int nextType = 0; // the file type chosen with it: 1 adds the HTML log
};

// Takes the URLs the desktop would open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

// While connected: the clipboard and the selection reach the game from the menu and the
// input line. The mixer and the client help are other programs: the mixer a child holding
// no socket or log of ours, the help the shipped text opened with the desktop's viewer.
// Escape never hides the terminal window.
TEST_F(FrameCommandsTest, ClipboardReachesTheGameAndOtherProgramsGetNothingOfOurs) {
    ASSERT_TRUE(ConnectTerm(server));
    QGuiApplication::clipboard()->setText(QStringLiteral("north\nsouth"));
    tinedit& input = frame->Term().InputLine();
    input.setFocus();
    QTest::keyClick(&input, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(server.Read(), "north\nsouth");
    EXPECT_TRUE(input.text().isEmpty()); // the paste went to the game, not into the line

    SelectScreen("first line\r\nsecond");
    frame->OnCommand(kCmSelectedToMudNl);
    EXPECT_EQ(server.Read(), "first line\r\nsecond\r\n");

    // Ctrl+A and Ctrl+C with the input line focused act on the screen.
    SelectScreen("only this");
    frame->Term().MainScreenWidget().ClearSelection();
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(&input, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&input, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "only this");

    nextFile = data.Path("held.log");
    frame->OnCommand(kCmBeginLog);
    ASSERT_TRUE(commands().Log().IsOpen());

    const QByteArray oldPath = qgetenv("PATH");
    QDir(data.Path()).mkpath("bin");
    ASSERT_TRUE(
        WriteScript(data.Path("bin/pavucontrol"),
                    "PATH=/usr/bin:/bin\n"
                    "{ echo \"args:$*\"; for f in /proc/$$/fd/*; do readlink \"$f\"; done; }"
                    " > \"$0.ran.tmp\"\nmv \"$0.ran.tmp\" \"$0.ran\"\n"));

    qputenv("PATH", data.Path("empty").toLocal8Bit()); // no mixer installed
    frame->OnCommand(kCmMixer);
    EXPECT_EQ(boxes.shown, std::vector<std::string>{"Error... CreateProcess() failed!"});
    qputenv("PATH", data.Path("bin").toLocal8Bit());
    frame->OnCommand(kCmMixer);
    qputenv("PATH", oldPath);
    EXPECT_EQ(boxes.shown.size(), 1u);

    const QString ran = data.Path("bin/pavucontrol.ran");
    ASSERT_TRUE(WaitFor([&] { return QFileInfo::exists(ran); }));
    const std::string seen = FileText(ran);
    EXPECT_EQ(seen.substr(0, 6), "args:\n");
    EXPECT_NE(seen.find('/', 6), std::string::npos) << seen; // its descriptors were listed
    EXPECT_EQ(seen.find("socket:"), std::string::npos) << seen;
    EXPECT_EQ(seen.find("held.log"), std::string::npos) << seen;

    boxes.shown.clear();
    UrlRecorder viewer;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &viewer, "Open");
    const QString resources = qEnvironmentVariable("TAV_SOURCE_DIR") + "/resources";
    commands().SetHelpFolders({data.Path("nowhere")}); // not installed
    frame->OnCommand(kCmClientHelp);
    EXPECT_EQ(boxes.shown, std::vector<std::string>{"Error... CreateProcess() failed!"});
    commands().SetHelpFolders({data.Path("nowhere"), resources}); // beside the program
    frame->OnCommand(kCmClientHelp);
    EXPECT_EQ(boxes.shown.size(), 1u);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    ASSERT_EQ(viewer.opened.size(), 1);
    const std::string help = FileText(viewer.opened.front().toLocalFile());
    for (const char* topic : {"Ctrl+V", "Scroll Lock", "Begin log", "F1", "Config..."})
        EXPECT_NE(help.find(topic), std::string::npos) << topic;

    // Escape, wherever the keyboard is in it, never hides the terminal window.
    for (QWidget* target : std::initializer_list<QWidget*>{
             &frame->Term().InputLine(), &frame->Term().MainScreenWidget(), &frame->Term()}) {
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Escape);
        EXPECT_TRUE(frame->Term().isVisible()) << target->metaObject()->className();
        EXPECT_TRUE(frame->isVisible());
    }
}

// The selection and the logs go to real files and failures are said. The second file type
// adds an HTML log in the screen's colours. Its file is not the one the chooser asked
// about: an existing one is replaced only after a Yes, and the two logs begin together or
// not at all.
TEST_F(FrameCommandsTest, SelectionAndLogsGoToRealFilesAndFailuresAreSaid) {
    frame->Term().MainScreen().ClearSelection();
    frame->OnCommand(kCmSaveSelected);
    EXPECT_EQ(boxes.shown, std::vector<std::string>{"Error... Nothing selected."});

    SelectScreen("alpha\r\nbeta");
    nextFile = data.Path("new-folder-free.txt"); // a file that does not exist yet
    frame->OnCommand(kCmSaveSelected);
    EXPECT_EQ(FileText(nextFile), "alpha\r\nbeta");

    boxes.shown.clear();
    for (const int id : {kCmSaveSelected, kCmBeginLog}) { // the chooser cancelled
        SelectScreen("gamma");
        nextFile = QString();
        frame->OnCommand(id);
        session().PrintLocal("one\r\ntwo\r\n");
        EXPECT_EQ(boxes.shown, std::vector<std::string>{}) << id;
        EXPECT_FALSE(commands().Log().IsOpen()) << id;
    }
    EXPECT_EQ(QDir::currentPath(), data.Path().chopped(data.Path().endsWith('/') ? 1 : 0));

    FreshScreen();
    frame->Term().SetScreenColor(ScreenColor::Background, MakeColor(0, 0, 0x40));
    nextFile = data.Path("colour.txt");
    nextType = 1;
    frame->OnCommand(kCmBeginLog);
    ASSERT_TRUE(commands().ColorLog().IsOpen());
    session().PrintLocal("\x1b[1;33mGold\x1b[0m & <silver>\r\n");
    nextFile = data.Path("refused.txt"); // both logs count as logging
    frame->OnCommand(kCmBeginLog);
    EXPECT_EQ(boxes.shown, std::vector<std::string>{"Error... Already logging to file."});
    frame->OnCommand(kCmEndLog);
    session().PrintLocal("after the end\r\n");

    EXPECT_EQ(FileText(data.Path("colour.txt")), "Gold & <silver>\r\n");
    const std::string page = FileText(data.Path("colour.html"));
    EXPECT_NE(page.find("background:#000040"), std::string::npos);
    EXPECT_NE(page.find(">Gold</span>"), std::string::npos) << page;
    EXPECT_FALSE(commands().ColorLog().IsOpen());

    boxes.shown.clear();
    QStringList asked;
    bool answer = false;
    commands().Choose().confirm = [&](const QString& text, const QString& title) {
        asked << title + " " + text;
        return answer;
    };
    ASSERT_TRUE(WriteBytes(data.Path("game.html"), "a page kept from before"));
    nextFile = data.Path("game.txt");
    nextType = 1;

    frame->OnCommand(kCmBeginLog); // No: nothing begins, nothing is touched
    EXPECT_EQ(asked, QStringList{"Begin log " + data.Path("game.html") +
                                 " already exists.\nDo you want to replace it?"});
    EXPECT_EQ(Logging(), std::pair(false, false));
    EXPECT_EQ(FileText(data.Path("game.html")), "a page kept from before");
    EXPECT_FALSE(QFileInfo::exists(data.Path("game.txt")));

    answer = true; // Yes: both begin
    frame->OnCommand(kCmBeginLog);
    EXPECT_EQ(Logging(), std::pair(true, true));
    frame->OnCommand(kCmEndLog);
    EXPECT_NE(FileText(data.Path("game.html")).find("<!DOCTYPE html>"), std::string::npos);

    // An HTML log that cannot begin (its name is a folder's): the text log stops too.
    ASSERT_TRUE(QDir(data.Path()).mkdir("folder.html"));
    nextFile = data.Path("folder.txt");
    frame->OnCommand(kCmBeginLog);
    EXPECT_EQ(boxes.shown, std::vector<std::string>{"Error... Unable to open file for writing."});
    EXPECT_EQ(Logging(), std::pair(false, false));
    session().PrintLocal("not logged\r\n");
    EXPECT_EQ(FileText(data.Path("folder.txt")), "");
}

// Colours use the profile's custom colours; colours and fonts go to their screens and
// are saved.
TEST_F(FrameCommandsTest, ColoursAndFontsGoToTheirScreensAndAreSaved) {
    for (std::size_t k = 0; k < kCustomColorCount; ++k)
        stored.custcolors[k] = MakeColor(static_cast<int>(k), 0, 100);
    int asked = 0;
    QColor offered;
    QColor customSeen;
    commands().Choose().color = [&](const QColor& initial, const QString&) {
        ++asked;
        offered = initial;
        customSeen = QColorDialog::customColor(3);
        QColorDialog::setCustomColor(5, QColor(9, 8, 7));
        frame->OnCommand(kCmTextColor); // asked again while open: ignored
        return std::optional<QColor>(QColor(1, 2, 3));
    };
    const ColorRef before = stored.tcolor;
    frame->OnCommand(kCmTextColor);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(offered, ToQColor(before));
    EXPECT_EQ(customSeen, QColor(3, 0, 100));
    EXPECT_EQ(stored.custcolors[5], MakeColor(9, 8, 7));
    EXPECT_EQ(stored.tcolor, MakeColor(1, 2, 3));
    EXPECT_TRUE(FileBytes(data.Path("profiles/hero/tav.cfg")).contains("\r\ntcolor:1 2 3\r\n"));

    commands().Choose().color = [](const QColor&, const QString&) {
        return std::optional<QColor>();
    };
    frame->OnCommand(kCmBkgndColor);
    EXPECT_EQ(stored.bcolor, StoredValues::Defaults().bcolor);

    QFont chosen(QStringLiteral("DejaVu Sans Mono"));
    chosen.setPixelSize(17);
    commands().Choose().font = [&](const QFont&) { return std::optional<QFont>(chosen); };
    frame->OnCommand(kCmInputFont);
    EXPECT_EQ(frame->Term().InputLine().font().family(), "DejaVu Sans Mono");
    frame->OnCommand(kCmContentsFont);
    EXPECT_TRUE(FileBytes(data.Path("profiles/hero/tav.cfg"))
                    .contains("\r\nlistfont:DejaVu Sans Mono\r\n"));
}

} // namespace
} // namespace tav::test

#include "FrameCommandsTest.moc"
