// The identification window with real widgets and real files.
#include "windows/IdentificationWindow.h"

#include "tests/app/AppTestSupport.h"
#include "tests/support/WidgetLookup.h"

#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>

namespace tav {
namespace {

using test::ModalScript;
using test::ScratchDataDir;

QPushButton* Button(QWidget& window, const QString& name) {
    return test::Named<QPushButton>(&window, name);
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
    struct Case {
        const char* name;
        std::string_view bytes;
        QString shown;
    };
    const Case cases[] = {
        {"a <b>sword</b>", "Sharp.\r\nVery sharp.\r\n", "Sharp.\nVery sharp.\n"},
        {"ring", "Gold\n\rround", "Gold\nround"},
        {"orb", "one\rtwo\nthree", "one\ntwo\nthree"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window.ShowDescription(c.name, "/data/text/x.id", c.bytes);
        EXPECT_EQ(window.NameLabel().text(), QString::fromLatin1(c.name));
        EXPECT_EQ(window.NameLabel().textFormat(), Qt::PlainText);
        EXPECT_EQ(window.Text().toPlainText(), c.shown);
    }
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.NameLabel().buddy(), &window.Text()) << "the text is named by the label";
    EXPECT_EQ(window.geometry(), QRect(30, 40, 500, 400));
    window.Toggle();
    ASSERT_TRUE(window.isVisible());
    Button(window, "Close")->click();
    EXPECT_FALSE(window.isVisible());
    window.Toggle();
    QTest::keyClick(&window.Text(), Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible()) << "Esc from the text hides it too";
}

TEST_F(IdentificationFixture, OpenLoadsAStoredFileFromTheTextFolderAndReportsAnUnreadableOne) {
    QDir(data.Path()).mkpath("text");
    QFile file(data.Path("text/lamp.id"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("A brass lamp.\r\nIt glows.");
    file.close();
    window.ShowDescription("old", "", "old text");
    const QString workingDir = QDir::currentPath();

    QString startedIn;
    QStringList filters;
    script.Then(test::ChooseFile("lamp.id", [&](QFileDialog& dialog) {
        startedIn = dialog.directory().absolutePath();
        filters = dialog.nameFilters();
    }));
    Button(window, "Open...")->click();
    ASSERT_TRUE(script.Done());
    EXPECT_EQ(startedIn, QDir(data.Path("text")).absolutePath());
    EXPECT_EQ(filters, QStringList{"Id files (*.id)"});
    EXPECT_EQ(QDir::currentPath(), workingDir);
    EXPECT_EQ(window.Text().toPlainText(), "A brass lamp.\nIt glows.");
    EXPECT_TRUE(window.NameLabel().text().endsWith("text/lamp.id"));
    EXPECT_EQ(window.FileName(), window.NameLabel().text());

    QString said;
    script.Then(test::AnswerBox(&said));
    EXPECT_FALSE(window.OpenFile(data.Path("text/gone.id")));
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(said, "Error... | Unable to open file for reading.");
    EXPECT_EQ(window.Text().toPlainText(), "A brass lamp.\nIt glows.") << "the text stays";
}

} // namespace
} // namespace tav
