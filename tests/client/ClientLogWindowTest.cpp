// The client log window on the offscreen platform.
#include "client/ClientLogWindow.h"
#include "client/ClientLog.h"
#include "client/StatusBarSink.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <thread>

namespace tav {
namespace {

struct AnyThreadStatus : StatusBarSink {
    void SetMessageText(std::string_view) override {}
};

TEST(TmarrowDlgClient, FollowsTheLogFromAnyThreadAndOnlyHides) {
    ClientLog log;
    AnyThreadStatus status;
    log.AttachStatusBar(&status);
    TmarrowDlgClient window(log);
    EXPECT_EQ(window.windowTitle(), "TavClientDlg");

    // Written while hidden, from the network thread's side.
    std::thread writer([&] {
        log.LogLine("Attempting to connect to host 4000");
        log.LogLine("Connected to host 4000");
    });
    writer.join();
    QApplication::processEvents();
    EXPECT_EQ(window.ShownText(), "Attempting to connect to host 4000\nConnected to host 4000\n");

    window.Toggle();
    EXPECT_TRUE(window.isVisible());
    QTest::mouseClick(&window.CloseButton(), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    window.Toggle();
    EXPECT_TRUE(window.isVisible());
    QCloseEvent close;
    QApplication::sendEvent(&window, &close);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.ShownText().count('\n'), 2);
}

} // namespace
} // namespace tav
