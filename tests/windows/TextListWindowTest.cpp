// The five text list windows with real widgets and real files.
#include "windows/TextListWindow.h"

#include "screen/qt/ScreenFonts.h"
#include "screen/qt/ScreenWidget.h"
#include "term/TermSession.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/ScreenCells.h"
#include "tests/support/WidgetLookup.h"
#include "triggers/TriggerList.h"
#include "windows/FindBar.h"
#include "windows/TermWindow.h"

#include <QCheckBox>
#include <QTest>

#include <cstring>

namespace tav::test {
namespace {

struct NoStatus : StatusBarSink {};

struct TextListFixture : ::testing::Test {
    ScratchDataDir data;
    Settings settings{};
    StoredValues stored = StoredValues::Defaults();
    TriggerList triggers{"/nonexistent"};
    NoStatus status;
    std::unique_ptr<tmudterm> term;
    ModalScript script;

    TextListFixture() {
        stored.whopos = {60, 70, 660, 370};
        stored.eqontop = 1;
        term = std::make_unique<tmudterm>(settings, stored, triggers, status);
    }
    struct Window {
        const char* caption;
        txtdlg& window;
        Flag* onTop;
    };
    std::vector<Window> Windows() {
        return {{"TavClient WhoDlg", term->WhoWindow(), &stored.whoontop},
                {"TavClient ChanDlg", term->ChannelWindow(), &stored.chanontop},
                {"TavClient EqDlg", term->EquipmentWindow(), &stored.eqontop},
                {"TavClient InvDlg", term->InventoryWindow(), &stored.invontop},
                {"TavClient ScrollDlg", term->ScrollWindow(), nullptr}};
    }
};

TEST_F(TextListFixture, EachWindowTogglesKeepsItsTextAndItsOnTopFlag) {
    for (const Window& w : Windows()) {
        SCOPED_TRACE(w.caption);
        txtdlg& window = w.window;
        EXPECT_EQ(window.windowTitle(), w.caption);
        EXPECT_FALSE(window.isVisible()) << "made hidden";
        EXPECT_EQ(window.OnTopBox().isChecked(), w.onTop != nullptr && *w.onTop != 0)
            << "the box starts from the stored flag";

        window.Screen().AddText("kept text\r\n");
        window.Toggle();
        ASSERT_TRUE(window.isVisible());
        Named<QPushButton>(&window, "Close")->click();
        EXPECT_FALSE(window.isVisible());
        EXPECT_NE(window.Screen().GetAllText().find("kept text"), std::string::npos);

        // Each click stores the new state; the scroll-back window keeps its own.
        const bool before = window.OnTopBox().isChecked();
        window.OnTopBox().click();
        EXPECT_EQ(window.Topmost(), !before);
        if (w.onTop != nullptr) EXPECT_EQ(*w.onTop, before ? 0 : 1);
    }
    EXPECT_EQ(stored.whoontop, 1);
    EXPECT_EQ(stored.eqontop, 0);
}

TEST_F(TextListFixture, SaveAsWritesTheLinesJoinedByCrLfAndReportsAFailedWrite) {
    txtdlg& window = term->InventoryWindow();
    window.Screen().AddText("a sword\r\n<b>x</b> \r\nlast");
    window.Toggle();

    const QString path = data.Path("inv.txt");
    const QString workingDir = QDir::currentPath();
    QString filter;
    script.Then(ChooseFile(path, [&](QFileDialog& dialog) {
        filter = dialog.selectedNameFilter();
        EXPECT_EQ(dialog.directory().absolutePath(), QDir::current().absolutePath());
    }));
    Named<QPushButton>(&window, "Save As...")->click();
    ASSERT_TRUE(script.Done());
    EXPECT_EQ(filter, "Text files (*.txt)");
    // Every line of the buffer, the empty ones too, joined by CR LF.
    const QByteArray bytes = FileBytes(path);
    EXPECT_TRUE(bytes.startsWith("a sword\r\n<b>x</b> \r\nlast\r\n")) << bytes.left(40).data();
    EXPECT_EQ(bytes.toStdString(), window.Screen().GetAllText());
    EXPECT_EQ(QDir::currentPath(), workingDir) << "the working directory stays";

    // A name with an extension of its own, or none, is taken as it is.
    script.Then(ChooseFile(data.Path("inventory")));
    Named<QPushButton>(&window, "Save As...")->click();
    EXPECT_TRUE(QFileInfo::exists(data.Path("inventory")));

    // A file the user picks is written into, not replaced (UserFiles.AreWrittenIntoNotReplaced);
    // a folder that takes no files: the box says so.
    QString said;
    Qt::TextFormat format = Qt::AutoText;
    script.Then(AnswerBox(&said, QMessageBox::Ok, &format));
    EXPECT_FALSE(window.SaveTo("/proc/inv.txt"));
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(said, "Error... | Unable to open file for writing.");
    EXPECT_EQ(format, Qt::PlainText);
}

// The chosen font is stored and shown; a profile switch brings other values, and setting the
// windows up again applies the place, the font and the on-top flag.
TEST_F(TextListFixture, FontChoiceIsStoredAndSetUpAppliesTheStoredValuesAgain) {
    txtdlg& who = term->WhoWindow();
    who.Toggle();
    const int cellHeight = who.View().CellHeight();
    script.Then(ChooseFont(21));
    Named<QPushButton>(&who, "Font...")->click();
    ASSERT_TRUE(script.Done());
    EXPECT_EQ(stored.whofont.height, -21);
    EXPECT_TRUE(SameFontSpec(who.View().ScreenFont(), stored.whofont));
    EXPECT_GT(who.View().CellHeight(), cellHeight);

    who.Toggle(); // hidden, as after a profile switch; placed with its frame once shown
    stored.whopos = {10, 20, 530, 260};
    QFont other = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    other.setPixelSize(19);
    stored.whofont = SpecFromFont(other);
    stored.whoontop = 1;
    term->SetUpTextWindows();
    EXPECT_EQ(who.frameGeometry(), QRect(10, 20, 520, 240));
    EXPECT_TRUE(SameFontSpec(who.View().ScreenFont(), stored.whofont));
    EXPECT_TRUE(who.OnTopBox().isChecked());
    EXPECT_TRUE(who.Topmost());
}

// The scroll buffer holds the recent text alone, as many lines as the settings say, and
// finds in its own text with its own bar.
TEST_F(TextListFixture, ScrollBufferShowsTheRecentTextAndScrollsToEachMatch) {
    std::strcpy(settings.scrolllines, "250");
    std::string text = "the orc hits you\r\n";
    for (int k = 0; k < 150; ++k) // far more than the window's rows
        text += "filler line\r\n";
    text += "another Orc here\r\ntail\r\n";
    term->Session().AppendRecent(text);
    txtdlg& scroll = term->ScrollWindow();
    scroll.Screen().AddText("old text");
    term->ShowScrollBuffer();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&scroll));
    EXPECT_EQ(scroll.Screen().Lines(), 250);
    EXPECT_EQ(scroll.Screen().GetAllText().rfind(text, 0), 0u) << "no old text before it";
    FindBar* find = scroll.FindText();
    ASSERT_NE(find, nullptr);
    EXPECT_EQ(find->parentWidget(), &scroll);

