// The toolbar in the frame: its buttons, their pictures, what they issue, and the toggle.
#include "term/TermSession.h"

#include "AppTestSupport.h"
#include "app/MainFrame.h"
#include "app/MainMenu.h"
#include "app/MenuCommands.h"
#include "app/ToolBar.h"
#include "settings/Settings.h"
#include "settings/StoredValues.h"
#include "triggers/TriggerList.h"
#include "windows/TermWindow.h"
#include "windows/TextListWindow.h"

#include <QAction>
#include <QImage>
#include <QSet>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace tav::test {
namespace {

class ToolBarTest : public ::testing::Test {
protected:
    ToolBarTest() {
        QFile list(data.Path("profiles.cfg"));
        list.open(QIODevice::WriteOnly);
        list.write("hero\r\n");
        list.close();
        EXPECT_TRUE(WriteConfiguredProfile(data.Path(), "hero"));
        frame = std::make_unique<TSDIDecFrame>(settings, stored, triggers);
        frame->show();
        started = frame->Start();
    }
    QList<QToolButton*> Buttons() {
        QList<QToolButton*> buttons;
        for (QAction* action : frame->Tools()->actions())
            if (auto* b = qobject_cast<QToolButton*>(frame->Tools()->widgetForAction(action)))
                buttons << b;
        return buttons;
    }
    QToolButton* Button(const QString& name) {
        for (QToolButton* b : Buttons())
            if (b->accessibleName() == name) return b;
        return nullptr;
    }

    ScratchDataDir data;
    Settings settings{};
    StoredValues stored = StoredValues::Defaults();
    TriggerList triggers;
    std::unique_ptr<TSDIDecFrame> frame;
    bool started = false;
};

TEST_F(ToolBarTest, HoldsEveryCommandWithItsHintAndAPictureOfItsOwn) {
    ASSERT_TRUE(started);
    ASSERT_NE(frame->Tools(), nullptr);
    EXPECT_EQ(frame->Tools()->windowTitle(), "TavClient ToolBar");
    const QStringList hints = {
        "Exits the TavClient",
        "Attempts an TavTerm connection to the MUD",
        "Disconnects the TavTerm",
        "Attempts a client connection to the MUD",
        "Disconnects the TavClient",
        "Toggle display of the who window",
        "Toggle display of the global channel window",
        "Toggle display of the equipment window...",
        "Toggle display of the inventory window",
        "Toggle display of the object identification window",
        "Display the MUD Command window",
        "Display the hit/mana/move monitor",
        "Toggle display of the client log window",
        "Create and modify MUD triggers",
        "Toggle display of MUD board window",
        "Toggle display of the MUD help window",
        "Display the term scrollback window",
        "Select font for TavTerm",
        "Select primary text color for TavTerm",
        "Select background color for TavTerm",
        "General TavClient configuration",
        "Toggle between hidden and full view modes",
        "Toggle ignoring of triggers",
        "Stop Midi/Mod/MP3 sounds from playing",
    };
    QStringList names;
    QSet<QByteArray> pictures;
    for (QToolButton* button : Buttons()) {
        names << button->accessibleName();
        EXPECT_EQ(button->toolTip(), button->accessibleName());
        const QImage image = button->icon().pixmap(24, 24).toImage();
        int inked = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                inked += qAlpha(image.pixel(x, y)) > 0;
        EXPECT_GT(inked, 40) << button->accessibleName().toStdString();
        pictures.insert(
            QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
    }
    EXPECT_EQ(names, hints);
    EXPECT_EQ(pictures.size(), hints.size()); // no two alike
}

TEST_F(ToolBarTest, ButtonsIssueTheirCommandsAndShowTheirCheckMarks) {
    ASSERT_TRUE(started);
    txtdlg& who = frame->Term().WhoWindow();
    EXPECT_FALSE(who.isVisible());
    Button("Toggle display of the who window")->click();
    EXPECT_TRUE(who.isVisible());

    // The scroll-back button has no menu item of its own.
    Button("Display the term scrollback window")->click();
    EXPECT_TRUE(frame->Term().ScrollWindow().isVisible());

    QToolButton* ignore = Button("Toggle ignoring of triggers");
    ignore->click();
    EXPECT_TRUE(triggers.IgnoreTrigs());
    EXPECT_TRUE(ignore->isChecked());
    frame->OnCommand(kCmIgnoreTrigs);
    EXPECT_FALSE(ignore->isChecked());

    // Disabled with its menu item.
    frame->Menu().SetEnabled(kCmWho, false);
    EXPECT_FALSE(Button("Toggle display of the who window")->isEnabled());
}

TEST_F(ToolBarTest, ToggleHidesAndShowsTheBarWithTheCheckMark) {
    ASSERT_TRUE(started);
    EXPECT_TRUE(frame->Menu().IsChecked(kCmToolbar));
    EXPECT_TRUE(frame->Tools()->isVisible());
    frame->Menu().Action(kCmToolbar)->trigger();
    EXPECT_TRUE(frame->Tools()->isHidden());
    EXPECT_FALSE(frame->Menu().IsChecked(kCmToolbar));
    frame->Menu().Action(kCmToolbar)->trigger();
    EXPECT_TRUE(frame->Tools()->isVisible());
    EXPECT_TRUE(frame->Menu().IsChecked(kCmToolbar));
    EXPECT_NE(frame->Term().MainScreen().GetAllText().find("Creating toolbars..."),
              std::string::npos);
}

} // namespace
} // namespace tav::test
