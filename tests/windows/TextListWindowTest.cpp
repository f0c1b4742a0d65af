// The five text list windows of the terminal window, with real widgets and real files.
#include "windows/TextListWindow.h"

#include "term/ScreenFonts.h"
#include "term/ScreenWidget.h"
#include "term/TermSession.h"
#include "tests/app/AppTestSupport.h"
#include "triggers/TriggerList.h"
#include "windows/TermWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFrame>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>

#include <cstring>

namespace tav {
namespace {

using test::ModalScript;
using test::ScratchDataDir;
using test::WaitFor;

struct NoStatus : StatusBarSink {};

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QPushButton* Button(QWidget& window, const QString& name) {
    for (auto* button : window.findChildren<QPushButton*>())
        if (button->accessibleName() == name) return button;
    return nullptr;
}

// Types the path into the chooser's name field and presses its default button.
void ChooseInDialog(QFileDialog& dialog, const QString& path) {
    auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    name->setText(path);
    QTest::keyClick(name, Qt::Key_Return);
}

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
        EXPECT_EQ(window.accessibleName(), w.caption);
        EXPECT_FALSE(window.isVisible()) << "made hidden";
        EXPECT_EQ(window.Screen().Lines(), kTextListLines);
        EXPECT_FALSE(window.Screen().autowrap);
        EXPECT_TRUE(window.Screen().appendcr);
        EXPECT_TRUE(window.Screen().explicitmode);
        EXPECT_EQ(window.OnTopBox().isChecked(), w.onTop != nullptr && *w.onTop != 0)
            << "the box starts from the stored flag";

        window.Screen().AddText("kept text\r\n");
        window.Toggle();
        ASSERT_TRUE(window.isVisible());
        QCloseEvent close;
        QCoreApplication::sendEvent(&window, &close);
        EXPECT_FALSE(window.isVisible()) << "closing hides";
        window.Toggle();
        EXPECT_TRUE(window.isVisible());
        Button(window, "Close")->click();
        EXPECT_FALSE(window.isVisible());
        window.Toggle();
        QTest::keyClick(&window.View(), Qt::Key_Escape);
        EXPECT_FALSE(window.isVisible()) << "Esc hides it too";
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

TEST_F(TextListFixture, SetUpAppliesTheStoredPlaceAndFontAgain) {
    txtdlg& who = term->WhoWindow();
    EXPECT_EQ(who.geometry(), QRect(60, 70, 600, 300));
    EXPECT_TRUE(SameFontSpec(who.View().ScreenFont(), stored.whofont));

    // A profile switch brings other values.
    stored.whopos = {10, 20, 530, 260};
    QFont other = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    other.setPixelSize(19);
    stored.whofont = SpecFromFont(other);
    stored.whoontop = 1;
    term->SetUpTextWindows();
    EXPECT_EQ(&term->WhoWindow(), &who) << "made once";
    EXPECT_EQ(who.geometry(), QRect(10, 20, 520, 240));
    EXPECT_TRUE(SameFontSpec(who.View().ScreenFont(), stored.whofont));
    EXPECT_TRUE(who.OnTopBox().isChecked());
    EXPECT_TRUE(who.Topmost());
}

TEST_F(TextListFixture, LayoutFollowsEverySize) {
    txtdlg& window = term->ChannelWindow();
    window.Toggle();
    QWidget* line = window.findChild<QFrame*>("Frame1");
    ASSERT_NE(line, nullptr);
    const QRect frameLine = line->geometry();
    const QSize minimum = window.minimumSize();
    for (const QSize size : {QSize(500, 300), QSize(731, 411), minimum, QSize(10, 10)}) {
        SCOPED_TRACE(QString("%1x%2").arg(size.width()).arg(size.height()).toStdString());
        window.resize(size);
        const int w = window.width();
        const int h = window.height();
        EXPECT_GE(w, minimum.width());
        EXPECT_EQ(line->geometry(),
                  QRect(frameLine.left(), frameLine.top(), w - 2 - frameLine.left(), 1));
        EXPECT_EQ(Button(window, "Close")->geometry().right() + 1, w - 4);
        const QRect check = window.OnTopBox().geometry();
        EXPECT_EQ(check.left(), (w - 4) / 2 - check.width() / 2);
        const QRect screen = window.View().geometry();
        EXPECT_EQ(screen.topLeft(), frameLine.topLeft() + QPoint(5, 3));
        EXPECT_EQ(screen.right() + 1, w - 5);
        EXPECT_EQ(screen.bottom() + 1, h - 5);
        EXPECT_GT(window.Screen().Rows(), 0);
        EXPECT_FALSE(check.intersects(Button(window, "Save As...")->geometry()));
        EXPECT_FALSE(check.intersects(Button(window, "Close")->geometry()));
    }
}

TEST_F(TextListFixture, SaveAsWritesTheLinesJoinedByCrLfAndReportsAFailedWrite) {
    txtdlg& window = term->InventoryWindow();
    window.Screen().AddText("a sword\r\n<b>x</b> \r\nlast");
    window.Toggle();

    const QString path = data.Path("inv.txt");
    const QString workingDir = QDir::currentPath();
    QString filter;
    script.Then([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr) << w->metaObject()->className();
        filter = dialog->selectedNameFilter();
        EXPECT_EQ(dialog->directory().absolutePath(), QDir::current().absolutePath());
        ChooseInDialog(*dialog, path);
    });
    Button(window, "Save As...")->click();
    ASSERT_TRUE(script.Done());
    EXPECT_EQ(filter, "Text files (*.txt)");
    // Every line of the buffer, the empty ones too, joined by CR LF.
    const QByteArray bytes = FileBytes(path);
    EXPECT_TRUE(bytes.startsWith("a sword\r\n<b>x</b> \r\nlast\r\n")) << bytes.left(40).data();
    EXPECT_EQ(bytes.count("\r\n"), kTextListLines - 1);
    EXPECT_EQ(bytes.count('\n'), kTextListLines - 1);
    EXPECT_EQ(bytes.toStdString(), window.Screen().GetAllText());
    EXPECT_EQ(QDir::currentPath(), workingDir) << "the working directory stays";

