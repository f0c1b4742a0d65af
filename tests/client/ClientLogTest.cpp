// The client log's bounded text, the queued decorators, the game data windows and the
// download file rules.
#include "tests/client/ConnectionTestSupport.h"

#include "client/BatchingEventLoop.h"
#include "client/ClientFiles.h"
#include "client/ClientLog.h"
#include "client/GameDataWindows.h"
#include "client/QueuedClientWindows.h"
#include "client/QueuedStatusBar.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>

namespace tav::test {
namespace {

using ::testing::ElementsAre;

// Whether thread `tid` of this process is asleep (waiting for a lock or a condition) or
// has ended, by the kernel's state letter after the thread's name.
bool AsleepOrEnded(pid_t tid) {
    std::string stat;
    std::getline(std::ifstream("/proc/self/task/" + std::to_string(tid) + "/stat"), stat);
    const std::size_t name = stat.rfind(") ");
    return name == std::string::npos ||
           std::string_view("SZX").find(stat[name + 2]) != std::string_view::npos;
}

// A line that does not fit cuts as many characters from the front as it brings.
TEST(ClientLog, KeepsAtMost1022CharactersCuttingTheFront) {
    // Characters already logged (one line and its CR LF), the new line without CR LF, the
    // log's length after it, and the characters cut from the front.
    const std::tuple<std::size_t, std::size_t, std::size_t, std::size_t> cases[] = {
        {1000, 30, 1000, 32},
        {990, 30, 1022, 0},
        {991, 30, 991, 32},
        {0, 1500, 1022, 0}, // a line longer than the log keeps its end
    };
    for (const auto& [logged, lineSize, after, cut] : cases) {
        ClientLog log;
        RecordingStatus status;
        log.AttachStatusBar(&status);
        const std::string before = logged == 0 ? "" : std::string(logged - 2, 'b') + "\r\n";
        if (logged != 0) log.LogLine(std::string(logged - 2, 'b'));
        const std::string line(lineSize, 'N');
        log.LogLine(line);
        const std::string expected = before.substr(cut) + line + "\r\n";
        EXPECT_EQ(log.Text(), expected.substr(expected.size() - after)) << logged;
        EXPECT_EQ(status.calls.back(), "msg " + line);
    }
}

TEST(ClientLog, LinesBeforeTheStatusBarExistsAreLostAndObserversHearTheRest) {
    ClientLog log;
    int changes = 0;
    log.SetObserver([&] { ++changes; });
    log.LogLine("lost");
    RecordingStatus status;
    log.AttachStatusBar(&status);
    log.LogLine("kept");
    // Game data messages would replace the status bar's text several times a second.
    log.AppendToLogWindow("GMCP Char.Vitals {}");
    EXPECT_EQ(log.Text(), "kept\r\nGMCP Char.Vitals {}\r\n");
    EXPECT_EQ(changes, 2);
    EXPECT_THAT(status.calls, ElementsAre("msg kept"));
}

// The log holds its lock while it shows a line, so one recorder serves both threads.
TEST(ClientLog, TwoThreadsWritingNeverTearALine) {
    ClientLog log;
    RecordingStatus status;
    log.AttachStatusBar(&status);
    auto writer = [&](char c) {
        for (int i = 0; i < 2000; ++i)
            log.LogLine(std::string(9, c));
    };
    std::thread a(writer, 'a');
    std::thread b(writer, 'b');
    a.join();
    b.join();
    const std::string text = log.Text();
    EXPECT_LE(text.size(), kMaxLogChars);
    EXPECT_EQ(status.calls.size(), 4000u);
    EXPECT_EQ(text.substr(text.size() - 11).find_first_not_of(text[text.size() - 3]), 9u);
}

TEST(QueuedClientWindows, CallsRunOnTheLoopThreadInOrderAndModalOnesWait) {
    PollEventLoop loop;
    RecordingWindows windows;
    RecordingStatus status;
    auto queued = std::make_unique<QueuedClientWindows>(loop, windows);
    QueuedStatusBar queuedStatus(loop, status);
    std::atomic<bool> boxReturned{false};
    std::atomic<pid_t> networkTid{0};
    std::thread network([&] {
        networkTid = ::gettid();
        queued->AppendText(ClientScreen::Channel, "one");
        queuedStatus.SetLatencyText("5 ms");
        queued->SetGauge(kHitGauge, 1, 2);
        queued->ShowMessageBox("stop", "Title");
        boxReturned = true;
        queued->PostCommand(kEditRequestCommand);
    });
    // Nothing runs the loop yet: the network thread comes to wait in the box (a box that
    // did not wait would let it run on to its end).
    for (auto end = std::chrono::steady_clock::now() + 5s;
         (networkTid == 0 || !AsleepOrEnded(networkTid)) && std::chrono::steady_clock::now() < end;)
        std::this_thread::sleep_for(1ms);
    EXPECT_FALSE(boxReturned.load());
    EXPECT_TRUE(windows.calls.empty());
    ASSERT_TRUE(loop.RunUntil([&] { return windows.calls.size() == 4; }, 2s));
    network.join();
    EXPECT_THAT(windows.calls, ElementsAre("append channel one", "gauge 101 1 2", "box Title stop",
                                           "command 5624"));
    EXPECT_THAT(status.calls, ElementsAre("latency 5 ms"));
    EXPECT_EQ(windows.offThread, 0);

    // Released waiters go on; calls queued when the decorator goes are dropped.
    queued->ReleaseWaiters();
    queued->BoardUpdate(9 /* made on the loop thread: runs at once */);
    std::thread late([&] { queued->BoardUpdate(1); });
    late.join();
    queued.reset();
    loop.RunFor(20ms);
    EXPECT_EQ(windows.calls.back(), "brdupdate 9");
}

TEST(BatchingEventLoop, KeepsTheOrderAcrossBurstsAndDropsWhatIsLeftAtTheEnd) {
    PollEventLoop loop;
    std::vector<int> order;
    {
        BatchingEventLoop batched(loop);
        batched.Post([&] { order.push_back(1); });
        batched.Post([&] {
            order.push_back(2);
            batched.Post([&] { order.push_back(4); }); // made while the burst runs
        });
        std::thread other([&] { batched.Post([&] { order.push_back(3); }); });
        other.join();
        ASSERT_TRUE(loop.RunUntil([&] { return order.size() == 4; }, 2s));
        batched.Post([&] { order.push_back(5); });
    }
    loop.RunFor(20ms);
    EXPECT_THAT(order, ElementsAre(1, 2, 3, 4));
}

// Another game's GMCP/MSDP data in the program's windows: partial updates build up,
// gauges wait for both their numbers, pane text is made safe, and a live Client
// connection keeps its windows to itself.
TEST(GameDataWindows, FeedsStatusGaugesPanesAndChannelOnlyWithoutTheClientConnection) {
    RecordingWindows windows;
    bool clientUp = false;
    GameDataWindows data(
        windows, [&] { return clientUp; }, [] { return TextEncoding::Latin1; });

    data.Vitals({10, {}, {}, {}, {}, {}});
    data.Vitals({{}, 20, 5, 8, {}, 30});
    data.Room({"Caf\xC3\xA9 \xE2\x86\x92 Bar\r\n", {"n", "se"}});
    data.ChannelText({"ooc", "Bob", "Bob: hi\n\x1B[1mthere"});
    EXPECT_EQ(windows.calls,
              (std::vector<std::string>{
                  "status 10/0", "status 10/30", "gauge 101 10 20", "gauge 102 5 8", "clear desc",
                  "append desc Caf\xE9 ? Bar\r\n", "clear exits", "append exits n se\r\n",
                  "append channel Bob: hi\x1B[1mthere\r\n"}));

    // A gauge waits for both its numbers, whichever comes first.
    for (const GameVitals& half :
         {GameVitals{{}, {}, 7, {}, {}, {}}, GameVitals{{}, {}, {}, 9, {}, {}},
          GameVitals{{}, {}, {}, {}, 3, {}}}) {
        RecordingWindows fresh;
        GameDataWindows alone(
            fresh, [] { return false; }, [] { return TextEncoding::Latin1; });
        alone.Vitals(half);
        EXPECT_EQ(fresh.calls, (std::vector<std::string>{"status 0/0"}));
    }

    // DEL and the C1 controls go, the no-break space after them stays; ESC goes outside
    // the channel.
    windows.calls.clear();
    data.Room({"a\x7F"
               "b\xC2\x80\xC2\x9F\xC2\xA0"
               "c\x1B[1m",
               {}});
    EXPECT_EQ(windows.calls.at(1), "append desc ab\xA0"
                                   "c[1m\r\n");

    clientUp = true;
    windows.calls.clear();
    data.Vitals({1, 2, 3, 4, 5, 6});
    data.Room({"Hall", {}});
    data.ChannelText({"", "", "x"});
    EXPECT_TRUE(windows.calls.empty());
    clientUp = false;
    data.Vitals({});
    EXPECT_EQ(windows.calls.back(), "gauge 103 5 6"); // kept while the Client had them
}

TEST(ClientFiles, OnlyPlainNamesAreUsed) {
    const std::pair<std::string, bool> cases[] = {
        {"rain.wav", true}, {"a..b", true},    {"with space", true}, {"ünï", true},
        {"", false},        {".", false},      {"..", false},        {".x", false},
        {"../x", false},    {"/etc/x", false}, {"a/b", false},       {"a\\b", false},
        {"a\tb", false},    {"a\x7f", false},  {"a\nb", false},
    };
    for (const auto& [name, safe] : cases)
        EXPECT_EQ(ClientFiles::IsSafeName(name), safe) << name;
}

// "<directory>/text/<name>.id" with the directory as the working directory names itself:
// "." loses the '/' its normal form ends in, while "/" stays whole.
TEST(ClientFiles, IdPathsStartWithTheWorkingDirectory) {
    const std::string here = std::filesystem::current_path().string();
    EXPECT_EQ(ClientFiles().IdPath("lamp"), here + "/text/lamp.id");
    EXPECT_EQ(ClientFiles("/").IdPath("lamp"), "//text/lamp.id");
}

} // namespace
} // namespace tav::test
