// The tool window base: placed where it was left, closing hides it, the menu toggles it,
// and the stored rectangle follows moves and sizes.
#include "windows/ToolWindow.h"

#include <QCloseEvent>
#include <QMainWindow>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace tav {
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

    Rect empty{};
    ToolWindow fresh("TavClient InvDlg", empty, &owner);
    fresh.setMinimumSize(120, 80);
    fresh.PlaceStored(false);
    EXPECT_GE(fresh.width(), 120) << "an empty stored rectangle gives a usable window";
    EXPECT_GE(fresh.height(), 80);
    fresh.Toggle();
    EXPECT_GE(empty.Width(), 120) << "recorded once shown";
}

} // namespace
} // namespace tav
