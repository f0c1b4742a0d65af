// The desktop backends on the offscreen platform.
#include "sound/QtFocusKeeper.h"
#include "sound/QtWavPlayer.h"
#include "tests/sound/SoundTestSupport.h"

#include <QApplication>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <thread>

namespace tav::test {
namespace {

// Runs the Qt events posted before it is called (events run in the order they were
// posted), waiting at most five seconds.
bool RunPostedEvents() {
    bool reached = false;
    QMetaObject::invokeMethod(
        qApp, [&reached] { reached = true; }, Qt::QueuedConnection);
    return QTest::qWaitFor([&] { return reached; }, 5000);
}

bool BecomesActive(QWidget& window) {
    return QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }, 5000);
}

TEST(QtSoundTest, WavRequestFromTheNetworkThreadPlaysOrLogs) {
    TempDir dir;
    const std::string wav = (dir.path / "ding.wav").string();
    WriteFileAtomically(wav, SoundFixture("ding.wav"));
    Recorder log;
    {
        QtWavPlayer player(log);
        std::thread network([&] { player.PlayAsync(wav); });
        network.join();
        // Once the request has reached the player's thread: a line without an output,
        // none with one.
        ASSERT_TRUE(RunPostedEvents());
        EXPECT_EQ(log.Take(),
                  QMediaDevices::defaultAudioOutput().isNull()
                      ? std::vector<std::string>{"No audio output: " + wav + " not played."}
                      : std::vector<std::string>{});
        player.PlayAsync(wav); // still queued when the player goes
    }
    ASSERT_TRUE(RunPostedEvents());
    EXPECT_TRUE(log.Take().empty());
}

TEST(QtSoundTest, FocusGoesBackToTheRememberedWindow) {
    QWidget first;
    QWidget second;
    first.show();
    second.show();
    first.activateWindow();
    ASSERT_TRUE(BecomesActive(first));
    QtFocusKeeper keeper;
    keeper.RememberForeground();
    ASSERT_TRUE(RunPostedEvents()); // remembered on the user-interface thread
    second.activateWindow();
    ASSERT_TRUE(BecomesActive(second));
    std::thread network([&] { keeper.RestoreForeground(); });
    network.join();
    EXPECT_TRUE(BecomesActive(first));
}

} // namespace
} // namespace tav::test
