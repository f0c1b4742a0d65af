// The desktop backends on the offscreen platform, without an audio device.
#include "sound/QtFocusKeeper.h"
#include "sound/QtSoundBackends.h"
#include "sound/QtWavPlayer.h"
#include "sound/SoundPlayer.h"
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
    const std::string wav = (dir.Path() / "ding.wav").string();
    WriteFile(wav, TinyWav());
    RecordingLog log;
    {
        QtWavPlayer player(log);
        std::thread network([&] { player.PlayAsync(wav); });
        network.join();
        QTest::qWait(200);
        if (QMediaDevices::defaultAudioOutput().isNull())
            EXPECT_EQ(log.Take(),
                      std::vector<std::string>{"No audio output: " + wav + " not played."});
        else
            EXPECT_TRUE(log.Take().empty());
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

TEST(QtSoundTest, FactoryBuildsAWorkingSet) {
    RecordingLog log;
    SoundBackendSet set = MakeQtSoundBackends(log);
    Settings settings = PlayerSettings();
    SoundPlayer player(settings, log, set.View());
    EXPECT_EQ(player.Play("binary/none.ogg"), 1);
    EXPECT_EQ(player.Stop(), 1);
    EXPECT_TRUE(log.Take().empty());
}

} // namespace
} // namespace tav::test