    // A name with an extension of its own, or none, is taken as it is.
    script.Then([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        ChooseInDialog(*dialog, data.Path("inventory"));
    });
    Button(window, "Save As...")->click();
    EXPECT_TRUE(QFileInfo::exists(data.Path("inventory")));

    // A file the user picks is written into: it stays private, a link stays a link.
    const QString owned = data.Path("private.txt");
    const QString target = data.Path("target.txt");
    for (const QString& file : {owned, target}) {
        QFile old(file);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'o'));
    }
    ASSERT_TRUE(QFile::setPermissions(owned, QFile::ReadOwner | QFile::WriteOwner));
    ASSERT_TRUE(QFile::link("target.txt", data.Path("link.txt")));
    EXPECT_TRUE(window.SaveTo(owned));
    EXPECT_TRUE(window.SaveTo(data.Path("link.txt")));
    namespace fs = std::filesystem;
    EXPECT_EQ(fs::status(owned.toStdString()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(QFileInfo(data.Path("link.txt")).isSymLink());
    EXPECT_EQ(FileBytes(owned).toStdString(), window.Screen().GetAllText());
    EXPECT_EQ(FileBytes(target).toStdString(), window.Screen().GetAllText());

    // A folder that takes no files: the box says so.
    QString title;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    script.Then([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr) << w->metaObject()->className();
        title = box->windowTitle();
        text = box->text();
        format = box->textFormat();
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_FALSE(window.SaveTo("/proc/inv.txt"));
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(title, "Error...");
    EXPECT_EQ(text, "Unable to open file for writing.");
    EXPECT_EQ(format, Qt::PlainText);
}

TEST_F(TextListFixture, FontChoiceIsStoredAndGivenToTheScreen) {
    txtdlg& window = term->EquipmentWindow();
    window.Toggle();
    const int cellHeight = window.Screen().CellHeight();
    QFont chosen = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    chosen.setPixelSize(21);
    script.Then([&](QWidget* w) {
        auto* dialog = qobject_cast<QFontDialog*>(w);
        ASSERT_NE(dialog, nullptr) << w->metaObject()->className();
        dialog->setCurrentFont(chosen);
        dialog->accept();
    });
    Button(window, "Font...")->click();
    ASSERT_TRUE(script.Done());
    EXPECT_EQ(stored.eqfont.height, -21);
    EXPECT_TRUE(SameFontSpec(window.View().ScreenFont(), stored.eqfont));
    EXPECT_GT(window.Screen().CellHeight(), cellHeight);
}

TEST_F(TextListFixture, ScrollBufferShowsTheRecentTerminalText) {
    std::strcpy(settings.scrolllines, "250");
    term->Session().AppendRecent("You see a troll.\r\nIt hits you.\r\n");
    txtdlg& scroll = term->ScrollWindow();
    scroll.Screen().AddText("old text");
    term->ShowScrollBuffer();
    EXPECT_TRUE(scroll.isVisible());
    EXPECT_EQ(scroll.Screen().Lines(), 250);
    const std::string text = scroll.Screen().GetAllText();
    EXPECT_EQ(text.find("old text"), std::string::npos);
    EXPECT_EQ(text.rfind("You see a troll.\r\nIt hits you.\r\n", 0), 0u);
}

} // namespace
} // namespace tav
