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

TEST(QtSoundTest, WavRequestFromTheNetworkThreadPlaysOrLogs) {
    TempDir dir;
    const std::string wav = (dir.path / "ding.wav").string();
    WriteFileAtomically(wav, SoundFixture("ding.wav"));
    Recorder log;
    {
        QtWavPlayer player(log);
        std::thread network([&] { player.PlayAsync(wav); });
        network.join();
        // Without an output the line comes once the request reached the player's thread;
        // with one, no line may come in the time that takes.
        const bool noOutput = QMediaDevices::defaultAudioOutput().isNull();
        std::vector<std::string> lines;
        for (int waited = 0; lines.empty() && waited < (noOutput ? 5000 : 200); waited += 10) {
            QTest::qWait(10);
            lines = log.Take();
        }
        EXPECT_EQ(lines, noOutput
                             ? std::vector<std::string>{"No audio output: " + wav + " not played."}
                             : std::vector<std::string>{});
        player.PlayAsync(wav); // still queued when the player goes
    }
    QTest::qWait(50);
    EXPECT_TRUE(log.Take().empty());
}

TEST(QtSoundTest, FocusGoesBackToTheRememberedWindow) {
    QWidget first;
    QWidget second;
    first.show();
    second.show();
    first.activateWindow();
    QTRY_VERIFY(QApplication::activeWindow() == &first);
    QtFocusKeeper keeper;
    keeper.RememberForeground();
    QTest::qWait(10);
    second.activateWindow();
    QTRY_VERIFY(QApplication::activeWindow() == &second);
    std::thread network([&] { keeper.RestoreForeground(); });
    network.join();
    QTRY_VERIFY(QApplication::activeWindow() == &first);
}

} // namespace
} // namespace tav::test
