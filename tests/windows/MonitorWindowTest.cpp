// The hit/mana/move monitor as a real window.
#include "windows/MonitorWindow.h"

#include "client/ClientWindows.h"

#include <QCheckBox>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>

namespace tav {
namespace {

TEST(MonitorWindow, BarsShowThePerCentInTheirBandsColour) {
    QMainWindow owner;
    Rect rect{};
    tmonitor monitor(rect, &owner);
    monitor.PlaceStored(false);
    EXPECT_EQ(monitor.windowTitle(), "TavClient Monitor");
    struct Set {
        int id;
        int value;
        int maximum;
        int shown;
        QColor color;
    };
    const QColor green(10, 250, 10), yellow(250, 250, 10), red(250, 10, 10);
    const Set sets[] = {
        {kHitGauge, 7, 0, 0, red},
        {kManaGauge, 29, 100, 29, yellow},
        {kMoveGauge, 900, 100, 100, green},
    };
    for (const Set& s : sets) {
        SCOPED_TRACE(s.id);
        monitor.SetGauge(s.id, s.value, s.maximum);
        const QProgressBar* bar = monitor.Gauge(s.id);
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->value(), s.shown);
        EXPECT_EQ(bar->palette().color(QPalette::Highlight), s.color);
    }
    monitor.SetGauge(104, 1, 1); // not a gauge
    EXPECT_EQ(monitor.Gauge(104), nullptr);

    // The on-top box only changes the window (the frame test checks every control's name);
    // Close hides it.
    monitor.Toggle();
    monitor.OnTopBox().click();
    EXPECT_TRUE(monitor.Topmost());
    EXPECT_TRUE(monitor.isVisible());
    monitor.findChild<QPushButton*>()->click();
    EXPECT_FALSE(monitor.isVisible());
}

} // namespace
} // namespace tav
