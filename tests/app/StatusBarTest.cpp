#include "app/StatusBar.h"
#include "AppTestSupport.h"
#include "app/ConnectionIndicator.h"
#include "app/CustomGauge.h"
#include "app/DataDirectory.h"
#include "app/MenuCommands.h"

#include <QFileInfo>
#include <QLabel>
#include <gtest/gtest.h>

#include <set>
#include <sys/stat.h>
#include <thread>

namespace tav::test {
namespace {

TEST(StatusBarTest, TakesUpdatesFromAnyThread) {
    StatusBar bar;
    EXPECT_EQ(bar.TermIndicator().Image(), 0);
    EXPECT_EQ(bar.ClientIndicator().Image(), 0);

    StatusBarSink& sink = bar;
    sink.ShowTermState(true);
    EXPECT_EQ(bar.TermIndicator().Image(), 1);

    // The network thread's calls arrive on the user-interface thread.
    std::thread worker([&sink] {
        sink.SetLatencyText("- - -");
        sink.ShowClientState(true);
    });
    worker.join();
    EXPECT_TRUE(WaitFor([&] { return bar.LatencyText() == "- - -"; }));
    EXPECT_EQ(bar.ClientIndicator().Image(), 1);

    // The indicators draw different pictures for their two images.
    ConnectionIndicator& term = bar.TermIndicator();
    const QImage on = term.grab().toImage();
    term.SetImage(0);
    EXPECT_NE(term.grab().toImage(), on);
}

TEST(StatusBarTest, GaugeShowsOnlyLargeUnfinishedTransfers) {
    const std::tuple<long long, long long, int, QString> cases[] = {
        {100, 511, 0, ""},                           // below 512 bytes: nothing
        {0, 0, 0, ""},                               // reset
        {256, 512, 50, "50%"},                       // the smallest shown transfer
        {999, 1000, 99, "99%"},                      // truncated, not rounded
        {1000, 1000, 0, ""},                         // complete
        {3, 1 << 30, 0, "0%"},  {1200, 1000, 0, ""}, // more than announced
    };
    TCustomGauge gauge;
    for (const auto& [received, total, value, caption] : cases) {
        gauge.ShowProgress(received, total);
        EXPECT_EQ(gauge.Value(), value) << received << "/" << total;
        EXPECT_EQ(gauge.CaptionText(), caption) << received << "/" << total;
    }
}

// The lock indicators show only where the platform can tell the states; then each shows
// its text while its lock is on.
TEST(StatusBarTest, LockIndicatorsShowOnlyWhatThePlatformCanTell) {
    StatusBar bar;
    // The offscreen platform cannot tell: hidden from the start.
    EXPECT_EQ(ModeTexts(bar.ModeIndicators()), (QStringList{"hidden", "hidden", "hidden"}));

    const std::pair<std::optional<KeyboardModes>, QStringList> cases[] = {
        {KeyboardModes{}, {"", "", ""}},
        {KeyboardModes{false, true, true}, {"", "NUM", "SCRL"}},
        {std::nullopt, {"hidden", "hidden", "hidden"}},
    };
    for (const auto& [modes, texts] : cases) {
        bar.ShowKeyboardModes(modes);
        EXPECT_EQ(ModeTexts(bar.ModeIndicators()), texts);
    }
    for (const QLabel* label : bar.ModeIndicators())
        EXPECT_FALSE(label->accessibleName().isEmpty());
}

TEST(MenuTableTest, PopupsNestAndEveryItemHasAHintAUniqueIdAndItsAcceleratorInItsText) {
    std::set<int> ids;
    int depth = 0;
    for (const MenuEntry& e : kMainMenu) {
        switch (e.kind) {
        case MenuEntry::Kind::Popup: ++depth; break;
        case MenuEntry::Kind::End: --depth; break;
        case MenuEntry::Kind::Blank:
        case MenuEntry::Kind::Separator: break;
        case MenuEntry::Kind::Item:
            EXPECT_TRUE(ids.insert(e.id).second) << e.id;
            EXPECT_FALSE(e.hint.empty()) << e.id;
            if (!e.accel.empty()) EXPECT_NE(e.text.find(e.accel), std::string_view::npos) << e.text;
            break;
        }
        EXPECT_GE(depth, 0);
    }
    EXPECT_EQ(depth, 0);
}

TEST(DataDirectoryTest, DefaultFollowsXdgThenHome) {
    const QByteArray home = qgetenv("HOME");
    const QByteArray xdg = qgetenv("XDG_DATA_HOME");
    // XDG_DATA_HOME (nullptr: unset), HOME, the directory.
    const std::tuple<const char*, const char*, std::string> rows[] = {
        {"/xdg", "/home/hero", "/xdg/tavclient"},
        {"relative", "/home/hero", "/home/hero/.local/share/tavclient"}, // only absolute counts
        {nullptr, "/home/hero", "/home/hero/.local/share/tavclient"},
        {nullptr, "", ""},
    };
    for (const auto& [xdgDir, homeDir, dir] : rows) {
        xdgDir ? qputenv("XDG_DATA_HOME", xdgDir) : qunsetenv("XDG_DATA_HOME");
        qputenv("HOME", homeDir);
        EXPECT_EQ(DataDirectory::Default(), dir) << (xdgDir ? xdgDir : "-") << homeDir;
    }
    qputenv("HOME", home);
    xdg.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", xdg);
}

// Missing parents are made readable by all, the data directory for the user alone; an
// existing one is entered as it is.
TEST(DataDirectoryTest, EnterMakesTheMissingDirectoriesAndEntersIt) {
    ScratchDataDir scratch;
    const std::string target = scratch.Path("deep/er/tavclient").toStdString();
    const auto mode = [](const std::string& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0u;
    };
    const mode_t mask = ::umask(022);
    for (int twice = 0; twice < 2; ++twice) {
        EXPECT_EQ(DataDirectory::Enter(target), std::nullopt);
        EXPECT_EQ(QDir::currentPath(),
                  QFileInfo(QString::fromStdString(target)).canonicalFilePath());
        EXPECT_EQ(mode(target), 0700u);
        EXPECT_EQ(mode(scratch.Path("deep/er").toStdString()), 0755u);
    }
    ::umask(mask);
    EXPECT_TRUE(DataDirectory::Enter("").has_value());
    const std::string blocked = scratch.Path("file").toStdString();
    QFile(QString::fromStdString(blocked)).open(QIODevice::WriteOnly);
    for (const std::string& dir : {blocked, blocked + "/sub"})
        EXPECT_NE(DataDirectory::Enter(dir).value_or("").find("cannot create " + blocked),
                  std::string::npos)
            << dir;
}

} // namespace
} // namespace tav::test