    QTest::keyClick(&scroll.View(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(find->isVisible());
    EXPECT_FALSE(term->FindText().isVisible()) << "the main screen's bar stays closed";
    EXPECT_LE(scroll.View().geometry().bottom(), find->geometry().top());
    ASSERT_TRUE(QTest::qWaitFor([&] { return find->Field().hasFocus(); }, 2000));
    QTest::keyClicks(&find->Field(), "orc");

    TMudScreen& screen = scroll.Screen();
    auto shownLine = [&]() -> std::string {
        const int line = BufferLineOf(screen, *find->Current()).value_or(-1);
        if (line < screen.Top() || line >= screen.Top() + screen.Rows()) return "not shown";
        return CellBytes(screen.Line(line), 16);
    };
    EXPECT_EQ(shownLine(), "the orc hits you");
    QTest::keyClick(&find->Field(), Qt::Key_F3);
    EXPECT_EQ(shownLine(), "another Orc here");
    QTest::keyClick(&scroll.View(), Qt::Key_F3, Qt::ShiftModifier); // from the screen too
    EXPECT_EQ(shownLine(), "the orc hits you");

    // Escape closes the bar first, keeps the window and gives the keyboard to the screen.
    QTest::keyClick(&find->Field(), Qt::Key_Escape);
    EXPECT_FALSE(find->isVisible());
    EXPECT_TRUE(scroll.isVisible());
    EXPECT_TRUE(scroll.View().FoundText().empty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return scroll.View().hasFocus(); }, 2000));
}

} // namespace
} // namespace tav::test
