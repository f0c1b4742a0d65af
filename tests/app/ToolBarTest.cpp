// The toolbar in the frame: its buttons, their pictures, what they issue, and the toggle.
#include "FrameTestSupport.h"

#include "app/MainMenu.h"
#include "app/ToolBar.h"
#include "windows/TextListWindow.h"

#include <QAction>
#include <QImage>
#include <QToolBar>
#include <QToolButton>

namespace tav::test {
namespace {

using ToolBarTest = FrameTest;

TEST_F(ToolBarTest, HoldsEveryCommandWithItsHintAndPictureIssuesItAndToggles) {
    StartConfigured();
    QToolBar* bar = frame->Tools();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->windowTitle(), "TavClient ToolBar");
    auto byName = [&](const QString& name) { return Named<QToolButton>(bar, name); };
    QStringList names;
    QSet<QByteArray> pictures;
    for (QAction* action : bar->actions()) {
        auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
        if (button == nullptr) continue;
        names << button->accessibleName();
        EXPECT_FALSE(button->accessibleName().isEmpty());
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
    // Every command of the bar, each with a hint and a picture of its own.
    EXPECT_EQ(names.size(), 24);
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size());
    EXPECT_EQ(pictures.size(), names.size());

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
    EXPECT_NE(frame->Term().MainScreen().GetAllText().find("Creating toolbars..."),
              std::string::npos);
}

} // namespace
} // namespace tav::test
